"""expand, fit and inverse: the doubles nearest to the exact answers, checked
with Python's fractions; the fit beside NumPy's on the same doubles."""

import math
from fractions import Fraction

import numpy as np
import pytest

import quillometer
from conftest import needs_analysis

pytestmark = needs_analysis


def poly_product(*factors):
    out = [Fraction(1)]
    for f in factors:
        f = [Fraction(c) for c in f]
        new = [Fraction(0)] * (len(out) + len(f) - 1)
        for i, u in enumerate(out):
            for j, v in enumerate(f):
                new[i + j] += u * v
        out = new
    return [float(c) for c in out]


@pytest.mark.parametrize(
    "text, mark, expected",
    [
        ("(x - 0.1)^3 (2x + 1)", ".", poly_product(*[[Fraction(-1, 10), 1]] * 3, [1, 2])),
        ("(x - 0,1)^3 (2x + 1)", ",", poly_product(*[[Fraction(-1, 10), 1]] * 3, [1, 2])),
        ("(0.1x + 0.2)^5 / 3", ".", None),
        ("x - x", ".", [0.0]),
    ],
)
def test_expand(text, mark, expected):
    if expected is None:  # (0.1x + 0.2)^5 / 3, each coefficient rounded once
        expected = [float(Fraction(math.comb(5, k)) * Fraction(1, 10) ** k * Fraction(2, 10) ** (5 - k) / 3)
                    for k in range(6)]
    got = quillometer.expand(text, decimal_mark=mark)
    assert got.dtype == np.float64 and got.tolist() == expected


@pytest.mark.parametrize("text, message", [
    ("2x+", "formula:4: the formula ends where a number, x or '(' was expected."),
    ("1/x", "formula:2: can divide only by a number, not by x."),
])
def test_expand_errors(text, message):
    with pytest.raises(ValueError, match=None) as caught:
        quillometer.expand(text)
    assert str(caught.value) == message


def exact_fit(x, y, degree):
    xs, ys = [Fraction(v) for v in x], [Fraction(v) for v in y]
    n = degree + 1
    m = [[sum(v ** (j + k) for v in xs) for k in range(n)] + [sum(b * v ** j for v, b in zip(xs, ys))]
         for j in range(n)]
    for c in range(n):  # Gauss-Jordan over the rationals
        p = next(r for r in range(c, n) if m[r][c] != 0)
        m[c], m[p] = m[p], m[c]
        m[c] = [v / m[c][c] for v in m[c]]
        for r in range(n):
            if r != c and m[r][c] != 0:
                m[r] = [a - m[r][c] * b for a, b in zip(m[r], m[c])]
    return [float(m[r][n]) for r in range(n)]


# The cases where NumPy's polyfit misses the nearest doubles.
@pytest.mark.parametrize("x, degree", [
    (np.linspace(1000.0, 1010.0, 200), 4),
    (np.linspace(0.0, 1.0, 200), 10),
])
def test_fit_is_exact_where_numpy_is_not(x, degree):
    y = np.sin(x) + x ** 2 / 7
    coefficients, statistics = quillometer.fit(x, y, degree)
    expected = exact_fit(x.tolist(), y.tolist(), degree)
    assert coefficients.tolist() == expected
    numpy_fit = np.polynomial.polynomial.polyfit(x, y, degree)
    assert numpy_fit.tolist() != expected
    assert statistics["count"] == 200 and 0.99 < statistics["r_squared"] <= 1.0


def test_fit_weights_and_errors():
    coefficients, statistics = quillometer.fit([0.0, 1.0, 2.0, 3.0], [1.0, 3.0, 5.0, 100.0], 1, w=[1, 1, 1, 0])
    assert coefficients.tolist() == [1.0, 2.0] and statistics["largest_residual"] == 0.0
    with pytest.raises(ValueError, match="needs at least 3 distinct x values"):
        quillometer.fit([0.0, 1.0, 1.0], [1.0, 2.0, 3.0], 2)
    with pytest.raises(ValueError, match="negative weight"):
        quillometer.fit([0.0, 1.0], [1.0, 2.0], 1, w=[1.0, -1.0])


# Values or weights near the top of the double range: the statistics come
# out finite and right, not inf or nan from sums that overflow.
@pytest.mark.parametrize("y, w, rms, r_squared", [
    ([1e308, -1e308, 1e308], None, (8 / 9) ** 0.5 * 1e308, 0.0),
    ([1.0, 2.0, 4.0], [1e308] * 3, (1 / 18) ** 0.5, 1 - (1 / 6) / (14 / 3)),
])
def test_fit_statistics_near_the_double_range(y, w, rms, r_squared):
    _, statistics = quillometer.fit([0.0, 1.0, 2.0], y, 1, w=w)
    assert statistics["rms_residual"] == pytest.approx(rms, rel=1e-15)
    assert statistics["r_squared"] == pytest.approx(r_squared, rel=1e-15, abs=1e-300)


def test_inverse():
    index, x, multiplicity = quillometer.inverse([-2.0, 0.0, 1.0], [2.0, -2.0, -3.0, 0.25])
    assert index.tolist() == [0, 0, 1, 3, 3]
    assert x.tolist() == [-2.0, 2.0, 0.0, -1.5, 1.5]
    assert multiplicity.tolist() == [1, 1, 2, 1, 1]
    # A root exactly halfway between two doubles goes to the even one.
    _, x, _ = quillometer.inverse([-(1 + 2.0 ** -52), 1.0], [2.0 ** -53])
    assert x.tolist() == [1 + 2.0 ** -51]
    # The interval is decided exactly: the root just above 2 is left out.
    _, x, _ = quillometer.inverse([0.0, 1.0], [2.0, 2.0 + 2.0 ** -51], interval=(0, 2))
    assert x.tolist() == [2.0]
    with pytest.raises(ValueError, match="constant"):
        quillometer.inverse([3.0], [1.0])
