#!/usr/bin/env python3
"""Checks the release archives: their names, what they hold, the version everywhere,
and that the packer unpacked from the Linux archive finds its runner without flags.

  check_release.py --version V --zip kestro-V-win32.zip --tar kestro-V-linux.tar.gz
                   --runner build/windows/host/kestro.exe --unpack DIR

Prints one PASS or FAIL line per check and "N passed, N failed". The Linux archive is
left unpacked in DIR for the signing stage.
"""

import argparse
import io
import json
import os
import re
import shutil
import subprocess
import sys
import tarfile
import zipfile

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
MAX_RUNNER = 64 * 1024

# What every archive holds below its top folder, besides the programs.
SHARED = ["share/kestro/kestro.exe", "share/kestro/kestro-debug.exe", "share/kestro/README.md", "share/kestro/CHANGELOG.md",
          "share/kestro/docs/language.md", "share/kestro/docs/packer.md",
          "share/kestro/docs/signing.md", "share/kestro/examples/hello.kst",
          "share/kestro/examples/notepad.kst", "share/kestro/editors/kestro.tmLanguage.json"]

# Editor support is installed as users take it: nothing from the source tree's editors/ but
# the grammar and the packed extension.
EDITORS = "share/kestro/editors/"


def editor_sources(names, top, version):
    """Entries below share/kestro/editors/ that are neither the grammar nor the .vsix."""
    kept = ("%s/%s" % (top, EDITORS.rstrip("/")), "%s/%skestro.tmLanguage.json" % (top, EDITORS),
            "%s/%s" % (top, vsix_path(version)))
    return ", ".join(n for n in names if n.startswith(top + "/" + EDITORS.rstrip("/")) and n not in kept)


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, name, problem):
        """Records one check; `problem` is None or empty when it held."""
        if problem:
            self.failed += 1
            print("FAIL %s: %s" % (name, problem))
        else:
            self.passed += 1
            print("PASS %s" % name)
        sys.stdout.flush()


def version_resource(exe):
    """The FileVersion string of a program's version resource, or None."""
    data = open(exe, "rb").read()
    key = "FileVersion".encode("utf-16-le")
    at = data.find(key)
    if at < 0:
        return None
    at += len(key)
    while at < len(data) and data[at] == 0:  # the key's NUL and the padding to 4 bytes
        at += 1
    end = data.find(b"\0\0", at)
    while end >= 0 and (end - at) % 2:
        end = data.find(b"\0\0", end + 1)
    return data[at:end].decode("utf-16-le", "replace")


def vsix_path(version):
    return "share/kestro/editors/kestro-%s.vsix" % version


def expect_entries(names, top, wanted):
    """Problems: wanted entries that are missing below top/, and entries outside it."""
    problems = ["no %s" % w for w in wanted if "%s/%s" % (top, w) not in names]
    problems += ["%s lies outside %s/" % (n, top) for n in names if not n.startswith(top + "/")]
    return "; ".join(problems)


def vsix_problem(data, version):
    """What is wrong with a packed extension's bytes: its manifest's name and version (the
    release with three numbers), and the grammar and code it must carry."""
    semver = ".".join((version.split(".") + ["0", "0"])[:3])
    try:
        with zipfile.ZipFile(io.BytesIO(data)) as z:
            names = z.namelist()
            manifest = json.loads(z.read("extension/package.json").decode("utf-8"))
    except (zipfile.BadZipFile, KeyError, ValueError) as e:
        return "not a packed extension: %s" % e
    problems = ["no %s" % n for n in ("extension.vsixmanifest", "extension/extension.js",
                                       "extension/debugAdapter.js",
                                       "extension/node_modules/@vscode/debugadapter/package.json",
                                       "extension/syntaxes/kestro.tmLanguage.json")
                if n not in names]
    problems += ["it holds its tests: %s" % n for n in names if n.startswith("extension/test/")]
    if manifest.get("name") != "kestro" or manifest.get("version") != semver:
        problems.append("manifest says %s %s, expected kestro %s"
                        % (manifest.get("name"), manifest.get("version"), semver))
    return "; ".join(problems)


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, timeout=60, **kwargs)


def check_zip(checks, opts):
    name = "kestro-%s-win32.zip" % opts.version
    checks.check("the Windows archive is named " + name,
                 None if os.path.basename(opts.zip) == name else opts.zip)
    with zipfile.ZipFile(opts.zip) as z:
        names = [n.rstrip("/") for n in z.namelist()]
        top = name[:-len(".zip")]
        checks.check("the Windows archive holds the programs, docs and examples",
                     expect_entries(names, top, SHARED + [vsix_path(opts.version),
                                                          "bin/kestro-pack.exe",
                                                          "bin/kestro-spy.exe",
                                                          "bin/kestro-rec.exe"]))
        extra = [n for n in names if n.endswith(".exe") and not
                 n.endswith(("/bin/kestro-pack.exe", "/bin/kestro-spy.exe",
                             "/bin/kestro-rec.exe", "/share/kestro/kestro.exe",
                             "/share/kestro/kestro-debug.exe"))]
        checks.check("the Windows archive holds no test programs", ", ".join(extra))
        checks.check("the Windows archive's editor support is the grammar and the .vsix only",
                     editor_sources(names, top, opts.version))
        runner = z.read(top + "/share/kestro/kestro.exe")
        vsix = "%s/%s" % (top, vsix_path(opts.version))
        checks.check("the Windows archive's VS Code extension is version " + opts.version,
                     vsix_problem(z.read(vsix) if vsix in names else b"", opts.version))
    checks.check("the Windows archive's runner is the built kestro.exe",
                 None if runner == open(opts.runner, "rb").read() else "it differs")


def check_tar(checks, opts):
    name = "kestro-%s-linux.tar.gz" % opts.version
    checks.check("the Linux archive is named " + name,
                 None if os.path.basename(opts.tar) == name else opts.tar)
    top = name[:-len(".tar.gz")]
    with tarfile.open(opts.tar) as t:
        names = [n.rstrip("/") for n in t.getnames()]
        checks.check("the Linux archive holds the packer, the runner, docs and examples",
                     expect_entries(names, top, SHARED + ["bin/kestro-pack",
                                                          vsix_path(opts.version)]))
        checks.check("the Linux archive's editor support is the grammar and the .vsix only",
                     editor_sources(names, top, opts.version))
        runner = t.extractfile(top + "/share/kestro/kestro.exe").read()
        vsix = "%s/%s" % (top, vsix_path(opts.version))
        checks.check("the Linux archive's VS Code extension is version " + opts.version,
                     vsix_problem(t.extractfile(vsix).read() if vsix in names else b"",
                                  opts.version))
        checks.check("the Linux archive's runner is the built kestro.exe",
                     None if runner == open(opts.runner, "rb").read() else "it differs")
        shutil.rmtree(opts.unpack, ignore_errors=True)
        os.makedirs(opts.unpack)
        if hasattr(tarfile, "data_filter"):
            t.extractall(opts.unpack, filter="data")
        else:
            t.extractall(opts.unpack)
    return os.path.join(opts.unpack, top)


def check_versions(checks, opts, tree):
    changelog = open(os.path.join(REPO, "CHANGELOG.md")).read()
    first = re.search(r"^## (\S+)", changelog, re.M)
    checks.check("CHANGELOG.md starts with the release",
                 None if first and first.group(1) == opts.version else
                 "first release heading is %s" % (first.group(1) if first else "missing"))
    out = run([os.path.join(tree, "bin", "kestro-pack"), "--version"]).stdout.strip()
    checks.check("kestro-pack --version shows the release",
                 None if out == "kestro-pack " + opts.version else repr(out))
    shown = version_resource(opts.runner)
    checks.check("kestro.exe's version resource shows the release",
                 None if shown == opts.version else repr(shown))
    size = os.path.getsize(opts.runner)
    checks.check("kestro.exe is at most 64 KB (%d bytes)" % size,
                 None if size <= MAX_RUNNER else "%d bytes" % size)


def check_packer(checks, tree):
    """The unpacked packer builds with no flags; alone, it says where it looked."""
    packer = os.path.join(tree, "bin", "kestro-pack")
    runner = os.path.join(tree, "share", "kestro", "kestro.exe")
    script = os.path.join(tree, "share", "kestro", "examples", "hello.kst")
    out = os.path.join(os.path.dirname(tree), "hello.exe")
    built = run([packer, "build", script, "-o", out])
    problem = None
    if built.returncode != 0:
        problem = "exit %d: %s" % (built.returncode, built.stderr.strip())
    elif not open(out, "rb").read().startswith(open(runner, "rb").read()):
        problem = "the program does not start with share/kestro/kestro.exe"
    elif "carries a Kestro script" not in run([packer, "info", out]).stdout:
        problem = "info finds no script in it"
    checks.check("the unpacked packer builds a program without --runner", problem)

    alone = os.path.join(os.path.dirname(tree), "alone")
    os.makedirs(alone, exist_ok=True)
    shutil.copy2(packer, alone)
    lost = run([os.path.join(alone, "kestro-pack"), "build", script, "-o",
                os.path.join(alone, "hello.exe")])
    wanted = [os.path.join(alone, "kestro.exe"),
              os.path.join(alone, "../share/kestro/kestro.exe"), "--runner"]
    missing = [w for w in wanted if w not in lost.stderr]
    problem = None
    if lost.returncode != 1 or missing:
        problem = "exit %d, message lacks %s: %s" % (lost.returncode, missing, lost.stderr)
    elif os.path.exists(os.path.join(alone, "hello.exe")):
        problem = "it wrote a program anyway"
    checks.check("a packer without a runner names where it looked and what to do", problem)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for name in ("--version", "--zip", "--tar", "--runner", "--unpack"):
        parser.add_argument(name, required=True)
    opts = parser.parse_args()
    checks = Checks()
    check_zip(checks, opts)
    tree = check_tar(checks, opts)
    check_versions(checks, opts, tree)
    check_packer(checks, tree)
    print("%d passed, %d failed" % (checks.passed, checks.failed))
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())
