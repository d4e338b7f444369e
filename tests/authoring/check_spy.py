#!/usr/bin/env python3
"""End-to-end checks of kestro-spy under Wine: its reports on windows that wintarget opens,
its agreement with the runner, a screenshot of its live window, and its reports on the
Unicode window of inputrec --unicode.

Run inside tools/wine-session.sh:
  check_spy.py --spy kestro-spy.exe --wintarget wintarget.exe --runner kestro.exe
               --packer kestro-pack --inputrec inputrec.exe [--shots DIR]
Prints one PASS or FAIL line per check and "N passed, N failed". --shots keeps the
screenshots of the live window (for the documentation).
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

WAIT = 15 * TIME_SCALE  # seconds any one wait may take


class Checks(CheckList):
    def __init__(self, opts, workdir):
        CheckList.__init__(self, "spy", opts, workdir)
        self.count = 0

    def start(self, exe, *args):
        return self.spawn(self.workdir, exe, *args)

    def spy(self, *args):
        """Runs kestro-spy with --out; returns (exit code, the report's text or None)."""
        self.count += 1
        out = os.path.join(self.workdir, "report%d.txt" % self.count)
        with open(os.devnull, "wb") as null:
            try:
                code = subprocess.run([self.wine, self.opts.spy] + list(args) +
                                      ["--out", windows_path(out)], cwd=self.workdir,
                                      stdout=null, stderr=null, timeout=WAIT * 2).returncode
            except subprocess.TimeoutExpired:
                return None, None
        if not os.path.exists(out):
            return code, None
        with open(out, "rb") as f:
            return code, f.read().decode("utf-8")

    def spy_json(self, *args):
        code, text = self.spy(*args)
        if code != 0 or text is None:
            return None
        return json.loads(text)

    def wait_for(self, title):
        """Polls the matcher until a window whose title starts with title exists."""
        end = time.time() + WAIT
        while time.time() < end:
            report = self.spy_json("--match", title)
            if report and report["match"] is not None:
                return report
            time.sleep(0.3)
        return None

    def run_script(self, script):
        """Packs and runs a script in a directory of its own; returns that directory."""
        folder = tempfile.mkdtemp(prefix="run.", dir=self.workdir)
        source = os.path.join(folder, "case.kst")
        with open(source, "w") as f:
            f.write(script)
        exe = os.path.join(folder, "case.exe")
        subprocess.run([self.opts.packer, "build", source, "-o", exe, "--runner", self.opts.runner],
                       check=True, capture_output=True, timeout=60)
        with open(os.path.join(folder, "runner.log"), "wb") as log:
            proc = subprocess.Popen([self.wine, exe], cwd=folder, stdout=log,
                                    stderr=subprocess.STDOUT)
            try:
                proc.wait(timeout=WAIT * 2)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
        return folder


def point_checks(c):
    """--at and --lines-at over a child control of a window with a hidden text."""
    c.start(c.opts.wintarget, "--log", "target.log", "--window", "Spy Target A", "--rect",
            "100,100,400,300", "--child", "First, 50%", "--hidden-child", "Secret text",
            "--child", "back\\slash")
    c.check("the target window opens", c.wait_for("Spy Target A") is not None)
    at = c.spy_json("--at", "160,140")
    if at is None:
        c.check("--at writes a report", False)
        return
    window = at["window"] or {}
    c.check("--at names the window, its class, rectangle and program",
            (window.get("title"), window.get("class"), window.get("program"), window.get("rect")) ==
            ("Spy Target A", "KestroTarget", "wintarget.exe",
             {"left": 100, "top": 100, "right": 500, "bottom": 400}), repr(window))
    control = at["control"] or {}
    c.check("--at names the control under the point",
            (control.get("class"), control.get("id"), control.get("text")) ==
            ("Static", 0, "First, 50%"), repr(control))
    c.check("--at lists the texts in the matcher's order with their visibility",
            at["texts"] == [{"text": "First, 50%", "visible": True},
                            {"text": "Secret text", "visible": False},
                            {"text": "back\\slash", "visible": True}], repr(at["texts"]))
    active = c.spy_json("--match", at["active"])
    rect = active["windows"][-1]["rect"] if active and active["match"] else None
    c.check("--at measures the position from the foreground window",
            rect is not None and at["relative"]["foreground"] and
            (at["relative"]["x"], at["relative"]["y"]) == (160 - rect["left"], 140 - rect["top"]),
            "%r, foreground %r" % (at["relative"], rect))
    c.check("--at: the WinWait line finds this window", at["wait_finds_this"], repr(at))
    code, lines = c.spy("--lines-at", "160,140")
    rel = at["relative"]
    c.check("--lines-at prints the lines the buttons copy, escaped",
            code == 0 and lines == "WinWait, Spy Target A, First\\, 50\\%\r\n"
            "WinActivate, Spy Target A\r\n" + "LeftClick, %d, %d\r\n" % (rel["x"], rel["y"]),
            repr(lines))
    # A hidden control's text is named only with hidden texts detected.
    shown = c.spy_json("--match", "Spy Target A", "Secret")
    hidden = c.spy_json("--match", "Spy Target A", "Secret", "--hidden")
    c.check("--match tests hidden texts only with --hidden",
            shown["match"] is None and shown["windows"][-1]["text_passes"] is False and
            hidden["match"] == "Spy Target A", "%r / %r" % (shown, hidden))


def order_checks(c):
    """Two candidates: the first in the system's window order wins, as in the runner."""
    c.start(c.opts.wintarget, "--log", "twins.log", "--window", "Spy Twin One", "--rect",
            "40,420,300,200", "--child", "twin text", "--window", "Spy Twin Two", "--rect",
            "360,420,300,200", "--child", "twin text", "--window", "Spy Hidden", "--hidden",
            "--child", "hidden window text")
    c.check("the twin windows open", c.wait_for("Spy Twin One") is not None and
            c.wait_for("Spy Twin Two") is not None)
    report = c.spy_json("--match", "Spy Twin", "twin text")
    titles = [w["title"] for w in report["windows"]] if report else []
    c.check("--match examines windows until the first that passes",
            report is not None and report["match"] in ("Spy Twin One", "Spy Twin Two") and
            report["windows"][-1]["title_passes"] and report["windows"][-1]["text_passes"] and
            not any(w["title_passes"] and w["text_passes"] for w in report["windows"][:-1]),
            repr(report))
    c.check("a title that passes in mode 2 only",
            c.spy_json("--match", "Twin One")["match"] is None and
            c.spy_json("--match", "Twin One", "--mode", "2")["match"] == "Spy Twin One")
    # The runner activates the window the spy names, whichever is first now.
    folder = c.run_script("WinActivate, Spy Twin, twin text\nWinGetActiveTitle, T\n"
                          "FileAppend, %T%, active.txt\n")
    c.check("the runner picks the window the spy names", read(os.path.join(folder, "active.txt"))
            == report["match"], "runner %r, spy %r" % (read(os.path.join(folder, "active.txt")),
                                                       report["match"]))
    after = c.spy_json("--match", "Spy Twin", "twin text")
    c.check("the order follows the activation", after is not None and
            after["match"] == read(os.path.join(folder, "active.txt")), repr(after))
    hidden = c.spy_json("--match", "Spy Hidden")
    found = c.spy_json("--match", "Spy Hidden", "--hidden")
    c.check("hidden windows are examined only with --hidden",
            hidden["match"] is None and "Spy Hidden" not in [w["title"] for w in hidden["windows"]]
            and found["match"] == "Spy Hidden", "%r / %r" % (hidden, found))
    code, _ = c.spy("--match", "x", "--mode", "3")
    c.check("a bad command line ends with exit code 2", code == 2, repr(code))


def colours(path, rect):
    """The number of distinct colours in a rectangle of a screenshot."""
    crop = "%dx%d+%d+%d" % (rect["right"] - rect["left"], rect["bottom"] - rect["top"],
                            rect["left"], rect["top"])
    out = subprocess.run(["convert", path, "-crop", crop, "+repage", "-format", "%k", "info:"],
                         capture_output=True, timeout=60)
    try:
        return int(out.stdout.decode().strip())
    except ValueError:
        return 0


def live_checks(c):
    """The live window follows the pointer, fills its panel and draws it."""
    c.start(c.opts.spy, "--pos", "520,20", "--pointer", "160,140")
    panel = None
    end = time.time() + WAIT
    while time.time() < end:
        at = c.spy_json("--at", "600,100")
        control = (at or {}).get("control") or {}
        if at and at["window"] and at["window"]["title"] == "Kestro Spy" and \
                "Spy Target A" in control.get("text", ""):
            panel = at
            break
        time.sleep(0.3)
    c.check("the live window shows the window under the pointer", panel is not None,
            repr(at))
    if panel is None:
        return
    text = panel["control"]["text"]
    c.check("the live window shows every field",
            all(word in text for word in ("KestroTarget", "wintarget.exe", "First, 50%",
                                          "Secret text", "Screen\t160, 140", "Relative",
                                          "Active", "finds this window")), repr(text))
    time.sleep(0.5)
    shot = os.path.join(c.workdir, "spy-live.png")
    subprocess.run(["import", "-window", "root", shot], capture_output=True, timeout=60)
    found = colours(shot, panel["control"]["rect"])
    c.check("the panel is drawn (not one plain colour)", found >= 3, "%d colours" % found)
    found = colours(shot, panel["window"]["rect"])
    c.check("the window is drawn", found >= 4, "%d colours" % found)
    if c.opts.shots:
        os.makedirs(c.opts.shots, exist_ok=True)
        shutil.copy(shot, os.path.join(c.opts.shots, "spy-live.png"))


def accessible_checks(c):
    """A window that tells its texts only through Active Accessibility: the spy lists
    them, marks the ones only DetectAccessibleText On matches, proposes the line pair
    that finds the window, and shows it live (a picture for the documentation)."""
    if not c.opts.a11ytarget:
        return
    c.start(c.opts.a11ytarget, "--window", "A11y Spy", "--place", "60,650")
    if c.wait_for("A11y Spy") is None:
        c.check("the accessible target opens", False, "no window A11y Spy")
        return
    at = c.spy_json("--at", "200,700")
    texts = [(t["text"], t["kind"], t["only_accessible"], t["visible"])
             for t in (at or {}).get("accessible", [])]
    c.check("--at lists the accessible names and values with their roles",
            ("Save changes", "push button", True, True) in texts and
            ("1234.50", "text value", True, True) in texts and
            ("Hidden note", "static text", True, False) in texts, repr(texts))
    c.check("--at proposes a line that needs DetectAccessibleText On, and it finds the window",
            at is not None and at["wait_line"] == "WinWait, A11y Spy, Save changes" and
            at["needs_accessible"] and at["wait_finds_this"], repr(at))
    code, lines = c.spy("--lines-at", "200,700")
    c.check("--lines-at copies the setting with the wait",
            code == 0 and lines is not None and
            lines.startswith("DetectAccessibleText, On\r\nWinWait, A11y Spy, Save changes\r\n"),
            repr(lines))
    c.start(c.opts.spy, "--pos", "520,20", "--pointer", "200,700")
    panel = None
    end = time.time() + WAIT
    while time.time() < end:
        seen = c.spy_json("--at", "600,100")
        control = (seen or {}).get("control") or {}
        if "only with DetectAccessibleText" in control.get("text", ""):
            panel = seen
            break
        time.sleep(0.3)
    text = panel["control"]["text"] if panel else ""
    c.check("the live window shows the accessible texts and the proposed pair",
            "Accessible" in text and "Save changes" in text and
            "DetectAccessibleText, On  +  WinWait, A11y Spy, Save changes" in text, repr(text))
    if panel and c.opts.shots:
        time.sleep(0.5)
        shot = os.path.join(c.workdir, "spy-accessible.png")
        subprocess.run(["import", "-window", "root", shot], capture_output=True, timeout=60)
        os.makedirs(c.opts.shots, exist_ok=True)
        shutil.copy(shot, os.path.join(c.opts.shots, "spy-accessible.png"))


def unicode_checks(c):
    """A Unicode window's title in the reports and lines, and a title named in UTF-8."""
    c.start(c.opts.inputrec, "--unicode", "--seconds", "60")
    # The spy reads titles as a UTF-8 script's matcher does: every character, the
    # Japanese ones included.
    title = "Kestro Input Target \u2013 \u00dcbersicht \u65e5\u672c\u8a9e"
    report = c.wait_for(title)
    c.check("--match takes a title in any language and reports it in UTF-8",
            report is not None and report["title"] == title and
            report["match"] == title, repr(report))
    point = c.spy_json("--at", "300,200")
    window = point and point["window"]
    c.check("--at reports the Unicode window's title in UTF-8",
            window is not None and window["title"] == title and
            window["class"] == "KestroInputTarget", repr(point))
    code, lines = c.spy("--lines-at=300,200")
    c.check("--lines-at writes the lines in UTF-8",
            code == 0 and lines is not None and lines.startswith("WinWait, " + title),
            repr(lines))


def command_line(c):
    """--help prints the usage and ends well; a misspelt option names the nearest one."""
    def run(*args):
        try:
            return subprocess.run([c.wine, c.opts.spy] + list(args), cwd=c.workdir,
                                  capture_output=True, timeout=WAIT * 2)
        except subprocess.TimeoutExpired:
            return None
    shown = run("--help")
    c.check("--help prints the usage and exits with 0",
            shown is not None and shown.returncode == 0 and
            shown.stdout.startswith(b"usage: kestro-spy"), repr(shown))
    typo = run("--at=300,200", "--hiden")
    c.check("an unknown option is refused with the nearest one named",
            typo is not None and typo.returncode == 2 and
            b"unknown option --hiden; did you mean --hidden?" in typo.stderr, repr(typo))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for name in ("spy", "wintarget", "runner", "packer", "inputrec"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--a11ytarget", default="",
                        help="a11ytarget.exe, for the accessible-text checks")
    parser.add_argument("--shots")
    parser.add_argument("--keep", action="store_true", help="keep the working directory")
    opts = parser.parse_args()
    for name in ("spy", "wintarget", "runner", "packer", "inputrec", "a11ytarget"):
        if getattr(opts, name):
            setattr(opts, name, os.path.abspath(getattr(opts, name)))
    workdir = tempfile.mkdtemp(prefix="kestro-spy.")
    c = Checks(opts, workdir)
    try:
        for group in (point_checks, order_checks, live_checks, unicode_checks, command_line,
                      accessible_checks):
            try:
                group(c)
            except Exception as e:  # one broken group must not hide the others' results
                c.check(group.__name__, False, "%s: %s" % (type(e).__name__, e))
    finally:
        c.stop_all()
        if not opts.keep:
            shutil.rmtree(workdir, ignore_errors=True)
    print("%d passed, %d failed" % (c.passed, c.failed))
    return 1 if c.failed else 0


if __name__ == "__main__":
    sys.exit(main())
