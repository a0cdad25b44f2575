#pragma once

#include <cstdio>
#include <cstdlib>

// A property every input must keep; a broken one is a finding, reported like a crash so
// that libFuzzer saves the input.
#define FUZZ_CHECK(condition)                                                                 \
    do {                                                                                      \
        if (!(condition)) {                                                                   \
            std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition);      \
            std::abort();                                                                     \
        }                                                                                     \
    } while (false)
