#include "decode/colour.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "base/text.h"

void colour_type_name(int photometric, int bits_per_sample, char16_t* out, int cap) {
    const char16_t* name = nullptr;
    switch (photometric) {
    case 0: name = bits_per_sample == 1 ? u"BW, min-is-white" : u"Grayscale, min-is-white"; break;
    case 1: name = bits_per_sample == 1 ? u"BW, min-is-black" : u"Grayscale, min-is-black"; break;
    case 2: name = u"RGB"; break;
    case 3: name = u"Palette"; break;
    case 4: name = u"Holdout mask"; break;
    case 5: name = u"Color-separated (CMYK)"; break;
    case 6: name = u"YCbCr"; break;
    case 8: name = u"1976 CIE L*a*b*"; break;
    case 9: name = u"ICC L*a*b*"; break;
    case 10: name = u"ITU L*a*b*"; break;
    case 32844: name = u"CIE Log2(L)"; break;
    case 32845: name = u"CIE Log2(L) (u',v')"; break;
    }
    if (name) text_copy(out, cap, name);
    else
        text_format(out, cap, u"Unknown (%d)", photometric);
}

namespace {
uint8_t clamp_byte(double v) {
    if (!(v > 0)) return 0;  // also catches NaN
    if (v > 255) return 255;
    return uint8_t(v);
}
}  // namespace

// Kept out of line: the table below is filled by this very code, so that the
// two agree bit for bit whatever the compiler does with the doubles.
[[gnu::noinline]] void colour_cmyk_to_rgb_plain(uint8_t* row, size_t pixels, size_t pixel_step) {
    // 1/255 is not exact in binary, so a product that should be whole can land
    // just below it (K = 11, C = 0 gives 243); stored pages were rendered this way.
    const double k = 0.00392156862745098;
    for (size_t i = 0; i < pixels; ++i, row += pixel_step) {
        const double f = (255 - row[3]) * k;
        const uint8_t r = uint8_t(f * (255 - row[0]));
        const uint8_t g = uint8_t(f * (255 - row[1]));
        const uint8_t b = uint8_t(f * (255 - row[2]));
        row[0] = r;
        row[1] = g;
        row[2] = b;
    }
}

namespace {

// Each output byte depends on one ink and K alone: all 65536 results, row K,
// column ink, worked out once per process by the plain conversion.
const uint8_t* cmyk_table() {
    static const std::vector<uint8_t> table = [] {
        std::vector<uint8_t> t(65536);
        uint8_t pixels[4 * 256];
        for (int black = 0; black < 256; ++black) {
            for (int ink = 0; ink < 256; ++ink) {
                pixels[4 * ink] = uint8_t(ink);
                pixels[4 * ink + 1] = pixels[4 * ink + 2] = 0;
                pixels[4 * ink + 3] = uint8_t(black);
            }
            colour_cmyk_to_rgb_plain(pixels, 256, 4);
            for (int ink = 0; ink < 256; ++ink) t[size_t(black) * 256 + size_t(ink)] = pixels[4 * ink];
        }
        return t;
    }();
    return table.data();
}

}  // namespace

void colour_cmyk_to_rgb(uint8_t* row, size_t pixels, size_t pixel_step) {
    const uint8_t* table = cmyk_table();
    for (size_t i = 0; i < pixels; ++i, row += pixel_step) {
        const uint8_t* by_ink = table + size_t(row[3]) * 256;
        const uint8_t r = by_ink[row[0]], g = by_ink[row[1]], b = by_ink[row[2]];
        row[0] = r;
        row[1] = g;
        row[2] = b;
    }
}

void colour_cmyk_planes_to_rgb(const uint8_t* cyan, const uint8_t* magenta, const uint8_t* yellow, const uint8_t* black,
                               uint8_t* out, size_t pixels, size_t out_step) {
    const uint8_t* table = cmyk_table();
    // Everything is read before anything is written: byte stores through out
    // would otherwise make the compiler reload the inputs after each one.
    for (size_t i = 0; i < pixels; ++i, out += out_step) {
        const uint8_t k = black[i], c = cyan[i], m = magenta[i], y = yellow[i];
        const uint8_t* by_ink = table + size_t(k) * 256;
        const uint8_t r = by_ink[c], g = by_ink[m], b = by_ink[y];
        out[0] = r;
        out[1] = g;
        out[2] = b;
        out[3] = k;
    }
}

void colour_ycbcr_to_rgb(uint8_t* row, size_t pixels, size_t pixel_step) {
    for (size_t i = 0; i < pixels; ++i, row += pixel_step) {
        const double y = row[0], cb = row[1] - 128.0, cr = row[2] - 128.0;
        row[0] = clamp_byte(y + 1.402 * cr);
        row[1] = clamp_byte(y - 0.34414 * cb - 0.71414 * cr);
        row[2] = clamp_byte(y + 1.772 * cb);
    }
}

namespace {

// Rounds towards minus infinity, unlike the division operator.
constexpr int floor_div(int num, int den) { return num >= 0 ? num / den : -((-num + den - 1) / den); }

template <class T, class F>
constexpr std::array<T, 256> chroma_table(F f) {
    std::array<T, 256> t{};
    for (int i = 0; i < 256; ++i) t[size_t(i)] = T(f(i - 128));
    return t;
}

}  // namespace

constinit const std::array<uint8_t, 768> g_clamp_byte = [] {
    std::array<uint8_t, 768> t{};
    for (int i = 0; i < 768; ++i) t[size_t(i)] = uint8_t(i < 256 ? 0 : i > 511 ? 255 : i - 256);
    return t;
}();
constinit const std::array<int16_t, 256> g_ycbcr_red =
    chroma_table<int16_t>([](int r) { return floor_div(701 * r, 500); });
constinit const std::array<int16_t, 256> g_ycbcr_blue =
    chroma_table<int16_t>([](int b) { return floor_div(443 * b, 250); });
// The bias keeps the sum positive, so that an unsigned division rounds down.
constinit const std::array<int32_t, 256> g_ycbcr_green_cb =
    chroma_table<int32_t>([](int b) { return -34414 * b + kYcbcrGreenBias * 100000; });
constinit const std::array<int32_t, 256> g_ycbcr_green_cr = chroma_table<int32_t>([](int r) { return -71414 * r; });

namespace {
double lab_f_inverse(double t) {
    const double cube = pow(t, 3);
    return cube > 0.008856 ? cube : (t - 0.13793103448275862) * 0.1284191601386927;
}
double srgb_compand(double v) { return v > 0.0031308 ? 1.055 * pow(v, 0.4166666666666667) - 0.055 : 12.92 * v; }
}  // namespace

void colour_cielab_to_rgb(uint8_t* row, size_t pixels, size_t pixel_step) {
    for (size_t i = 0; i < pixels; ++i, row += pixel_step) {
        const double l = row[0] * 0.39215686274509803;
        const double a = row[1] <= 127 ? row[1] : row[1] - 256.0;
        const double b = row[2] <= 127 ? row[2] : row[2] - 256.0;
        const double fy = (l + 16) * 0.008620689655172414;
        const double fx = fy + 0.002 * a;
        const double fz = fy - 0.005 * b;
        const double x = lab_f_inverse(fx) * 95.047 * 0.01;
        const double y = lab_f_inverse(fy);
        const double z = lab_f_inverse(fz) * 108.883 * 0.01;
        const double lr = 3.2406 * x - 1.5372 * y - 0.4986 * z;
        const double lg = -0.9689 * x + 1.8758 * y + 0.0415 * z;
        const double lb = 0.0557 * x - 0.2040 * y + 1.0570 * z;
        row[0] = clamp_byte(srgb_compand(lr) * 255);
        row[1] = clamp_byte(srgb_compand(lg) * 255);
        row[2] = clamp_byte(srgb_compand(lb) * 255);
    }
}

void colour_expand_2bit(const uint8_t* source, uint8_t* dest, uint32_t width, bool invert) {
    // Whole source bytes become two nibble pairs through a table; inverting
    // every value (3 - v) is complementing the byte.
    static constexpr auto kPairs = [] {
        std::array<uint16_t, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[size_t(b)] = uint16_t((b >> 6 & 3) << 12 | (b >> 4 & 3) << 8 | (b >> 2 & 3) << 4 | (b & 3));
        return t;
    }();
    const uint8_t mask = invert ? 0xFF : 0x00;
    const uint32_t whole = width / 4;
    for (uint32_t i = 0; i < whole; ++i) {
        const uint16_t pair = kPairs[source[i] ^ mask];
        dest[2 * i] |= uint8_t(pair >> 8);
        dest[2 * i + 1] |= uint8_t(pair);
    }
    for (uint32_t j = 4 * whole; j < width; ++j) {
        unsigned v = (source[j / 4] >> (2 * (3 - j % 4))) & 3;
        if (invert) v = 3 - v;
        dest[j / 2] |= uint8_t(j % 2 ? v : v << 4);
    }
}
