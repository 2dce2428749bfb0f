#pragma once

// Checks shared by the fuzz targets. A failed check aborts, so that libFuzzer
// (or the replay driver) reports the input as a crash.

#include <cstdio>
#include <cstdlib>

namespace kelvo::fuzz {

[[noreturn]] inline void Fail(const char* what, int column = 0, int row = 0) {
    std::fprintf(stderr, "check failed: %s (column %d, row %d)\n", what, column, row);
    std::fflush(stderr);
    std::abort();
}

inline void Require(bool holds, const char* what, int column = 0, int row = 0) {
    if (!holds) {
        Fail(what, column, row);
    }
}

} // namespace kelvo::fuzz
