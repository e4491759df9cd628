"""Session-wide test setup."""

import os
from pathlib import Path

import pytest


def pytest_configure(config):
    # `make test` points KORVEX_BUILD_PYTHON at the build tree it just built.
    # Make sure that is the korvex under test, and not some other copy
    # (an installed package, a different build directory) shadowing it.
    build_python = os.environ.get("KORVEX_BUILD_PYTHON")
    if not build_python:
        return
    expected = Path(build_python).resolve() / "korvex"
    try:
        import korvex
    except ImportError as exc:
        raise pytest.UsageError(f"cannot import korvex from {build_python}: {exc}") from exc
    found = [Path(p).resolve() for p in korvex.__path__]
    if found != [expected]:
        raise pytest.UsageError(
            f"korvex is imported from {[str(p) for p in found]}, expected {expected}"
        )
