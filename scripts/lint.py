#!/usr/bin/env python3
"""Checks the C++ convention of CONTRIBUTING.md over library/, uninstaller/,
host/, contract/ and the test helpers (every file under tests/ but the tests
and the fuzz targets): clang-tidy with the tree's .clang-tidy, once per
build that compiles a file (the native one and the Windows one, whose
compile databases CMake writes), then scripts/convention.py for what
clang-tidy cannot see. Prints every finding; exits 1 if there is any.

Usage: lint.py [BUILD...]   (default: build/native build/mingw32, configured)"""
import concurrent.futures
import json
import os
import re
import shlex
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FOLDERS = ("library/", "uninstaller/", "host/", "contract/")
# gcc's options that Debian's clang refuses; they change code, not meaning.
REFUSED = {"-fno-tree-loop-distribute-patterns"}
# The compilers' own warnings are the builds' to fail on; clang's differ.
DROPPED = REFUSED | {"-Werror"}
# Functions and variables with external linkage but no declaration before
# them belong in an anonymous namespace: clang's warnings tell. An
# extern "C" function is an entry point that another party calls by name
# (DllMain, exports, the uninstaller's start): it has no such declaration.
EXTRA = ["-Wmissing-prototypes", "-Wmissing-variable-declarations"]
ENTRY_POINT = re.compile(r'^(.*?):(\d+):\d+: \w+: no previous prototype for function')


# Findings in headers count where a header of these folders is included.
HEADER_FILTER = ROOT + "/(" + "|".join(name.rstrip("/") for name in FOLDERS) + "|tests)/"


def in_scope(path):
    return path.startswith(FOLDERS) or (path.startswith("tests/") and not re.search(r"_(test|fuzz)\.cpp$", path))


def tracked():
    out = subprocess.run(["git", "ls-files", "*.cpp", "*.h"], cwd=ROOT, capture_output=True, text=True, check=True)
    return [path for path in out.stdout.split() if in_scope(path)]


def database(build, folder):
    """The build's entries for files in scope, once each, without the
    options clang refuses, written to FOLDER; returns the files and, for a
    cross build, the target and the C++ headers to give clang."""
    with open(os.path.join(build, "compile_commands.json")) as f:
        entries = json.load(f)
    kept, files, target = [], [], None
    for entry in entries:
        path = os.path.relpath(entry["file"], ROOT)
        if not path.endswith(".cpp") or not in_scope(path) or path in files:
            continue
        words = [word for word in shlex.split(entry["command"]) if word not in DROPPED]
        # The cross compiler's name says the target; clang must be told.
        found = re.match(r"(.*/)?(i686-w64-mingw32)-", words[0])
        if found and not target:
            target = [found.group(2)] + cxx_headers(words[0])
        kept.append(dict(entry, command=shlex.join(words)))
        files.append(path)
    with open(os.path.join(folder, "compile_commands.json"), "w") as f:
        json.dump(kept, f)
    return files, target


def cxx_headers(compiler):
    """The C++ library headers' folders of the compiler, which clang does
    not find for the cross compiler by itself."""
    out = subprocess.run([compiler, "-xc++", "-E", "-v", os.devnull], capture_output=True, text=True)
    listed = out.stderr.split("#include <...> search starts here:")[-1].split("End of search list.")[0]
    return [folder for folder in listed.split() if "/c++" in folder]


def tidy(folder, target, path):
    command = ["clang-tidy", "--quiet", "-p", folder, "--header-filter=" + HEADER_FILTER]
    if target:
        extra = EXTRA + ["--target=" + target[0]] + ["-isystem" + headers for headers in target[1:]]
    else:
        extra = EXTRA
    command += ["--extra-arg=" + arg for arg in extra]
    out = subprocess.run(command + [os.path.join(ROOT, path)], capture_output=True, text=True)
    lines, dropping = [], False
    for part in re.split(r"\n(?=\S+:\d+:\d+: )", out.stdout.strip()):
        if not re.match(r"\S+:\d+:\d+: note: ", part):
            dropping = is_entry_point(part)
        if part and not dropping:
            lines.append(part)
    # Findings fail the run (clang-tidy's status would count the entry
    # points too), and so does a run that failed without saying where.
    if out.returncode != 0 and not out.stdout.strip():
        return 1, ["%s: clang-tidy failed: %s" % (path, out.stderr.strip())]
    return (1 if any(re.match(r"\S+:\d+:\d+: (warning|error): ", line) for line in lines) else 0), lines


def is_entry_point(finding):
    found = ENTRY_POINT.match(finding)
    if not found:
        return False
    with open(found.group(1)) as f:
        line = f.read().split("\n")[int(found.group(2)) - 1]
    return 'extern "C"' in line


def main(builds):
    builds = builds or [os.path.join(ROOT, "build", name) for name in ("native", "mingw32")]
    failed = False
    with tempfile.TemporaryDirectory() as work, concurrent.futures.ThreadPoolExecutor(2) as pool:
        runs = []
        for number, build in enumerate(builds):
            folder = os.path.join(work, str(number))
            os.mkdir(folder)
            files, target = database(build, folder)
            runs += [(path, pool.submit(tidy, folder, target, path)) for path in files]
        seen = set()
        for path, run in runs:
            status, lines = run.result()
            for line in lines:
                if line not in seen:
                    seen.add(line)
                    print(line)
            failed |= status != 0
    convention = subprocess.run([sys.executable, os.path.join(ROOT, "scripts", "convention.py")] + tracked(), cwd=ROOT)
    return 1 if failed or convention.returncode != 0 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
