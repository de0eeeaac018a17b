#!/usr/bin/env python3
"""Independent expected texts for handler_cases.h.

True values come from mpmath at high precision. EXP, ASINH, ATANH and
ACOSH are taken as the nearest double of the true value. The other x87
functions are modelled step by step: basic operations rounded to 53 significant bits
with an unbounded exponent (53-bit precision control), transcendental
instructions taken as the true value (they deliver 64 bits, so a case is
refused when such a value lies within 2^-9 of a 53-bit ulp from a
rounding midpoint).
Texts follow the number-text rules: 17 significant digits half up, then
P digits half up, fixed form while -4 <= X < P.

Usage: python3 expected_values.py 'SIN' 1 '1' [y]   -> prints the text
"""
import math
import sys
from decimal import Decimal, getcontext
from fractions import Fraction

import mpmath

mpmath.mp.prec = 2600  # enough for sin(1.7e308) from its exact value
getcontext().prec = 2000

INF = float('inf')
NAN = float('nan')


class Tight(Exception):
    """A rounding step lies too close to a midpoint to predict."""


def round_bits(v, bits, check=True):
    """Round mpf v to `bits` significant bits, ties to even, any exponent."""
    if not mpmath.isfinite(v) or v == 0:
        return v
    with mpmath.workprec(bits):
        r = +v  # ties to even, as the x87 rounds
    if check:
        # v may be off by 2^-63 relative (a 64-bit instruction result), that
        # is 2^-10 of a 53-bit ulp: refuse when a midpoint is that close.
        _, e = mpmath.frexp(v)
        ulp = mpmath.ldexp(1, int(e) - bits)
        distance = abs(abs((v - r) / ulp) - mpmath.mpf(0.5))
        if distance < mpmath.ldexp(1, -9):
            raise Tight(str(v))
    return r


def r53(v, check=False):
    return round_bits(v, 53, check)


def to_double(v, check=True):
    """The double nearest v, rounded once, subnormals and overflow included
    (float() of an mpf rounds twice below 2^-1022)."""
    if mpmath.isnan(v):
        return NAN
    if mpmath.isinf(v):
        return INF if v > 0 else -INF
    if v == 0:
        return 0.0
    _, e = mpmath.frexp(v)  # |v| in [2^(e-1), 2^e)
    ulp_exponent = max(int(e) - 53, -1074)
    scaled = mpmath.ldexp(abs(v), -ulp_exponent)
    whole = int(mpmath.floor(scaled))
    fraction = scaled - whole
    if check and abs(fraction - mpmath.mpf(0.5)) < mpmath.ldexp(1, -9):
        raise Tight(str(v))
    if fraction > 0.5 or (fraction == 0.5 and whole % 2 == 1):
        whole += 1
    try:
        magnitude = math.ldexp(whole, ulp_exponent)  # exact: whole has at most 53 bits
    except OverflowError:
        magnitude = INF
    return magnitude if v > 0 else -magnitude


def digits_text(value, precision):
    """The number-text rules for a double."""
    if precision < 1:
        precision = 1
    if math.isnan(value):
        return '-1.#IND'
    if math.isinf(value):
        return '1.#INF' if value > 0 else '-1.#INF'
    if value == 0:
        return '0'
    sign = '-' if value < 0 else ''
    d = Decimal(abs(value))  # exact
    s, digits, exp = d.as_tuple()
    digits = list(digits)
    x = len(digits) - 1 + exp  # decimal exponent of the first digit

    def round_to(ds, n):
        if len(ds) <= n:
            return ds + [0] * (n - len(ds)), 0
        up = ds[n] >= 5
        ds = ds[:n]
        i = n - 1
        while up and i >= 0:
            ds[i] += 1
            if ds[i] == 10:
                ds[i] = 0
                i -= 1
            else:
                up = False
        if up:
            return [1] + ds[:-1], 1
        return ds, 0

    ds, carry = round_to(digits, 17)
    x += carry
    keep = min(precision, 17)
    ds2, carry = round_to(ds, keep)
    x += carry
    ds2 = ds2 + [0] * (17 - keep)
    while len(ds2) > 1 and ds2[-1] == 0:
        ds2.pop()
    if x < -4 or x >= precision:
        body = str(ds2[0])
        if len(ds2) > 1:
            body += '.' + ''.join(map(str, ds2[1:]))
        return '%s%se%s%03d' % (sign, body, '-' if x < 0 else '+', abs(x))
    if x < 0:
        return sign + '0.' + '0' * (-x - 1) + ''.join(map(str, ds2))
    whole = ''.join(str(ds2[i]) if i < len(ds2) else '0' for i in range(x + 1))
    frac = ''.join(map(str, ds2[x + 1:]))
    return sign + whole + ('.' + frac if frac else '')


def text_to_number(t):
    """The text-to-number rules (a small reimplementation for the generator)."""
    import re
    t = t.lstrip(' \t\n\v\f\r')
    m = re.match(r'[+-]?(\d+\.?\d*|\.\d+)([eEdD][+-]?\d+)?', t)
    if not m:
        return 0.0
    s = m.group(0).replace('d', 'e').replace('D', 'e')
    return float(s)  # Python's float() is correctly rounded


def mp(x):
    return mpmath.mpf(x)




def model(name, x, y=None):
    """The handler's double result for arguments x (and y)."""
    X = mp(x)
    if name == 'SIN':
        return to_double(mpmath.sin(X))
    if name == 'COS':
        return to_double(mpmath.cos(X))
    if name == 'TAN':
        return to_double(mpmath.tan(X))
    if name == 'COTAN':
        c = to_double(mpmath.cos(X))
        return to_double(mp(c) / mpmath.sin(X))
    if name == 'CSC':
        return to_double(1 / mpmath.sin(X)) if x != 0 else INF
    if name == 'SEC':
        return to_double(1 / mpmath.cos(X))
    if name == 'SQRT':
        return to_double(mpmath.sqrt(X)) if x >= 0 else NAN
    if name == 'LOG':
        return to_double(mpmath.log(X)) if x > 0 else (-INF if x == 0 else NAN)
    if name == 'LOG10':
        return to_double(mpmath.log10(X)) if x > 0 else (-INF if x == 0 else NAN)
    # Within an ulp and nearly always correctly rounded: the nearest double.
    if name == 'EXP':
        if math.isinf(x):
            return INF if x > 0 else 0.0
        return to_double(mpmath.exp(X))
    if name == 'ACOSH':
        if math.isnan(x) or x < 1:
            return NAN
        return INF if math.isinf(x) else to_double(mpmath.acosh(X))
    if name == 'ASINH':
        return x if math.isinf(x) else to_double(mpmath.asinh(X))
    if name == 'ATANH':
        if abs(x) > 1:
            return NAN
        if abs(x) == 1:
            return math.copysign(INF, x)
        return to_double(mpmath.atanh(X))
    if name == 'ATAN':
        y = 1.0 if y is None else y
        if x == 0 or y == 0 or math.isinf(x) or math.isinf(y):
            return math.atan2(x, y)  # signed zeros and infinities as IEEE 754 has them
        return to_double(mpmath.atan2(X, mp(y)))
    # C runtime functions: the correctly rounded value.
    if name == 'ACOS':
        return to_double(mpmath.acos(X), False) if abs(x) <= 1 else NAN
    if name == 'ASIN':
        return to_double(mpmath.asin(X), False) if abs(x) <= 1 else NAN
    if name == 'COSH':
        return to_double(mpmath.cosh(X), False)
    if name == 'SINH':
        return to_double(mpmath.sinh(X), False)
    if name == 'TANH':
        return to_double(mpmath.tanh(X), False)
    if name == 'POW':
        return to_double(mpmath.power(X, mp(y)), False)
    if name == 'FLOOR':
        return float(math.floor(x)) if math.isfinite(x) else x
    if name == 'CEIL':
        return float(math.ceil(x)) if math.isfinite(x) else x
    if name == 'ROUND':
        if not math.isfinite(x):
            return x
        return float(math.floor(Fraction(x) + Fraction(1, 2)))
    if name == 'FACT':
        return to_double(mp(math.factorial(int(x))), False)
    raise ValueError(name)


if __name__ == '__main__':
    name, digits = sys.argv[1], int(sys.argv[2])
    args = [text_to_number(a) for a in sys.argv[3:]]
    print(digits_text(model(name, *args), digits))
