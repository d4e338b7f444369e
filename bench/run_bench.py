#!/usr/bin/env python3
"""The runner's figures under Wine, each next to a bare Win32 program of ours measured
in the same run. Prints one table: figure, measured, baseline, ratio, goal.

Run inside tools/wine-session.sh (tools/bench.sh does it all). The runner and the
baseline of a figure run one after the other, round by round, so that whatever else
the machine does touches both alike; a figure shows the median of its rounds and, in
brackets, the lowest and highest ratio seen.

CPU time is read from Linux: the nanoseconds every thread of the Windows program's
process has spent on a CPU (/proc/PID/task/*/schedstat), over a fixed interval after
a warm-up. Wine's own server does part of a program's work; its time over the same
interval is shown in a second row.
"""

import argparse
import json
import os
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

WAIT_TITLE = "Kestro bench: a window that never comes"
EDIT_TITLE = "Kestro Bench Edit"


def median(values):
    return statistics.median(values) if values else float("nan")


class Bench:
    def __init__(self, args):
        self.args = args
        self.wine = os.environ.get("KESTRO_WINE", "wine")
        self.prefix = os.environ.get("WINEPREFIX", "")
        self.tree = args.tree
        self.work = tempfile.mkdtemp(prefix="kestro-bench-")
        self.rows = []
        self.crashes = []

    # ---- programs ------------------------------------------------------------------

    def exe(self, folder, name):
        return os.path.join(self.tree, "bench", folder, name + ".exe")

    def pack(self, name, lines, runner=None):
        """Packs a script into WORK/NAME.exe with the runner under test (or another)."""
        source = os.path.join(self.work, name + ".kst")
        with open(source, "w", newline="\r\n") as f:
            f.write("\n".join(lines) + "\n")
        out = os.path.join(self.work, name + ".exe")
        subprocess.run([self.args.packer, "build", source, "-o", out, "--runner",
                        runner or self.args.runner], check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        return out

    def start(self, program, *words):
        return subprocess.Popen([self.wine, program] + [str(w) for w in words], cwd=self.work,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)

    def finish(self, proc, what, timeout=60):
        try:
            out, _ = proc.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            # Wine runs the program in a process of its own: end that one too.
            pid = self.find_process(os.path.basename(proc.args[1]), 1.0)
            if pid:
                os.kill(pid, signal.SIGKILL)
            proc.kill()
            out, _ = proc.communicate()
            self.crashes.append("%s did not end within %ds" % (what, timeout))
            return None
        if proc.returncode != 0:
            self.crashes.append("%s ended with exit code %d" % (what, proc.returncode))
            return None
        return out.decode("latin-1")

    def timed_run(self, program, *words, timeout=60):
        t = time.perf_counter()
        proc = self.start(program, *words)
        out = self.finish(proc, os.path.basename(program), timeout)
        return (time.perf_counter() - t) if out is not None else None

    # ---- Linux side of the Wine processes ----------------------------------------

    def find_process(self, fragment, timeout=15.0):
        """The pid of the running Windows program of our prefix whose command line holds
        `fragment` (Wine starts the program in a process of its own)."""
        # A program is named first in its command line: by its Windows path
        # (Z:\\...\\NAME.exe) when the 64-bit loader started it through start.exe, by
        # its Linux path when the 32-bit loader became the program itself. The loader's
        # own command line names the program second, after the loader.
        fragment = fragment.lower()
        exe = fragment.endswith(".exe")
        end = time.time() + timeout
        while time.time() < end:
            for entry in os.listdir("/proc"):
                if not entry.isdigit():
                    continue
                try:
                    with open("/proc/%s/cmdline" % entry, "rb") as f:
                        cmd = f.read().replace(b"\0", b" ").decode("latin-1").lower()
                    first = cmd.split(" ", 1)[0]
                    if exe:
                        if not (first.endswith("\\" + fragment) or first.endswith("/" + fragment)):
                            continue
                    elif fragment not in first:
                        continue
                    with open("/proc/%s/environ" % entry, "rb") as f:
                        env = f.read().split(b"\0")
                except OSError:
                    continue
                if ("WINEPREFIX=" + self.prefix).encode() in env:
                    return int(entry)
            time.sleep(0.05)
        return None

    @staticmethod
    def cpu_ns(pid):
        total = 0
        try:
            for task in os.listdir("/proc/%d/task" % pid):
                try:
                    with open("/proc/%d/task/%s/schedstat" % (pid, task)) as f:
                        total += int(f.read().split()[0])
                except OSError:
                    pass
        except OSError:
            return None
        return total

    @staticmethod
    def rss_anon_kb(pid):
        try:
            with open("/proc/%d/status" % pid) as f:
                for line in f:
                    if line.startswith("RssAnon:"):
                        return int(line.split()[1])
        except OSError:
            pass
        return None

    def cpu_together(self, programs, warm, interval):
        """Starts the programs (each a list: program, arguments...) side by side and
        returns, for each, its CPU milliseconds per second and those of the Wine server
        (shared by all) over `interval` seconds after `warm` seconds. Running them at
        the same time lets whatever else the machine does touch all of them alike. The
        programs end by themselves later."""
        server = self.find_process("wineserver", 1.0)
        procs = [self.start(p[0], *p[1:]) for p in programs]
        pids = [self.find_process(os.path.basename(p[0])) for p in programs]
        result = None
        if None not in pids:
            time.sleep(warm)
            a = [self.cpu_ns(pid) for pid in pids]
            sa = self.cpu_ns(server) if server else 0
            time.sleep(interval)
            b = [self.cpu_ns(pid) for pid in pids]
            sb = self.cpu_ns(server) if server else 0
            if None not in a and None not in b:
                result = [(y - x) / 1e6 / interval for x, y in zip(a, b)]
                result.append((sb - sa) / 1e6 / interval)
        else:
            self.crashes.append("no process found for one of %s" %
                                [os.path.basename(p[0]) for p in programs])
        for proc, p in zip(procs, programs):
            self.finish(proc, os.path.basename(p[0]), timeout=int(warm + interval + 30))
        return result

    def stop_filler(self, proc):
        pid = self.find_process("bench_windows.exe", 1.0)
        if pid:
            os.kill(pid, signal.SIGKILL)
        proc.kill()
        proc.wait()

    # ---- the figures --------------------------------------------------------------

    def row(self, figure, value, base, unit, goal, ratios=None, ratio=None, note=""):
        if ratio is None and ratios:
            ratio = median(ratios)
        spread = ""
        if ratios and len(ratios) > 1:
            spread = " [%.2f-%.2f]" % (min(ratios), max(ratios))
        fmt = lambda v: "-" if v is None else ("%.4g %s" % (v, unit)).strip()
        self.rows.append((figure, fmt(value), fmt(base),
                          "-" if ratio is None else "%.3f%s" % (ratio, spread), goal, note))

    def pace(self, lines, rounds=None, debug=True):
        """Lines per second of `lines` SetEnv lines: the run's length less that of an
        empty script. The bare timer does the same with as many 20 ms ticks. The
        debugging runner is measured too, connected to a front end that sets no
        breakpoint (the pace a script keeps while being debugged)."""
        for tag, runner in [("", None)] + ([(" (other runner)", self.args.compare)]
                                             if self.args.compare else []):
            self.pace_of(lines, rounds, tag, runner)
        debugger = os.path.join(os.path.dirname(self.args.runner), "kestro-debug.exe")
        if debug and os.path.exists(debugger):
            self.pace_of(lines, rounds, " (kestro-debug.exe, no breakpoint)", debugger, True)

    @staticmethod
    def front_end():
        """A front end of the debugging runner that sets no breakpoint: it lets the
        script run and reads until the runner closes the connection. Returns the
        port it listens on 127.0.0.1."""
        server = socket.socket()
        server.bind(("127.0.0.1", 0))
        server.listen(1)
        server.settimeout(60)

        def serve():
            try:
                conn, _ = server.accept()
                conn.settimeout(300)
                conn.sendall(b"1\tbreakpoints\tmain\n2\trun\t0\n")
                while conn.recv(4096):
                    pass
                conn.close()
            except OSError:
                pass
            server.close()

        threading.Thread(target=serve, daemon=True).start()
        return server.getsockname()[1]

    def pace_of(self, lines, rounds, tag, runner, debug=False):
        script = self.pack("pace%d" % lines, ["SetEnv, BENCH, value %d" % i for i in range(lines)],
                           runner)
        empty = self.pack("pace0", ["; nothing"], runner)
        bare = self.exe("baselines", "bare_timer")
        runner_rates, bare_rates = [], []
        limit = 60 + lines // 25
        port = lambda: ["/debug:%d" % self.front_end()] if debug else []
        for _ in range(rounds or self.args.pace_rounds):
            t0 = self.timed_run(empty, *port())
            t1 = self.timed_run(script, *port(), timeout=limit)
            b0, b1 = self.timed_run(bare, 0), self.timed_run(bare, lines, timeout=limit)
            if None in (t0, t1, b0, b1):
                continue
            runner_rates.append(lines / (t1 - t0))
            bare_rates.append(lines / (b1 - b0))
        r, b = median(runner_rates), median(bare_rates)
        self.row("pace: %d SetEnv lines, step 20 ms%s" % (lines, tag), r, b, "lines/s",
                 ">= 0.98 x 50 (ratio to 50)", [x / 50.0 for x in runner_rates],
                 note="bare 20 ms timer: %.3f of 50" % (b / 50.0))

    def waiting(self, extra_windows):
        label = "no other windows" if not extra_windows else \
            "%d extra windows, 1 child each" % extra_windows
        filler = None
        if extra_windows:
            ready = os.path.join(self.work, "ready.txt")
            if os.path.exists(ready):
                os.remove(ready)
            filler = self.start(self.exe("probes", "bench_windows"), extra_windows, 1, ready)
            end = time.time() + 60
            while not os.path.exists(ready) and time.time() < end:
                time.sleep(0.1)
        warm, interval = self.args.cpu_warm, self.args.cpu_interval
        life = warm + interval + 1.5
        lines = ["WinWait, %s, , %d" % (WAIT_TITLE, int(life + 0.999))]
        scripts = [("", self.pack("wait%d" % extra_windows, lines))]
        if self.args.compare:
            scripts.append((" (other runner)", self.pack("waitb%d" % extra_windows, lines,
                                                          self.args.compare)))
        bare = self.exe("baselines", "bare_poll")
        got = {}
        for _ in range(self.args.cpu_rounds):
            cpu = self.cpu_together([[bare, int(life * 1000)]] + [[p] for _, p in scripts],
                                    warm, interval)
            if not cpu or cpu[0] <= 0:
                continue
            for (tag, _), c in zip(scripts, cpu[1:-1]):
                got.setdefault(tag, []).append((c, cpu[0], cpu[-1]))
        if filler:
            self.stop_filler(filler)
        for tag, _ in scripts:
            got_tag = got.get(tag, [])
            runner, base = [g[0] for g in got_tag], [g[1] for g in got_tag]
            self.row("CPU, WinWait polling, " + label + tag, median(runner), median(base),
                     "ms/s", "<= 1.0 x bare", [r / b for r, b in zip(runner, base)],
                     ratio=median(runner) / median(base) if got_tag else None)
        server = [g[2] for g in got.get("", [])]
        self.row("  the Wine server meanwhile (all of them)", median(server), None, "ms/s",
                 "(shown only)")

    def cpu_of(self, pids, warm, interval):
        """CPU milliseconds per second of each pid over `interval` seconds after `warm`."""
        time.sleep(warm)
        a = [self.cpu_ns(pid) for pid in pids]
        time.sleep(interval)
        b = [self.cpu_ns(pid) for pid in pids]
        if None in a or None in b:
            return None
        return [(y - x) / 1e6 / interval for x, y in zip(a, b)]

    def accessible(self):
        """A wait for a text that a window of 1,000 elements does not hold: CPU of the
        runner and of the window's program per second of waiting, the elements read
        through Active Accessibility (a11ytarget) and, beside it, as 1,000 child
        windows (bench_windows)."""
        warm, interval = self.args.cpu_warm + 2.0, self.args.cpu_interval
        life = warm + interval + 1.5
        seconds = int(life + 0.999)
        a11y = os.path.join(self.tree, "tests", "e2e", "a11ytarget", "a11ytarget.exe")
        on = self.pack("a11y", ["DetectAccessibleText, On",
                                "WinWait, Bench accessible, never shown, %d" % seconds])
        off = self.pack("children", ["WinWait, Bench window 0, never shown, %d" % seconds])
        got = {"a11y": [], "children": []}
        for _ in range(self.args.cpu_rounds):
            for kind in ("a11y", "children"):
                ready = os.path.join(self.work, "ready-a11y.txt")
                if os.path.exists(ready):
                    os.remove(ready)
                if kind == "a11y":
                    target = self.start(a11y, "--window", "Bench accessible", "--items", 995,
                                        "--lifetime", int((life + 3) * 1000))
                    tpid = self.find_process("a11ytarget.exe")
                else:
                    target = self.start(self.exe("probes", "bench_windows"), 1, 1000, ready)
                    end = time.time() + 60
                    while not os.path.exists(ready) and time.time() < end:
                        time.sleep(0.1)
                    tpid = self.find_process("bench_windows.exe")
                runner = self.start(on if kind == "a11y" else off)
                rpid = self.find_process(os.path.basename(on if kind == "a11y" else off))
                cpu = self.cpu_of([rpid, tpid], warm, interval) if rpid and tpid else None
                self.finish(runner, "the runner (%s)" % kind, timeout=int(life + 30))
                if kind == "a11y":
                    self.finish(target, "a11ytarget", timeout=30)
                else:
                    self.stop_filler(target)
                if cpu:
                    got[kind].append(cpu)
        for kind, label in (("a11y", "accessible elements"), ("children", "child windows")):
            runner = median([c[0] for c in got[kind]]) if got[kind] else None
            target = median([c[1] for c in got[kind]]) if got[kind] else None
            self.row("CPU, WinWait on 1,000 %s: runner" % label, runner, None, "ms/s",
                     "(shown only)")
            self.row("  the window's program meanwhile", target, None, "ms/s", "(shown only)")

    def startup(self):
        scripts = [("", self.pack("empty", ["; nothing"]))]
        if self.args.compare:
            scripts.append((" (other runner)", self.pack("emptyb", ["; nothing"], self.args.compare)))
        bare = self.exe("baselines", "bare_tray")
        got = {}
        self.timed_run(bare)  # warm the caches
        for _ in range(self.args.start_rounds):
            b = self.timed_run(bare)
            for tag, script in scripts:
                t = self.timed_run(script)
                if t is not None and b is not None:
                    got.setdefault(tag, []).append((t * 1000, b * 1000))
        for tag, _ in scripts:
            pairs = got.get(tag, [])
            t, b = median([t for t, b in pairs]), median([b for t, b in pairs])
            self.row("start-up: empty script, start to exit" + tag, t, b, "ms", "<= 1.05 x bare",
                     [t / b for t, b in pairs], ratio=t / b if pairs else None)

    def size(self):
        size = os.path.getsize(self.args.shipped)
        self.row("size of the shipped kestro.exe (32-bit)", size / 1024.0, 64.0, "KB",
                 "<= 64 KB", ratio=size / 65536.0, note="%d bytes" % size)

    def memory(self):
        small_n, big_n = 10, self.args.memory_lines
        life = 4

        def script(n):
            return self.pack("mem%d" % n, ["WinWait, %s, , %d" % (WAIT_TITLE, life), "Exit", "Stored:"] +
                             ["SetEnv, BENCH%d, value of line %d" % (i, i) for i in range(n - 3)])
        small, big = script(small_n), script(big_n)
        per_line, small_kb = [], []
        for _ in range(self.args.memory_rounds):
            got = []
            for program in (small, big):
                proc = self.start(program)
                pid = self.find_process(os.path.basename(program))
                time.sleep(1.5)
                got.append(self.rss_anon_kb(pid) if pid else None)
                self.finish(proc, os.path.basename(program), timeout=life + 30)
            if None in got:
                continue
            small_kb.append(got[0])
            per_line.append((got[1] - got[0]) * 1024.0 / (big_n - small_n))
        self.row("memory: %d-line script vs 10 lines" % big_n, median(per_line), None,
                 "bytes/line", "<= 200 bytes/line",
                 note="10-line runner: %s KB anonymous memory" % median(small_kb))

    def typing(self):
        count = self.args.type_chars
        words = "The quick brown Fox jumps over 12 lazy Dogs. "
        text = (words * (count // len(words) + 1))[:count - 1] + "."
        text_file = os.path.join(self.work, "typed.txt")
        with open(text_file, "w") as f:
            f.write(text)
        # A field loses its leading and trailing blanks: no Send line may start or end
        # with one.
        chunks, at = [], 0
        while at < count:
            end = min(at + 1000, count)
            while end < count and (text[end - 1] == " " or text[end] == " "):
                end -= 1
            chunks.append(text[at:end])
            at = end
        script = self.pack("typing", ["SetKeyDelay, 0", "WinActivate, " + EDIT_TITLE,
                                      "WinWaitActive, %s, , 10" % EDIT_TITLE] +
                           ["Send, " + c for c in chunks])
        rates, bases, problems = [], [], []
        for _ in range(self.args.type_rounds):
            for who in ("runner", "bare"):
                out = os.path.join(self.work, "edit-%s.txt" % who)
                if os.path.exists(out):
                    os.remove(out)
                target = self.start(self.exe("probes", "bench_edit"), count, out, 30000)
                self.find_process("bench_edit.exe")
                time.sleep(0.5)
                if who == "runner":
                    sender = self.start(script)
                else:
                    sender = self.start(self.exe("baselines", "bare_send"), EDIT_TITLE, text_file)
                self.finish(sender, who + " typing", timeout=60)
                self.finish(target, "bench_edit", timeout=60)
                try:
                    with open(out, "rb") as f:
                        head, body = f.read().split(b"\n", 1)
                except (OSError, ValueError):
                    problems.append(who + ": no result")
                    continue
                n, ms = head.split()
                if body.decode("latin-1") != text:
                    with open(out + ".bad", "wb") as f:
                        f.write(body)
                    problems.append("%s: %s of %d characters arrived intact" % (who, n.decode(), count))
                    continue
                rate = count / (float(ms) / 1000.0) if float(ms) > 0 else None
                if rate:
                    (rates if who == "runner" else bases).append(rate)
        ratios = [r / b for r, b in zip(rates, bases)]
        self.row("typing %d characters, key delay 0" % count, median(rates), median(bases),
                 "chars/s", "every character arrives", ratios,
                 note="; ".join(problems) if problems else "all arrived")
        if problems:
            self.crashes.extend("typing: " + p for p in problems)

    def matcher(self):
        ready = os.path.join(self.work, "ready-match.txt")
        filler = self.start(self.exe("probes", "bench_windows"), 200, 10, ready)
        end = time.time() + 60
        while not os.path.exists(ready) and time.time() < end:
            time.sleep(0.1)
        results = {}
        for _ in range(self.args.match_rounds):
            out = self.finish(self.start(self.exe("probes", "bench_match"), self.args.match_passes),
                              "bench_match", timeout=300)
            for line in (out or "").splitlines():
                name, value = line.split()
                results.setdefault(name, []).append(float(value))
        self.stop_filler(filler)
        for name, bare, what in (("title_none", "bare_titles", "a title that matches none"),
                                 ("text_none", "bare_texts", "a text search")):
            got, base = results.get(name, []), results.get(bare, [])
            self.row("matcher, 200 windows x 10 controls, " + what, median(got), median(base),
                     "us/pass", "(shown only)", [g / b for g, b in zip(got, base)])

    def engine(self):
        if not self.args.bench_core or not os.path.exists(self.args.bench_core):
            self.row("native engine cost per line", None, None, "", "(shown only)",
                     note="bench_core not built (libbenchmark-dev)")
            return
        out = subprocess.run([self.args.bench_core, "--benchmark_filter=BM_RunTickPerLine",
                              "--benchmark_format=json", "--benchmark_min_time=%s" %
                              self.args.core_min_time], capture_output=True, text=True)
        try:
            data = json.loads(out.stdout)
            ns = data["benchmarks"][0]["real_time"]
        except (ValueError, KeyError, IndexError):
            self.crashes.append("bench_core gave no figure")
            return
        self.row("native engine cost per line (RunTick, SetEnv)", ns, None, "ns", "(shown only)")

    def print_table(self):
        head = ("figure", "measured", "baseline", "ratio [spread]", "goal", "note")
        widths = [max(len(r[i]) for r in self.rows + [head]) for i in range(len(head))]
        line = lambda r: "| " + " | ".join(c.ljust(w) for c, w in zip(r, widths)) + " |"
        print(line(head))
        print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
        for r in self.rows:
            print(line(r))
        sys.stdout.flush()


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--tree", required=True, help="the Windows build tree to run")
    p.add_argument("--runner", required=True, help="its kestro.exe")
    p.add_argument("--shipped", required=True, help="the 32-bit kestro.exe whose size counts")
    p.add_argument("--packer", required=True)
    p.add_argument("--bench-core", default="")
    p.add_argument("--quick", action="store_true", help="short intervals, fewer rounds")
    p.add_argument("--compare", default="", help="another kestro.exe (an older build, say) "
                   "measured beside the runner in the start-up, pace and CPU figures")
    p.add_argument("--only", default="", help="comma-separated: pace,drift,wait,start,size,"
                   "memory,typing,matcher,engine,a11y")
    args = p.parse_args()
    quick = args.quick
    args.pace_rounds = 1 if quick else 3
    args.pace_lines = 100 if quick else 500
    args.drift_lines = 0 if quick else 5000
    args.cpu_rounds = 3 if quick else 6
    args.cpu_warm = 1.0
    args.cpu_interval = 1.5 if quick else 4.0
    args.start_rounds = 5 if quick else 15
    args.memory_lines = 10000
    args.memory_rounds = 1 if quick else 3
    args.type_chars = 2000
    args.type_rounds = 1 if quick else 3
    args.match_passes = 20 if quick else 100
    args.match_rounds = 1 if quick else 3
    args.core_min_time = "0.05" if quick else "0.5"
    only = set(filter(None, args.only.split(",")))

    bench = Bench(args)
    steps = [("size", bench.size), ("engine", bench.engine), ("start", bench.startup),
             ("pace", lambda: bench.pace(args.pace_lines)),
             ("drift", lambda: args.drift_lines and bench.pace(args.drift_lines, 1, False)),
             ("wait", lambda: bench.waiting(0)), ("wait", lambda: bench.waiting(200)),
             ("memory", bench.memory), ("typing", bench.typing), ("matcher", bench.matcher),
             ("a11y", bench.accessible)]
    for name, step in steps:
        if only and name not in only:
            continue
        print("bench: %s ..." % name, file=sys.stderr)
        try:
            step()
        except Exception as e:  # a figure that cannot be taken is reported, not fatal
            bench.crashes.append("%s: %s: %s" % (name, type(e).__name__, e))
    print()
    bench.print_table()
    shutil.rmtree(bench.work, ignore_errors=True)
    for c in bench.crashes:
        print("PROBLEM " + c)
    return 1 if bench.crashes else 0


if __name__ == "__main__":
    sys.exit(main())
