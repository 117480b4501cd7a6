#pragma once
// Names of the browser's result codes, for texts the user sees.
#include <cstdint>

// Only the low 16 bits count, read as a signed value: callers pass results
// that went through wider integers (and sign or junk bits) on the way.
const char16_t* nperror_name(int32_t code);
