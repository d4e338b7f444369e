#!/usr/bin/env python3
"""End-to-end driver: packs each case script, runs it under Wine and checks what it states.

A case is a .kst script whose comment lines (which the runner drops) carry directives:
  ; expect-exit: 0                           the runner's exit code (default 0)
  ; expect-error: Line 4: Error: Invalid command!
                                             the error box "Kestro Error (Line:4)" with that text
  ; expect-box: CAPTION | TEXT               a box with that caption and text
  ; expect-file: NAME = CONTENT              file NAME in the working directory holds CONTENT
  ; expect-no-file: NAME                     the run must not write file NAME
  ; args: TEXT                               command-line arguments, split as a shell would
  ; runner: bare                             run the runner without a script
  ; hostile: KIND [N]                        the runner carries a container the packer would
                                             never write (see build_hostile), instead of the case
  ; timeout: SECONDS                         bound for the whole run (default 20)
  ; spawn: PROGRAM ARGS...                   starts one of our test programs (tests/e2e/PROGRAM)
                                             in the working directory before the runner; it is
                                             stopped after the run (repeatable)
  ; wineprefix: own                          runs the case in a throw-away Wine prefix of its own,
                                             after proving that its programs cannot reach the
                                             session the tests run in (for Shutdown)
  ; press: BUTTON                            the button the helper presses on each box (ok, yes,
                                             no, cancel, ..., a control id), or "none" when a
                                             spawned program answers the boxes itself
  ; press-delay: MS                          each box stays up MS milliseconds before the press
  ; windows: 98                              Wine poses as Windows 98 (the 95 family) to the runner
TEXT, CAPTION and CONTENT understand the escapes \\n \\r \\t, \\\\ and \\xHH (the byte HH), and
are compared byte for byte with what the run produced; khelper records boxes in UTF-8, so
a box with text beyond ASCII is expected in those bytes (written as they are in a UTF-8
case, or as \\xHH escapes). Every box that no
directive expects fails the case; only boxes of the runner's own process count. The runner
sees KESTRO_E2E_BIN, the Windows path of the folder that holds the test programs. Run inside tools/wine-session.sh, which provides the
display, the prefix and $KESTRO_WINE. --time-scale F (or KESTRO_TIME_SCALE) multiplies every
time limit, grace period and press delay by F, for slow machines such as an emulated guest.
"""

import argparse
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "tools"))
from kestro_container import MARKER, container  # noqa: E402

CASE_DIR = os.path.join(REPO, "tests", "e2e", "cases")
DEFAULT_TIMEOUT = 20
HELPER_GRACE = 10          # seconds khelper gets to notice the stop file
DIRECTIVE = re.compile(r"^\s*;\s*([a-z-]+)\s*:\s?(.*?)\s*$")
KNOWN = {"expect-exit", "expect-error", "expect-box", "expect-file", "expect-no-file", "args", "runner", "timeout",
         "spawn", "press", "press-delay", "wineprefix", "hostile", "windows"}
SENTINEL = "Kestro Sentinel"  # a window of the main session that an own prefix must not see
SPAWN_GRACE = 2            # seconds a spawned program gets to end by itself after the run


class CaseError(Exception):
    """A case file whose directives cannot be read."""


def unescape(text):
    """Turns \\n, \\r, \\t, \\\\ and \\xHH into the characters they stand for (HH as the
    Latin-1 character, that is the byte, it numbers); other text stays."""
    out = []
    i = 0
    while i < len(text):
        ch = text[i]
        if ch == "\\" and i + 1 < len(text):
            nxt = text[i + 1]
            if nxt in "nrt\\":
                out.append({"n": "\n", "r": "\r", "t": "\t", "\\": "\\"}[nxt])
                i += 2
                continue
            if nxt == "x" and re.match(r"[0-9a-fA-F]{2}$", text[i + 2:i + 4]):
                out.append(chr(int(text[i + 2:i + 4], 16)))
                i += 4
                continue
        out.append(ch)
        i += 1
    return "".join(out)


class Case:
    """The expectations one case script states about its run."""

    def __init__(self, path):
        self.path = path
        self.name = case_name(path)
        self.exit_code = 0
        self.boxes = []          # (caption, text) pairs that must appear
        self.files = []          # (name, content) pairs
        self.absent = []         # names of files the run must not write
        self.expects_error = False  # the case is meant to stop on a script error
        self.hostile = None      # [kind, argument] of a container built by the driver
        self.args = []
        self.bare = False
        self.timeout = DEFAULT_TIMEOUT
        self.spawns = []         # [program, args...] lists
        self.press = None
        self.press_delay = 0
        self.own_prefix = False
        self.win98 = False
        # Latin-1 maps every byte to one character, so scripts and files compare byte for byte.
        try:
            with open(path, encoding="latin-1") as f:
                lines = f.readlines()
        except OSError as e:
            raise CaseError("cannot read %s: %s" % (path, e.strerror))
        for number, line in enumerate(lines, 1):
            self._read_directive(number, line.rstrip("\r\n"))

    def _read_directive(self, number, line):
        match = DIRECTIVE.match(line)
        if not match:
            return
        name, value = match.group(1), match.group(2)
        if name not in KNOWN:
            if name.startswith("expect"):
                raise CaseError("line %d: unknown directive %r" % (number, name))
            return  # an ordinary comment that happens to contain a colon
        try:
            if name == "expect-exit":
                self.exit_code = int(value)
            elif name == "timeout":
                self.timeout = float(value)
            elif name == "expect-error":
                m = re.match(r"^Line (\d+): (.*)$", value)
                if not m:
                    raise ValueError("expected 'Line N: TEXT'")
                self.boxes.append(("Kestro Error (Line:%s)" % m.group(1), unescape(m.group(2))))
                self.expects_error = True
            elif name == "expect-box":
                caption, sep, text = value.partition(" | ")
                if not sep:
                    raise ValueError("expected 'CAPTION | TEXT'")
                self.boxes.append((unescape(caption), unescape(text)))
            elif name == "expect-file":
                file_name, sep, content = value.partition(" = ")
                if not sep:
                    raise ValueError("expected 'NAME = CONTENT'")
                self.files.append((file_name, unescape(content)))
            elif name == "expect-no-file":
                if not value:
                    raise ValueError("expected a file name")
                self.absent.append(value)
            elif name == "args":
                self.args = shlex.split(value)
            elif name == "spawn":
                words = shlex.split(value)
                if not words:
                    raise ValueError("expected 'PROGRAM ARGS...'")
                self.spawns.append(words)
            elif name == "press":
                if not value:
                    raise ValueError("expected a button name")
                self.press = value
            elif name == "press-delay":
                self.press_delay = int(value)
            elif name == "wineprefix":
                if value != "own":
                    raise ValueError("the only value is 'own'")
                self.own_prefix = True
            elif name == "hostile":
                words = value.split()
                if not words or words[0] not in HOSTILE_KINDS:
                    raise ValueError("expected one of " + ", ".join(sorted(HOSTILE_KINDS)))
                self.hostile = words
            elif name == "windows":
                if value != "98":
                    raise ValueError("the only value is '98'")
                self.win98 = True
            elif name == "runner":
                if value != "bare":
                    raise ValueError("the only runner is 'bare'")
                self.bare = True
        except ValueError as e:
            raise CaseError("line %d: %s: %s" % (number, name, e))


HOSTILE_KINDS = {"truncate", "random", "huge", "long-lines", "nul", "marker-only", "no-marker"}


def build_hostile(kind, arg, runner, script):
    """The bytes of a program whose container no packer would write.

    truncate N   the case's script, packed, with its last N bytes cut off
    random N     N random bytes (fixed seed) as the encoded script
    huge N       the case's script, then N megabytes of comment lines
    long-lines   the case's script with every "<LONG>" replaced by 100,000 x's
    nul          the case's script with every "<NUL>" replaced by a NUL byte
    marker-only  the marker line and nothing after it
    no-marker    the marker text with no line feed after it: no container at all
    """
    if kind == "truncate":
        packed = runner + container(script)
        return packed[:len(packed) - int(arg)]
    if kind == "random":
        import random
        rng = random.Random(20261207)
        return runner + b"\n" + MARKER + b"\n\n" + bytes(rng.getrandbits(8)
                                                             for _ in range(int(arg)))
    if kind == "huge":
        filler = b";" + b"f" * 1022 + b"\n"
        size = int(arg) * 1024 * 1024
        return runner + container(script + filler * (size // len(filler)))
    if kind == "long-lines":
        return runner + container(script.replace(b"<LONG>", b"x" * 100000))
    if kind == "nul":
        return runner + container(script.replace(b"<NUL>", b"\0"))
    if kind == "marker-only":
        return runner + b"\n" + MARKER + b"\n"
    return runner + b"\n" + MARKER


def text_of(bytes_as_latin1):
    """The characters a case file's bytes (read as Latin-1) stand for: UTF-8 where they are
    valid UTF-8, else Latin-1 as read, so an argument reaches the program as the case wrote it."""
    try:
        return bytes_as_latin1.encode("latin-1").decode("utf-8")
    except UnicodeDecodeError:
        return bytes_as_latin1


def windows_path(path):
    """Wine maps the Linux root to drive Z:; on Windows a path is already one."""
    if os.name == "nt":
        return os.path.abspath(path)
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def read_boxes(path):
    """Reads khelper's CAPTION<TAB>TEXT lines."""
    if not os.path.exists(path):
        return []
    boxes = []
    with open(path, encoding="latin-1") as f:
        for line in f:
            caption, _, text = line.rstrip("\n").partition("\t")
            boxes.append((unescape(caption), unescape(text)))
    return boxes


def check_boxes(expected, seen):
    """Returns the problems: expected boxes that did not appear and boxes nobody expected."""
    problems = []
    left = list(seen)
    for box in expected:
        if box in left:
            left.remove(box)
        else:
            problems.append("missing box %s | %s" % (box[0], box[1]))
    for caption, text in left:
        problems.append("unexpected box %r | %r" % (caption, text))
    return problems


def check_files(expected, workdir, absent=()):
    problems = ["file %s was written" % name for name in absent
                if os.path.exists(os.path.join(workdir, name))]
    for name, content in expected:
        # The name is the case file's bytes (read as Latin-1); a UTF-8 name is the
        # file Windows made of it, which Wine stores under that UTF-8 name.
        path = os.path.join(workdir, os.fsdecode(name.encode("latin-1")))
        if not os.path.exists(path):
            problems.append("file %s was not written" % name)
            continue
        with open(path, "rb") as f:
            actual = f.read().decode("latin-1")
        if actual != content:
            problems.append("file %s holds %r, expected %r" % (name, actual, content))
    return problems


def stop(proc, grace):
    """Waits up to grace seconds for proc, then kills it."""
    try:
        proc.wait(timeout=grace)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


class Driver:
    def __init__(self, opts):
        self.opts = opts
        self.wine = opts.wine
        # Under Wine every Windows program is started through it; on Windows itself
        # (--wine "") the programs start directly.
        self.launcher = [opts.wine] if opts.wine else []
        # The test programs sit beside khelper's folder: <build>/tests/e2e/PROGRAM/PROGRAM.exe.
        self.bin_dir = os.path.dirname(os.path.dirname(os.path.abspath(opts.helper)))
        self.env = dict(os.environ, KESTRO_E2E_BIN=windows_path(self.bin_dir))
        self.scale = opts.time_scale

    def helper_works(self):
        code, output = self._quiet_run(self.launcher + [self.opts.helper, "version"], self.env,
                                       120 * self.scale)
        return code == 0 and b"khelper" in output

    def run_case(self, case):
        """Runs one case; returns the list of problems (empty when it passed), or None
        when the case cannot run here."""
        stem = os.path.splitext(os.path.basename(case.path))[0]
        workdir = tempfile.mkdtemp(prefix="kestro-e2e-%s." % stem)
        problems = self._run_in(case, workdir)
        if problems is None:
            shutil.rmtree(workdir, ignore_errors=True)
            return None
        if problems and self.opts.keep_failed:
            problems.append("(kept %s)" % workdir)
        elif self.opts.keep:
            print("kept %s" % workdir)
        else:
            shutil.rmtree(workdir, ignore_errors=True)
        return problems

    def _run_in(self, case, workdir):
        if case.own_prefix and not self.wine:
            # A session end outside a throw-away Wine prefix would end the real session.
            return None
        if not case.own_prefix:
            return self._run_with(case, workdir, self.env)
        # A prefix of its own has its own wineserver: a session end requested there ends
        # that prefix's programs only. Prove it before the case runs, and after it.
        env = dict(self.env, WINEPREFIX=os.path.join(workdir, "prefix"))
        problems = self._make_prefix(env)
        if problems:
            return problems
        with open(os.path.join(workdir, "sentinel.log"), "wb") as log:
            sentinel = subprocess.Popen(self.launcher + [self._program("wintarget"), "--window",
                                         SENTINEL], cwd=workdir, stdout=log,
                                        stderr=subprocess.STDOUT, env=self.env)
            try:
                if self._sees_sentinel(self.env) is not True:
                    return ["the sentinel window did not open in the main session"]
                if self._sees_sentinel(env) is not False:
                    return ["a program in the own prefix sees the main session's windows; "
                            "the case was not run"]
                problems = self._run_with(case, workdir, env)
                if sentinel.poll() is not None:
                    problems.append("the main session's sentinel window did not survive the case")
            finally:
                sentinel.kill()
                sentinel.wait()
                self._quiet_run(["wineserver", "-k"], env, 30)
        return problems

    def _quiet_run(self, command, env, timeout):
        """Runs a command and returns its exit code (None on timeout) and its output.

        The output goes to a file, not a pipe: Wine's background processes (the desktop,
        services) inherit the handles and would hold a pipe open long after the command ends.
        """
        with tempfile.TemporaryFile() as out:
            try:
                code = subprocess.run(command, env=env, stdout=out, stderr=subprocess.STDOUT,
                                      timeout=timeout).returncode
            except subprocess.TimeoutExpired:
                code = None
            out.seek(0)
            return code, out.read()

    def _make_prefix(self, env):
        if self._quiet_run(self.launcher + ["wineboot", "-i"], env, 300 * self.scale)[0] != 0:
            return ["could not initialise a Wine prefix of the case's own"]
        # The same virtual desktop as the main session, so the tray answers at once.
        for key, value, data in (("Explorer", "Desktop", "Default"),
                                 ("Explorer\\Desktops", "Default", "1024x768")):
            self._quiet_run(self.launcher + ["reg", "add", "HKCU\\Software\\Wine\\" + key, "/v", value,
                             "/d", data, "/f"], env, 60 * self.scale)
        return []

    def _sees_sentinel(self, env):
        """Whether khelper, started with env, finds the sentinel window (None: no answer)."""
        code, _ = self._quiet_run(self.launcher + [self.opts.helper, "window", "--class", "KestroTarget",
                                   "--title", SENTINEL, "--timeout",
                                   str(int(3000 * self.scale))], env, 60 * self.scale)
        return None if code is None else code == 0

    def _program(self, name):
        return os.path.join(self.bin_dir, name, name + ".exe")

    def _run_with(self, case, workdir, env):
        exe = os.path.join(workdir, "case98.exe" if case.win98 else "case.exe")
        if case.win98:
            # Wine tells a program the Windows version its AppDefaults key names.
            if not self.wine:
                return ["only Wine can pose as Windows 98"]
            subprocess.run(self.launcher + ["reg", "add",
                                            r"HKCU\Software\Wine\AppDefaults\case98.exe",
                                            "/v", "Version", "/d", "win98", "/f"],
                           env=env, capture_output=True, timeout=60)
        if case.bare:
            shutil.copyfile(self.opts.runner, exe)
        elif case.hostile:
            with open(self.opts.runner, "rb") as f:
                runner_bytes = f.read()
            with open(case.path, "rb") as f:
                script = f.read().replace(b"\r\n", b"\n")
            arg = case.hostile[1] if len(case.hostile) > 1 else "0"
            with open(exe, "wb") as f:
                f.write(build_hostile(case.hostile[0], arg, runner_bytes, script))
        else:
            # A case meant to run cleanly is packed with the checker on, so it must
            # check clean; one meant to fail is packed as it stands.
            meant_to_fail = case.expects_error or case.exit_code != 0
            packed = subprocess.run([self.opts.packer, "build", case.path, "-o", exe,
                                     "--runner", self.opts.runner]
                                    + (["--no-check"] if meant_to_fail else []),
                                    capture_output=True, timeout=60)
            if packed.returncode != 0:
                return ["kestro-pack failed: %s" % packed.stderr.decode("latin-1").strip()]
        boxes_file = os.path.join(workdir, "boxes.txt")
        stop_file = os.path.join(workdir, "boxes.stop")
        helper_log = open(os.path.join(workdir, "khelper.log"), "wb")
        timeout = case.timeout * self.scale
        command = self.launcher + [self.opts.helper, "boxes", "--out", windows_path(boxes_file),
                   "--stop", windows_path(stop_file), "--exe", os.path.basename(exe),
                   "--timeout", str(int(timeout * 1000) + 5000)]
        if case.press:
            command += ["--press", case.press]
        if case.press_delay:
            command += ["--press-delay", str(int(case.press_delay * self.scale))]
        helper = subprocess.Popen(command, cwd=workdir, stdout=helper_log,
                                  stderr=subprocess.STDOUT, env=env)
        problems = []
        spawned = []
        for number, words in enumerate(case.spawns):
            program = self._program(words[0])
            if not os.path.exists(program):
                problems.append("no test program %s" % program)
                continue
            log = open(os.path.join(workdir, "spawn%d.log" % number), "wb")
            spawned.append((subprocess.Popen(self.launcher + [program] + words[1:], cwd=workdir,
                                             stdout=log, stderr=subprocess.STDOUT, env=env),
                            log))
        runner_log = open(os.path.join(workdir, "runner.log"), "wb")
        runner = subprocess.Popen(self.launcher + [exe] + [text_of(arg) for arg in case.args],
                                  cwd=workdir, env=env,
                                  stdout=runner_log, stderr=subprocess.STDOUT)
        try:
            code = runner.wait(timeout=timeout)
            if code != case.exit_code:
                problems.append("exit code %d, expected %d" % (code, case.exit_code))
        except subprocess.TimeoutExpired:
            runner.kill()
            runner.wait()
            problems.append("runner still running after %gs; killed" % timeout)
        for proc, log in spawned:
            stop(proc, SPAWN_GRACE * self.scale)
            log.close()
        open(stop_file, "w").close()
        stop(helper, HELPER_GRACE * self.scale)
        helper_log.close()
        runner_log.close()
        problems += check_boxes(case.boxes, read_boxes(boxes_file))
        problems += check_files(case.files, workdir, case.absent)
        return problems


def case_name(path):
    """How reports name a case: its path below the cases folder (adlib/first_match.kst),
    else its path in the repository (examples/notepad.kst), else the path as given."""
    full = os.path.abspath(path)
    for base in (CASE_DIR, REPO):
        relative = os.path.relpath(full, base)
        if not relative.startswith(os.pardir + os.sep) and relative != os.pardir:
            return relative.replace(os.sep, "/")
    return path


def cases_below(folder):
    """Every .kst file below folder, in the order of their paths."""
    found = []
    for parent, dirs, files in os.walk(folder):
        found += [os.path.join(parent, n) for n in files if n.endswith(".kst")]
    return sorted(found, key=lambda p: os.path.relpath(p, folder).split(os.sep))


def cases_in(path):
    """Whether the path is a case file or a folder that holds cases."""
    return path.endswith(".kst") if os.path.isfile(path) else bool(cases_below(path))


def resolve_cases(names):
    """Turns the command line's case names into case files. A name is a case file or a folder
    of cases, as a path or as a path below the cases folder (the way reports name a case)."""
    paths = []
    for name in names:
        path = name
        # A name below the cases folder wins over a path that holds no case, so that
        # "windows" means the window cases, not the source folder of that name.
        below = os.path.join(CASE_DIR, name)
        if os.path.exists(below) and (not os.path.exists(path) or not cases_in(path)):
            path = below
        if os.path.isdir(path):
            paths += cases_below(path)
        else:
            paths.append(path)  # a missing file is reported as that case's failure
    return paths


def first_existing(*paths):
    """The first of the repository-relative paths that exists, else the first."""
    for path in paths:
        if os.path.exists(os.path.join(REPO, path)):
            return os.path.join(REPO, path)
    return os.path.join(REPO, paths[0])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("cases", nargs="*",
                        help="case scripts or folders of them, as paths or below tests/e2e/cases "
                             "(default: every .kst below tests/e2e/cases, and the examples)")
    tree = "windows" if os.environ.get("KESTRO_WINE_ARCH") == "win32" else "windows64"
    parser.add_argument("--runner", default=first_existing("build/%s/kestro.exe" % tree,
                                                          "build/%s/host/kestro.exe" % tree))
    parser.add_argument("--helper",
                        default=os.path.join(REPO, "build/%s/tests/e2e/helper/khelper.exe" % tree))
    parser.add_argument("--packer", default=os.path.join(REPO, "build/native/packer/kestro-pack"))
    parser.add_argument("--wine", default=os.environ.get("KESTRO_WINE", "" if os.name == "nt" else "wine"),
                        help="the Wine loader; empty on Windows, where programs start directly")
    parser.add_argument("--keep-failed", action="store_true",
                        help="keep the working directory of a failed case")
    parser.add_argument("--time-scale", type=float,
                        default=float(os.environ.get("KESTRO_TIME_SCALE") or 1),
                        help="multiply every time limit by this (a slow guest: 4 to 6)")
    parser.add_argument("--keep", action="store_true",
                        help="keep every case's working directory and print where it is")
    parser.add_argument("--retries", type=int, default=0,
                        help="run a failed case again up to this many times (an emulated guest, "
                             "where Wine's own programs are slow to start); a case that passes "
                             "on a later try says so, with what went wrong before")
    opts = parser.parse_args()
    # Programs start in each case's own directory, so relative paths would not hold.
    opts.runner, opts.helper, opts.packer = (os.path.abspath(p) for p in
                                             (opts.runner, opts.helper, opts.packer))

    paths = resolve_cases(opts.cases)
    if not opts.cases:
        paths = cases_below(CASE_DIR)
        # The demo scripts state what they do with the same directives.
        paths.append(os.path.join(REPO, "examples", "notepad.kst"))

    passed = failed = 0
    driver = Driver(opts)
    for tool in (opts.runner, opts.helper, opts.packer):
        if not os.path.exists(tool):
            print("FAIL e2e: %s does not exist" % tool)
            print("%d passed, %d failed" % (0, len(paths)))
            return 1
    if not driver.helper_works():
        print("FAIL e2e: %s cannot start %s" % (opts.wine, opts.helper))
        print("%d passed, %d failed" % (0, len(paths)))
        return 1

    for path in paths:
        start = time.time()
        earlier = []
        for attempt in range(max(opts.retries, 0) + 1):
            try:
                problems = driver.run_case(Case(path))
            except CaseError as e:
                problems = ["bad case: %s" % e]
                break
            if not problems:
                break
            earlier.append("; ".join(problems))
        name = case_name(path)
        if earlier and not problems:
            name += " (passed on try %d; before: %s)" % (len(earlier) + 1, " | ".join(earlier))
        if problems is None:
            print("SKIP %s: needs a Wine prefix of its own" % name)
        elif problems:
            failed += 1
            print("FAIL %s: %s" % (name, "; ".join(problems)))
        else:
            passed += 1
            print("PASS %s (%.1fs)" % (name, time.time() - start))
        sys.stdout.flush()
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
