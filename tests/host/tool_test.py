#!/usr/bin/env python3
"""tessarim-host.exe under Wine with the real tessarim.dll: what it prints
and its exit status for each kind of input, one table per class of fault.

Environment: TESSARIM_BIN (the build's bin/), WINEPREFIX, WINE_RUN."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.environ["WINE_RUN"]))
from wine_program import run, windows  # noqa: E402

BIN = os.environ["TESSARIM_BIN"]
PREFIX = os.environ["WINEPREFIX"]


LIBRARY = windows(os.path.join(BIN, "tessarim.dll"))
BOM = b"\xef\xbb\xbf"


def host(*args, stdin=b""):
    ran = run(PREFIX, os.path.join(BIN, "tessarim-host.exe"), *args, stdin=stdin)
    return ran.returncode, ran.stdout.splitlines(), ran.stderr.splitlines()


class Tool(unittest.TestCase):
    def check(self, cases):
        for what, args, stdin, status, stdout, error in cases:
            with self.subTest(what):
                code, out, err = host(*args, stdin=stdin)
                self.assertEqual(code, status, err)
                if stdout is not None:
                    self.assertEqual(out, stdout)
                if error is None:
                    self.assertEqual(err, [])
                else:
                    self.assertEqual(len(err), 1, err)
                    self.assertIn(error, err[0])

    def test_answers(self):
        self.check([
            ("calls as arguments", ["--library", LIBRARY, "SIN(1)", "POW(2,10)", "FACT(12)", "PI"], b"", 0,
             ["SIN(1) = 0.841470985", "POW(2,10) = 1024", "FACT(12) = 479001600", "PI = 3.14159265"], None),
            ("texts as written, omitted and quoted", ["--library", LIBRARY, "SIN( 1 )", "ATAN(1,)", "POW(2,)",
                                                      "SIN('1')"], b"", 0,
             ["SIN( 1 ) = 0.841470985", "ATAN(1,) = 0.785398163", "POW(2,) = 1", "SIN('1') = 0.841470985"], None),
            ("--digits", ["--digits", "3", "--library", LIBRARY, "SQRT(2)"], b"", 0, ["SQRT(2) = 1.41"], None),
            ("lines, settings and comments", ["--library", LIBRARY],
             b"# first\nPI\r\nNUMERIC DIGITS 17\n\n  SQRT(2)   # comment\nnumeric digits 2\nPOW(2,-3)", 0,
             ["PI = 3.14159265", "NUMERIC DIGITS 17", "SQRT(2) = 1.4142135623730951", "numeric digits 2",
              "POW(2,-3) = 0.13"], None),
            ("byte order mark opening standard input", ["--library", LIBRARY], BOM + b"PI\r\nSQRT(4)\r\n", 0,
             ["PI = 3.14159265", "SQRT(4) = 2"], None),
        ])
        with tempfile.NamedTemporaryFile(dir=BIN, suffix=".rexxcalls", delete=False) as f:
            f.write(BOM + b"NUMERIC DIGITS 3\r\nPI\r\n")
        try:
            self.check([("byte order mark opening a call file", ["--library", LIBRARY, "-f", windows(f.name)], b"",
                         0, ["NUMERIC DIGITS 3", "PI = 3.14"], None)])
        finally:
            os.unlink(f.name)

    def test_help(self):
        for flag in ["--help", "-h", "/?"]:
            with self.subTest(flag):
                code, out, err = host(flag, "NOPE(1)")
                self.assertEqual((code, err), (0, []))
                self.assertTrue(out[0].startswith("usage: tessarim-host "), out)
                self.assertIn("  -h, --help, /?  print this text", out)

    def test_errors(self):
        long_line = b"SIN(" + b"1" * 10000 + b")\n"
        self.check([
            ("unknown function", ["--library", LIBRARY, "SIN(1)", "NOPE(1)"], b"", 1, ["SIN(1) = 0.841470985"],
             "call 2: NOPE(1): unknown function NOPE"),
            ("too few arguments", ["--library", LIBRARY, "POW(2)"], b"", 1, [],
             "POW takes 2 arguments, not 1"),
            ("too many arguments", ["--library", LIBRARY], b"PI\nATAN(1,2,3)\n", 1, ["PI = 3.14159265"],
             "line 2: ATAN(1,2,3): ATAN takes 1 to 2 arguments, not 3"),
            ("arguments to PI", ["--library", LIBRARY, "PI(1)"], b"", 1, [], "PI takes 0 arguments, not 1"),
            ("handler's code", ["--library", LIBRARY, "FACT(x)"], b"", 1, [],
             "FACT(x): the handler returned code 40"),
            ("malformed line", ["--library", LIBRARY], b"SIN(1)\n'a'b\nPI\n", 2, ["SIN(1) = 0.841470985"],
             "line 2: malformed: a call starts with a function name"),
            ("text after a quote", ["--library", LIBRARY], b"F('a'b)\n", 2, [],
             "line 1: malformed: text after a closing quote"),
            ("malformed argument", ["--library", LIBRARY, "SIN((1))"], b"", 2, [], "call 1: SIN((1)): malformed: parenthesis"),
            ("NUL byte", ["--library", LIBRARY], b"SIN(1\x00)\n", 2, [], "line 1: malformed: control character"),
            ("Ctrl-Z is no end of input", ["--library", LIBRARY], b"PI\n\x1a\nPI\n", 2, ["PI = 3.14159265"],
             "line 2: malformed: control character"),
            ("line too long", ["--library", LIBRARY], b"PI\n" + long_line, 2, ["PI = 3.14159265"],
             "line 2: malformed: line too long"),
            ("line too long after a byte order mark", ["--library", LIBRARY], BOM + b"PI(" + b" " * 4093 + b")",
             2, [], "line 1: malformed: line too long"),
            ("byte order mark after line 1", ["--library", LIBRARY], b"PI\n" + BOM + b"PI\n", 2,
             ["PI = 3.14159265"], "line 2: malformed"),
            ("bad setting", ["--library", LIBRARY], b"NUMERIC DIGITS 100\n", 2, [], "line 1: malformed: NUMERIC"),
            ("bad --digits", ["--digits", "0", "--library", LIBRARY, "PI"], b"", 2, [], "--digits takes"),
            ("unknown option", ["--nope"], b"", 2, [], "unknown option --nope"),
        ])

    def test_libraries_that_cannot_serve(self):
        missing = windows(os.path.join(BIN, "no-such.dll"))
        self.check([
            ("missing file", ["--library", missing, "PI"], b"", 3, [], missing + ": does not load: "),
            ("no RexxFeedback", ["--library", windows(os.path.join(BIN, "quorvant.dll")), "PI"], b"", 3, [],
             "quorvant.dll: has no RexxFeedback: "),
        ])
        # The system's text about a file that is no program has an insert
        # for its name: the path stands there, not "%1".
        not_program = windows(os.path.join(BIN, os.pardir, "CMakeCache.txt"))
        code, out, err = host("--library", not_program, "PI")
        self.assertEqual((code, len(err)), (3, 1), err)
        self.assertNotIn("%", err[0])
        self.assertEqual(err[0].count(not_program), 2, err[0])

    def test_list_and_trace(self):
        code, out, err = host("--library", LIBRARY, "--list")
        self.assertEqual(code, 0, err)
        self.assertEqual(len(out), 25)
        self.assertIn("ATAN   1 2 tessarim", out)
        self.assertIn("PI     0 0 tessarim", out)
        self.assertIn("POW    2 2 tessarim", out)

        code, out, err = host("--trace", "--library", LIBRARY, "ATAN(1, )", "FACT(3)")
        self.assertEqual(code, 0, err)
        self.assertEqual(out[0], '  register library(0, "tessarim", name block, handler table, 0) -> 0')
        self.assertEqual(out[1:5], [
            # ATAN lets go of its first text before it fetches the second.
            '  fetch text(context, arguments, 1) -> "1"',
            '  release text("1") -> 0',
            '  fetch text(context, arguments, 2) -> ""',
            "  read setting(context, 4) -> 9",
        ])
        self.assertEqual(out[5], '  release text("") -> 0')
        self.assertRegex(out[6], r'^  set result\(context, "0\.785398163", 11, 0x10000000\) -> 0x5100[0-9A-F]{4}$')
        self.assertEqual(out[7], "ATAN(1, ) = 0.785398163")
        self.assertEqual(out[8], "  fetch number(context, arguments, 0x80000001, out) -> 1")
        self.assertRegex(out[9], r"^  set result\(context, null, 6, 0x80000000\) -> 0x5100[0-9A-F]{4}$")
        self.assertEqual(out[10], "FACT(3) = 6")


if __name__ == "__main__":
    unittest.main(verbosity=2)
