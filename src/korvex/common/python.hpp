// The one place that includes the interpreter's headers, so every translation
// unit sees the same configuration.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#if defined(__GNUC__)
#define KORVEX_COLD __attribute__((cold, noinline))
#define KORVEX_NOINLINE __attribute__((noinline))
#else
#define KORVEX_COLD
#define KORVEX_NOINLINE
#endif
