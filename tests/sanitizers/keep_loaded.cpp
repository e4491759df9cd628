// Preloaded next to the AddressSanitizer runtime in `make test-asan`: makes
// dlclose() a no-op, so that every shared library stays mapped until the
// process ends.  LeakSanitizer reports leaks at exit and can only name (and
// the suppression file only match) code that is still mapped then; Mesa's GL
// driver, for one, is unloaded when raylib closes its window and leaves
// blocks behind that would otherwise show as leaks of "<unknown module>".
// CPython itself never unloads extension modules.
extern "C" int dlclose(void*) { return 0; }
