"""The Python module's cost beside the engine's own and beside NumPy:

    PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py [BUILD_DIR] [RUNS]

1. quillometer.evaluate on 1,000,000 x values and 10 coefficients against
   the engine's own time for the same work (solve_bench's BM_ComputeFx, on
   one thread and on all); the goal is at most 1.3 times the engine's.
2. evaluate plus format against numpy.polynomial.polynomial.polyval plus
   '%.15g' formatting of the same values; the goal is at least 5 times faster.

It prints the best of RUNS (default 7) for each and the ratios; it asserts
nothing. On one thread it counts the thread's processor time, which other
programs on a busy machine hardly change; on all threads, the time on the
clock, which they do.
"""

import json
import pathlib
import subprocess
import sys
import time

import numpy as np

import quillometer

COUNT = 1_000_000
# The coefficients and x values of solve_bench: 1.5 + i and -0.25 i by turns,
# x uniform in [-10, 10].
COEFFICIENTS = np.array([-0.25 * i if i % 2 else 1.5 + i for i in range(10)])
X = np.random.default_rng(12345).uniform(-10.0, 10.0, COUNT)


def best(call, runs, clock):
    times = []
    for _ in range(runs):
        start = clock()
        call()
        times.append(clock() - start)
    return min(times)


# The clock of each side: the calling thread's processor time on one thread.
CLOCKS = {1: (time.thread_time, "cpu_time"), 0: (time.perf_counter, "real_time")}


def engine_seconds(build, threads):
    """The engine's own time for F at 1e6 x values with 10 coefficients."""
    program = build / "bin" / "solve_bench"
    done = subprocess.run(
        [
            str(program),
            f"--benchmark_filter=^BM_ComputeFx/{COUNT}/{threads}$",
            "--benchmark_format=json",
            "--benchmark_repetitions=5",
            "--benchmark_report_aggregates_only=false",
        ],
        capture_output=True,
        text=True,
        check=True,
    )
    runs = [b for b in json.loads(done.stdout)["benchmarks"] if b.get("run_type") == "iteration"]
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
    return min(b[CLOCKS[threads][1]] * scale[b["time_unit"]] for b in runs)


def percent_g(values):
    return ["%.15g" % v for v in values.tolist()]


def main():
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "build")
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
    print(f"{COUNT} x values, {len(COEFFICIENTS)} coefficients, best of {runs}")

    for threads, label in ((1, "one thread, processor time"), (0, "all threads, clock time")):
        clock = CLOCKS[threads][0]
        print(f"\n{label}")
        engine = engine_seconds(build, threads)
        module = best(lambda: quillometer.evaluate(COEFFICIENTS, X, threads=threads), runs, clock)
        print(f"  engine's evaluation                    {engine * 1e3:8.1f} ms")
        print(f"  quillometer.evaluate                   {module * 1e3:8.1f} ms  {module / engine:5.2f}x the engine's (goal <= 1.3)")

        numpy_side = best(lambda: percent_g(np.polynomial.polynomial.polyval(X, COEFFICIENTS)), runs, clock)
        both = lambda: quillometer.format(quillometer.evaluate(COEFFICIENTS, X, threads=threads), threads=threads)
        texts = best(both, runs, clock)
        strs = best(lambda: both().tolist(), runs, clock)
        print(f"  polyval + '%.15g' (list of str)        {numpy_side * 1e3:8.1f} ms")
        print(f"  evaluate + format (array of str)       {texts * 1e3:8.1f} ms  {numpy_side / texts:5.1f}x faster (goal >= 5)")
        print(f"  evaluate + format + .tolist() (str)    {strs * 1e3:8.1f} ms  {numpy_side / strs:5.1f}x faster")


if __name__ == "__main__":
    main()
