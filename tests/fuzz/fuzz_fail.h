#pragma once
// A broken property ends the run with its description; libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}
