"""What the tests of the Python module share: the module from the build tree
(PYTHONPATH) and the command line it is compared against (QUILL_CLI)."""

import os
import subprocess

import pytest

import quillometer

needs_analysis = pytest.mark.skipif(not hasattr(quillometer, "roots"), reason="built without the analysis")


@pytest.fixture
def cli(tmp_path):
    """run(coefficient_text, x_text, *options): quillometer-cli on two list
    files holding the texts in UTF-8 with CR LF line breaks; returns
    (status, standard output bytes, standard error text)."""
    program = os.environ.get("QUILL_CLI")
    if not program:
        pytest.skip("QUILL_CLI does not name the command line")

    def run(coefficient_text, x_text, *options):
        files = []
        for name, text in (("An.txt", coefficient_text), ("X.txt", x_text)):
            path = tmp_path / name
            path.write_bytes(text.replace("\r\n", "\n").replace("\n", "\r\n").encode())
            files.append(str(path))
        done = subprocess.run([program, *options, *files], capture_output=True, env={**os.environ, "LC_ALL": "C"})
        return done.returncode, done.stdout, done.stderr.decode()

    return run
