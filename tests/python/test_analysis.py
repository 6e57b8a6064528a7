"""roots, extrema and accuracy: the analysis's answers as NumPy arrays, and
the exact values accuracy judges against, checked with Python's fractions."""

import math
from fractions import Fraction

import numpy as np
import pytest

import quillometer
from conftest import needs_analysis

pytestmark = needs_analysis


@pytest.mark.parametrize(
    "coefficients, re, im, multiplicity",
    [
        ([-6.0, 11.0, -6.0, 1.0], [1.0, 2.0, 3.0], [0.0, 0.0, 0.0], [1, 1, 1]),
        ([-2.0, 0.0, 1.0, 0.0], [-math.sqrt(2.0), math.sqrt(2.0)], [0.0, 0.0], [1, 1]),  # a zero leading a(n)
        ([1.0, 2.0, 1.0], [-1.0], [0.0], [2]),
        ([1.0, 0.0, 1.0], [0.0, 0.0], [-1.0, 1.0], [1, 1]),
        ([5.0], [], [], []),
    ],
)
def test_roots(coefficients, re, im, multiplicity):
    got = quillometer.roots(np.array(coefficients))
    assert [a.dtype for a in got] == [np.float64, np.float64, np.int64]
    assert [a.tolist() for a in got] == [re, im, multiplicity]


@pytest.mark.parametrize(
    "coefficients, x, fx, kind, multiplicity",
    [
        ([0.0, -3.0, 0.0, 1.0], [-1.0, 1.0], [2.0, -2.0], ["max", "min"], [1, 1]),
        ([0.0, 0.0, 0.0, 1.0], [0.0], [0.0], ["flat"], [2]),
        ([1.0, 1.0], [], [], [], []),
    ],
)
def test_extrema(coefficients, x, fx, kind, multiplicity):
    got = quillometer.extrema(coefficients)
    assert [a.tolist() for a in got] == [x, fx, kind, multiplicity]


def exact_value(coefficients, x):
    return sum(Fraction(a) * Fraction(x) ** k for k, a in enumerate(coefficients))


def correct_digits(value, exact):
    """floor(-log10(|value - exact| / |exact|)) within 0..17, in exact rationals."""
    error = abs(Fraction(value) - exact)
    return max(d for d in range(18) if error * 10**d <= abs(exact))


def test_accuracy_judges_against_the_exact_value():
    rng = np.random.default_rng(7)
    coefficients = rng.standard_normal(8)
    x = rng.uniform(-2.0, 2.0, (40, 3))
    exact, digits = quillometer.accuracy(coefficients, x)
    assert exact.shape == digits.shape == x.shape and digits.dtype == np.uint8
    fx = quillometer.evaluate(coefficients, x)
    for i in np.ndindex(x.shape):
        value = exact_value(coefficients, x[i])
        assert exact[i] == float(value) and digits[i] == correct_digits(fx[i], value)
    assert np.array_equal(quillometer.accuracy(coefficients, x, fx, threads=1)[1], digits)


@pytest.mark.parametrize(
    "values, digits",
    [([1.0], 17), ([1.001], 3), ([1.0 + 2.0**-52], 15), ([-1.0], 0), ([math.nan], 0), ([math.inf], 0)],
)
def test_accuracy_of_given_values(values, digits):
    assert quillometer.accuracy([1.0], [2.0], values)[1].tolist() == [digits]


def test_a_root_beyond_the_double_range_formats_as_the_command_line_writes_it():
    real = quillometer.roots([1e300, 1e-300])[0]
    assert quillometer.format(real).tolist() == ["-INF"]


@pytest.mark.parametrize(
    "call, match",
    [
        (lambda: quillometer.roots([0.0, 0.0]), "every coefficient is zero"),
        (lambda: quillometer.extrema([3.0]), "is constant"),
        (lambda: quillometer.roots([1.0, math.inf]), r"coefficients\[1\] = inf"),
        (lambda: quillometer.extrema([[1.0, 2.0]]), "one-dimensional"),
        (lambda: quillometer.accuracy([1.0], [1.0, math.nan]), r"x\[1\] = nan"),
        (lambda: quillometer.accuracy([1.0], [1.0], [1.0, 2.0]), "shape of x"),
    ],
)
def test_refused(call, match):
    with pytest.raises(ValueError, match=match):
        call()
