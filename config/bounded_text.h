#pragma once
// The growable UTF-16 string with a length cap that every variable text of the
// viewer uses. A cap keeps a hostile page or file from making a text field grow
// without bound; what does not fit is cut, never refused.
#include <cstdarg>
#include <string_view>

#include "base/text.h"

struct BoundedText {
    char16_t* buffer = nullptr;  // owned; null until something is stored
    int length = 0;              // units stored, without the terminator
    int allocated = 0;           // units allocated, with the terminator
    int cap = 1000000;           // largest allocation allowed (terminator included)
};

constexpr int kBoundedTextDefaultCap = 1000000;

// A negative cap means the default of 1,000,000.
void btext_init(BoundedText* t, int cap);
void btext_free(BoundedText* t);
// Never null: an unset text reads as "".
const char16_t* btext_get(const BoundedText* t);
std::u16string_view btext_view(const BoundedText* t);
bool btext_empty(const BoundedText* t);
// Stores at most cap - 1 units; a null source frees the buffer.
void btext_set(BoundedText* t, const char16_t* s);
void btext_set_n(BoundedText* t, const char16_t* s, int n);
void btext_set_view(BoundedText* t, std::u16string_view s);
void btext_append(BoundedText* t, const char16_t* s);
void btext_append_view(BoundedText* t, std::u16string_view s);
// Formatted forms go through a 4096-unit buffer first.
void btext_format(BoundedText* t, const char16_t* fmt, ...);
void btext_append_format(BoundedText* t, const char16_t* fmt, ...);
void btext_vformat(BoundedText* t, const char16_t* fmt, va_list ap);
void btext_clear(BoundedText* t);  // length 0, allocation kept
