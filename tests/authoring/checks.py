"""What the authoring tools' end-to-end checks share: Wine paths, reading result files,
and a list of checks that counts PASS and FAIL lines and stops the programs it started."""

import os
import subprocess
import sys

# KESTRO_TIME_SCALE multiplies the checks' waits, for slow machines such as an emulated guest.
TIME_SCALE = float(os.environ.get("KESTRO_TIME_SCALE") or 1)


def windows_path(path):
    """Wine maps the Linux root to drive Z:."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def read(path):
    """A file's text (bytes as Latin-1), or None when it does not exist."""
    if not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        return f.read().decode("latin-1")


class CheckList:
    def __init__(self, label, opts, workdir):
        self.label = label
        self.opts = opts
        self.wine = os.environ.get("KESTRO_WINE", "wine")
        self.workdir = workdir
        self.passed = self.failed = 0
        self.procs = []

    def check(self, name, ok, detail=""):
        if ok:
            self.passed += 1
            print("PASS %s: %s" % (self.label, name))
        else:
            self.failed += 1
            print("FAIL %s: %s%s" % (self.label, name, ": " + detail if detail else ""))
        sys.stdout.flush()

    def spawn(self, folder, exe, *args):
        """Starts a Windows program in folder, its output logged there; stopped by stop_all."""
        log = open(os.path.join(folder, "spawn%d.log" % len(self.procs)), "wb")
        proc = subprocess.Popen([self.wine, exe] + list(args), cwd=folder, stdout=log,
                                stderr=subprocess.STDOUT)
        self.procs.append(proc)
        return proc

    def stop_all(self):
        for proc in self.procs:
            if proc.poll() is None:
                proc.kill()
            proc.wait()
