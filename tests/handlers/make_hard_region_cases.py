#!/usr/bin/env python3
"""Writes hard_region_cases.h: arguments of EXP, ASINH, ATANH and ACOSH
where a plain formula loses digits, with the nearest double of the true
value and how far the true value lies from it in units of its last place,
from mpmath.

    python3 make_hard_region_cases.py > hard_region_cases.h

Tiny arguments down to the subnormals, 1 +- 2^-k, both sides of each
switch between forms, huge arguments, EXP's overflow and underflow
thresholds with subnormal results, whole numbers, and a seeded sample of
each region.
"""
import math
import random
import sys

import mpmath

sys.dont_write_bytecode = True  # keep the source tree free of caches
from expected_values import to_double  # noqa: E402  (rounds once, subnormals too)

mpmath.mp.prec = 1200  # exp(-745) and atanh(1 - 2^-53) keep well over 100 bits

TRUE = {'EXP': mpmath.exp, 'ASINH': mpmath.asinh, 'ATANH': mpmath.atanh, 'ACOSH': mpmath.acosh}
DBL_MAX = sys.float_info.max


def below(x):
    return math.nextafter(x, -math.inf)


def above(x):
    return math.nextafter(x, math.inf)


def sides(x):
    return [below(x), x, above(x)]


def powers(ks, sign=1.0):
    return [sign * math.ldexp(1.0, -k) for k in ks]


def log_uniform(rng, low, high, count):
    return [math.exp(rng.uniform(math.log(low), math.log(high))) for _ in range(count)]


def uniform(rng, low, high, count):
    return [rng.uniform(low, high) for _ in range(count)]


def regions(rng):
    """(function, region, arguments) in table order."""
    tiny = [1, 2, 4, 8, 16, 26, 27, 30, 53, 54, 60, 100, 300, 600, 1000, 1022, 1023, 1050, 1074]
    near_one = [1, 2, 3, 4, 5, 6, 8, 10, 16, 20, 26, 27, 30, 40, 45, 50, 52]
    return [
        ('ASINH', 'tiny: +-2^-k to the subnormals', powers(tiny) + powers([27, 54, 1023, 1074], -1.0)
         + [1e-12, 1e-15, 1e-17, 1e-20]),
        ('ASINH', 'switch at 0.2597', sides(0.2597) + [-x for x in sides(0.2597)]),
        ('ASINH', 'whole and huge', [1.0, 2.0, 3.0, 10.0, 1000.0, 1e300, DBL_MAX, -DBL_MAX]),
        ('ASINH', 'sample below the switch', log_uniform(rng, 1e-9, 0.2597, 8)),
        ('ASINH', 'sample from 0.2597 to 4', uniform(rng, 0.2597, 4.0, 8)),
        ('ATANH', 'tiny: +-2^-k to the subnormals', powers(tiny) + powers([27, 54, 1074], -1.0) + [-1e-16]),
        ('ATANH', '+-(1 - 2^-k)', [1 - math.ldexp(1.0, -k) for k in [1, 2, 3, 5, 10, 20, 30, 40, 50, 52, 53]]
         + [-(1 - math.ldexp(1.0, -k)) for k in [3, 30, 53]]),
        ('ATANH', 'switch at 0.1277', sides(0.1277) + [-x for x in sides(0.1277)]),
        ('ATANH', 'sample below the switch', log_uniform(rng, 1e-9, 0.1277, 8)),
        ('ATANH', 'sample from 0.1277 to 1', uniform(rng, 0.1277, 1.0, 8)),
        ('ACOSH', '1 + 2^-k', [1.0] + [1 + math.ldexp(1.0, -k) for k in near_one] + [1.00000001]),
        ('ACOSH', 'switch at 1.0331', sides(1.0331)),
        ('ACOSH', 'whole and huge', [2.0, 3.0, 10.0, 1000.0, 2.0**30, 1e300, DBL_MAX]),
        ('ACOSH', 'sample below the switch', [1 + d for d in log_uniform(rng, 1e-12, 0.0331, 8)]),
        ('ACOSH', 'sample from 1.0331 to 100', log_uniform(rng, 1.0331, 100.0, 8)),
        ('EXP', 'tiny: +-2^-k to the subnormals', powers([1, 10, 30, 53, 54, 60, 100, 1074])
         + powers([1, 10, 30, 53, 54, 60, 100, 1074], -1.0)),
        ('EXP', 'overflow threshold', sides(709.782712893384) + [709.78, 1e308]),
        ('EXP', 'smallest normal result', sides(-708.3964185322641)),
        ('EXP', 'subnormal results', sides(-744.4400719213812) + sides(-745.1332191019411)
         + uniform(rng, -745.1, -708.4, 10) + [-1e308]),
        ('EXP', 'whole numbers', [1.0, 2.0, 10.0, 50.0, 100.0, 200.0, 500.0, 700.0, -1.0, -10.0, -100.0, -700.0]),
        ('EXP', 'sample of the whole range', uniform(rng, -708.0, 709.0, 10)),
    ]


def spacing(nearest):
    """The distance from a double to the next one away from zero."""
    exponent = math.frexp(nearest)[1] if nearest != 0 else -1073
    return mpmath.ldexp(1, max(exponent - 53, -1074))


def truth(function, x):
    """(nearest double, (true - nearest) / spacing) of the true value."""
    v = TRUE[function](mpmath.mpf(x))
    nearest = to_double(v, check=False)
    if math.isinf(nearest):
        return nearest, 0.0
    return nearest, float((v - mpmath.mpf(nearest)) / spacing(nearest))


def hex_double(x):
    if math.isinf(x):
        return 'HUGE_VAL' if x > 0 else '-HUGE_VAL'
    return '0.0' if x == 0 else x.hex()


def main():
    rng = random.Random(20261208)
    print(HEADER)
    print('constexpr HardRegionCase kHardRegionCases[] = {')
    for function, region, xs in regions(rng):
        print('    // %s: %s' % (function, region))
        for x in xs:
            assert float(repr(x)) == x
            nearest, residual = truth(function, x)
            print('    {"%s", "%s", %s, %.4g},' % (function, repr(x), hex_double(nearest), residual))
    print('};')


HEADER = '''// Arguments where a plain formula for EXP, ASINH, ATANH or ACOSH loses
// digits, with the nearest double of the true value and where the true
// value lies from it, in units of the last place (within +-1/2).
//
// Generated by make_hard_region_cases.py from mpmath; do not edit by hand.
#pragma once

#include <cmath>

struct HardRegionCase {
  const char *function;
  const char *text; // the argument; converts to exactly the double meant
  double nearest;
  double off_in_ulps; // (true value - nearest) / spacing at nearest
};
'''

if __name__ == '__main__':
    main()
