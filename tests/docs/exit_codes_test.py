#!/usr/bin/env python3
"""README.md's table of the installer's exit codes lists the codes and
meanings that the contract's generator gives the installer, no more, no
fewer.  Usage: exit_codes_test.py README.md contract/make_contract.py"""
import importlib.util
import re
import sys

readme, generator = sys.argv[1:]
spec = importlib.util.spec_from_file_location("make_contract", generator)
contract = importlib.util.module_from_spec(spec)
spec.loader.exec_module(contract)
table = open(readme, encoding="utf-8").read().split("Exit codes", 1)[1].split("\n\n")[1]
documented = [(int(code), meaning) for code, meaning in re.findall(r"^\| (\d+) \| (.+) \|$", table, re.M)]
generated = [(code, meaning) for _, code, meaning in contract.EXIT_CODES]
if documented != generated:
    print("README.md says %s\nthe generator says %s" % (documented, generated))
    sys.exit(1)
print("README.md lists the installer's %d exit codes as generated" % len(generated))
