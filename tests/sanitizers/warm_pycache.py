"""Byte-compiles what the sanitizer run may import, before it starts.

Usage: warm_pycache.py TESTS...  (with PYTHONPYCACHEPREFIX set, as in the run)

The sanitized interpreters must not compile a module from source: when the
interpreter compiles numpy/__init__.py after pytest is loaded, its parser
leaves two float constants unreleased, which LeakSanitizer reports at exit
(and with the fast unwinder the report stops at PyFloat_FromDouble, where no
suppression can tell it from a leak of ours).  Hosts where the system's .pyc
files are missing and not writable (a non-root user, PYTHONDONTWRITEBYTECODE)
compile such modules on every run.  So the run reads its .pyc files from a
cache of its own (PYTHONPYCACHEPREFIX), filled here: the tests are collected,
which imports what they import, then every file of the standard library and
of each package seen is compiled.  Collection runs under the same sanitizer
setup with leak checking off (the korvex modules need the runtime loaded).
"""

import contextlib
import io
import os
import subprocess
import sys
import sysconfig
from pathlib import Path

import pytest

SKIP = r"/(test|tests|idlelib|turtledemo)/"


def package_roots():
    """The directory of every top-level package imported so far, and the file
    of every top-level plain module."""
    roots = set()
    for name, module in list(sys.modules.items()):
        top = sys.modules.get(name.partition(".")[0])
        file = getattr(top, "__file__", None)
        if file and file.endswith(".py"):
            path = Path(file)
            roots.add(path.parent if path.name == "__init__.py" else path)
    return roots


def main(tests):
    assert sys.pycache_prefix, "PYTHONPYCACHEPREFIX is not set"
    output = io.StringIO()
    with contextlib.redirect_stdout(output):
        status = pytest.main(["--collect-only", "-qq", "-p", "no:cacheprovider", *tests])
    if status not in (pytest.ExitCode.OK, pytest.ExitCode.NO_TESTS_COLLECTED):
        print(output.getvalue())
        return int(status)
    # Compiled by a plain interpreter (the sanitizer's allocator makes this
    # several times slower), into the same cache.  Files that do not compile
    # (templates, other Python versions' code) are left out: importing them
    # would fail anyway.
    roots = sorted(str(root) for root in {Path(sysconfig.get_path("stdlib"))} | package_roots())
    env = {name: value for name, value in os.environ.items() if name not in ("LD_PRELOAD", "PYTHONMALLOC")}
    subprocess.run([sys.executable, "-m", "compileall", "-q", "-j0", "-x", SKIP, *roots], env=env,
                   stdout=subprocess.DEVNULL, check=False)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
