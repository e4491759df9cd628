"""The korvex package: version, published headers and current stubs."""

import importlib.util
import re
from pathlib import Path

import pytest

import korvex

REPO = Path(__file__).resolve().parent.parent
SRC = REPO / "src"
MODULES = sorted(d.name for d in (SRC / "korvex").iterdir() if (d / f"{d.name}.cpp").is_file())


def test_version_is_the_project_version():
    cmake = (REPO / "CMakeLists.txt").read_text()
    assert korvex.__version__ == re.search(r"project\(korvex VERSION ([0-9.]+)", cmake)[1]


@pytest.mark.parametrize("name", MODULES)
def test_include_dir_holds_each_module_header_and_what_it_includes(name):
    include = Path(korvex.get_include())
    pending, seen = [f"korvex/{name}/{name}.hpp"], set()
    while pending:
        header = pending.pop()
        if header in seen:
            continue
        seen.add(header)
        published = include / header
        assert published.read_bytes() == (SRC / header).read_bytes(), header
        pending += re.findall(r'^#include "(korvex/[^"]+)"', published.read_text(), re.MULTILINE)


def test_generated_parts_of_the_stubs_are_current():
    spec = importlib.util.spec_from_file_location("stubgen", REPO / "scripts" / "stubgen.py")
    stubgen = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(stubgen)
    assert [path.name for path in stubgen.stubs()] == sorted(f"{name}.pyi" for name in MODULES)
    assert stubgen.stale() == [], "run `make stubs`"

