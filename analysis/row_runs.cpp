#include "analysis/row_runs.h"

#include <cstring>

int pixel_luminance(int red, int green, int blue) {
    // The order of the sum matters: grey 128 must come out the way the
    // doubles round it, not the way exact arithmetic would.
    return int(0.3 * red + 0.59 * green + 0.11 * blue);
}

bool pixel_is_light(int red, int green, int blue) { return pixel_luminance(red, green, blue) >= 128; }

void pixel_classifier_init(const DisplayRaster* raster, PixelClassifier* out) {
    *out = PixelClassifier{};
    out->bits_per_pixel = raster_bpp(raster);
    if (out->bits_per_pixel != 8) return;
    const DibColour* table = raster_colours(raster);
    for (int i = 0; i < 256; ++i) out->light_index[i] = pixel_is_light(table[i].red, table[i].green, table[i].blue);
}

bool pixel_light_at(const PixelClassifier& c, const uint8_t* row, int32_t x) {
    switch (c.bits_per_pixel) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 8: return c.light_index[row[x]];
    case 24: return pixel_is_light(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    default: return false;
    }
}

namespace {

// Up to 64 bits of a 1-bit row starting at byte `at`, most significant first;
// bytes past `row_bytes` read as zero (the caller never counts them).
uint64_t load_bits(const uint8_t* row, int64_t at, int64_t row_bytes) {
    uint64_t w = 0;
    const int64_t avail = row_bytes - at;
    if (avail >= 8) {
        uint8_t b[8];
        memcpy(b, row + at, 8);
        for (int k = 0; k < 8; ++k) w = (w << 8) | b[k];
        return w;
    }
    for (int k = 0; k < 8; ++k) w = (w << 8) | (k < avail ? row[at + k] : 0);
    return w;
}

// First column in [x, end) whose bit differs from `light`, or end. Blank
// stretches of a scanned page are skipped 64 pixels at a time.
int32_t next_change_1bit(const uint8_t* row, int32_t x, int32_t end, bool light) {
    const int64_t row_bytes = (int64_t(end) + 7) >> 3;
    while (x < end) {
        const int shift = x & 7;
        uint64_t w = load_bits(row, x >> 3, row_bytes) << shift;
        if (light) w = ~w;
        const int valid = 64 - shift;
        const int same = w ? __builtin_clzll(w) : 64;
        if (same < valid) return same < end - x ? x + same : end;
        x = valid < end - x ? x + valid : end;
    }
    return end;
}

int build_1bit(const uint8_t* row, int32_t x0, int32_t count, int32_t* runs, int64_t* dark) {
    const int32_t end = x0 + count;
    int n = 0;
    bool light = true;
    for (int32_t x = x0; x < end; light = !light) {
        const int32_t next = next_change_1bit(row, x, end, light);
        runs[n++] = next - x;
        if (!light) *dark += next - x;
        x = next;
    }
    return n;
}

template <class IsLight>
int build_generic(IsLight is_light, int32_t x0, int32_t count, int32_t* runs, int64_t* dark) {
    int n = 0;
    bool light = true;
    int32_t len = 0;
    for (int32_t x = x0; x < x0 + count; ++x) {
        if (is_light(x) != light) {
            runs[n++] = len;
            if (!light) *dark += len;
            light = !light;
            len = 0;
        }
        ++len;
    }
    runs[n++] = len;
    if (!light) *dark += len;
    return n;
}

}  // namespace

int row_runs_build(const PixelClassifier& c, const uint8_t* row, int32_t x0, int32_t count, int32_t* runs,
                   int64_t* dark) {
    if (count <= 0) {
        runs[0] = 0;
        return 1;
    }
    switch (c.bits_per_pixel) {
    case 1: return build_1bit(row, x0, count, runs, dark);
    case 8: return build_generic([&](int32_t x) { return c.light_index[row[x]]; }, x0, count, runs, dark);
    case 24:
        return build_generic([&](int32_t x) { return pixel_is_light(row[3 * x + 2], row[3 * x + 1], row[3 * x]); }, x0,
                             count, runs, dark);
    default:
        runs[0] = 0;
        runs[1] = count;
        *dark += count;
        return 2;
    }
}
