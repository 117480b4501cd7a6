#pragma once
// The tool's bound on every raster it allocates: the viewer's "memorylimit"
// rule with a default of 1 GiB, so that a file claiming a huge page is refused
// before any memory is taken. `--memory-limit MB` changes it; 0 means none.
#include <cerrno>
#include <cstdint>
#include <cstdlib>

constexpr uint32_t kToolMemoryLimitMb = 1024;

// Reads the option's value; false for anything but a whole number of MB.
inline bool parse_memory_limit(const char* text, uint32_t* mb) {
    if (!text || *text < '0' || *text > '9') return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = strtoull(text, &end, 10);
    if (*end || errno || value > UINT32_MAX) return false;
    *mb = uint32_t(value);
    return true;
}
