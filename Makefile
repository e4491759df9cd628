# korvex: build and test entry points.  `make test` does everything.
#
# Every command runs through scripts/env.sh: natively when the host has
# CPython 3.14 (with headers) and raylib >= 6, otherwise inside the cached
# Debian sid root, which is created on first use.
#
# Variables (make VAR=value ...):
#   BUILD_DIR    build tree (default build/release); use a different one per
#                concurrent run, e.g. make test BUILD_DIR=build/mine
#   BUILD_TYPE   CMAKE_BUILD_TYPE (default Release)
#   CMAKE_ARGS   extra arguments for the CMake configure step
#   PYTEST_ARGS  extra arguments for pytest, e.g. PYTEST_ARGS="-k vector2"
#   TESTS        what pytest collects (default tests)
#   PYTHON       interpreter used for the tests (default python3.14)

SHELL := /bin/bash
.SHELLFLAGS := -eu -o pipefail -c

BUILD_DIR   ?= build/release
BUILD_TYPE  ?= Release
CMAKE_ARGS  ?=
PYTEST_ARGS ?=
TESTS       ?= tests
PYTHON      ?= python3.14

DEBUG_BUILD_DIR ?= build/debug
DEBUG_PYTHON    ?= /usr/bin/python3.14d
ASAN_BUILD_DIR  ?= build/asan

ENV := $(CURDIR)/scripts/env.sh

# Xvfb display search starts at a per-run pseudo-random number, so concurrent
# `xvfb-run -a` calls rarely race for the same display.  24-bit depth: Mesa
# finds no usable GL visual at xvfb-run's default 8 bits.
XVFB = xvfb-run -a -n $$((100 + $$$$ % 800)) -s "-screen 0 1280x1024x24 -nolisten tcp"

# $(call configure_build,DIR,EXTRA CMAKE ARGS)
define configure_build
	$(ENV) cmake -S $(CURDIR) -B $(abspath $(1)) -G Ninja $(2) $(CMAKE_ARGS)
	$(ENV) cmake --build $(abspath $(1))
endef

# $(call run_pytest,DIR,ENV ASSIGNMENTS,PYTHON)
define run_pytest
	$(ENV) env PYTHONPATH=$(abspath $(1))/python KORVEX_BUILD_PYTHON=$(abspath $(1))/python $(2) \
	    $(XVFB) $(3) -m pytest -q -o cache_dir=$(abspath $(1))/.pytest_cache $(PYTEST_ARGS) $(TESTS)
endef

.PHONY: all build test test-only test-install test-debug build-debug test-asan build-asan shell root clean distclean

all: build

## Configure (if needed) and build incrementally into $(BUILD_DIR).
build:
	$(call configure_build,$(BUILD_DIR),-DCMAKE_BUILD_TYPE=$(BUILD_TYPE))

## Build, run the test suite, then check that pip installs a working package.
test: build
	$(call run_pytest,$(BUILD_DIR),,$(PYTHON))
	$(MAKE) --no-print-directory test-install

## Run the test suite against an existing build without rebuilding.
test-only:
	$(call run_pytest,$(BUILD_DIR),,$(PYTHON))

## pip-install into a temporary venv and import every module from outside the tree.
test-install:
	$(ENV) env PYTHON=$(PYTHON) KORVEX_PIP_BUILD_DIR=$(abspath $(BUILD_DIR))/pip-build \
	    $(CURDIR)/scripts/test-install.sh

## Same tests against Debian's debug interpreter (Py_DEBUG, cpython-314d ABI).
build-debug:
	$(call configure_build,$(DEBUG_BUILD_DIR),-DCMAKE_BUILD_TYPE=Debug -DPython_EXECUTABLE=$(DEBUG_PYTHON))

test-debug: build-debug
	$(call run_pytest,$(DEBUG_BUILD_DIR),,$(DEBUG_PYTHON))

## Same tests with ASan + UBSan.  The interpreter is not instrumented, so the
## compiler's libasan is preloaded.  Leak checking is off: CPython keeps
## memory alive at exit.
build-asan:
	$(call configure_build,$(ASAN_BUILD_DIR),-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEX_SANITIZE=ON)

test-asan: build-asan
	$(call run_pytest,$(ASAN_BUILD_DIR),LD_PRELOAD="$$($(ENV) g++ -print-file-name=libasan.so)" ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1,$(PYTHON))

## Interactive shell in the build environment.
shell:
	$(ENV)

## Create the sid root now (normally done on first use, when needed).
root:
	$(CURDIR)/scripts/sidroot.sh

## Remove this run's build trees (other BUILD_DIRs are left alone).
clean:
	rm -rf $(BUILD_DIR) $(DEBUG_BUILD_DIR) $(ASAN_BUILD_DIR)

## Remove every build tree under build/.
distclean:
	rm -rf build
