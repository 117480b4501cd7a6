#pragma once
// Wide text in the portable core is UTF-16 (char16_t), the same units as the
// Windows wchar_t, so the shell hands core strings to W functions unchanged.
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using Text16 = std::u16string;

// Length of a terminated UTF-16 text; 0 for null.
size_t text_len(const char16_t* s);

// UTF-8 → UTF-16 and back. Invalid sequences become U+FFFD.
Text16 text_from_utf8(std::string_view s);
std::string text_to_utf8(std::u16string_view s);
// Latin-1 / code page 1252 style narrow text (what libtiff hands out on an English
// system) → UTF-16: bytes 0x80..0x9F follow code page 1252.
Text16 text_from_cp1252(std::string_view s);

// Case-insensitive comparison of ASCII letters (embed parameter names and words).
bool text_iequal(std::u16string_view a, std::u16string_view b);
char16_t text_ascii_lower(char16_t c);

// printf-style formatting into UTF-16. Conversions: d i u x X o c s (UTF-16 text)
// S (UTF-8 narrow text) f e g p %; flags - + space # 0; width and precision
// (also *); length modifiers h hh l ll z I64 are accepted. Never writes more than
// cap units, always terminates when cap > 0; returns the full length the output
// would have had.
int text_vformat(char16_t* out, int cap, const char16_t* fmt, va_list ap);
int text_format(char16_t* out, int cap, const char16_t* fmt, ...);
Text16 text_vprintf(const char16_t* fmt, va_list ap);
Text16 text_printf(const char16_t* fmt, ...);

// Bounded copy into a fixed array: never overflows, always terminates. Returns
// false (and stores what fits) when the source was cut, or when cap <= 0 (the
// platform's E_INVALIDARG case; nothing is written then).
bool text_copy(char16_t* out, int cap, const char16_t* src);

// Leading decimal digits of s with an optional sign, as the embed parameters and
// the settings text values read numbers: "12abc" → 12, "abc" → 0.
long long text_leading_int(std::u16string_view s, bool* any_digits = nullptr);
