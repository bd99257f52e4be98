#pragma once
// What a fuzz target does when a property fails: say which one and abort, so that libFuzzer
// (or the replayer) keeps the input.
#include <cstdio>
#include <cstdlib>

namespace kalvora::fuzz {

inline void require(bool holds, const char* property)
{
    if (holds)
        return;
    std::fprintf(stderr, "property failed: %s\n", property);
    std::abort();
}

}  // namespace kalvora::fuzz
