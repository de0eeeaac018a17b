#!/usr/bin/env python3
"""Writes docs/functions.md, the reference of the 25 functions. Its words
are here; every example line and every argument bound in it comes from the
real tessarim.dll, run through tessarim-host under Wine.

  scripts/functions_reference.py [--build build/mingw32] [--check]

--check writes nothing and fails, showing the difference, when the page
in the tree is not what the library answers now."""
import argparse
import difflib
import os
import sys
import tempfile

from wine_program import run, windows  # the scripts/ folder is on sys.path

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PAGE = os.path.join(ROOT, "docs", "functions.md")

# Every example runs at NUMERIC DIGITS 9 unless a "NUMERIC DIGITS n" line
# comes first. Arguments are ordinary, so that the texts are the same on
# every processor and runtime: no huge angles, no last-digit cases.
FUNCTIONS = [
    ("ACOS", "ACOS(x)", "The arc cosine of x, in radians from 0 to π.",
     "−1 ≤ x ≤ 1. Outside it the result is not a number.",
     ["ACOS(0.5)", "ACOS(-1)", "ACOS(0)"], ["ACOS(1)", "ACOS(2)"]),
    ("ACOSH", "ACOSH(x)", "The inverse hyperbolic cosine, ln(x + √(x² − 1)), computed in extended precision, so "
     "that x² does not overflow for any number and no digits are lost near 1: within one unit in the last place "
     "of the result double.",
     "x ≥ 1. Below 1 the square root has no real value.",
     ["ACOSH(2)", "ACOSH(10)", "ACOSH(1e200)"], ["ACOSH(1)", "ACOSH(0.5)"]),
    ("ASIN", "ASIN(x)", "The arc sine of x, in radians from −π/2 to π/2.",
     "−1 ≤ x ≤ 1. Outside it the result is not a number.",
     ["ASIN(0.5)", "ASIN(1)"], ["ASIN(-0)", "ASIN(1.5)"]),
    ("ASINH", "ASINH(x)", "The inverse hyperbolic sine, ln(x + √(x² + 1)), with ASINH(−x) exactly −ASINH(x): "
     "within one unit in the last place of the result double, for the tiniest x too.",
     "Every number.",
     ["ASINH(1)", "ASINH(-0.5)", "ASINH(1000)"], ["ASINH(0)"]),
    ("ATAN", "ATAN(y[, x])", "The angle of the point (x, y) in radians, from −π to π: the arc tangent of y / x "
     "placed in the point's quadrant. With one argument, or an empty second one, x is 1 and the result is the "
     "plain arc tangent of y, from −π/2 to π/2.",
     "Every pair of numbers; ATAN(0, 0) is 0.",
     ["ATAN(1)", "ATAN(1, -1)", "ATAN(1, 0)"], ["ATAN(1,)", "ATAN(0, -1)", "ATAN(-0, -1)", "ATAN(0, 0)"]),
    ("ATANH", "ATANH(x)", "The inverse hyperbolic tangent, ½ ln((1 + x) / (1 − x)): within one unit in the last "
     "place of the result double, near 0 and near ±1 too.",
     "−1 < x < 1; ±1 give infinities, beyond them the result is not a number.",
     ["ATANH(0.5)", "ATANH(-0.9)"], ["ATANH(1)", "ATANH(-1)", "ATANH(2)"]),
    ("CEIL", "CEIL(x)", "The smallest whole number not below x.",
     "Every number; infinities come back unchanged.",
     ["CEIL(2.1)", "CEIL(-2.5)"], ["CEIL(-0.5)", "CEIL(1e999)"]),
    ("COS", "COS(x)", "The cosine of x, x in radians.",
     "Every finite number; an infinity gives no number.",
     ["COS(1)", "COS(0)", "COS(3)"], ["COS(-0)", "COS(1e999)"]),
    ("COSH", "COSH(x)", "The hyperbolic cosine of x.",
     "Every number; beyond about ±710 the result overflows to infinity.",
     ["COSH(1)", "COSH(-2)"], ["COSH(0)", "COSH(1000)"]),
    ("COTAN", "COTAN(x)", "The cotangent of x, cos x / sin x, x in radians.",
     "Every finite number but the multiples of π, where the result is infinite (exactly so only at 0).",
     ["COTAN(1)", "COTAN(0.5)"], ["COTAN(0)", "COTAN(-0)"]),
    ("CSC", "CSC(x)", "The cosecant of x, 1 / sin x, x in radians.",
     "Every finite number but the multiples of π.",
     ["CSC(1)", "CSC(-2)"], ["CSC(0)", "CSC(-0)", "CSC(1e999)"]),
    ("EXP", "EXP(x)", "e to the power x, within one unit in the last place of the result double over the whole "
     "range, the results below 2.2e−308 included.",
     "Every number; beyond about 709.78 the result is infinite, below about −745.13 it is 0.",
     ["EXP(1)", "EXP(-1)", "EXP(100)"], ["EXP(0)", "EXP(1000)", "EXP(-1000)"]),
    ("FACT", "FACT(n)", "n! = 1 × 2 × … × n. Up to 12! = 479001600 the exact whole number, which the interpreter "
     "writes itself; from 13 to 170, n! rounded to a double and written like every other result; from 171 on, "
     "where n! exceeds the double range, infinity.",
     "n a whole number from 0 to 4294967295, as the interpreter reads it; anything else is refused by the "
     "interpreter with its own error code.",
     ["FACT(5)", "FACT(10)", "FACT(12)"], ["FACT(0)", "FACT(13)", "FACT(170)", "FACT(171)"]),
    ("FLOOR", "FLOOR(x)", "The largest whole number not above x.",
     "Every number; infinities come back unchanged.",
     ["FLOOR(2.9)", "FLOOR(-2.5)"], ["FLOOR(-0.5)", "FLOOR(-1e999)"]),
    ("LOG", "LOG(x)", "The natural logarithm of x.",
     "x > 0; 0 gives minus infinity, a negative x no number.",
     ["LOG(10)", "LOG(2)", "LOG(0.5)"], ["LOG(1)", "LOG(0)", "LOG(-1)"]),
    ("LOG10", "LOG10(x)", "The decimal logarithm of x.",
     "x > 0; 0 gives minus infinity, a negative x no number.",
     ["LOG10(2)", "LOG10(1000)", "LOG10(0.01)"], ["LOG10(0)", "LOG10(-10)"]),
    ("PI", "PI", "π cut (not rounded) to NUMERIC DIGITS significant digits, the point counted as a character: a "
     "prefix of the stored text 3.141592653589793238462643383279502884197169399375.",
     "No arguments. From NUMERIC DIGITS 50 on, the whole 50-character text.",
     ["PI", "NUMERIC DIGITS 5", "PI", "NUMERIC DIGITS 30", "PI"], ["NUMERIC DIGITS 1", "PI"]),
    ("POW", "POW(x, y)", "x to the power y.",
     "x ≥ 0 for every y; a negative x only with a whole y. An empty second argument counts as 0.",
     ["POW(2, 10)", "POW(2, 0.5)", "POW(-2, 3)"],
     ["POW(2,)", "POW(0, -1)", "POW(-8, 0.5)", "POW(1, 1e999)", "NUMERIC DIGITS 2", "POW(2, -3)"]),
    ("ROUND", "ROUND(x)", "x rounded to a whole number, halves upwards: the largest whole number not above x + ½.",
     "Every number.",
     ["ROUND(2.5)", "ROUND(-2.5)", "ROUND(3.49)"], ["ROUND(-0.5)"]),
    ("SEC", "SEC(x)", "The secant of x, 1 / cos x, x in radians.",
     "Every finite number.",
     ["SEC(1)", "SEC(3)"], ["SEC(0)", "SEC(1e999)"]),
    ("SIN", "SIN(x)", "The sine of x, x in radians.",
     "Every finite number; an infinity gives no number.",
     ["SIN(1)", "SIN(0.5)", "SIN(-3)"], ["SIN(-0)", "SIN(1e999)"]),
    ("SINH", "SINH(x)", "The hyperbolic sine of x.",
     "Every number; beyond about ±710 the result overflows to an infinity of x's sign.",
     ["SINH(1)", "SINH(-2)"], ["SINH(1000)", "SINH(-1000)"]),
    ("SQRT", "SQRT(x)", "The square root of x.",
     "x ≥ 0; a negative x gives no number.",
     ["SQRT(2)", "SQRT(1e-10)", "SQRT(144)"], ["SQRT(-0)", "SQRT(-1)", "SQRT(1e999)"]),
    ("TAN", "TAN(x)", "The tangent of x, x in radians.",
     "Every finite number.",
     ["TAN(1)", "TAN(-0.5)"], ["TAN(0)", "TAN(1e999)"]),
    ("TANH", "TANH(x)", "The hyperbolic tangent of x, from −1 to 1.",
     "Every number.",
     ["TANH(0.5)", "TANH(-1)"], ["TANH(1000)", "TANH(-1e999)"]),
]

# The summary table's words.
SHORT = {
    "ACOS": "arc cosine", "ACOSH": "inverse hyperbolic cosine", "ASIN": "arc sine",
    "ASINH": "inverse hyperbolic sine", "ATAN": "arc tangent, or the angle of a point", "ATANH": "inverse hyperbolic tangent",
    "CEIL": "next whole number up", "COS": "cosine", "COSH": "hyperbolic cosine", "COTAN": "cotangent",
    "CSC": "cosecant", "EXP": "e to a power", "FACT": "factorial", "FLOOR": "next whole number down",
    "LOG": "natural logarithm", "LOG10": "decimal logarithm", "PI": "π", "POW": "a power",
    "ROUND": "nearest whole number, halves up", "SEC": "secant", "SIN": "sine", "SINH": "hyperbolic sine",
    "SQRT": "square root", "TAN": "tangent", "TANH": "hyperbolic tangent",
}

DIGITS_EXAMPLES = ["NUMERIC DIGITS 1", "SQRT(2)", "NUMERIC DIGITS 3", "SQRT(2)", "EXP(100)", "NUMERIC DIGITS 9",
                   "SQRT(2)", "SQRT(1e-10)", "CEIL(1e9)", "NUMERIC DIGITS 17", "SQRT(2)", "NUMERIC DIGITS 25",
                   "FLOOR(123456789012345678901)"]
TEXT_EXAMPLES = ["SIN(1)", "SIN( 1 )", "SIN(1d0)", "SIN(1e0xyz)", "SIN(abc)", "SIN(- 1)", "COS(abc)", "SIN('')",
                 "EXP(1e999)"]

INTRODUCTION = """\
# The functions of tessarim.dll

Loaded into the interpreter, tessarim.dll gives a script 25 functions.
Each takes its arguments as the texts the script hands over, converts them
to 64-bit floating point, computes, and answers with a number text of at
most NUMERIC DIGITS significant digits. FACT and PI are the exceptions, as
their sections say. No function checks its argument's domain: a value
outside it gives the text of whatever IEEE 754 arithmetic yields, and the
call succeeds. Angles are in radians.

Every example below is an answer of the real library, run through
`tessarim-host` (a call on the left, its answer on the right of `=`) by
`scripts/functions_reference.py`, which writes this page; a test fails when
the page and the library disagree.

## Argument texts

An argument is read as a number from its start: blanks and control
characters before it are skipped, `.` is the only decimal point, `e`, `E`,
`d` and `D` start an exponent, and whatever follows the number is ignored.
A text with no number at its start counts as 0, and beyond the double
range a number becomes an infinity of its sign.

```
{text_examples}
```

## How NUMERIC DIGITS shapes a result

The result has at most NUMERIC DIGITS significant digits, never more than
17 (further places are 0), rounded half up. A result whose decimal
exponent is below −4, or not below NUMERIC DIGITS, is written with an
exponent: a sign and exactly three digits. Trailing zeros of a fraction,
and a point left alone, are dropped; negative zero is written `0`.

```
{digits_examples}
```

Results that are no finite number are written the same at any setting:
`1.#INF` (plus infinity), `-1.#INF` (minus infinity) and `-1.#IND` (not a
number).

## The functions

| Call | Arguments | Result |
|---|---|---|
{summary}
"""

SECTION = """\
## {name}

`{call}`: {computes}

- Arguments: {bounds}.
- Domain: {domain}
- Result text: {digits}

```
{examples}
```

At the edges:

```
{edges}
```
"""


def bounds_text(minimum, maximum):
    if minimum == maximum:
        return "none" if minimum == 0 else "exactly %d" % minimum
    return "%d to %d" % (minimum, maximum)


def digits_text(name):
    if name == "FACT":
        return ("up to 12, a whole number written by the interpreter, whatever NUMERIC DIGITS says; from 13 on, "
                "at most NUMERIC DIGITS significant digits.")
    if name == "PI":
        return "NUMERIC DIGITS + 1 characters of π, cut, not rounded."
    return "at most NUMERIC DIGITS significant digits, as described above."


def run_library(build, lines):
    """Answers of the library: the directory from --list and one output
    line per input line."""
    with tempfile.NamedTemporaryFile("w", suffix=".rexxcalls", delete=False) as f:
        f.write("\n".join(lines) + "\n")
        calls = f.name
    try:
        ran = run(os.path.join(build, "wineprefix"), os.path.join(build, "bin", "tessarim-host.exe"), "--list",
                  "--library", windows(os.path.join(build, "bin", "tessarim.dll")), "-f", windows(calls),
                  timeout=300)
    finally:
        os.unlink(calls)
    if ran.returncode != 0:
        sys.exit("tessarim-host failed (%d): %s" % (ran.returncode, ran.stderr.strip()))
    out = [line.rstrip("\r") for line in ran.stdout.splitlines()]
    directory = {}
    for line in out[:25]:
        name, minimum, maximum = line.split()[:3]
        directory[name] = (int(minimum), int(maximum))
    answers = out[25:]
    if len(answers) != len(lines):
        sys.exit("expected %d answers, got %d" % (len(lines), len(answers)))
    return directory, answers


def make_page(build):
    # One run of the library for the whole page: each group starts at the
    # default setting, and each input line gives one output line.
    groups = [TEXT_EXAMPLES, DIGITS_EXAMPLES]
    for _, _, _, _, examples, edges in FUNCTIONS:
        groups += [examples, edges]
    lines = []
    for group in groups:
        lines += ["NUMERIC DIGITS 9"] + group
    directory, answers = run_library(build, lines)
    blocks = []
    at = 0
    for group in groups:
        blocks.append("\n".join(answers[at + 1:at + 1 + len(group)]))
        at += 1 + len(group)

    if sorted(directory) != sorted(f[0] for f in FUNCTIONS):
        sys.exit("the library's directory is not the one described here: %s" % sorted(directory))
    summary = "\n".join("| [`%s`](#%s) | %s | %s |" % (call, name.lower(), bounds_text(*directory[name]), SHORT[name])
                        for name, call, _, _, _, _ in FUNCTIONS)
    page = INTRODUCTION.format(text_examples=blocks[0], digits_examples=blocks[1], summary=summary)
    for i, (name, call, computes, domain, _, _) in enumerate(FUNCTIONS):
        page += "\n" + SECTION.format(name=name, call=call, computes=computes, domain=domain,
                                      bounds=bounds_text(*directory[name]), digits=digits_text(name),
                                      examples=blocks[2 + 2 * i], edges=blocks[3 + 2 * i])
    return page


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "mingw32"))
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()
    page = make_page(args.build)
    if args.check:
        with open(PAGE, encoding="utf-8") as f:
            committed = f.read()
        if committed != page:
            sys.stdout.writelines(difflib.unified_diff(committed.splitlines(True), page.splitlines(True),
                                                       "docs/functions.md", "what the library answers"))
            sys.exit("docs/functions.md differs from what the library answers: run scripts/functions_reference.py")
        print("docs/functions.md matches the library")
        return
    with open(PAGE, "w", encoding="utf-8") as f:
        f.write(page)
    print("wrote", PAGE)


if __name__ == "__main__":
    main()
