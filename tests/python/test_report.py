"""report: the command line's output for the same two lists, byte for byte,
and its errors with the same message at the same line."""

import pytest

import quillometer


@pytest.mark.parametrize(
    "coefficients, x, options",
    [
        ("1\n2\n", "0.5\n3\n", ()),
        ("  1.5 \n\n-2e-3\n0\n", "\n1\n-7.25\n1e100\n\n", ()),  # blanks around values, blank lines
        ("1,5\n2\n", "0,5\n-3\n", ("--decimal-mark", ",")),
        ("0.1\n3\n", "0.2\n-1e-300\n", ("--hex",)),
        ("\ufeff1\r\n2\r", "3\r4", ()),  # a byte-order mark; CR LF and CR breaks, no final break
        ("", "1\n2\n", ()),
        ("1\n", "", ()),
    ],
)
def test_the_report_is_the_command_lines(cli, coefficients, x, options):
    status, expected, _ = cli(coefficients, x, *options)
    assert status == 0
    decimal_mark = options[1] if options[:1] == ("--decimal-mark",) else "."
    assert quillometer.report(coefficients, x, decimal_mark, "--hex" in options).encode() == expected
    assert quillometer.report(coefficients, x, decimal_mark, "--hex" in options, threads=1).encode() == expected


@pytest.mark.parametrize(
    "coefficients, x, exception, where",
    [
        ("1\nzz\n", "0.5\n", ValueError, "coefficient_text, line 2"),
        ("1\n", "1\n\n1e999\n", ValueError, "x_text, line 3"),
        ("zz\n", "yy\n", ValueError, "coefficient_text, line 1"),  # the coefficients' error first
        ("1e300\n1e300\n", "1\n1e200\n", OverflowError, "x_text, line 2"),
        ("1e400\n", "1\n", ValueError, "coefficient_text, line 1"),  # a value read, not an F(x)
        ("1\n", "1\n\x1b[31m" + "z" * 300 + "\n", ValueError, "x_text, line 2"),  # quoted safely, cut at 200
    ],
)
def test_an_error_is_the_command_lines_at_the_same_line(cli, coefficients, x, exception, where):
    status, output, error = cli(coefficients, x)
    assert status != 0 and output == b""
    file_line, message = error.strip().split(": ", 1)
    with pytest.raises(exception) as raised:
        quillometer.report(coefficients, x)
    assert str(raised.value) == f"{where}: {message}"
    assert raised.value.line == int(file_line.rsplit(":", 1)[1])


@pytest.mark.parametrize(
    "call, exception, match",
    [
        (lambda: quillometer.report(b"1\n", "1\n"), TypeError, "coefficient_text must be str, not bytes"),
        (lambda: quillometer.report("1\n", None), TypeError, "x_text must be str, not NoneType"),
        (lambda: quillometer.report("1\x00\n", "1\n"), ValueError, "coefficient_text: "),
        (lambda: quillometer.report("1\n", "1\n", decimal_mark="+"), ValueError, "decimal_mark"),
    ],
)
def test_wrong_arguments_are_refused(call, exception, match):
    with pytest.raises(exception, match=match):
        call()
