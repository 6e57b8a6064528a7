"""The example of docs/dask_example.py on a cluster of two worker processes:
the chunks evaluated there join into exactly the array of one call."""

import importlib.util
import pathlib

import numpy as np
import pytest

import quillometer

da = pytest.importorskip("dask.array")
distributed = pytest.importorskip("distributed")

EXAMPLE = pathlib.Path(__file__).parents[2] / "docs" / "dask_example.py"


def load_example():
    found = importlib.util.spec_from_file_location("dask_example", EXAMPLE)
    example = importlib.util.module_from_spec(found)
    found.loader.exec_module(example)
    return example


@pytest.mark.filterwarnings("ignore::DeprecationWarning")  # Debian's tornado under distributed
def test_chunks_on_two_worker_processes_are_one_call():
    example = load_example()
    rng = np.random.default_rng(3)
    coefficients = rng.standard_normal(10)
    x = rng.uniform(-1.5, 1.5, 200_001)
    with distributed.LocalCluster(
        n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None
    ) as cluster, distributed.Client(cluster) as client:
        fx = example.evaluate_in_chunks(coefficients, da.from_array(x, chunks=25_000)).persist()
        distributed.wait(fx)
        workers = {w for held in client.who_has(fx).values() for w in held}
        assert len(workers) == 2, "every chunk went to one worker"
        assert fx.compute().tobytes() == quillometer.evaluate(coefficients, x).tobytes()
