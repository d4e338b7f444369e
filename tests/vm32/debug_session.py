#!/usr/bin/env python3
"""One session of the debug protocol with the debugging runner: a breakpoint stops the
script, a variable is read and set, and the script ends with the value set.

  debug_session.py --runner kestro-debug.exe --packer kestro-pack

Run inside a Wine session (KESTRO_WINE is the loader). Prints PASS or FAIL lines and
"N passed, N failed"; every wait is bounded.
"""

import argparse
import json
import os
import socket
import subprocess
import sys
import tempfile
import time

SCRIPT = ["; the vm32 stage's debug session",
          "SetEnv, NAME, first",
          "FileAppend, %NAME%\\n, out.txt"]
BOUND_S = 120


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runner", required=True)
    parser.add_argument("--packer", required=True)
    opts = parser.parse_args()
    work = tempfile.mkdtemp(prefix="kestro-debug-")
    source, exe = os.path.join(work, "debugged.kst"), os.path.join(work, "debugged.exe")
    with open(source, "w", newline="\r\n") as f:
        f.write("\n".join(SCRIPT) + "\n")
    subprocess.run([opts.packer, "build", source, "-o", exe, "--runner", opts.runner], check=True,
                   stdout=subprocess.DEVNULL, timeout=60)
    server = socket.socket()
    server.bind(("127.0.0.1", 0))
    server.listen(1)
    server.settimeout(BOUND_S)
    loader = os.environ.get("KESTRO_WINE", "wine")
    proc = subprocess.Popen([loader, exe, "/debug:%d" % server.getsockname()[1]], cwd=work,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    results = []
    try:
        conn, _ = server.accept()
        conn.settimeout(BOUND_S)
        reader = conn.makefile("r", encoding="utf-8")

        def send(line):
            conn.sendall((line + "\n").encode("utf-8"))

        def until(test):
            end = time.time() + BOUND_S
            while time.time() < end:
                message = json.loads(reader.readline())
                if test(message):
                    return message
            return None

        hello = until(lambda m: m.get("event") == "hello")
        results.append(("the runner greets with protocol version 1",
                        None if hello and hello.get("version") == 1 else repr(hello)))
        send("1\tbreakpoints\tmain\t1\t\t\t")
        lines = until(lambda m: m.get("seq") == 1)
        results.append(("a breakpoint on the comment moves to line 2",
                        None if lines and lines["body"]["lines"] == [2] else repr(lines)))
        send("2\trun\t0")
        stop = until(lambda m: m.get("event") == "stopped")
        results.append(("the script stops at line 2",
                        None if stop and stop["line"] == 2 and stop["reason"] == "breakpoint"
                        else repr(stop)))
        send("3\tnext")
        stop = until(lambda m: m.get("event") == "stopped")
        send("4\tvariables\tscript")
        names = until(lambda m: m.get("seq") == 4)
        values = dict((v["name"], v["value"]) for v in names["body"]["variables"]) if names else {}
        results.append(("a step reaches line 3 with NAME set",
                        None if stop and stop["line"] == 3 and values.get("NAME") == "first"
                        else "%r %r" % (stop, values)))
        send("5\tset\tNAME\tsecond")
        until(lambda m: m.get("seq") == 5)
        send("6\tcontinue")
        ended = until(lambda m: m.get("event") == "ended")
        proc.wait(timeout=BOUND_S)
        out = open(os.path.join(work, "out.txt")).read().strip() if ended else ""
        results.append(("the script ends with the value set", None if out == "second" else repr(out)))
    except (OSError, ValueError, subprocess.TimeoutExpired) as e:
        results.append(("the session", "%s: %s" % (type(e).__name__, e)))
    finally:
        if proc.poll() is None:
            proc.kill()
    failed = 0
    for name, problem in results:
        print(("FAIL %s: %s" % (name, problem)) if problem else ("PASS " + name))
        failed += bool(problem)
    print("%d passed, %d failed" % (len(results) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
