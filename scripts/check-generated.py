#!/usr/bin/env python3
"""Runs a generator and fails when its output differs from the committed
file.  Usage: check-generated.py COMMITTED -- COMMAND [ARGS...]"""
import difflib
import subprocess
import sys

committed, separator, command = sys.argv[1], sys.argv[2], sys.argv[3:]
assert separator == "--" and command, __doc__
fresh = subprocess.run(command, check=True, capture_output=True, text=True).stdout
with open(committed, encoding="utf-8") as f:
    current = f.read()
if fresh != current:
    sys.stdout.writelines(list(difflib.unified_diff(
        current.splitlines(True), fresh.splitlines(True), committed, "generator output"))[:40])
    print(f"{committed} is out of date: regenerate it with {' '.join(command)}")
    sys.exit(1)
print(f"{committed} matches its generator")
