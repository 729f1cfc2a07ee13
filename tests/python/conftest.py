"""What the tests of the Python module share: the command line's program to compare with, and each test in
a scratch folder of its own, which must be left empty."""
import os
import subprocess

import numpy as np
import pandas as pd
import pytest

BHSIM = os.environ["BHSIM_BINARY"]


@pytest.fixture(autouse=True)
def scratch(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    yield tmp_path


def cli(*args):
    """Runs bhsim --batch ARGS in the current folder; its exit status."""
    return subprocess.run([BHSIM, "--batch", "--quiet", *args], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode


def read_csv(name):
    """A file of the command line as pandas reads it, every number exactly."""
    return pd.read_csv(name, float_precision="round_trip")


def assert_same_columns(actual, expected):
    """The same columns in order, with equal values (NaN where NaN): numbers (pandas reads a column of
    whole-numbered cells as integers) or texts."""
    names = list(expected.columns) if hasattr(expected, "columns") else list(expected.dtype.names)
    assert list(actual.columns if hasattr(actual, "columns") else actual.dtype.names) == names
    for name in names:
        a, e = np.asarray(actual[name]), np.asarray(expected[name])
        assert (a.dtype.kind in "iuf") == (e.dtype.kind in "iuf"), name
        if a.dtype.kind in "iuf":
            assert np.array_equal(a, e, equal_nan=True), name
        else:
            assert list(a) == list(e), name
