// What a fuzz target does when an input breaks a rule: say which, and abort,
// so that libFuzzer keeps the input and the corpus replay fails.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace tessaline::fuzz {

inline void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

}  // namespace tessaline::fuzz
