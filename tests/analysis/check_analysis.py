#!/usr/bin/python3
"""The analysis library against exact arithmetic of its own: sympy's exact
factorisations and certified root objects, mpmath at high precision, and
Python's fractions. Usage: check_analysis.py PROBE roots|turning|digits"""

import math
import random
import subprocess
import sys
from fractions import Fraction

import mpmath
import sympy

X = sympy.Symbol("x")
PROBE, SECTION = sys.argv[1], sys.argv[2]
DIGITS = 320  # decimal digits of every numerical root and value
mpmath.mp.prec = 1400
failures = []


def run(command, *lists):
    args = [PROBE, command]
    for k, values in enumerate(lists):
        if k:
            args.append("--")
        args += [float(v).hex() for v in values]
    out = subprocess.run(args, check=True, capture_output=True, text=True).stdout
    return [line.split() for line in out.splitlines()]


def nearest(value):
    """The double nearest to an exact Fraction, ties to even; ±inf beyond."""
    try:
        return float(value) + 0.0
    except OverflowError:
        return float("inf") if value > 0 else float("-inf")


def exact(m):
    """An mpmath number as the Fraction it is."""
    sign, man, exp, _ = mpmath.mpf(m)._mpf_
    return (-1 if sign else 1) * Fraction(man) * Fraction(2) ** exp


def snapped(approx, scale):
    """A number known to about DIGITS digits, as an exact Fraction; within far
    less than its error of zero or of the midpoint between two doubles it is
    taken as exactly that point (the cases put parts there only exactly)."""
    value = exact(approx)
    tiny = exact(scale) / 10 ** (DIGITS - 20)
    if abs(value) <= tiny:
        return Fraction(0)
    d = nearest(value)
    for neighbour in (math.nextafter(d, math.inf), math.nextafter(d, -math.inf)):
        if math.isinf(d) or math.isinf(neighbour):
            continue
        tie = (Fraction(d) + Fraction(neighbour)) / 2
        if abs(value - tie) <= tiny:
            return tie
    return value


def polynomial(a):
    return sympy.Poly(list(reversed([sympy.Rational(Fraction(v)) for v in a])), X)


def fmt(d):
    return d.hex()


def check(name, got, expected):
    if got != expected:
        failures.append(f"{name}:\n  got      {got}\n  expected {expected}")


# ---- roots -------------------------------------------------------------------

def expected_roots(a):
    p = polynomial(a)
    if p.is_zero:
        return ["zero"]
    found = []
    for factor, multiplicity in p.sqf_list()[1]:
        if factor.degree() == 1:
            found.append((False, nearest(-Fraction(str(factor.nth(0))) / Fraction(str(factor.nth(1)))), 0.0, multiplicity))
            continue
        # Roots to DIGITS digits; the real ones are the count Sturm's
        # theorem gives, nearest to the real line.
        integral = [int(c) for c in factor.clear_denoms()[1].all_coeffs()]
        with mpmath.workdps(DIGITS + 40):
            roots = mpmath.polyroots(integral, maxsteps=800, extraprec=4 * DIGITS)
        roots = sorted(roots, key=lambda r: abs(mpmath.im(r)))
        real_count = factor.count_roots()
        for k, r in enumerate(roots):
            re, im = mpmath.re(r), mpmath.im(r)
            scale = max(abs(re), abs(im))
            im_d = 0.0 if k < real_count else nearest(snapped(im, scale))
            found.append((k >= real_count, nearest(snapped(re, scale)), im_d, multiplicity))
    reals = sorted((f for f in found if not f[0]), key=lambda f: f[1])
    others = sorted((f for f in found if f[0]), key=lambda f: (f[1], f[2], f[3]))
    return [f"{fmt(f[1])} {fmt(f[2])} {f[3]}" for f in reals + others]


def normalise(lines):
    out = []
    for line in lines:
        if len(line) == 3:
            out.append(f"{fmt(float.fromhex(line[0]))} {fmt(float.fromhex(line[1]))} {line[2]}")
        else:
            out.append(" ".join(line))
    return out


def product(*factors):
    """Coefficients (lowest power first) of a product of polynomials given as
    coefficient lists, exactly; each must come out a double exactly."""
    result = [Fraction(1)]
    for f in factors:
        f = [Fraction(c) for c in f]
        out = [Fraction(0)] * (len(result) + len(f) - 1)
        for i, u in enumerate(result):
            for j, v in enumerate(f):
                out[i + j] += u * v
        result = out
    for c in result:
        assert Fraction(float(c)) == c, "not a double"
    return [float(c) for c in result]


def wilkinson(n):
    return [float(c) for c in reversed(sympy.Poly(sympy.prod([X - k for k in range(1, n + 1)]), X).all_coeffs())]


def chebyshev(n):
    return [float(c) for c in reversed(sympy.Poly(sympy.chebyshevt(n, X), X).all_coeffs())]


# Exponents spread so far that guesses in doubles lose the large roots.
NINE_COEFFICIENTS = [-5e-324, -7.301322936446253e-10, -510.64721243835675, -403348.51733195374, -1838114933259831.2,
                     -1.6786242573836857e-192, 8.299418565136426e+16, -0.9602144012652549, 0.0020597381732568375]

ROOT_CASES = {
    "known factors": product([-1, 1], [-2, 1], [3, 1], [0.5, 1]),
    "multiple roots": product([-1, 1], [-1, 1], [-1, 1], [2, 1], [2, 1], [1, 0, 1], [1, 0, 1]),
    "zero root thrice": product([0, 1], [0, 1], [0, 1], [-5, 1]),
    "cluster 1 and 1 + 2^-20": product([-1, 1], [-(1 + 2**-20), 1]),
    "Wilkinson 20": wilkinson(20),
    "Chebyshev 11": chebyshev(11),
    "Chebyshev 16": chebyshev(16),
    "x times Chebyshev 20: zero among 21 real roots": product([0, 1], chebyshev(20)),
    "x^2 + 1": [1, 0, 1],
    "x^4 + 1": [1, 0, 0, 0, 1],
    "x^4 + 3x^2 + 1": [1, 0, 3, 0, 1],
    "-1 ± i": [2, 2, 1],
    "(x - 3)(x^2 + 1)": product([-3, 1], [1, 0, 1]),
    "huge and tiny coefficients": [-1e-300, 1e300],
    "root beyond the double range": [-1e300, 1e-300, 0],
    "roots 1e200 and 1e-200": [1, -1e200, 1],
    "subnormal coefficient": [5e-324, 0, 1],
    "roots from 2^-663 to 2^418": [float.fromhex(h) for h in (
        "0x1.c0000005c0000p+1", "-0x1.4e718d7d7625ap+664", "0x1p-2", "0x1.0000000018000p-1008", "-0x1.0fp-591")],
    "(x-1)^3 + 2^-1060 x^4: a cluster 2^-347 wide": [-1, 3, -3, 1, float.fromhex("0x0.00003aaaaaaaap-1022")],
    "roots from 2^-1045 to 2^32, coefficients from 2^-1074 to 2^56": NINE_COEFFICIENTS,
    "roots from 2^-2070 to 2^501": [5e-324, -1e300, 0, 3, -1e-300, 2.0**-1000],
    "constant": [3.5],
    "zero polynomial": [0.0, 0.0, 0.0],
    "trailing zeros": [2, -1, 0, 0],
}


def check_roots():
    random.seed(7)
    cases = dict(ROOT_CASES)
    for k in range(3):
        cases[f"random degree 8 #{k}"] = [random.uniform(-4, 4) for _ in range(9)]
    for name, a in cases.items():
        check(f"roots of {name}", normalise(run("roots", a)), expected_roots(a))


# ---- turning points ----------------------------------------------------------

def expected_turning(a):
    p = polynomial(a)
    if p.degree() < 1:
        return ["constant"]
    slope = p.diff(X)
    points = []
    for factor, multiplicity in slope.sqf_list()[1]:
        for r in factor.real_roots():
            c = mpmath.mpf(str(sympy.N(r, DIGITS)))
            x_d = nearest(Fraction(str(r))) if r.is_rational else nearest(snapped(c, abs(c)))
            coefficients = [mpmath.mpf(exact_double) for exact_double in a]
            value = mpmath.polyval(coefficients[::-1], c)
            size = mpmath.polyval([abs(k) for k in coefficients[::-1]], abs(c))
            fx_d = nearest(snapped(value, size))
            # F′'s sign right of c: that of its first non-zero derivative there.
            higher = [mpmath.mpf(int(k.p)) / int(k.q) for k in p.diff((X, multiplicity + 1)).all_coeffs()]
            right = mpmath.sign(mpmath.polyval(higher, c))
            kind = "flat" if multiplicity % 2 == 0 else ("min" if right > 0 else "max")
            points.append((c, f"{fmt(x_d)} {fmt(fx_d)} {kind} {multiplicity}"))
    return [line for _, line in sorted(points, key=lambda item: item[0])]


TURNING_CASES = {
    "x^3 (flat at 0)": [0, 0, 0, 1],
    "x^4 (min, F' of multiplicity 3)": [0, 0, 0, 0, 1],
    "-x^4 (max)": [0, 0, 0, 0, -1],
    "x^3 - 3x": [0, -3, 0, 1],
    "(x-1)^2 (x+1): F(1) = 0": product([-1, 1], [-1, 1], [1, 1]),
    "(x-1)^3 (x+2)^2": product([-1, 1], [-1, 1], [-1, 1], [2, 1], [2, 1]),
    "F(c) at a tie, rounded to even": [1 - 2**-53, -(2**-26), 1],
    "Chebyshev 6": chebyshev(6),
    "Chebyshev 20: zero among 19 turning points": chebyshev(20),
    "(x-1)^3 + 2^-1060 x^4": [-1, 3, -3, 1, float.fromhex("0x0.00003aaaaaaaap-1022")],
    "Wilkinson 12": wilkinson(12),
    "nine coefficients, exponents from -1074 to 56": NINE_COEFFICIENTS,
    "x^2 + 1": [1, 0, 1],
    "constant": [2],
    "zero polynomial": [0, 0],
    "linear": [1, 2],
}


def check_turning():
    random.seed(11)
    cases = dict(TURNING_CASES)
    for k in range(3):
        cases[f"random degree 7 #{k}"] = [random.uniform(-4, 4) for _ in range(8)]
    for name, a in cases.items():
        got = [line if len(line) < 4 else [fmt(float.fromhex(line[0])), fmt(float.fromhex(line[1]))] + line[2:]
               for line in run("turning", a)]
        check(f"turning points of {name}", [" ".join(line) for line in got], expected_turning(a))


# ---- correct digits ----------------------------------------------------------

def expected_digits(a, xs, ys):
    lines = []
    for x, y in zip(xs, ys):
        exact = sum(Fraction(c) * Fraction(x) ** i for i, c in enumerate(a))
        if y != y or abs(y) == float("inf"):
            digits = 0
        elif Fraction(y) == exact:
            digits = 17
        elif exact == 0:
            digits = 0
        else:
            error, digits = abs(Fraction(y) - exact), 0
            while digits < 17 and 10 ** (digits + 1) * error <= abs(exact):
                digits += 1
        lines.append(f"{fmt(y)} {fmt(nearest(exact))} {digits}")
    return lines


def check_digits():
    random.seed(5)
    binomial = [float(sympy.binomial(10, k) * (-1) ** (10 - k)) for k in range(11)]  # (x-1)^10 expanded
    cases = [
        ("(x-1)^10 near 1", binomial, [1 + k * 2**-20 for k in range(-40, 41)], None),
        ("at powers of ten", [1000.0], [0.0] * 6, [1001.0, 1000.5, 999.0, 1010.0, 1100.0, 1000.0]),
        ("at 1e16 and 1e17", [1e16, 0, 0], [0.0] * 4, [1e16 + 2, 1e16 + 4, 1e16 - 2, float("nan")]),
        ("1e17 + 16 against 1e17", [1e17], [0.0], [1e17 + 16]),
        ("exact values at ties", [1.0, 1.0], [2.0**-53, 3 * 2.0**-53, -(2.0**-54)], None),
        ("zero exact, reported not", [0.0, 1.0], [0.0, 0.0], [0.0, 1e-300]),
        ("overflowing evaluation", [1.0, 1e300], [1e10, -2.0], None),
        ("exact value beyond the range", [1e300, 1e300], [1e300], [float("inf")]),
    ]
    for k in range(4):
        a = [random.uniform(-3, 3) for _ in range(10)]
        xs = [random.uniform(-2, 2) for _ in range(500)] + [random.randint(-9, 9) / 8 for _ in range(100)]
        cases.append((f"random degree 9 #{k}", a, xs, None))
    tiny = [random.uniform(-1, 1) * 2.0 ** random.randint(-1000, 1000) for _ in range(6)]
    cases.append(("wide exponents", tiny, [2.0 ** random.randint(-200, 200) * random.uniform(1, 2) for _ in range(200)], None))
    # Coefficients scaled by a power of two for the double road: one of
    # 1e308 among small and subnormal ones, and all of them tiny.
    huge = [3.0, -1.5, 1e308, 2.5e-310, -7.0, 1e-320]
    cases.append(("one coefficient of 1e308", huge, [random.uniform(-1.2, 1.2) for _ in range(200)], None))
    small = [random.uniform(-1, 1) * 1e-200 for _ in range(8)]
    cases.append(("tiny coefficients", small, [random.uniform(-3, 3) for _ in range(200)], None))
    for name, a, xs, ys in cases:
        got = run("digits", a, xs, *([ys] if ys else []))
        reported = [float.fromhex(line[0]) for line in got]
        if ys:
            check(f"{name}: reported values", [fmt(v) for v in reported], [fmt(v) for v in ys])
        normal = [f"{fmt(float.fromhex(line[0]))} {fmt(float.fromhex(line[1]))} {line[2]}" for line in got]
        check(f"digits of {name}", normal, expected_digits(a, xs, reported))


{"roots": check_roots, "turning": check_turning, "digits": check_digits}[SECTION]()
for failure in failures:
    print(failure)
print(f"{SECTION}: {len(failures)} failure(s)")
sys.exit(1 if failures else 0)
