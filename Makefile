# korvex: build and test entry points.  `make test` does everything: the
# test suite against three builds (release; Debian's debug interpreter, which
# also runs the leak test; ASan + UBSan), the stub check and the pip install
# check, as parallel jobs; each exhaustive sweep runs in one of the three
# builds only (see SWEEPS below).  `make demo` draws the particle demo
# (examples/particles.py) headless into build/demo/particles.png.
#
# Every command runs through scripts/env.sh: natively when the host has
# CPython 3.14 (with headers) and raylib >= 6, otherwise inside the cached
# Debian sid root, which is created on first use.
#
# Variables (make VAR=value ...):
#   BUILD_DIR    build tree (default build/release); use a different one per
#                concurrent run, e.g. make test BUILD_DIR=build/mine.  The
#                debug and sanitizer builds go to $(BUILD_DIR)-debug and
#                $(BUILD_DIR)-asan (DEBUG_BUILD_DIR, ASAN_BUILD_DIR)
#   BUILD_TYPE   CMAKE_BUILD_TYPE (default Release)
#   CMAKE_ARGS   extra arguments for the CMake configure step
#   PYTEST_ARGS  extra arguments for pytest, e.g. PYTEST_ARGS="-k vector2"
#   TESTS        what pytest collects (default tests)
#   PYTHON       interpreter used for the tests (default python3.14)
#   DEMO_ARGS    options for examples/particles.py, e.g. DEMO_ARGS="--seed 7"
#   BENCH_OUT    where `make bench` writes results.{md,json,png} (default build/bench)
#   BENCH_ARGS   extra arguments for bench/run.py, e.g. BENCH_ARGS="--only Rect"
#   DIST_DIR     where `make wheel` writes the repaired wheel (default dist)
#   TEST_JOBS    how many of make test's builds and runs go at once (default 3)
#   ASAN_STACKS  fast (default) or full: how allocation stacks are recorded in
#                the sanitizer run (see the sanitizer block)

SHELL := /bin/bash
.SHELLFLAGS := -eu -o pipefail -c

BUILD_DIR   ?= build/release
BUILD_TYPE  ?= Release
CMAKE_ARGS  ?=
PYTEST_ARGS ?=
TESTS       ?= tests
PYTHON      ?= python3.14
DEMO_ARGS   ?=
BENCH_OUT   ?= build/bench
BENCH_ARGS  ?=
DIST_DIR    ?= dist

DEBUG_BUILD_DIR ?= $(BUILD_DIR)-debug
DEBUG_PYTHON    ?= /usr/bin/python3.14d
ASAN_BUILD_DIR  ?= $(BUILD_DIR)-asan

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

# $(call run_pytest,DIR,ENV ASSIGNMENTS,PYTHON[,PYTEST OPTIONS[,WHAT TO COLLECT INSTEAD OF TESTS]])
define run_pytest
	$(ENV) env PYTHONPATH=$(abspath $(1))/python KORVEX_BUILD_PYTHON=$(abspath $(1))/python $(2) \
	    $(XVFB) $(3) -m pytest -q -o cache_dir=$(abspath $(1))/.pytest_cache $(4) $(PYTEST_ARGS) $(or $(5),$(TESTS))
endef

# ---------------------------------------------------------------------------
# SWEEPS.  The exhaustive sweeps would cost most of make test's time if each
# ran against all three builds, so under `make test` (SWEEPS=split) each runs
# against the one whose checks it needs; a variant run on its own (make
# test-release, test-debug, test-asan) runs every test file.
#   * debug interpreter: tests/test_alloc_failure.py, whose reference and
#     block counts on every failure path only that interpreter keeps (and
#     tests/test_leaks.py, which runs nowhere else anyway);
#   * ASan + UBSan: tests/test_hostile.py, every catalogue entry with hostile
#     and random values under the sanitizers and LeakSanitizer, and
#     tests/test_demo.py, the demo's drawing under the sanitizers;
#   * release: the benchmark smoke (tests/test_bench.py skips itself elsewhere).
# The functional suite runs against all three.  The debug interpreter's share
# is the largest, so there its sweep runs as a job of its own
# (test-debug-sweeps), beside the rest of its suite.
# ---------------------------------------------------------------------------
SWEEPS ?=
ONLY_IN_DEBUG = tests/test_alloc_failure.py
ONLY_IN_ASAN = tests/test_hostile.py tests/test_demo.py
left_out = $(if $(filter split,$(SWEEPS)),$(addprefix --ignore=,$(1)))
# The debug sweeps that TESTS selects.
DEBUG_SWEEPS = $(if $(filter tests tests/,$(TESTS)),$(ONLY_IN_DEBUG),$(filter $(ONLY_IN_DEBUG),$(TESTS)))
TEST_JOBS ?= 3

# ---------------------------------------------------------------------------
# The sanitizer run (test-asan).  The modules are built with ASan + UBSan
# (KORVEX_SANITIZE, see CMakeLists.txt); the interpreter is not, so:
#   * the ASan runtime is LD_PRELOADed into the interpreter, which makes it
#     the first library of the process, as ASan requires of an executable
#     that is not instrumented (so verify_asan_link_order=0 is not needed).
#     It goes into the interpreter only (and the Python subprocesses that
#     tests start), not into xvfb-run, Xvfb or the shell.
#   * keep-loaded.so (tests/sanitizers/keep_loaded.cpp) is preloaded after it
#     and makes dlclose() a no-op, so that LeakSanitizer can still name, and
#     the suppressions match, libraries that are unloaded before exit
#     (Mesa's GL driver, when raylib closes its window).
#   * PYTHONMALLOC=malloc: every object the interpreter allocates, for the
#     modules too, is a malloc block of its own, which ASan bounds-checks
#     and LeakSanitizer sees; with pymalloc they would sit unchecked inside
#     the allocator's arenas.
#   * Leaks are checked at the exit of every Python process (detect_leaks=1)
#     against tests/sanitizers/lsan.supp, which lists what the interpreter
#     and the GL driver lose on their own; any other leak fails the run
#     (the process aborts with the report), or the test whose subprocess
#     leaked.
#   * The first ASan or UBSan report aborts the process (abort_on_error,
#     halt_on_error; UBSan is also compiled with -fno-sanitize-recover).  An
#     allocation too large to be made fails as it does without the sanitizer
#     (allocator_may_return_null: the caller sees MemoryError), instead of
#     ending the process.
#   * Allocation stacks (what a leak report shows, and what the suppressions
#     match) are recorded with the fast frame-pointer unwinder.  The
#     interpreter has no frame pointers, so a stack through it stops at its
#     first frame (PyFloat_FromDouble, say): such a report matches no
#     suppression, and fails the run.  ASAN_STACKS=full unwinds from the
#     debug information instead and shows whole stacks, at two and a half
#     times the run's CPU time with 4 frames, many more with 30.
#   * The sanitized interpreters never compile a module from source: the
#     interpreter's compiler loses two constants of numpy's __init__.py
#     when pytest is loaded (the suppression that names its parser matches
#     only full stacks).  PYTHONPYCACHEPREFIX points them at a .pyc cache in
#     the build tree, which tests/sanitizers/warm_pycache.py fills first.
# ---------------------------------------------------------------------------
ASAN_STACKS ?= fast
ASAN_UNWIND = $(if $(filter full,$(ASAN_STACKS)),:fast_unwind_on_malloc=0:malloc_context_size=30)
ASAN_PRELOAD = $$($(ENV) g++ -print-file-name=libasan.so) $(abspath $(ASAN_BUILD_DIR))/keep-loaded.so
ASAN_BASE_ENV = env LD_PRELOAD="$(ASAN_PRELOAD)" PYTHONMALLOC=malloc \
    PYTHONPYCACHEPREFIX=$(abspath $(ASAN_BUILD_DIR))/pycache \
    UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1
ASAN_FLAGS = detect_leaks=1:abort_on_error=1:allocator_may_return_null=1:check_initialization_order=1:strict_string_checks=1
ASAN_ENV = $(ASAN_BASE_ENV) ASAN_OPTIONS=$(ASAN_FLAGS)$(ASAN_UNWIND) \
    LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0$(ASAN_UNWIND)
# $(call warm_asan_pycache): fill the run's .pyc cache (leak checking off).
define warm_asan_pycache
	$(ENV) env PYTHONPATH=$(abspath $(ASAN_BUILD_DIR))/python KORVEX_BUILD_PYTHON=$(abspath $(ASAN_BUILD_DIR))/python \
	    $(ASAN_BASE_ENV) ASAN_OPTIONS=detect_leaks=0 $(PYTHON) tests/sanitizers/warm_pycache.py $(TESTS)
endef

.PHONY: all build wheel test-wheel bench bench-profile demo test test-release test-only test-install test-stubs stubs test-debug build-debug \
    test-debug-sweeps test-debug-only test-asan build-asan test-asan-only shell root clean distclean

all: build

## Configure (if needed) and build incrementally into $(BUILD_DIR).
build:
	$(call configure_build,$(BUILD_DIR),-DCMAKE_BUILD_TYPE=$(BUILD_TYPE))

## Build, then run the particle demo under Xvfb with a hidden raylib window.
## GLFW tries Wayland first, and Wayland's client library prints an error
## when XDG_RUNTIME_DIR is unset (as in the sid root); an empty private one
## lets it fall back to X11 quietly.
demo: build
	mkdir -p -m 700 $(BUILD_DIR)/xdg-runtime
	$(ENV) env PYTHONPATH=$(abspath $(BUILD_DIR))/python XDG_RUNTIME_DIR=$(abspath $(BUILD_DIR))/xdg-runtime \
	    $(XVFB) $(PYTHON) examples/particles.py $(DEMO_ARGS)

## Everything: the suite against the release, debug-interpreter and sanitizer
## builds (each on its own tree, the exhaustive sweeps split between them), the
## stub check and the pip install check, TEST_JOBS of them at once; the output
## of each is shown when it ends.
test:
	$(MAKE) --no-print-directory -j$(TEST_JOBS) --output-sync=target SWEEPS=split \
	    test-release test-debug test-debug-sweeps test-asan test-stubs test-install

## Build, then run the test suite.
test-release: build
	$(call run_pytest,$(BUILD_DIR),,$(PYTHON),$(call left_out,$(ONLY_IN_DEBUG) $(ONLY_IN_ASAN)))

## Benchmark against pygame, PyGLM and complex, and the drawing rows against
## raylib through ctypes and pygame.draw (bench/run.py), under Xvfb with a
## hidden raylib window: prints the Markdown table and writes
## $(BENCH_OUT)/results.md, .json and .png.  The release test run also runs
## its --quick smoke (tests/test_bench.py).
bench: build
	mkdir -p -m 700 $(BUILD_DIR)/xdg-runtime
	$(ENV) env PYTHONPATH=$(abspath $(BUILD_DIR))/python XDG_RUNTIME_DIR=$(abspath $(BUILD_DIR))/xdg-runtime \
	    $(XVFB) $(PYTHON) $(CURDIR)/bench/run.py --out $(abspath $(BENCH_OUT)) $(BENCH_ARGS)

## Where the time of each benchmark row goes (bench/instructions.py):
## callgrind instructions per operation, korvex's own share, and the ratio
## korvex would reach with its own code at zero cost; writes
## $(BENCH_OUT)/profile.md and .json.  BENCH_ARGS="--only REGEX" narrows it.
bench-profile: build
	mkdir -p -m 700 $(BUILD_DIR)/xdg-runtime
	$(ENV) env PYTHONPATH=$(abspath $(BUILD_DIR))/python XDG_RUNTIME_DIR=$(abspath $(BUILD_DIR))/xdg-runtime \
	    $(XVFB) $(PYTHON) $(CURDIR)/bench/instructions.py --out $(abspath $(BENCH_OUT)) $(BENCH_ARGS)

## Run the test suite against an existing build without rebuilding.
test-only:
	$(call run_pytest,$(BUILD_DIR),,$(PYTHON))

## pip-install into a temporary venv and import every module from outside the tree.
test-install:
	$(ENV) env PYTHON=$(PYTHON) KORVEX_PIP_BUILD_DIR=$(abspath $(BUILD_DIR))/pip-build \
	    $(CURDIR)/scripts/test-install.sh

## The type stubs against the built modules: mypy.stubtest finds nothing
## beyond tests/stubs/stubtest-allowlist.txt, and mypy --strict accepts what
## tests/stubs/usage.py asserts.  (tests/test_package.py checks that the
## generated parts of the stubs are current.)
STUB_ENV = env PYTHONPATH=$(abspath $(BUILD_DIR))/python MYPYPATH=$(abspath $(BUILD_DIR))/python \
    MYPY_CACHE_DIR=$(abspath $(BUILD_DIR))/.mypy_cache

test-stubs: build
	$(ENV) $(STUB_ENV) $(PYTHON) -m mypy.stubtest korvex --allowlist $(CURDIR)/tests/stubs/stubtest-allowlist.txt
	$(ENV) $(STUB_ENV) $(PYTHON) -m mypy --strict --warn-unused-ignores $(CURDIR)/tests/stubs/usage.py

## Rewrite the generated parts of the stubs (swizzles, palette) from the
## modules built in $(BUILD_DIR); see scripts/stubgen.py.
stubs: build
	$(ENV) env PYTHONPATH=$(abspath $(BUILD_DIR))/python $(PYTHON) $(CURDIR)/scripts/stubgen.py

## The self-contained wheel: built in the sid root and repaired by auditwheel
## (raylib and GLFW bundled under korvex.libs/, with their licences) into
## $(DIST_DIR); see scripts/build-wheel.sh.
wheel:
	$(ENV) env WHEEL_BUILD_DIR=$(abspath $(BUILD_DIR))/wheel-build $(CURDIR)/scripts/build-wheel.sh $(abspath $(DIST_DIR))

## The wheel installed and run in a second cached root that has CPython 3.14,
## Xvfb and Mesa but no raylib or GLFW (scripts/wheel-test-packages.txt);
## see scripts/test-wheel.sh.  CI runs it after `make test`.
test-wheel: wheel
	env KORVEX_ENV=root KORVEX_SID_PACKAGES=$(CURDIR)/scripts/wheel-test-packages.txt \
	    $(ENV) $(CURDIR)/scripts/test-wheel.sh $(abspath $(DIST_DIR))

## Same tests against Debian's debug interpreter (Py_DEBUG, cpython-314d ABI):
## its assertions check reference counts and API use, and tests/test_leaks.py
## (which runs only there) checks every entry point for leaks.
build-debug:
	$(call configure_build,$(DEBUG_BUILD_DIR),-DCMAKE_BUILD_TYPE=Debug -DPython_EXECUTABLE=$(DEBUG_PYTHON))

test-debug: build-debug
	$(call run_pytest,$(DEBUG_BUILD_DIR),,$(DEBUG_PYTHON),$(call left_out,$(ONLY_IN_ASAN) $(ONLY_IN_DEBUG)))

## The debug interpreter's sweeps alone (what SWEEPS=split leaves out of test-debug).
test-debug-sweeps: build-debug
	$(if $(and $(filter split,$(SWEEPS)),$(DEBUG_SWEEPS)),\
	    $(call run_pytest,$(DEBUG_BUILD_DIR),,$(DEBUG_PYTHON),-o cache_dir=$(abspath $(DEBUG_BUILD_DIR))/.pytest_cache-sweeps,$(DEBUG_SWEEPS)))

test-debug-only:
	$(call run_pytest,$(DEBUG_BUILD_DIR),,$(DEBUG_PYTHON))

## Same tests with ASan + UBSan (see the sanitizer block above).
build-asan: $(ASAN_BUILD_DIR)/keep-loaded.so
	$(call configure_build,$(ASAN_BUILD_DIR),-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEX_SANITIZE=ON)

$(ASAN_BUILD_DIR)/keep-loaded.so: tests/sanitizers/keep_loaded.cpp
	mkdir -p $(@D)
	$(ENV) g++ -shared -fPIC -O2 -Wall -Werror -o $(abspath $@) $(abspath $<)

test-asan: build-asan
	$(call warm_asan_pycache)
	$(call run_pytest,$(ASAN_BUILD_DIR),,$(ASAN_ENV) $(PYTHON),$(call left_out,$(ONLY_IN_DEBUG)))

test-asan-only: $(ASAN_BUILD_DIR)/keep-loaded.so
	$(call warm_asan_pycache)
	$(call run_pytest,$(ASAN_BUILD_DIR),,$(ASAN_ENV) $(PYTHON))

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
