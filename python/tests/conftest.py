# SPDX-License-Identifier: MIT
"""The module under test is the one built, never one installed elsewhere:
scripts/test-python.sh puts the build's python/ folder first on PYTHONPATH and
names the horodex-tc built beside it in HORODEX_TC."""
import os
import pathlib

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]


@pytest.fixture(scope="session")
def horodex_tc():
    path = os.environ.get("HORODEX_TC")
    if not path or not os.access(path, os.X_OK):
        pytest.fail("HORODEX_TC must name the built horodex-tc (scripts/test-python.sh sets it)")
    return path


@pytest.fixture(scope="session")
def root():
    return ROOT


@pytest.fixture(autouse=True)
def no_rate_in_environment(monkeypatch):
    # A rate in the caller's environment would change what read() counts at.
    monkeypatch.delenv("HORODEX_RATE", raising=False)
