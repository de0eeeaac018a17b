#!/usr/bin/env python3
"""Writes handler_cases.h: the case tables with texts from expected_values.py.

    python3 make_handler_cases.py > handler_cases.h
"""
import math
import sys

sys.dont_write_bytecode = True  # keep the source tree free of caches

from expected_values import Tight, digits_text, model, text_to_number

PI_TEXT = '3.141592653589793238462643383279502884197169399375'
TRIG = HUGE_TRIG = ['SIN', 'COS', 'TAN', 'COTAN', 'CSC', 'SEC']


def expected(name, args, digits):
    if name == 'PI':
        d = digits - (1 << 32) if digits >= 1 << 31 else digits
        n = 1 if d < 1 else min(d + 1, 50)
        return PI_TEXT[:n]
    if name == 'ATAN':
        x = text_to_number(args[0])
        y = 1.0 if len(args) < 2 or args[1] == '' else text_to_number(args[1])
        return digits_text(model(name, x, y), precision(digits))
    if name == 'POW':
        x = text_to_number(args[0])
        y = text_to_number(args[1]) if len(args) > 1 else 0.0
        return digits_text(pow_edges(x, y), precision(digits))
    x = text_to_number(args[0]) if args else 0.0
    return digits_text(model(name, x), precision(digits))


def precision(digits):
    d = digits - (1 << 32) if digits >= 1 << 31 else digits
    return d if d >= 1 else 1


def pow_edges(x, y):
    """pow as the library settles it at the edges; mpmath elsewhere."""
    nan, inf = float('nan'), float('inf')
    odd = math.isfinite(y) and y == math.floor(y) and abs(y) < 2**53 and int(y) % 2 == 1
    whole = math.isfinite(y) and y == math.floor(y)
    if y == 0:
        return 1.0
    if x == 0:
        if y > 0:
            return 0.0
        return -inf if math.copysign(1, x) < 0 and odd else inf
    if math.isinf(y):
        if abs(x) == 1:
            return nan
        return inf if (abs(x) > 1) == (y > 0) else 0.0
    if math.isinf(x):
        if y < 0:
            return 0.0
        return -inf if x < 0 and odd else inf
    if x < 0 and not whole:
        return nan
    return model('POW', x, y)


# (function, argument texts, digits, match); match 'exact' compares the
# text, 'near' the value to 1e-15 relative (C runtime functions, which may
# differ by an ulp between runtimes).
TABLES = {}

TABLES['kExamplesAndEdges'] = [
    ('SIN', ['1'], 9), ('COS', ['0'], 9), ('LOG', ['1'], 9), ('SQRT', ['2'], 9),
    ('EXP', ['1'], 9), ('ACOSH', ['2'], 9), ('ATANH', ['0.5'], 9), ('COTAN', ['1'], 9),
    ('CSC', ['1'], 9), ('EXP', ['100'], 9),
    ('ROUND', ['2.5'], 9), ('ROUND', ['-2.5'], 9), ('ROUND', ['-0.5'], 9), ('CEIL', ['-0.5'], 9),
    ('ATAN', ['1'], 9), ('ATAN', ['1', ''], 9), ('ATAN', ['1', '-1'], 9), ('ATAN', ['1', '0'], 9),
    ('POW', ['2', '10'], 9), ('POW', ['2', ''], 9), ('POW', ['2', '-3'], 2), ('POW', ['0', '-1'], 9),
    ('POW', ['-8', '0.333333333'], 9), ('POW', ['1', '1e999'], 9),
    ('ACOS', ['2'], 9), ('ACOSH', ['0.5'], 9), ('ATANH', ['1'], 9), ('CSC', ['0'], 9),
    ('LOG', ['0'], 3), ('SQRT', ['-1'], 3),
    ('FLOOR', ['123456789012345678901'], 25),
    ('SIN', ['1d0'], 9), ('SIN', ['  1  '], 9), ('SIN', ['abc'], 9), ('SIN', [''], 9),
    ('SIN', ['- 1'], 9), ('COS', ['abc'], 9), ('SIN', ['inf'], 9), ('SIN', [], 9),
    ('PI', [], 9), ('PI', [], 1), ('PI', [], 49),
]

TABLES['kDigitsCases'] = [
    # NUMERIC DIGITS 3
    ('SIN', ['1'], 3), ('EXP', ['1'], 3), ('EXP', ['100'], 3), ('EXP', ['-10'], 3),
    ('ATAN', ['1'], 3), ('POW', ['2', '-3'], 3), ('FLOOR', ['1234'], 3),
    ('CEIL', ['999.5'], 3),  # carries to 1000, which needs the exponent
    ('SQRT', ['0.0001'], 3), ('LOG', ['0'], 3), ('SQRT', ['-1'], 3), ('PI', [], 3),
    # NUMERIC DIGITS 25: at most 17 significant digits, zeros after them
    ('SQRT', ['2'], 25), ('EXP', ['1'], 25), ('SIN', ['1'], 25), ('LOG', ['10'], 25),
    ('ATAN', ['1'], 25), ('CEIL', ['1e24'], 25), ('FLOOR', ['123456789012345678901'], 25),
    ('PI', [], 25),
    # Settings outside 1..99: the whole value; below 1 counts as 1
    ('FLOOR', ['1e100'], 120), ('SQRT', ['2'], 100), ('SQRT', ['2'], 128), ('SQRT', ['2'], 256),
    ('FLOOR', ['1e20'], 109), ('SQRT', ['2'], 0), ('SIN', ['1'], 0), ('SQRT', ['2'], 0xFFFFFFFF),
    ('SQRT', ['2'], 0x80000000), ('FLOOR', ['1e308'], 0x7FFFFFFF),
    ('FLOOR', ['-1.7976931348623157e308'], 1000),
    # Longer than a 60-byte buffer: formed whole
    ('FLOOR', ['1e60'], 70), ('FLOOR', ['-123456789e55'], 70), ('CEIL', ['1e58'], 59),
    ('PI', [], 50), ('PI', [], 51), ('PI', [], 1000), ('PI', [], 0), ('PI', [], 0xFFFFFFFF),
    ('PI', [], 0x80000000), ('PI', [], 5), ('PI', [], 2),
]

TABLES['kDecisionCases'] = [
    # Exact reduction of huge arguments
    ('SIN', ['1e22'], 9), ('SIN', ['1e19'], 9), ('SIN', ['-1e22'], 17),
    *[(f, [a], 17) for f in HUGE_TRIG
      for a in ['1e22', '9223372036854775808', '-3e100', '1.7976931348623157e308', '5.319372648326541e+255']],
    # ROUND exactly, halves up
    ('ROUND', ['0.49999999999999994'], 17), ('ROUND', ['-0.49999999999999994'], 17),
    ('ROUND', ['4503599627370497'], 17), ('ROUND', ['-4503599627370497'], 17),
    ('ROUND', ['4503599627370495.5'], 17), ('ROUND', ['-4503599627370495.5'], 17),
    ('ROUND', ['2.5000000000000004'], 17), ('ROUND', ['0.5'], 9), ('ROUND', ['1.5'], 9),
    ('ROUND', ['-1.5'], 9), ('ROUND', ['-0.3'], 9), ('ROUND', ['1e300'], 9), ('ROUND', ['1e999'], 9),
    ('ROUND', ['-1e999'], 9),
    # ASINH of negative x by symmetry
    ('ASINH', ['-1e10'], 9), ('ASINH', ['1e10'], 9), ('ASINH', ['-1'], 17), ('ASINH', ['-1e200'], 9),
    ('ASINH', ['-0'], 9), ('ASINH', ['0.5'], 17),
    # EXP of infinities
    ('EXP', ['1e999'], 9), ('EXP', ['-1e999'], 9),
    # Kept as the formulas give them
    ('POW', ['5', ''], 9), ('CEIL', ['-0.5'], 9), ('COS', ['x1'], 9),
]

TABLES['kPowEdgeCases'] = [
    ('POW', [x, y], 9) for x, y in [
        ('0', '0'), ('1e999', '0'), ('-1e999', '0'), ('-5', '-0'),
        ('0', '2'), ('-0', '3'), ('0', '1e999'), ('-0', '1e999'),
        ('0', '-1'), ('-0', '-1'), ('-0', '-2'), ('-0', '-0.5'), ('0', '-1e999'), ('-0', '-1e999'),
        ('-8', '0.333333333'), ('-8', '3'), ('-2', '-3'), ('-2', '2'), ('-1', '0.5'), ('-1', '3'),
        ('2', '1e999'), ('2', '-1e999'), ('-2', '1e999'), ('-2', '-1e999'),
        ('0.5', '1e999'), ('0.5', '-1e999'), ('-0.5', '1e999'), ('-0.5', '-1e999'),
        ('1', '1e999'), ('1', '-1e999'), ('-1', '1e999'), ('-1', '-1e999'),
        ('1e999', '2'), ('1e999', '-2'), ('1e999', '0.5'), ('1e999', '1e999'), ('1e999', '-1e999'),
        ('-1e999', '3'), ('-1e999', '2'), ('-1e999', '0.5'), ('-1e999', '1e999'),
        ('-1e999', '-3'), ('-1e999', '-2'), ('-1e999', '-1e999'),
        ('10', '400'), ('-10', '401'), ('10', '-400'), ('1', '5'),
    ]
]

TABLES['kTextCases'] = [
    *[('SIN', [t], 9) for t in ['1D0', '1e', '1e+', '+1', '.5', '5.', '1.5.3', '0x10', '12abc',
                                '\t\n\v\f\r 1', '.', '-', '+', '-0', '1e-999', '1 000', '1.5+3',
                                '1d-0', '+.5e1x']],
    ('COS', ['.'], 9), ('LOG', ['-0'], 9), ('SQRT', ['-0'], 9),
    ('SQRT', ['4.9406564584124654e-324'], 17), ('LOG10', ['1000'], 9), ('LOG10', ['1e-300'], 9),
]

# x87 functions at full width: any slip from 53-bit precision control or a
# second rounding shows in the last digits.
TABLES['kExtendedCases'] = [
    (f, [a], 17) for f, a in [
        ('ACOSH', '1e200'), ('ACOSH', '2'), ('ACOSH', '1'), ('ATANH', '0.5'), ('ATANH', '-0.9'),
        ('ASINH', '1'), ('ASINH', '1e300'), ('EXP', '100'), ('EXP', '-745'), ('EXP', '709.78'),
        ('EXP', '710'), ('EXP', '-746'), ('EXP', '1e308'), ('EXP', '-1e308'), ('ATANH', '-1'),
        ('ATANH', '2'), ('ACOSH', '-2'), ('EXP', '0.5'), ('EXP', '-1'), ('LOG', '2'),
        ('LOG', '1e-310'), ('LOG10', '2'), ('COTAN', '1'), ('CSC', '1'), ('SEC', '1'), ('TAN', '1'),
        ('COS', '1'), ('SIN', '0.5'), ('SIN', '-3'), ('SQRT', '1e-300'), ('SQRT', '3'),
        ('LOG', '1e999'), ('SIN', '1e999'), ('TAN', '-1e999'),
    ]
] + [('ATAN', ['1', '-1'], 17), ('ATAN', ['-1', '-1e999'], 17), ('ATAN', ['0', '-1'], 9),
     ('ATAN', ['-0', '-1'], 9), ('ATAN', ['1e999', '1e999'], 17)]

TABLES['kLibraryCases'] = [
    # Edges, exact
    ('ACOS', ['1'], 9), ('ACOS', ['1.0000000000000002'], 9), ('ACOS', ['-1e999'], 9),
    ('ASIN', ['-2'], 9), ('ASIN', ['1e999'], 9),
    ('COSH', ['711'], 9), ('COSH', ['-1e999'], 9), ('SINH', ['-711'], 9), ('SINH', ['1e999'], 9),
    ('SINH', ['-1e999'], 9), ('TANH', ['20'], 9), ('TANH', ['-1e999'], 9), ('TANH', ['1e999'], 9),
    ('CEIL', ['1e999'], 9), ('FLOOR', ['-1e999'], 9), ('FLOOR', ['-0.5'], 9), ('FLOOR', ['2.5'], 9),
    ('CEIL', ['-2.5'], 9), ('CEIL', ['4503599627370495.5'], 17), ('FLOOR', ['-4503599627370495.5'], 17),
    ('CEIL', ['1e300'], 9),
    # Away from the edges, to 15 digits
    *[(f, [a], 17, 'near') for f, a in [
        ('ACOS', '0.5'), ('ACOS', '0'), ('ACOS', '-1'), ('ASIN', '1'), ('ASIN', '-0.5'),
        ('COSH', '1'), ('SINH', '1'), ('SINH', '-0.001'), ('TANH', '0.5'), ('TANH', '19'),
        ('COSH', '710'), ('SINH', '-710'),
    ]],
    ('POW', ['2', '0.5'], 17, 'near'), ('POW', ['10', '-2'], 17, 'near'), ('POW', ['-3', '5'], 17, 'near'),
    ('POW', ['7', '1.5'], 17, 'near'),
]


def c_string(s):
    out = '"'
    for ch in s:
        out += {'\t': '\\t', '\n': '\\n', '\v': '\\v', '\f': '\\f', '\r': '\\r',
                '"': '\\"', '\\': '\\\\'}.get(ch, ch)
    return out + '"'


def row(entry):
    name, args, digits = entry[:3]
    match = entry[3] if len(entry) > 3 else 'exact'
    text = expected(name, args, digits)
    argv = ', '.join(c_string(a) for a in args) if args else ''
    d = '0x%08X' % digits if digits >= 1 << 16 else str(digits)
    kind = 'kExactText' if match == 'exact' else 'kNear15'
    if kind == 'kExactText' and name in TRIG and precision(digits) >= 16 and text[-1].isdigit():
        kind = 'kX87Trig'
    return '    {%s, %d, {%s}, %s, %s, %s},' % (c_string(name), len(args), argv, d, c_string(text), kind)


FACT_CASES = [(0, 9), (1, 9), (2, 9), (12, 9), (12, 3), (13, 9), (13, 10), (13, 0), (20, 9),
              (22, 25), (25, 17), (34, 9), (100, 17), (170, 9), (171, 9), (1000, 9),
              (4294967295, 9)]


def fact_row(n, digits):
    if n <= 12:
        return '    {%du, %d, true, %du, ""},' % (n, digits, math.factorial(n))
    value = float('inf') if n > 170 else float(math.factorial(n))  # int -> float rounds to nearest
    return '    {%du, %d, false, 0u, %s},' % (n, digits, c_string(digits_text(value, precision(digits))))


def main():
    print(HEADER)
    for name, entries in TABLES.items():
        print('constexpr HandlerCase %s[] = {' % name)
        for e in entries:
            try:
                print(row(e))
            except Tight as t:
                raise SystemExit('too close to a rounding midpoint: %r (%s)' % (e, t))
        print('};\n')
    print('constexpr FactCase kFactCases[] = {')
    for n, d in FACT_CASES:
        print(fact_row(n, d))
    print('};')


HEADER = '''// Handler cases as plain data: function name, argument texts, NUMERIC
// DIGITS, expected result text. The native tests run them through a fake
// host; the same tables can drive the real library through a host.
//
// Generated by make_handler_cases.py from independent references (mpmath,
// exact rational arithmetic, the x87 steps modelled as roundings to 53 or
// 64 bits); do not edit by hand.
#pragma once

#include "handler_case.h"
'''

if __name__ == '__main__':
    main()
