#pragma once
// Text in the system code page (libtiff's messages, TIFF ASCII tags, file names
// from ANSI APIs) to and from UTF-16.
#include <string>

#include "base/text.h"

// Fixed-buffer forms: always terminate; store the empty string on failure.
bool codepage_to_wide(const char* s, char16_t* out, int cap);
bool wide_to_codepage(const char16_t* s, char* out, int cap);
// Allocating forms: false for null input or a result over 1,000,000 units.
bool codepage_to_wide_alloc(const char* s, Text16* out);
bool wide_to_codepage_alloc(const char16_t* s, std::string* out);
