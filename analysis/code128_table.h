#pragma once
// Code 128 element widths. A symbol is six elements (bar, space, bar, space,
// bar, space) of 1 to 4 modules; the stop adds a seventh bar. Patterns are kept
// packed as six 3-bit widths, first element in the highest bits, so a measured
// symbol is looked up by comparing one integer.
#include <cstdint>

constexpr int kCode128Symbols = 106;  // values 0..105; Start A, B, C are 103..105
constexpr int kCode128StartBValue = 104;

extern const uint32_t kCode128Patterns[kCode128Symbols];
extern const int kCode128StartB[6];
extern const int kCode128Stop[7];

inline uint32_t code128_pack(const int widths[6]) {
    uint32_t packed = 0;
    for (int k = 0; k < 6; ++k) packed = (packed << 3) | uint32_t(widths[k]);
    return packed;
}

// Value of the first pattern equal to `packed`, or -1.
int code128_lookup(uint32_t packed);

// The six widths of symbol `value` (0..105).
void code128_widths(int value, int widths[6]);
