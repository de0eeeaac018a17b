#!/usr/bin/env python3
"""Prints "PASSED FAILED" from a CTest JUnit file. A test that did not run
counts as failed: a missing program or fixture must not pass silently."""
import sys
import xml.etree.ElementTree as ET

passed = failed = 0
for case in ET.parse(sys.argv[1]).getroot().iter("testcase"):
    if case.get("status") == "run":
        passed += 1
    elif case.get("status") != "disabled":
        failed += 1
print(passed, failed)
