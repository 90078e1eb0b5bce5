#ifndef MORVA_TESTS_FUZZ_FUZZCHECK_H
#define MORVA_TESTS_FUZZ_FUZZCHECK_H

#include <cstdio>
#include <cstdlib>

// What a fuzz target checks of what it ran: a property that must hold for
// any input. One that does not ends the run, so that the fuzzer keeps the
// input that broke it.
[[noreturn]] inline void violated(const char* what)
{
    std::fprintf(stderr, "invariant violated: %s\n", what);
    std::abort();
}

inline void check(bool holds, const char* what)
{
    if (!holds)
        violated(what);
}

#endif
