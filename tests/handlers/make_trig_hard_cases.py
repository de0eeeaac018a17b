#!/usr/bin/env python3
"""Writes trig_hard_cases.h: arguments that are hard to reduce by pi/2, with
their true reduction and the true values of the six trigonometric
functions, all from mpmath at a precision past every cancellation.

    python3 make_trig_hard_cases.py > trig_hard_cases.h

The hardest doubles of a binade come from the continued fraction of
2^e * 2/pi: a convergent's denominator q that is a 53-bit m makes
m * 2^e * 2/pi closest to a whole number.
"""
import math
import struct
import sys

import mpmath

sys.dont_write_bytecode = True  # keep the source tree free of caches

mpmath.mp.prec = 400  # r and the residues keep well over 64 bits

FUNCTIONS = ['SIN', 'COS', 'TAN', 'COTAN', 'CSC', 'SEC']


def bits(x):
    return struct.unpack('<Q', struct.pack('<d', x))[0]


def from_bits(b):
    return struct.unpack('<d', struct.pack('<Q', b))[0]


def precision_for(x):
    """Enough bits to reduce x exactly and keep 200 bits of r."""
    return max(0, math.frexp(x)[1]) + 300


def nearest_double(v):
    return float(v)  # mpmath rounds to nearest


def nearest_multiple(k):
    """The double nearest k * pi/2."""
    with mpmath.workprec(max(300, int(math.log2(k)) + 300)):
        return nearest_double(k * mpmath.pi / 2)


def hardest_in_binade(e):
    """A double m * 2^e (m of 53 bits) with m * 2^e * 2/pi nearly whole:
    the best of the convergent denominators and their multiples in range."""
    with mpmath.workprec(e + 400 if e > 0 else 400):
        alpha = mpmath.ldexp(2 / mpmath.pi, e)
        alpha -= mpmath.floor(alpha)
        candidates = []
        x, h0, h1 = alpha, 1, 0  # denominators q_{k-2}, q_{k-1}
        for _ in range(80):
            a = int(mpmath.floor(x))
            h0, h1 = h1, a * h1 + h0
            if h1 >= 2**53:
                break
            if h1 > 0:
                c = max(1, -(-2**52 // h1))
                while c * h1 < 2**53 and c < 64:
                    candidates.append(c * h1)
                    c += 1
            x = 1 / (x - a)

        def distance(m):
            v = m * alpha
            return abs(v - mpmath.nint(v))
        m = min(candidates, key=distance)
    return math.ldexp(m, e)


def reduction(x):
    """(k mod 4, r) with x = k * pi/2 + r, |r| <= pi/4, r as an mpf."""
    with mpmath.workprec(precision_for(x)):
        X = mpmath.mpf(x)
        k = int(mpmath.nint(X * 2 / mpmath.pi))
        r = X - k * mpmath.pi / 2
    return k % 4, r


def truncated64(r):
    """|r| = (significand + fraction) * 2^exponent, significand of 64 bits."""
    m, e = mpmath.frexp(abs(r))  # m in [1/2, 1)
    exponent = int(e) - 64
    significand = int(mpmath.floor(mpmath.ldexp(abs(r), -exponent)))
    assert 2**63 <= significand < 2**64
    return significand, exponent


def truth(name, x):
    """(nearest double, residual) of the true function value."""
    with mpmath.workprec(precision_for(x)):
        X = mpmath.mpf(x)
        s, c = mpmath.sin(X), mpmath.cos(X)
        value = {'SIN': s, 'COS': c, 'TAN': s / c, 'COTAN': c / s, 'CSC': 1 / s, 'SEC': 1 / c}[name]
        nearest = nearest_double(value)
        residual = nearest_double(value - mpmath.mpf(nearest))
    return nearest, residual


def neighbours(x):
    return [math.nextafter(x, -math.inf), x, math.nextafter(x, math.inf)]


def arguments():
    """(x, why) in table order."""
    rows = []
    quarter = from_bits(0x3FE921FB54442D18)
    rows += [(quarter, 'largest double not above pi/4: no reduction'),
             (math.nextafter(quarter, 1), 'smallest double above pi/4: reduced')]
    small = [(k, str(k)) for k in [1, 2, 3, 4, 5, 6, 7, 8, 29, 100, 1000, 10**6]]
    large = [(2**40, '2^40'), (10**15, '1e15'), (2**60, '2^60'), (10**18, '1e18'), (5 * 10**18, '5e18'),
             (10**20, '1e20'), (10**100, '1e100'), (10**300, '1e300')]
    for k, label in small + large:
        rows.append((nearest_multiple(k), 'nearest %s pi/2' % label))
    for centre, name in [(math.pi, 'pi'), (2 * math.pi, '2 pi'), (1e15, '1e15'), (1e18, '1e18'),
                         (2.0**63 - 1024, '2^63 - 1024')]:
        for i, x in enumerate(neighbours(centre)):
            rows.append((x, name + [', one below', '', ', one above'][i]))
    rows.append((9.2e18, '9.2e18'))
    for e in [-46, -29, -17, 3, 10]:  # -47 gives 29 pi/2 again
        rows.append((hardest_in_binade(e), 'hard in binade 2^%d' % (e + 52)))
    for e in [100, 500, 900]:
        rows.append((hardest_in_binade(e), 'hard in binade 2^%d' % (e + 52)))
    rows.append((math.ldexp(6381956970095103, 797), '6381956970095103 * 2^797: closest of all'))
    for x, why in list(rows):
        if why in ('pi', 'nearest 29 pi/2', '1e15', '6381956970095103 * 2^797: closest of all'):
            rows.append((-x, '-(' + why + ')'))
    return rows


def hex_double(x):
    if x == 0:
        return '0.0'
    return x.hex()


def main():
    print(HEADER)
    print('constexpr TrigHardCase kTrigHardCases[] = {')
    for x, why in arguments():
        quadrant, r = reduction(x)
        significand, exponent = truncated64(r)
        values = ', '.join('{%s, %s}' % tuple(hex_double(v) for v in truth(f, x)) for f in FUNCTIONS)
        assert float(repr(x)) == x
        print('    // %s' % why)
        print('    {"%s", %s, %d, 0x%016Xu, %d, %s,' % (repr(x), hex_double(x), quadrant, significand, exponent,
                                                      'true' if r < 0 else 'false'))
        print('     {%s}},' % values)
    print('};')


HEADER = '''// Arguments that are hard to reduce by pi/2: the doubles nearest k * pi/2
// for small and large k (6381956970095103 * 2^797 is the closest of all),
// the hardest doubles of several binades, neighbours of pi, 2 pi, 1e15,
// 1e18 and 2^63 - 1024, and the first reduced argument above pi/4.
//
// Generated by make_trig_hard_cases.py from mpmath; do not edit by hand.
#pragma once

#include "trig_hard_case.h"
'''

if __name__ == '__main__':
    main()
