#!/usr/bin/python3
"""Coefficients from formulas and points, and x from F(x), against exact
arithmetic of their own: sympy's parser and exact polynomials, Python's
fractions, and exact root intervals. Usage: check_formula.py PROBE expand|fit|inverse"""

import math
import random
import subprocess
import sys
from fractions import Fraction

import sympy
from sympy.parsing.sympy_parser import (convert_xor, implicit_multiplication_application, parse_expr,
                                        rationalize, standard_transformations)

X = sympy.Symbol("x")
PROBE, SECTION = sys.argv[1], sys.argv[2]
failures = []


def ask(requests):
    """The probe's answer lines for each request."""
    out = subprocess.run([PROBE], input="".join(r + "\n" for r in requests), check=True, capture_output=True,
                         text=True).stdout
    answers, current = [], []
    for line in out.splitlines():
        if line == "end":
            answers.append(current)
            current = []
        else:
            current.append(line)
    return answers


def hexes(values):
    return " ".join(float(v).hex() for v in values)


def check(name, got, expected):
    if got != expected:
        failures.append(f"{name}:\n  got      {got}\n  expected {expected}")


def nearest(q):
    """The double nearest to a Fraction, ties to even (Python rounds so)."""
    return float(q) + 0.0


# ---- expand ------------------------------------------------------------------

def sympy_coefficients(formula):
    text = formula.replace("\u2212", "-").replace("\u00b7", "*").replace("\u00b3", "^3").replace("\u00b2", "^2")
    expr = parse_expr(text, transformations=standard_transformations + (implicit_multiplication_application,
                                                                         convert_xor, rationalize),
                      local_dict={"x": X})
    poly = sympy.Poly(sympy.expand(expr), X)
    coefficients = [Fraction(int(c.p), int(c.q)) for c in reversed(poly.all_coeffs())]
    while len(coefficients) > 1 and coefficients[-1] == 0:
        coefficients.pop()
    return [nearest(c).hex() for c in coefficients]


EXPAND_CASES = [  # formula, decimal mark, expected error (None: compare with sympy)
    ("(x-0.1)^3(2x+1)", ".", None),
    ("(x - 0,1)\u00b3\u00b7(2x + 1)", ",", None),
    ("(x \u2212 0.1)\u00b3(2x + 1)", ".", None),
    ("0.1x^2 + 0.2x + 0.3", ".", None),
    ("(x+1)^10/3", ".", None),
    ("-x^2", ".", None),
    ("2(x-1)(x+2) - 3x", ".", None),
    ("1e-400x + 1e400x^2/1e400", ".", None),
    ("(1 + 1e-17)^3 x", ".", None),               # rounded once, not three times
    ("(x+1)^100", ".", None),
    ("(0.3x - 0.7)^25", ".", None),
    ("x - x", ".", None),                          # the zero polynomial: one 0
    ("(2^-1074)", ".", "formula:4: the exponent must be a whole number from 0 on"),
    ("2x+", ".", "formula:4: the formula ends where a number, x or '(' was expected"),
    ("1/(x-1)", ".", "formula:2: can divide only by a number, not by x"),
    ("x/(2-2)", ".", "formula:2: division by zero"),
    ("(x+1", ".", "formula:5: '(' at column 1 is not closed"),
    ("x+1)", ".", "formula:4: ')' without a matching '('"),
    ("x^2^3", ".", "formula:4: write a power of a power with parentheses"),
    ("2 3", ".", "formula:3: a number cannot follow a number"),
    ("x $ 2", ".", "formula:3: unexpected '$'"),
    ("(x+1)^20000", ".", "formula:6: the degree would exceed 10000"),
    ("(1e4999x+1)^9000", ".", "formula:12: the exact expansion would be too large"),
    ("1e308 * 10", ".", "formula: the coefficient of x^0 is beyond the double range"),
    ("", ".", "formula:1: the formula is empty"),
]


def random_formula(rng):
    def number():
        return f"{rng.randint(0, 999)}.{rng.randint(0, 99999):05d}" + (f"e{rng.randint(-30, 30)}" if rng.random() < .3 else "")

    def factor(depth):
        r = rng.random()
        if depth > 2 or r < .3:
            return rng.choice(["x", number(), number() + "x"])
        if r < .6:
            return f"({factor(depth + 1)} {rng.choice('+-')} {factor(depth + 1)})^{rng.randint(0, 4)}"
        if r < .8:
            return f"({factor(depth + 1)})({factor(depth + 1)})"
        return f"({factor(depth + 1)} {rng.choice('+-')} {factor(depth + 1)})/{rng.randint(1, 9)}"
    return " + ".join(factor(0) for _ in range(rng.randint(1, 3)))


def check_expand():
    rng = random.Random(29)
    cases = list(EXPAND_CASES) + [(random_formula(rng), ".", None) for _ in range(60)]
    answers = ask([f"expand {mark} {formula}" for formula, mark, _ in cases])
    for (formula, mark, error), got in zip(cases, answers):
        if error is not None:
            check(formula, got, ["error " + error])
            continue
        try:
            expected = sympy_coefficients(formula.replace(",", ".") if mark == "," else formula)
        except OverflowError:
            expected = got
        check(formula, [h if h.startswith("error") else float.fromhex(h).hex() for h in got], expected)


# ---- fit ---------------------------------------------------------------------

def exact_fit(x, y, w, degree):
    """The exact least-squares coefficients, as Fractions."""
    xs, ys = [Fraction(v) for v in x], [Fraction(v) for v in y]
    ws = [Fraction(v) for v in w] if w else [Fraction(1)] * len(x)
    sums = [sum(wi * xi ** k for wi, xi in zip(ws, xs)) for k in range(2 * degree + 1)]
    rhs = [sum(wi * yi * xi ** k for wi, xi, yi in zip(ws, xs, ys)) for k in range(degree + 1)]
    m = sympy.Matrix(degree + 1, degree + 1, lambda j, k: sympy.Rational(sums[j + k].numerator, sums[j + k].denominator))
    b = sympy.Matrix([sympy.Rational(r.numerator, r.denominator) for r in rhs])
    solution = m.LUsolve(b)
    return [Fraction(int(c.p), int(c.q)) for c in solution]


def fit_cases():
    rng = random.Random(4)
    cases = []
    x = [1000 + 10 * k / 199 for k in range(200)]
    cases.append(("200 points in [1000, 1010], degree 4", x, [math.sin(v) for v in x], None, 4))
    x = [k / 199 for k in range(200)]
    cases.append(("200 points in [0, 1], degree 10", x, [math.exp(v) + rng.gauss(0, 1e-3) for v in x], None, 10))
    cases.append(("exact line", [0.0, 1.0, 2.0], [1.0, 3.0, 5.0], None, 1))
    cases.append(("interpolation through 4 points", [-1.0, 0.5, 2.0, 3.0], [0.1, 0.2, 0.3, 0.7], None, 3))
    cases.append(("weights, one of them zero", [0.0, 1.0, 2.0, 3.0], [1.0, 2.0, 2.0, 100.0], [1.0, 2.0, 0.5, 0.0], 1))
    cases.append(("negative and repeated x", [-2.0, -2.0, -1.0, 1.0, 1.0], [4.0, 4.5, 1.0, 1.0, 0.9], None, 2))
    cases.append(("wide exponents", [1e-300, 1e-10, 1.0, 1e10, 3e20], [1.0, 2e-300, -5.0, 1e300, 7.0], None, 2))
    cases.append(("subnormal y", [1.0, 2.0, 3.0], [5e-324, 0.0, 1e-323], None, 1))
    cases.append(("tie: exactly halfway", [0.0, 1.0], [0.0, 1 + 2.0 ** -52], [1.0, 1.0], 0))
    for k in range(3):
        n = rng.randint(5, 40)
        x = [rng.uniform(-5, 5) for _ in range(n)]
        cases.append((f"random #{k}", x, [rng.uniform(-1e3, 1e3) for _ in range(n)],
                      [rng.uniform(0, 3) for _ in range(n)] if k else None, rng.randint(0, 4)))
    return cases


FIT_ERRORS = [
    ("fit 2 0 1 1 ; 1 2 3", "error a fit of degree 2 needs at least 3 distinct x values, and there are 2"),
    ("fit 1 0 1 ; 1 2 ; 1 0", "error a fit of degree 1 needs at least 2 distinct x values of positive weight, and there is 1"),
    ("fit 1 0 1 2 ; 1 2 3 ; 1 -1 1", "error point 2 has a negative weight"),
    ("fit 1 0 inf 2 ; 1 2 3", "error point 2 is not finite"),
    ("fit 101 0 ; 1", "error the degree must be a whole number from 0 to 100"),
]


def check_fit():
    cases = fit_cases()
    requests = [f"fit {d} {hexes(x)} ; {hexes(y)}" + (f" ; {hexes(w)}" if w else "") for _, x, y, w, d in cases]
    answers = ask(requests + [r for r, _ in FIT_ERRORS])
    for (name, x, y, w, d), got in zip(cases, answers):
        expected = [nearest(c).hex() for c in exact_fit(x, y, w, d)]
        check(name, [float.fromhex(h).hex() if not h.startswith("error") else h for h in got], expected)
    for (request, error), got in zip(FIT_ERRORS, answers[len(cases):]):
        check(request, got, [error.replace("inf", "")] if False else [error])


# ---- inverse -----------------------------------------------------------------

def exact_inverse(a, y, interval):
    """The roots of F(x) - y as 'x multiplicity' words, from sympy's exact
    isolating intervals narrowed until both ends round alike (or the root
    is rational and rounded itself)."""
    coefficients = [sympy.Rational(Fraction(c).numerator, Fraction(c).denominator) for c in a]
    coefficients[0] -= sympy.Rational(Fraction(y).numerator, Fraction(y).denominator)
    poly = sympy.Poly(list(reversed(coefficients)), X)
    words = []
    roots = []
    for factor, multiplicity in poly.sqf_list()[1]:
        for (lo, hi), _ in factor.intervals():
            lo, hi = Fraction(int(lo.p), int(lo.q)), Fraction(int(hi.p), int(hi.q))
            eps = (hi - lo) or Fraction(1)
            while lo != hi and nearest(lo) != nearest(hi):
                eps /= 2 ** 40
                lo, hi = factor.refine_root(sympy.Rational(lo.numerator, lo.denominator),
                                            sympy.Rational(hi.numerator, hi.denominator),
                                            eps=sympy.Rational(eps.numerator, eps.denominator))
                lo, hi = Fraction(int(lo.p), int(lo.q)), Fraction(int(hi.p), int(hi.q))
                mid = (Fraction(nearest(lo)) + Fraction(nearest(hi))) / 2
                if lo <= mid <= hi and factor.eval(sympy.Rational(mid.numerator, mid.denominator)) == 0:
                    lo = hi = mid
            if interval and not (Fraction(interval[0]) <= lo and hi <= Fraction(interval[1])):
                if hi < Fraction(interval[0]) or lo > Fraction(interval[1]):
                    continue
            roots.append((nearest(lo), multiplicity))
    for x, m in sorted(roots):
        words.append(f"{x.hex()} {m}")
    return " ".join(words)


def inverse_cases():
    rng = random.Random(11)
    cases = []
    calibration = [0.0, 2.5, -0.3, 0.05, 1e-3, 1e-4, 2e-5, 1e-6, 3e-7, 1e-8, 1e-9]  # monotone on [0, 10]
    cases.append(("calibration curve on [0, 10]", calibration, [rng.uniform(0, 40) for _ in range(200)], (0.0, 10.0)))
    cases.append(("x^2 - 2 at its turning value and around", [-2.0, 0.0, 1.0], [-2.0, -3.0, 0.0, 2.0, -2 + 2.0 ** -52], None))
    cases.append(("(x-1)^3: a triple root", [-1.0, 3.0, -3.0, 1.0], [0.0, 1e-30, -1e-30, 8.0], None))
    cases.append(("a root exactly halfway between doubles", [-(1 + 2.0 ** -53), 1.0], [0.0, 2.0 ** -53], None))
    cases.append(("roots at the interval's ends", [0.0, 0.0, 1.0], [1.0, 4.0, 0.25], (-1.0, 0.5)))
    tiny = 2.0 ** -1074
    cases.append(("turning points at 0 and the least double", [0.0, 0.0, -3 * tiny, 2.0],
                  [0.0, -tiny, tiny, 1e-300, -1.0], None))
    cases.append(("Chebyshev 8 crossings", [float(c) for c in reversed(sympy.Poly(sympy.chebyshevt(8, X), X).all_coeffs())],
                  [0.0, 0.5, -1.0, 1.0, 0.999], None))
    for k in range(3):
        a = [rng.uniform(-3, 3) for _ in range(rng.randint(3, 9))]
        cases.append((f"random #{k}", a, [rng.uniform(-5, 5) for _ in range(30)], None if k else (-1.5, 2.0)))
    return cases


def check_inverse():
    cases = inverse_cases()
    requests = []
    for _, a, ys, interval in cases:
        bounds = f"{float(interval[0]).hex()} {float(interval[1]).hex()}" if interval else "-"
        requests.append(f"inverse {bounds} ; {hexes(a)} ; {hexes(ys)}")
    errors = [("inverse - ; 3 ; 1", "error the polynomial is constant, so no x can be found from F(x)"),
              ("inverse 0x1p+0 0x0p+0 ; 0 1 ; 1", "error the interval's low end is above its high end")]
    answers = ask(requests + [r for r, _ in errors])
    for (name, a, ys, interval), got in zip(cases, answers):
        for y, line in zip(ys, got):
            words = line.split()
            normal = " ".join(f"{float.fromhex(w).hex()} {m}" for w, m in zip(words[::2], words[1::2]))
            check(f"{name}, y = {y!r}", normal, exact_inverse(a, y, interval))
    for (request, error), got in zip(errors, answers[len(cases):]):
        check(request, got, [error])


{"expand": check_expand, "fit": check_fit, "inverse": check_inverse}[SECTION]()
for failure in failures:
    print(failure)
print(f"{SECTION}: {len(failures)} failure(s)")
sys.exit(1 if failures else 0)
