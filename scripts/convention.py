#!/usr/bin/env python3
"""The rules of the C++ convention (CONTRIBUTING.md) that clang-tidy 14
cannot check: a header is guarded by `#pragma once` and nothing else, and
whatever one file keeps to itself sits in an anonymous namespace, not
behind `static`. Prints one line per finding; exits 1 if there is any.

Usage: convention.py FILE..."""
import re
import sys

GUARD = re.compile(r"^#\s*(ifndef|define)\s+\w+_H\w*\s*$", re.M)
# `static` at namespace scope starts a line; in a function or a struct it is
# indented. static_assert and static_cast are no storage class.
NAMESPACE_STATIC = re.compile(r"^static\s", re.M)


def findings(path, text):
    if path.endswith(".h"):
        if not re.search(r"^#pragma once$", text, re.M):
            yield "a header without #pragma once"
        for guard in GUARD.finditer(text):
            yield "line %d: an include guard; #pragma once is the guard" % (text.count("\n", 0, guard.start()) + 1)
    for static in NAMESPACE_STATIC.finditer(text):
        yield "line %d: file-local code behind static; it belongs in an anonymous namespace" % (
            text.count("\n", 0, static.start()) + 1)


def main(paths):
    found = 0
    for path in paths:
        with open(path, encoding="utf-8") as f:
            text = f.read()
        for finding in findings(path, text):
            print("%s: %s" % (path, finding))
            found += 1
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
