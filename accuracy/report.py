#!/usr/bin/env python3
"""Writes docs/accuracy.md from the lines of the measuring program.

    report.py NATIVE.tsv WINE.tsv|- "processor" "C library" "Wine" > docs/accuracy.md

Each line: FUNCTION SWEEP x y result library, doubles as 16 hex digits of
their bits. The true values come from mpmath at a precision past every
cancellation; errors are in units of the last place (ulps) of the true
value: |result - true| / 2^(floor(log2 |true|) - 52), subnormals counted
in units of 2^-1074.
"""
import math
import struct
import sys
from decimal import Decimal, ROUND_HALF_UP

import mpmath

sys.dont_write_bytecode = True

DBL_MAX_EDGE = mpmath.mpf(2) ** 1024 * (1 - mpmath.mpf(2) ** -54)  # rounds to infinity from here
RUNTIME = ['ACOS', 'ASIN', 'COSH', 'SINH', 'TANH', 'POW', 'CEIL', 'FLOOR']
ORDER = ['ACOS', 'ACOSH', 'ASIN', 'ASINH', 'ATAN', 'ATANH', 'CEIL', 'COS', 'COSH', 'COTAN', 'CSC', 'EXP',
         'FACT', 'FLOOR', 'LOG', 'LOG10', 'PI', 'POW', 'ROUND', 'SEC', 'SIN', 'SINH', 'SQRT', 'TAN', 'TANH']
PI_TEXT = '3.141592653589793238462643383279502884197169399375'


def double(hexbits):
    return None if hexbits == '-' else struct.unpack('<d', struct.pack('<Q', int(hexbits, 16)))[0]


_trig_cache = {}


def sin_cos(x):
    if x not in _trig_cache:
        with mpmath.workprec(max(0, math.frexp(x)[1]) + 160):
            X = mpmath.mpf(x)
            _trig_cache[x] = (+mpmath.sin(X), +mpmath.cos(X))
    return _trig_cache[x]


def true_value(function, x, y):
    if function in ('SIN', 'COS', 'TAN', 'COTAN', 'CSC', 'SEC'):
        s, c = sin_cos(x)
        with mpmath.workprec(160):
            return {'SIN': s, 'COS': c, 'TAN': s / c, 'COTAN': c / s, 'CSC': 1 / s, 'SEC': 1 / c}[function]
    with mpmath.workprec(200):
        X = mpmath.mpf(x)
        if function == 'ATAN':
            return mpmath.atan(X) if y is None else mpmath.atan2(X, mpmath.mpf(y))
        if function == 'POW':
            return mpmath.power(X, mpmath.mpf(y))
        if function in ('CEIL', 'FLOOR', 'ROUND'):
            return {'CEIL': mpmath.ceil, 'FLOOR': mpmath.floor,
                    'ROUND': lambda v: mpmath.floor(v + mpmath.mpf(0.5))}[function](X)
        if function == 'FACT':
            return mpmath.mpf(math.factorial(int(x)))
        return {'EXP': mpmath.exp, 'LOG': mpmath.log, 'LOG10': mpmath.log10, 'SQRT': mpmath.sqrt,
                'ACOS': mpmath.acos, 'ASIN': mpmath.asin, 'ACOSH': mpmath.acosh, 'ASINH': mpmath.asinh,
                'ATANH': mpmath.atanh, 'COSH': mpmath.cosh, 'SINH': mpmath.sinh, 'TANH': mpmath.tanh}[function](X)


def ulp_error(v, t):
    """|v - t| in ulps of t; 0 for an infinity where t is beyond the doubles."""
    if v is None:
        return None
    if abs(t) >= DBL_MAX_EDGE:
        return 0.0 if math.isinf(v) and (v > 0) == (t > 0) else math.inf
    if math.isnan(v) or math.isinf(v):
        return math.inf
    if t == 0:
        return 0.0 if v == 0 else math.inf
    exponent = max(int(mpmath.frexp(t)[1]) - 1, -1022)
    with mpmath.workprec(200):
        return float(abs(mpmath.mpf(v) - t) / mpmath.ldexp(1, exponent - 52))


def text17(value):
    """The number-text rules at 17 digits, for a double or an mpf."""
    if isinstance(value, float) and math.isinf(value):
        return '1.#INF' if value > 0 else '-1.#INF'
    d = Decimal(value) if isinstance(value, float) else Decimal(mpmath.nstr(value, 40, strip_zeros=False))
    if d == 0:
        return '0'
    sign = '-' if d < 0 else ''
    d = abs(d)
    x = d.adjusted()
    digits = d.scaleb(16 - x).quantize(Decimal(1), rounding=ROUND_HALF_UP)
    if digits == 10 ** 17:
        digits, x = Decimal(10 ** 16), x + 1
    s = str(int(digits)).rstrip('0') or '0'
    if x < -4 or x >= 17:
        body = s[0] + ('.' + s[1:] if len(s) > 1 else '')
        return '%s%se%s%03d' % (sign, body, '-' if x < 0 else '+', abs(x))
    if x < 0:
        return sign + '0.' + '0' * (-x - 1) + s
    whole = (s + '0' * 17)[:x + 1]
    frac = s[x + 1:]
    return sign + whole + ('.' + frac if frac else '')


def short(v):
    return repr(v)


def measure(path):
    """{function: {sweep: [count, (err, x, y), (lib err, x, y) or None, correctly rounded]}},
    sweep order kept."""
    results = {}
    with open(path) as f:
        for line in f:
            function, sweep, xs, ys, rs, ls = line.rstrip('\r\n').split('\t')
            x, y, r, lib = double(xs), double(ys), double(rs), double(ls)
            t = true_value(function, x, y)
            entry = results.setdefault(function, {}).setdefault(sweep, [0, (-1.0, None, None), None, 0])
            entry[0] += 1
            e = ulp_error(r, t)
            entry[3] += e < 0.5
            if e > entry[1][0]:
                entry[1] = (e, x, y)
            if lib is not None:
                le = ulp_error(lib, t)
                if entry[2] is None or le > entry[2][0]:
                    entry[2] = (le, x, y)
    return results


def fmt_error(e):
    if e is None:
        return '–'
    if math.isinf(e):
        return '∞'
    if e < 10:
        return '%.3f' % e
    return '%.3g' % e


def fmt_args(function, x, y):
    if y is None:
        return '%s(%s)' % (function, short(x))
    return '%s(%s, %s)' % (function, short(x), short(y))


def rounded_share(entries):
    """The share of results that are the correctly rounded double."""
    entries = list(entries)
    total = sum(entry[0] for entry in entries)
    rounded = sum(entry[3] for entry in entries)
    return '100 %' if rounded == total else '%.2f %%' % (100.0 * rounded / total)


def worst(sweeps, which):
    found = None
    for entry in sweeps.values():
        w = entry[which]
        if w is not None and (found is None or w[0] > found[0]):
            found = w
    return found


# (domain, function, sweeps whose worst argument is the example)
HARD_REGIONS = [
    ('EXP, subnormal results', 'EXP', ['subnormal results: -745.2 < x < -708.4']),
    ('EXP, tiny x', 'EXP', ['tiny: 2^-1074 <= |x| < 2^-1']),
    ('ACOSH near 1', 'ACOSH', ['near 1: 1 + 2^-k, k 1 to 52', '1 <= x <= 1.1']),
    ('ASINH, tiny x', 'ASINH', ['tiny: 2^-1074 <= |x| < 2^-30']),
    ('ASINH, -1 <= x <= 1', 'ASINH', ['-1 <= x <= 1']),
    ('ATANH, tiny x', 'ATANH', ['tiny: 2^-1074 <= |x| < 2^-30', '2^-30 <= |x| < 2^-1']),
    ('ATANH near 1', 'ATANH', ['near 1: 1 - 2^-k, k 1 to 52']),
    ('LOG near 1', 'LOG', ['near 1: 1 + 2^-k, k 1 to 50', 'near 1: 1 - 2^-k, k 1 to 50']),
]


def example_row(domain, function, x, y, result):
    t = true_value(function, x, y)
    e = ulp_error(result, t)
    with mpmath.workprec(200):
        rel = abs(mpmath.mpf(result) - t) / abs(t) if t != 0 else 0
    digits = '17' if rel == 0 else '%d' % min(17, max(0, math.floor(-math.log10(float(rel)))))
    return '| %s | `%s` | %s | %s | %s | %s |' % (domain, fmt_args(function, x, y), text17(result), text17(t),
                                                fmt_error(e), digits)


def worst_result(path, function, sweeps):
    """The handler's result at the worst argument of the sweeps named."""
    best = None
    with open(path) as f:
        for line in f:
            fn, sw, xs, ys, rs, _ = line.rstrip('\r\n').split('\t')
            if fn != function or sw not in sweeps:
                continue
            x, y, r = double(xs), double(ys), double(rs)
            e = ulp_error(r, true_value(fn, x, y))
            if best is None or e > best[0]:
                best = (e, x, y, r)
    return best


def main():
    native_path, wine_path, processor, libc, wine = sys.argv[1:6]
    native = measure(native_path)
    shipped = measure(wine_path) if wine_path != '-' else {}
    out = []
    w = out.append
    w(HEAD.format(processor=processor, libc=libc, wine=wine))
    w('| Function | Tessarim, x87 | Correctly rounded | glibc double | Where Tessarim is worst | Sweep (arguments) |')
    w('|---|---|---|---|---|---|')
    for function in ORDER:
        if function == 'PI':
            w('| PI | – | – | – | the stored text, cut | prefix of 3.14159265358979323846… (no arithmetic) |')
            continue
        sweeps = native[function]
        mine, lib = worst(sweeps, 1), worst(sweeps, 2)
        # A bar inside a cell would end it.
        described = '; '.join('%s (%d)' % (name, entry[0]) for name, entry in sweeps.items()).replace('|', '\\|')
        note = ' ¹' if function in RUNTIME else ''
        where = '`%s`' % fmt_args(function, mine[1], mine[2]) if mine[0] > 0 else 'exact everywhere'
        w('| %s%s | %s | %s | %s | %s | %s |' % (function, note, fmt_error(mine[0]), rounded_share(sweeps.values()),
                                              fmt_error(lib and lib[0]), where, described))
    above = []
    for function in ORDER:
        lib = worst(native.get(function, {}), 2)
        if lib is not None and lib[0] > 1:
            above.append('%s %s ulps at `%s`' % (function, fmt_error(lib[0]), fmt_args(function, lib[1], lib[2])))
    if above:
        w('\nWhere glibc\'s function of the same name is off by more than an ulp: ' + '; '.join(above) + '.')
    w(RUNTIME_NOTE)
    if shipped:
        w('| Function | Shipped DLL under Wine | Wine\'s runtime function | Where the DLL is worst |')
        w('|---|---|---|---|')
        for function in RUNTIME:
            sweeps = shipped.get(function)
            if not sweeps:
                continue
            mine, lib = worst(sweeps, 1), worst(sweeps, 2)
            where = '`%s`' % fmt_args(function, mine[1], mine[2]) if mine[0] > 0 else 'exact everywhere'
            w('| %s | %s | %s | %s |' % (function, fmt_error(mine[0]), fmt_error(lib and lib[0]), where))
        w('')
    else:
        w('(No Wine measurement in this run.)\n')

    w(LOSSES_HEAD)
    w('| Domain | Call | Tessarim at 17 digits | True value at 17 digits | Error (ulps) | Correct digits'
      ' | Correctly rounded |')
    w('|---|---|---|---|---|---|---|')
    w(example_row('EXP, large result', 'EXP', 700.0, None, worst_result_at(native_path, 'EXP', 700.0))
      + ' – |')
    for domain, function, sweeps in HARD_REGIONS:
        e, x, y, r = worst_result(native_path, function, sweeps)
        share = rounded_share(native[function][name] for name in sweeps)
        w(example_row(domain, function, x, y, r) + ' %s |' % share)
    w(TAIL)
    sys.stdout.write('\n'.join(out) + '\n')


def worst_result_at(path, function, x):
    """The handler's result for one argument, measured by the same program."""
    with open(path) as f:
        for line in f:
            fn, _, xs, _, rs, _ = line.rstrip('\r\n').split('\t')
            if fn == function and double(xs) == x:
                return double(rs)
    raise SystemExit('%s(%r) was not measured' % (function, x))


HEAD = '''# Accuracy

What the 25 functions give, measured: for each, the largest error found
over a sweep of arguments, in units of the last place (ulps) of the true
value of the function at the argument's exact double, with the true values
from mpmath. An error below 0.5 ulp means the result is the correctly
rounded double; below 1 ulp, one of the two doubles around the true value.

Generated by `scripts/accuracy.sh` (about a minute); do not edit by hand.
The figures belong to the machine they were measured on:

- Processor: {processor}
- C library (the comparison column): {libc}
- Wine (the shipped DLL's C runtime functions): {wine}

## How it is measured

`build/native/accuracy/tessarim_accuracy` calls every handler through the
fake host at NUMERIC DIGITS 17, natively on the real x87 under the control
word of a Windows thread (0x27F: 53-bit precision for the basic operations,
round to nearest), and reads the 17-digit text back into the result double,
which it gives exactly. Beside it, the same argument goes to glibc's double
function of the same name where there is one. `accuracy/report.py` computes
the true values with mpmath and writes this page. The arguments are seeded
and the same on every run: random ones in each stated range (the count in
brackets; "2^a <= |x| < 2^b" draws the binary exponent uniformly, then the
significand, then the sign), and for the trigonometric functions the hard
cases of `tests/handlers/trig_hard_cases.h`, the doubles closest to
multiples of pi/2.

## Largest error per function
'''

RUNTIME_NOTE = '''
¹ ACOS, ASIN, COSH, SINH, TANH, POW, CEIL and FLOOR call the C runtime's
double function. The native column measures glibc's, which the native
build links; the shipped `tessarim.dll` inherits the accuracy of the Windows
runtime it loads (msvcrt's `acos`, `asin`, `cosh`, `sinh`, `tanh`, `pow`)
and of the functions mingw-w64 links into it (`ceil`, `floor`). Measured
through the Windows build of the same program under Wine, which answers
msvcrt's calls with its own implementation, so Microsoft's runtime may
differ:
'''

LOSSES_HEAD = '''## Where a plain formula would lose digits

EXP, ASINH, ATANH and ACOSH raise the processor's precision to 64 bits for
their additions, multiplications, divisions and square roots, and take the
logarithm of 1 + u by fyl2xp1 where u is small, so that nothing is lost
before the one rounding to a double:

- EXP: x - n * ln 2 with ln 2 in two parts, then 2^r; the plain
  t = x * log2 e at 53 bits put an error of up to |x| * 2^-54 into the
  result, a few hundred ulps near the ends of the range.
- ACOSH near 1 (below 1.0331): ln(1 + (t + sqrt(2t + t * t))), t = x - 1,
  where x * x - 1 would cancel.
- ASINH for |x| below 0.2597 and ATANH for |x| below 0.1277: ln(1 + u)
  without forming 1 + u, where x + sqrt(x * x + 1) or (1 + x) / (1 - x)
  would keep only the digits of x that fit beside 1.
- LOG and LOG10 near 1 are computed by fyl2x from x itself, without a
  subtraction: within an ulp on this processor.

Where the kernel runs no 32-bit programs, 32-bit Wine runs through a
user-mode i386 emulator. It computes f2xm1, fyl2x and fyl2xp1 in the
extended format, as the processor does, so these four keep their one-ulp
rule there (the test run checks the table of hard arguments through the
DLL under Wine); only fsin, fcos and fptan come from its double functions.

What remains: the one rounding to a double of an extended result that is
itself within a few units of 2^-64 of the true value, so a result whose
true value lies that close to a half-way point between two doubles may be
the other neighbour (within one ulp, not correctly rounded). COTAN keeps
its two roundings, and ACOS, ASIN, COSH, SINH, TANH and POW are the C
runtime's.

The worst argument of each sweep, with the share of the sweep's results
that are the correctly rounded double (EXP at 700 is the example of the
function descriptions):

'''

TAIL = '''
## The texts: exactly the result double, written by fixed rules

Each result is computed in extended precision and rounded once to a
double; that double is then written by the library's own number-text
rules, not by a C runtime and not by the locale: its exact value is rounded
half up to 17 significant digits, then those digits half up to NUMERIC
DIGITS (at most 17). So the text is a function of the result double alone,
the same on every machine and runtime, and at 17 digits it reads back into
exactly that double. The two roundings can differ from one rounding of the
exact double by one unit in the last digit shown, when the double lies
within half a unit in its 17th digit of a half-way point.

## Which digits to trust

- **NUMERIC DIGITS 9.** Every figure above of a few hundred ulps or less
  means a relative error below 10^-13, so all nine digits are those of the
  true value rounded to nine digits, except when the true value lies that
  close to a half-way point between two nine-digit numbers (then the last
  digit may be one off). That covers every function and every domain
  measured, EXP and POW included.
- **NUMERIC DIGITS 17.** The text is the result double exactly, but a
  double carries only 15.95 decimal digits: one ulp is between 1.1 and 22
  units in the 17th digit. For the functions within 1 ulp, the 16th digit
  is off by at most two units (so the first 15 are right, unless the true
  value lies that close to a carry), and the 17th only tells which double
  was returned. Digits past 17 are always zeros.
- FACT is exact up to 12 (whole numbers from the host) and correctly
  rounded from 13 to 170; PI is the stored 50-character text cut, not
  rounded, to NUMERIC DIGITS; CEIL, FLOOR and ROUND are exact.
'''

if __name__ == '__main__':
    main()
