"""evaluate, parse and format: the doubles and texts of the command line's
report, the arrays they take (in place or converted), their errors, and the
GIL left free while they work."""

import doctest
import math
import threading
import time
import tracemalloc

import numpy as np
import pytest

import quillometer

RNG = np.random.default_rng(20230)


def random_texts(count, spread):
    """Number texts of 1 to 20 significant digits, magnitudes up to 10**spread."""
    values = RNG.standard_normal(count) * 10.0 ** RNG.integers(-spread, spread + 1, count)
    return [f"{v:.{d}g}" for v, d in zip(values, RNG.integers(1, 21, count))]


def report_values(report, label):
    """The numbers of the report's lines that start with label ("A[", "X[" or "F(")."""
    return [line.rsplit("=", 1)[1] for line in report.decode().split("\r\n") if line.startswith(label)]


def bits(values):
    return np.asarray(values, dtype=np.float64).tobytes()


@pytest.mark.parametrize(
    "n_coefficients, mark, threads",
    [(1, ".", 0), (10, ",", 0), (25, ".", 1), (25, ";", 2)],
)
def test_values_and_texts_are_the_reports(cli, n_coefficients, mark, threads):
    a_texts = [t.replace(".", mark) for t in random_texts(n_coefficients, 4)]
    x_texts = [t.replace(".", mark) for t in random_texts(3000, 2)]
    a = quillometer.parse(a_texts, mark, threads=threads)
    x = quillometer.parse(x_texts, mark, threads=threads)
    fx = quillometer.evaluate(a, x, threads=threads)

    status, hex_report, _ = cli("\n".join(a_texts), "\n".join(x_texts), "--hex", "--decimal-mark", mark)
    assert status == 0
    for label, values in (("A[", a), ("X[", x), ("F(", fx)):
        texts = report_values(hex_report, label)
        assert bits([float.fromhex(t) for t in texts]) == bits(values)
        assert quillometer.format(values, hex=True, threads=threads).tolist() == texts

    status, report, _ = cli("\n".join(a_texts), "\n".join(x_texts), "--decimal-mark", mark)
    assert status == 0
    for label, values in (("A[", a), ("X[", x), ("F(", fx)):
        assert quillometer.format(values, mark, threads=threads).tolist() == report_values(report, label)

    for options, hex in (((), False), (("--hex",), True)):
        status, csv, _ = cli("\n".join(a_texts), "\n".join(x_texts), "--format", "csv", "--decimal-mark", mark, *options)
        assert status == 0
        header, *rows = csv.decode().splitlines()
        assert header == "x,F(x)"
        assert rows == [f"{t},{f}" for t, f in zip(quillometer.format(x, hex=hex), quillometer.format(fx, hex=hex))]


@pytest.mark.parametrize(
    "coefficients, x, fx",
    [
        ([], [1.0, -2.0], [0.0, 0.0]),  # no coefficients: F is 0
        ([1.0, 2.0, 3.0], [0.0, 0.5, 2.0], [1.0, 2.75, 17.0]),
        ([1.0, 1.0], 2.0, 3.0),  # a 0-d x gives a 0-d F
        ([1.0, 1.0], np.empty((0, 3)), np.empty((0, 3))),
        ([0.0, 1.0], [[1.0, 2.0], [3.0, -0.0]], [[1.0, 2.0], [3.0, 0.0]]),  # shape kept; +0 + -0 is +0
    ],
)
def test_small_cases(coefficients, x, fx):
    got = quillometer.evaluate(coefficients, x)
    assert got.dtype == np.float64 and got.shape == np.shape(fx)
    assert got.tobytes() == bits(fx)


def test_long_arrays_split_across_threads_keep_their_order():
    x = np.linspace(-3.0, 3.0, 100_003)
    texts = quillometer.format(x)
    pieces = [quillometer.format(x[i : i + 1000], threads=1) for i in range(0, len(x), 1000)]
    assert texts.tolist() == np.concatenate(pieces).tolist()
    assert quillometer.parse(texts).tobytes() == quillometer.parse(texts.tolist(), threads=1).tobytes()
    # the first bad text is named, wherever the threads meet the bad ones
    bad = texts.tolist()
    bad[70_000] = "no"
    bad[20_000] = "1e999"
    with pytest.raises(ValueError) as error:
        quillometer.parse(bad)
    assert error.value.index == 20_000


BASE = np.linspace(-3.0, 3.0, 1_000_000)


@pytest.mark.parametrize(
    "make, copied",
    [
        (lambda x: x, False),
        (lambda x: x.reshape(1000, 1000), False),
        (lambda x: x.reshape(1000, 1000).T, True),  # Fortran order
        (lambda x: np.repeat(x, 2)[::2], True),  # strided
        (lambda x: x.astype(">f8"), True),  # byte-swapped
        (lambda x: x.astype(np.float32), True),
        (lambda x: (x * 1000).astype(np.int64), True),
        (lambda x: x.tolist(), True),
    ],
)
def test_float64_is_read_in_place_and_the_rest_converted(make, copied):
    coefficients = [0.5, -1.0, 0.25, 2.0]
    x = make(BASE)
    expected = quillometer.evaluate(coefficients, np.array(x, dtype=np.float64, order="C"))
    tracemalloc.start()
    try:
        before = tracemalloc.get_traced_memory()[0]
        tracemalloc.reset_peak()
        fx = quillometer.evaluate(coefficients, x)
        peak = tracemalloc.get_traced_memory()[1] - before
        assert fx.tobytes() == expected.tobytes() and fx.shape == np.shape(x)
        nbytes = fx.nbytes
        del fx  # and its memory is given back
        after = tracemalloc.get_traced_memory()[0] - before
    finally:
        tracemalloc.stop()
    # The result alone, or the result and one float64 copy of x.
    assert peak / nbytes == pytest.approx(2.0 if copied else 1.0, abs=0.1)
    assert after / nbytes < 0.1


FAILURES = [
    # call, exception, message, index
    (lambda: quillometer.evaluate([1.0, math.nan], [1.0]), ValueError, "coefficients[1] = nan is not a finite number.", 1),
    (lambda: quillometer.evaluate([1.0], [0.0, -math.inf]), ValueError, "x[1] = -inf is not a finite number.", 1),
    (
        lambda: quillometer.evaluate([1.0], [[0.0, 1.0], [math.nan, 2.0]]),
        ValueError,
        "x[1, 0] = nan is not a finite number.",
        (1, 0),
    ),
    (
        lambda: quillometer.evaluate([0.0, 1e300, 1e300], [1.0, 2.0, 1e200, 3.0, 1e300]),
        OverflowError,
        "x[2]: F(x): Floating point overflow.",
        2,
    ),
    (
        lambda: quillometer.parse(["1", " 12x34 ", "zz"]),
        ValueError,
        "texts[1]: '12x34' is not a valid floating point value.",
        1,
    ),
    (lambda: quillometer.parse(["-1e400"]), ValueError, "texts[0]: Floating point overflow.", 0),
    (lambda: quillometer.parse(["2", " "]), ValueError, "texts[1]: '' is not a valid floating point value.", 1),
    (lambda: quillometer.parse(["12\x00x"]), ValueError, "texts[0]: '12\\x00x' is not a valid floating point value.", 0),
    (lambda: quillometer.parse(["z" * 10**6]), ValueError, f"texts[0]: '{'z' * 200}…' is not a valid floating point value.", 0),
    (lambda: quillometer.format([math.inf, math.nan]), ValueError, "values[1] = nan is not a finite number.", 1),
]


@pytest.mark.parametrize("call, exception, message, index", FAILURES)
def test_a_bad_value_is_named_at_its_place(call, exception, message, index):
    with pytest.raises(exception) as error:
        call()
    assert str(error.value) == message
    assert error.value.index == index


REFUSED = [
    # call, exception, part of the message
    (lambda: quillometer.evaluate([[1.0, 2.0]], [1.0]), ValueError, r"one-dimensional, not of shape \(1, 2\)"),
    (lambda: quillometer.evaluate(1.0, [1.0]), ValueError, "one-dimensional"),
    (lambda: quillometer.evaluate([1j], [1.0]), TypeError, "not complex128"),
    (lambda: quillometer.evaluate(["1"], [1.0]), TypeError, "not <U1"),
    (lambda: quillometer.evaluate([1.0], [True]), TypeError, "not bool"),
    (lambda: quillometer.evaluate([1.0], np.ones(2, np.longdouble)), TypeError, "not float128"),
    (lambda: quillometer.evaluate([1.0], None), TypeError, "not object"),
    (lambda: quillometer.evaluate([1.0], [[1.0], [1.0, 2.0]]), ValueError, None),  # ragged: NumPy's message
    (lambda: quillometer.evaluate([1.0], [1.0], threads=-1), ValueError, "threads"),
    (lambda: quillometer.evaluate([1.0], [1.0], threads=1025), ValueError, "threads"),
    (lambda: quillometer.parse(["1"], threads=10**30), ValueError, "threads"),
    (lambda: quillometer.format([1.0], threads=-(10**30)), ValueError, "threads"),
    (lambda: quillometer.evaluate([1.0], [1.0], threads=1.0), TypeError, None),
    (lambda: quillometer.parse("1.5"), TypeError, "not a single str"),
    (lambda: quillometer.parse(7), TypeError, "sequence of str, not int"),
    (lambda: quillometer.parse(["1", 1.5]), TypeError, r"texts\[1\] must be str, not float"),
    (lambda: quillometer.parse(["\ud800"]), ValueError, "surrogate"),
    (lambda: quillometer.parse(["1"], decimal_mark="e"), ValueError, "decimal_mark"),
    (lambda: quillometer.format([1.0], decimal_mark=",,"), ValueError, "decimal_mark"),
    (lambda: quillometer.format([1.0], decimal_mark="·"), ValueError, "decimal_mark"),
]


@pytest.mark.parametrize("call, exception, match", REFUSED)
def test_wrong_arguments_are_refused(call, exception, match):
    with pytest.raises(exception, match=match):
        call()


@pytest.mark.parametrize("threads", [0, 1024, np.int64(3)])
def test_thread_counts_within_the_limits_are_taken(threads):
    assert quillometer.evaluate([1.0, 2.0], [3.0], threads=threads).tolist() == [7.0]
    assert quillometer.parse(["1.5"], threads=threads).tolist() == [1.5]
    assert quillometer.report("1\n", "2\n", threads=threads).endswith("F(2)=1\r\n")


def test_infinities_are_written_as_the_report_writes_them():
    assert quillometer.format([math.inf, -math.inf, 1.0]).tolist() == ["INF", "-INF", "1"]
    assert quillometer.format([-math.inf], hex=True).tolist() == ["-inf"]


@pytest.mark.parametrize(
    "call",
    [
        lambda x: quillometer.evaluate(np.ones(16), x, threads=1),
        lambda x: quillometer.format(x, threads=1),
    ],
)
def test_other_threads_run_while_the_engine_works(call):
    x = np.linspace(-1.0, 1.0, 1_500_000)
    ticks = []
    stop = threading.Event()

    def tick():
        while not stop.is_set():
            ticks.append(time.monotonic())
            time.sleep(0.001)

    ticker = threading.Thread(target=tick)
    ticker.start()
    try:
        time.sleep(0.02)
        start = time.monotonic()
        call(x)
        end = time.monotonic()
    finally:
        stop.set()
        ticker.join()
    assert end - start > 0.05, "too short a call to tell"
    # Held all along, the GIL would let the ticker in once or twice.
    assert sum(start < t < end for t in ticks) >= 10


def test_the_examples_in_the_docstrings():
    failed, attempted = doctest.testmod(quillometer, extraglobs={"quillometer": quillometer})
    assert failed == 0 and attempted >= 10
