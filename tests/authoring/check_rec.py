#!/usr/bin/env python3
"""End-to-end checks of kestro-rec under Wine: a round trip through a recorded script.

inject plays keys and clicks into inputrec's target window while kestro-rec records, and
stops the recorder with its own hotkey. The recorded script is packed (which checks it) and
run against a fresh target, which must receive the same keys, clicks and characters.

Run inside tools/wine-session.sh:
  check_rec.py --rec kestro-rec.exe --inject inject.exe --inputrec inputrec.exe
               --spy kestro-spy.exe --runner kestro.exe --packer kestro-pack
               --hostprobe hostprobe.exe [--shots DIR]
Prints one PASS or FAIL line per check and "N passed, N failed". --shots keeps a
screenshot of the recorder's window (for the documentation).
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from checks import TIME_SCALE, CheckList, read, windows_path  # noqa: E402

WAIT = 20 * TIME_SCALE  # seconds any one wait may take
TARGET = "Kestro Input Target"

# US layout: the virtual key of each character, and whether Shift types it.
PLAIN = {" ": 32, ",": 188, "\\": 220, ".": 190, "[": 219, "]": 221, "=": 187, "/": 191}
SHIFTED = {"!": 49, "#": 51, "%": 53, "^": 54, "+": 187, "{": 219, "}": 221, "?": 191}


def typed(text):
    """The injection steps that type text, as Send types it (Shift around the key)."""
    steps = []
    for c in text:
        if c.isalpha() or c.isdigit():
            vk, shift = ord(c.upper()), c.isupper()
        elif c in PLAIN:
            vk, shift = PLAIN[c], False
        else:
            vk, shift = SHIFTED[c], True
        steps += (["+16"] if shift else []) + ["+%d" % vk, "-%d" % vk] + (["-16"] if shift else [])
    return steps


def press(vk, times=1, mods=()):
    """A named key inside modifiers: they go down and come up in the order given."""
    return ["+%d" % m for m in mods] + ["+%d" % vk, "-%d" % vk] * times + ["-%d" % m for m in mods]


# What the user does: thinks before the first key (no Sleep for that), text with the
# language's own characters and the escapes, a typo rubbed out, chords, arrows, Enter,
# characters without a key (ü, and 😀 as its two surrogates, sent as Unicode key events),
# F13 (a key with neither a name nor a character: a comment), two clicks with a pause
# between.
UNICODE = ["u 00FC", "u D83D", "u DE00"]
F13 = 124
SEQUENCE = (["wait " + TARGET, "sleep 1500"] + typed("Hi, 50% {a}!") + press(8, 3) +
            typed("+^#\\ x") + press(65, mods=(17,)) + press(9, mods=(16,)) + press(37, 2) +
            press(13) + UNICODE + press(F13) +
            ["click L 200 150", "sleep 1600", "click R 120 100"] + typed("ok"))
WAIT_LINE = "WinWaitActive, " + TARGET + ", , 10"
NOT_RECORDED = "; kestro-rec: a key here could not be recorded as text (virtual key %d)" % F13
BOM = "\xef\xbb\xbf"  # the UTF-8 byte order mark, as Latin-1 characters
# Ctrl+Alt+R: the recorder's hotkey, which stops it and is not recorded.
HOTKEY = press(82, mods=(17, 18))


class Checks(CheckList):
    def __init__(self, opts, workdir):
        CheckList.__init__(self, "rec", opts, workdir)

    def start(self, folder, exe, *args):
        return self.spawn(folder, exe, *args)

    def finish(self, proc, seconds=WAIT):
        """Waits for a program to end; kills it when it does not. Its exit code, or None."""
        try:
            return proc.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
            return None

    def inject(self, folder, steps):
        path = os.path.join(folder, "steps%d.txt" % len(self.procs))
        with open(path, "w") as f:
            f.write("\n".join(steps) + "\n")
        return self.finish(self.start(folder, self.opts.inject, windows_path(path)), WAIT * 2)

    def window_exists(self, title):
        out = os.path.join(self.workdir, "match.json")
        with open(os.devnull, "wb") as null:
            try:
                subprocess.run([self.wine, self.opts.spy, "--match", title, "--out",
                                windows_path(out)], stdout=null, stderr=null, timeout=WAIT)
            except subprocess.TimeoutExpired:
                return False
        try:
            with open(out) as f:
                return json.load(f)["match"] is not None
        except (OSError, ValueError, KeyError):
            return False

    def wait_window(self, title):
        end = time.time() + WAIT
        while time.time() < end:
            if self.window_exists(title):
                return True
            time.sleep(0.3)
        return False

    def folder(self, name):
        path = os.path.join(self.workdir, name)
        os.makedirs(path)
        return path


def lines(path):
    text = read(path)
    return None if text is None else text.splitlines()


def record(c, folder, steps, *rec_args):
    """Records steps played into a target; returns (recorder exit code, script or None)."""
    target = c.start(folder, c.opts.inputrec, "--seconds", "60")
    if not c.wait_window(TARGET):
        c.check("the target window opens", False)
        return None, None
    recorder = c.start(folder, c.opts.rec, "--out", "rec.kst", *rec_args)
    if not c.wait_window("Kestro Recorder"):
        c.check("the recorder's window opens", False)
        return None, None
    c.inject(folder, steps)
    code = c.finish(recorder)
    c.finish(target, 0.1)
    return code, read(os.path.join(folder, "rec.kst"))


def round_trip(c):
    live = c.folder("live")
    code, script = record(c, live, SEQUENCE + HOTKEY, "--seconds", "40")
    c.check("the hotkey stops the recorder, which writes the script", code == 0 and script,
            "exit code %r" % code)
    if not script:
        return
    print("---- recorded script\n" + script.rstrip() + "\n----")
    c.check("the script is UTF-8 with its byte order mark", script.startswith(BOM), repr(script[:8]))
    script = script[len(BOM):] if script.startswith(BOM) else script
    body = [line for line in script.splitlines() if not line.startswith(";")]
    c.check("the script waits for the target with a timeout, then types, clicks and sleeps",
            body[0] == WAIT_LINE and body[1].startswith("Send, Hi, 50\\% {{}a{}}{!}{BS 3}")
            and "Send, " + "\u00fc\U0001F600".encode("utf-8").decode("latin-1") in body
            and "LeftClick, 200, 150" in body and "RightClick, 120, 100" in body and
            any(line.startswith("Sleep, ") for line in body), repr(body))
    c.check("the hotkey is not recorded", "!r" not in script and body[-1] == "Send, ok",
            repr(body[-1:]))
    c.check("a key the recorder cannot write leaves a comment in its place",
            NOT_RECORDED in script.splitlines(), repr(script.splitlines()))
    source = os.path.join(live, "rec.kst")
    check = subprocess.run([c.opts.packer, "check", source], capture_output=True, timeout=60)
    c.check("kestro-pack check accepts the script", check.returncode == 0,
            check.stdout.decode(errors="replace") + check.stderr.decode(errors="replace"))

    replay = c.folder("replay")
    exe = os.path.join(replay, "rec.exe")
    subprocess.run([c.opts.packer, "build", source, "-o", exe, "--runner", c.opts.runner],
                   check=True, capture_output=True, timeout=60)
    target = c.start(replay, c.opts.inputrec, "--seconds", "60")
    if not c.wait_window(TARGET) or c.inject(replay, ["wait " + TARGET]) != 0:
        c.check("the replay's target window opens", False)
        return
    code = c.finish(c.start(replay, exe), WAIT * 2)
    c.finish(target, 0.1)
    c.check("the packed script runs to its end", code == 0, "exit code %r" % code)

    live_keys = lines(os.path.join(live, "keys.txt")) or []
    # The live target also saw the hotkey that stopped the recorder, and F13, which the
    # script holds as a comment only.
    if len(live_keys) >= len(HOTKEY):
        live_keys = live_keys[:-len(HOTKEY)]
    live_keys = [k for k in live_keys if not k[1:].startswith("%d/" % F13)]
    replay_keys = lines(os.path.join(replay, "keys.txt"))
    c.check("the replay presses the same keys", live_keys and live_keys == replay_keys,
            "live %r\nreplay %r" % (live_keys, replay_keys))
    for name in ("clicks.txt", "text.txt"):
        a, b = read(os.path.join(live, name)), read(os.path.join(replay, name))
        c.check("the target receives the same %s" % name[:-4], a and a == b,
                "live %r, replay %r" % (a, b))


def skip_injected(c):
    """With --skip-injected the injected keys and clicks are not recorded."""
    folder = c.folder("skip")
    code, script = record(c, folder, ["wait " + TARGET] + typed("abc") + ["click L 200 150"] +
                          HOTKEY, "--seconds", "30", "--skip-injected")
    # The injected hotkey is not recorded either, but it still stops the recorder.
    # All of it is ASCII, so it has no byte order mark and runs on every Windows.
    c.check("--skip-injected records none of the injected events, in ASCII without a BOM",
            code == 0 and script is not None and not script.startswith(BOM) and
            [line for line in script.splitlines() if not line.startswith(";")] ==
            [WAIT_LINE], repr(script))


def command_line(c):
    """-h prints the usage and ends well; a misspelt option names the nearest one; an
    option's value may follow an equals sign."""
    def run(*args):
        try:
            return subprocess.run([c.wine, c.opts.rec] + list(args), cwd=c.workdir,
                                  capture_output=True, timeout=WAIT)
        except subprocess.TimeoutExpired:
            return None
    shown = run("-h")
    c.check("-h prints the usage and exits with 0",
            shown is not None and shown.returncode == 0 and
            shown.stdout.startswith(b"usage: kestro-rec") and b"--wait S" in shown.stdout,
            repr(shown))
    typo = run("--wait=5", "--skip-injectd")
    c.check("an unknown option is refused with the nearest one named",
            typo is not None and typo.returncode == 2 and
            b"did you mean --skip-injected?" in typo.stderr, repr(typo))


def taskbar(c):
    """A new taskbar (Explorer restarted) gets the recorder's icon again, as the runner's."""
    folder = c.folder("taskbar")
    recorder = c.start(folder, c.opts.rec, "--out", "none.kst")
    out = os.path.join(folder, "probe.txt")
    probe = c.start(folder, c.opts.hostprobe, windows_path(out), "rec-taskbar")
    c.finish(probe, WAIT * 2)
    verdicts = read(out)
    c.check("the icon comes back when the taskbar announces itself",
            verdicts == "icon shown\nicon lost\nicon back\nexited\n", repr(verdicts))
    c.finish(recorder, 0.1)


def picture(c):
    """The recorder's window while it records, drawn (for the documentation)."""
    folder = c.folder("shot")
    recorder = c.start(folder, c.opts.rec, "--out", "shot.kst", "--seconds", "15", "--pos",
                       "300,200")
    ok = c.wait_window("Kestro Recorder")
    time.sleep(1)  # the status line is refreshed every half second
    shot = os.path.join(folder, "rec-window.png")
    subprocess.run(["import", "-window", "root", "-crop", "340x150+290+190", "+repage", shot],
                   capture_output=True, timeout=60)
    out = subprocess.run(["convert", shot, "-format", "%k", "info:"], capture_output=True,
                         timeout=60).stdout.decode().strip()
    c.check("the recorder's window is drawn", ok and out.isdigit() and int(out) >= 4, out)
    if c.opts.shots and os.path.exists(shot):
        os.makedirs(c.opts.shots, exist_ok=True)
        shutil.copy(shot, os.path.join(c.opts.shots, "rec-window.png"))
    c.finish(recorder, 0.1)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    names = ("rec", "inject", "inputrec", "spy", "runner", "packer", "hostprobe")
    for name in names:
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--shots")
    parser.add_argument("--keep", action="store_true", help="keep the working directory")
    opts = parser.parse_args()
    for name in names:
        setattr(opts, name, os.path.abspath(getattr(opts, name)))
    workdir = tempfile.mkdtemp(prefix="kestro-rec.")
    c = Checks(opts, workdir)
    try:
        for group in (round_trip, skip_injected, taskbar, picture, command_line):
            try:
                group(c)
            except Exception as e:  # one broken group must not hide the others' results
                c.check(group.__name__, False, "%s: %s" % (type(e).__name__, e))
            c.stop_all()
    finally:
        c.stop_all()
        if not opts.keep:
            shutil.rmtree(workdir, ignore_errors=True)
        else:
            print("kept " + workdir)
    print("%d passed, %d failed" % (c.passed, c.failed))
    return 1 if c.failed else 0


if __name__ == "__main__":
    sys.exit(main())
