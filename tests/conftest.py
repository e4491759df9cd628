"""Session-wide test setup."""

import ast
import ctypes
import gc
import os
import subprocess
import sys
import textwrap
from pathlib import Path

import pytest

TESTS_DIR = Path(__file__).resolve().parent


def route_audio_to_null_device():
    """Points ALSA, for this process and the subprocesses the tests start, at
    a configuration whose default device is the null plugin, so the audio
    tests open a device on hosts without a sound card. raylib's audio backend
    tries PulseAudio before ALSA; an unreachable server makes it fall through
    to ALSA on desktops too, and keeps the tests silent there. Done at import,
    before any test can load the audio library."""
    os.environ["ALSA_CONFIG_PATH"] = str(TESTS_DIR / "alsa" / "null.conf")
    os.environ["PULSE_SERVER"] = "unix:/nonexistent/korvex-tests"


route_audio_to_null_device()


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


# --- raylib window and subprocess runs for the resource wrappers --------------
# (canvas, texture, image, audio, letter). The window module is not part of
# this package, so tests open raylib's window directly through ctypes on the
# same shared library that the extension modules link.

RAYLIB_LIBRARY = "libraylib.so.600"
FLAG_WINDOW_HIDDEN = 0x80
LOG_INFO = 3
LOG_WARNING = 4

# Runs first in every subprocess: `rl` is raylib, open_window()/close_window()
# manage a hidden window, and result(value) prints a line the test reads back.
RAYLIB_PRELUDE = """\
import ctypes, sys
rl = ctypes.CDLL({library!r})
rl.IsWindowReady.restype = ctypes.c_bool
rl.SetTraceLogLevel({log_level})

def open_window():
    rl.SetConfigFlags({hidden})
    rl.InitWindow(64, 64, b"korvex test")
    assert rl.IsWindowReady()

def close_window():
    rl.CloseWindow()
    assert not rl.IsWindowReady()

def result(value):
    print("RESULT:" + repr(value), flush=True)
"""


class PythonRun:
    def __init__(self, completed):
        self.returncode = completed.returncode
        self.stdout = completed.stdout
        self.stderr = completed.stderr
        self.results = [
            ast.literal_eval(line[len("RESULT:"):])
            for line in completed.stdout.splitlines()
            if line.startswith("RESULT:")
        ]

    def __repr__(self):
        return f"<rc={self.returncode}\nstdout:\n{self.stdout}\nstderr:\n{self.stderr}>"


@pytest.fixture
def run_python():
    """Runs code in a fresh interpreter (after RAYLIB_PRELUDE), so a crash or a
    hang of raylib fails the test instead of taking the test run down; the
    run must exit with status 0."""

    def run(code, *, log_level=LOG_WARNING, timeout=60):
        prelude = RAYLIB_PRELUDE.format(library=RAYLIB_LIBRARY, log_level=log_level, hidden=FLAG_WINDOW_HIDDEN)
        completed = subprocess.run(
            [sys.executable, "-c", prelude + textwrap.dedent(code)],
            capture_output=True,
            text=True,
            timeout=timeout,
            env=dict(os.environ),
        )
        run = PythonRun(completed)
        assert run.returncode == 0, run
        return run

    return run


@pytest.fixture(scope="session")
def raylib():
    lib = ctypes.CDLL(RAYLIB_LIBRARY)
    lib.IsWindowReady.restype = ctypes.c_bool
    lib.SetTraceLogLevel(LOG_WARNING)
    return lib


@pytest.fixture(scope="session")
def window(raylib):
    """One hidden window for the whole session: GL objects of one window must
    not outlive it into another, where their ids could name other objects."""
    if not raylib.IsWindowReady():
        raylib.SetConfigFlags(FLAG_WINDOW_HIDDEN)
        raylib.InitWindow(64, 64, b"korvex tests")
    if not raylib.IsWindowReady():
        pytest.fail("raylib could not open a window (is a display available?)")
    yield raylib
    gc.collect()
    raylib.CloseWindow()
