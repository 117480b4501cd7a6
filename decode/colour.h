#pragma once
// Colour rules of the page decoder: names of the TIFF colour types, and the
// pixel conversions to red, green, blue. Conversions work in place on rows of
// 8-bit samples and write the result to bytes 0, 1, 2 of each pixel.
#include <cstddef>
#include <cstdint>

// "RGB", "Palette", "Grayscale, min-is-white", "Unknown (7)", ... copied into
// out and cut to cap - 1 units.
void colour_type_name(int photometric, int bits_per_sample, char16_t* out, int cap);

// C, M, Y, K → R, G, B with white at (0, 0, 0, 0).
void colour_cmyk_to_rgb(uint8_t* row, size_t pixels, size_t pixel_step);
// Y, Cb, Cr → R, G, B with the fixed 601 coefficients, clamped.
void colour_ycbcr_to_rgb(uint8_t* row, size_t pixels, size_t pixel_step);
// L, a, b (a and b signed bytes) → R, G, B through XYZ (D65) and sRGB companding.
void colour_cielab_to_rgb(uint8_t* row, size_t pixels, size_t pixel_step);

// Expands `width` 2-bit samples into the 4-bit row dest, OR-ing each value into
// its nibble (dest must be zero); with invert each value v becomes 3 - v.
void colour_expand_2bit(const uint8_t* source, uint8_t* dest, uint32_t width, bool invert);
