"""The analysis stops when asked and fails soundly when memory runs out, on
the command line (Ctrl+C: the process ends by SIGINT and leaves its -o
target alone; "Out of memory." with status 1) and in Python
(KeyboardInterrupt, MemoryError). Each run is a process of its own, sent
SIGINT a second after it starts or given a small address space."""

import os
import resource
import signal
import subprocess
import sys
import time

import pytest

from conftest import needs_analysis

pytestmark = needs_analysis

STOPPED_WITHIN = 2.0  # seconds from the signal to the end; the goal is half a second, the machine is shared
SANITIZED = "ASAN_OPTIONS" in os.environ  # the sanitizers reserve more address space than any limit below


def integers(n, seed=1):
    """n small integer coefficients, the same on every run."""
    values, state = [], seed
    for _ in range(n):
        state = (state * 6364136223846793005 + 1442695040888963407) % 2**64
        values.append(float((state >> 33) % 19 - 9))
    return values


def write(path, values):
    path.write_text("".join(f"{v!r}\n" for v in values))
    return str(path)


@pytest.mark.parametrize(
    "task, coefficients, x",
    [
        ("--accuracy", 30000, [5e-324] * 4),  # the Solve, then the exact road at every x
        ("--roots", 5000, None),
        ("--extrema", 5000, None),
    ],
)
def test_command_line_ends_at_sigint(tmp_path, task, coefficients, x):
    program = os.environ.get("QUILL_CLI") or pytest.skip("QUILL_CLI does not name the command line")
    files = [write(tmp_path / "an.txt", integers(coefficients))] + ([write(tmp_path / "x.txt", x)] if x else [])
    target = tmp_path / "out.txt"
    run = subprocess.Popen([program, task, "--threads", "2", "-o", str(target), *files],
                           stderr=subprocess.PIPE, preexec_fn=lambda: signal.signal(signal.SIGINT, signal.SIG_DFL))
    time.sleep(1.0)
    assert run.poll() is None, "ended before the signal: the input is too small"
    run.send_signal(signal.SIGINT)
    sent = time.monotonic()
    try:
        status = run.wait(timeout=60)
    finally:
        run.kill()
    took = time.monotonic() - sent
    print(f"{task}: ended {took:.3f} s after SIGINT")
    assert status in (-signal.SIGINT, 130) and took < STOPPED_WITHIN
    assert not target.exists()


INTERRUPTED = """
import os, signal, threading, time
import quillometer
a = {coefficients}
fired = []
def fire():
    fired.append(time.monotonic())
    os.kill(os.getpid(), signal.SIGINT)
threading.Timer(1.0, fire).start()
try:
    {call}
    print("not interrupted")
except KeyboardInterrupt:
    print(time.monotonic() - fired[0])
"""


@pytest.mark.parametrize(
    "coefficients, call",
    [
        (30000, "quillometer.accuracy(a, [5e-324] * 8, [1.0] * 8, threads=1)"),  # inside one exact evaluation
        (3000, "quillometer.accuracy(a, [0.999] * 1000000)"),  # the engine's own values first
        (5000, "quillometer.roots(a)"),
        (5000, "quillometer.extrema(a)"),
        (1, "quillometer.fit([i / 7 for i in range(300000)], [1.0] * 300000, 100, threads=1)"),  # the power sums
        (1, "quillometer.fit([1000 + i / 20 for i in range(200)], [i % 7.0 for i in range(200)], 100)"),  # the solve
        (300, "quillometer.inverse(a, [0.5] * 1000, threads=1)"),  # y after y on the certified road
        (5000, "quillometer.inverse(a, [0.5])"),  # the turning points first
    ],
)
def test_python_raises_keyboard_interrupt(coefficients, call):
    script = INTERRUPTED.format(coefficients=integers(coefficients), call=call)
    try:
        done = subprocess.run([sys.executable, "-"], input=script, capture_output=True, text=True, timeout=60)
    except subprocess.TimeoutExpired:
        pytest.fail(f"{call} went on a minute after Ctrl+C")
    assert done.returncode == 0, done.stderr
    took = float(done.stdout)
    print(f"{call}: KeyboardInterrupt {took:.3f} s after SIGINT")
    assert took < STOPPED_WITHIN


def limit_address_space(megabytes):
    resource.setrlimit(resource.RLIMIT_AS, (megabytes << 20, megabytes << 20))


@pytest.mark.skipif(SANITIZED, reason="the sanitizers need more address space")
def test_command_line_out_of_memory(tmp_path):
    # The exact values at a subnormal x need about 40 MB beside the program's own 20 or so.
    program = os.environ.get("QUILL_CLI") or pytest.skip("QUILL_CLI does not name the command line")
    files = [write(tmp_path / "an.txt", integers(30000)), write(tmp_path / "x.txt", [5e-324])]
    done = subprocess.run([program, "--accuracy", "--threads", "1", "-o", str(tmp_path / "out.txt"), *files],
                          capture_output=True, timeout=120, preexec_fn=lambda: limit_address_space(40))
    assert (done.returncode, done.stderr) == (1, b"Out of memory.\n")
    assert not (tmp_path / "out.txt").exists()


OUT_OF_MEMORY = """
import resource
import quillometer
a = [float(i % 19 - 9) for i in range(200000)]
with open("/proc/self/statm") as f:
    size = int(f.read().split()[0]) * resource.getpagesize()
resource.setrlimit(resource.RLIMIT_AS, (size + (100 << 20), size + (100 << 20)))
try:
    quillometer.accuracy(a, [5e-324], [1.0])
except MemoryError:
    print("MemoryError")
print(quillometer.accuracy([1.0, 2.0], [3.0])[1].tolist())
"""


@pytest.mark.skipif(SANITIZED, reason="the sanitizers need more address space")
def test_python_memory_error():
    # About 270 MB for the exact values, with 100 MB to spare: MemoryError,
    # and the interpreter goes on.
    done = subprocess.run([sys.executable, "-c", OUT_OF_MEMORY], capture_output=True, text=True, timeout=120)
    assert (done.returncode, done.stdout) == (0, "MemoryError\n[17]\n"), done.stderr
