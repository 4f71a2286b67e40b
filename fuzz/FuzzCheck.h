// What every fuzz target shares: a property that fails aborts with the reason, so libFuzzer keeps the
// input as a crash.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

inline std::string_view FuzzBytes(const uint8_t *data, size_t size)
{
    return {reinterpret_cast<const char *>(data), size};
}
