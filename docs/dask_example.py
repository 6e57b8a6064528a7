"""F(x) at many x values on a Dask cluster, the same doubles as one call.

    python3 docs/dask_example.py [SCHEDULER_ADDRESS] [COUNT]

Without an address, a cluster of two worker processes on this machine is
started; with one (tcp://scheduler.example.org:8786), the same code runs on
that cluster. Every worker needs the quillometer module (python3-quillometer)
and NumPy. The x values here are made on the workers themselves, in chunks,
so that no machine ever holds them all; the example compares the first
chunk with one call on this machine and prints the time per value.
"""

import sys
import time

import dask.array as da
import numpy as np
from distributed import Client, LocalCluster

import quillometer

COEFFICIENTS = np.array([1.0, -0.5, 0.25, 3.0, -2.0, 0.125, 1.5, -0.75, 0.5, 2.0])
CHUNK = 10_000_000  # x values a task evaluates: big enough that a task's overhead is lost in it


def evaluate_in_chunks(coefficients, x):
    """F at every x of the dask array x, one quillometer.evaluate per chunk.
    A worker runs one task at a time here (threads_per_worker=1) and that
    task uses all of the worker's cores (threads=0, the default)."""
    return da.map_blocks(quillometer.evaluate, coefficients, x, dtype=np.float64)


def main():
    address = sys.argv[1] if len(sys.argv) > 1 else None
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 100_000_000
    if address:
        client = Client(address)
    else:
        client = Client(LocalCluster(n_workers=2, threads_per_worker=1, dashboard_address=None))
    with client:
        x = da.linspace(-1.0, 1.0, count, chunks=CHUNK)
        fx = evaluate_in_chunks(COEFFICIENTS, x)
        start = time.perf_counter()
        # Reduced on the workers: only a few numbers come back.
        total, largest = da.compute(fx.sum(), abs(fx).max())
        seconds = time.perf_counter() - start
        first = fx.blocks[0].compute()
        x0 = x.blocks[0].compute()
        start = time.perf_counter()
        here = quillometer.evaluate(COEFFICIENTS, x0)
        local = (time.perf_counter() - start) / len(x0)
        assert first.tobytes() == here.tobytes()
        workers = len(client.scheduler_info()["workers"])
        print(f"{count} values on {workers} workers in {seconds:.2f} s: {seconds / count * 1e9:.1f} ns a value")
        print(f"one call here, on all cores: {local * 1e9:.1f} ns a value")
        print(f"sum of F(x) {total!r}, largest |F(x)| {largest!r}")


if __name__ == "__main__":
    main()
