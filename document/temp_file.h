#pragma once
// Temporary files for large downloads, and the two questions asked of a file
// by path before it is read.
#include <cstdint>

// Makes a new, empty file "vlr….tmp" in the system's temporary folder and
// stores its path (cap units, at least kFsMaxPath). The user is told at once
// when that fails (boxes owned by `owner`, the plug-in window or null): a
// download cannot go on without it.
[[nodiscard]] bool tempfile_make(void* owner, char16_t* path, int cap);

// True when the file can be opened at all.
bool file_exists(const char16_t* path);
// The file's size; false when it cannot be opened for reading.
[[nodiscard]] bool file_size(const char16_t* path, uint64_t* size);
