#pragma once
// Colour rules of the page decoder: names of the TIFF colour types, and the
// pixel conversions to red, green, blue. Conversions work in place on rows of
// 8-bit samples and write the result to bytes 0, 1, 2 of each pixel.
#include <array>
#include <cstddef>
#include <cstdint>

// "RGB", "Palette", "Grayscale, min-is-white", "Unknown (7)", ... copied into
// out and cut to cap - 1 units.
void colour_type_name(int photometric, int bits_per_sample, char16_t* out, int cap);

// C, M, Y, K → R, G, B with white at (0, 0, 0, 0).
void colour_cmyk_to_rgb(uint8_t* row, size_t pixels, size_t pixel_step);
// The same conversion worked out pixel by pixel, without the lookup table.
void colour_cmyk_to_rgb_plain(uint8_t* row, size_t pixels, size_t pixel_step);
// The same conversion from four separate planes: pixel i becomes R, G, B, K at
// out + i * out_step (out_step >= 4), as colour_cmyk_to_rgb leaves it in place.
void colour_cmyk_planes_to_rgb(const uint8_t* cyan, const uint8_t* magenta, const uint8_t* yellow, const uint8_t* black,
                               uint8_t* out, size_t pixels, size_t out_step);
// Y, Cb, Cr → R, G, B with the fixed 601 coefficients, clamped.
void colour_ycbcr_to_rgb(uint8_t* row, size_t pixels, size_t pixel_step);

// The same rule for the pixels that share one chroma pair, in whole numbers:
// each channel is clamp(y + offset). The exact sums y + 1.402 (Cr - 128) and
// y + 1.772 (Cb - 128) are never within 1/500 of a whole number unless whole,
// and the green one never within 1/50000, so the floating-point rule truncates
// them to the same whole numbers. The exception is a green sum that is exactly
// whole but that the floating-point rule lands just below: that happens only
// for the pairs (Cb, Cr) = (28, 228) and (228, 28), which are left to
// colour_ycbcr_to_rgb (`exact` false).
struct YcbcrOffsets {
    int red, green, blue;
    bool exact;
};
// Per-chroma parts of the offsets: green is (g_ycbcr_green_cb[cb] +
// g_ycbcr_green_cr[cr]) / 100000 rounded down, taken from a positive sum.
extern const std::array<int16_t, 256> g_ycbcr_red;
extern const std::array<int16_t, 256> g_ycbcr_blue;
extern const std::array<int32_t, 256> g_ycbcr_green_cb;
extern const std::array<int32_t, 256> g_ycbcr_green_cr;
constexpr int kYcbcrGreenBias = 200;
inline YcbcrOffsets colour_ycbcr_offsets(uint8_t cb, uint8_t cr) {
    const uint32_t green = uint32_t(g_ycbcr_green_cb[cb] + g_ycbcr_green_cr[cr]);
    const bool exact = !((cb == 28 && cr == 228) || (cb == 228 && cr == 28));
    return YcbcrOffsets{g_ycbcr_red[cr], int(green / 100000) - kYcbcrGreenBias, g_ycbcr_blue[cb], exact};
}

// One pixel into blue, green, red order (the raster's), by the offsets of its
// chroma pair; identical to colour_ycbcr_to_rgb followed by a swap.
// g_clamp_byte[v + 256] is v clamped to 0..255, for v in -256..511.
extern const std::array<uint8_t, 768> g_clamp_byte;
inline void colour_ycbcr_store_bgr(const YcbcrOffsets& o, uint8_t y, uint8_t cb, uint8_t cr, uint8_t* bgr) {
    const auto clamp = [](int v) { return g_clamp_byte[size_t(v + 256)]; };
    if (o.exact) [[likely]] {
        bgr[0] = clamp(y + o.blue);
        bgr[1] = clamp(y + o.green);
        bgr[2] = clamp(y + o.red);
        return;
    }
    uint8_t p[3] = {y, cb, cr};
    colour_ycbcr_to_rgb(p, 1, 3);
    bgr[0] = p[2];
    bgr[1] = p[1];
    bgr[2] = p[0];
}
// L, a, b (a and b signed bytes) → R, G, B through XYZ (D65) and sRGB companding.
void colour_cielab_to_rgb(uint8_t* row, size_t pixels, size_t pixel_step);

// Expands `width` 2-bit samples into the 4-bit row dest, OR-ing each value into
// its nibble (dest must be zero); with invert each value v becomes 3 - v.
void colour_expand_2bit(const uint8_t* source, uint8_t* dest, uint32_t width, bool invert);
