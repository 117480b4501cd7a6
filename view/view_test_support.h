#pragma once
// Rasters for the view tests: random pictures of any depth, and pixel reads by
// stored row that do not share code with the filters under test.
#include <cstdint>
#include <cstring>
#include <random>

#include "decode/raster.h"
#include "decode/raster_ops.h"

inline DisplayRaster test_raster(int32_t w, int32_t h, int bpp, uint32_t seed, bool grey = true) {
    DisplayRaster r;
    if (!raster_create(nullptr, &r, w, h, bpp, true, 0)) return r;
    std::mt19937 rng(seed);
    const int entries = raster_table_entries(bpp);
    for (int k = 0; k < entries; ++k) {
        const uint8_t g = uint8_t(entries > 1 ? k * 255 / (entries - 1) : 0);
        raster_colours(&r)[k] =
            grey ? DibColour{g, g, g, 0} : DibColour{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0};
    }
    r.is_grey = grey && bpp <= 8;
    const int64_t row_bytes = (int64_t(w) * bpp + 7) / 8;
    for (int32_t y = 0; y < h; ++y)
        for (int64_t x = 0; x < row_bytes; ++x) r.bits[int64_t(y) * r.stride + x] = uint8_t(rng());
    // Bits past the last pixel stay clear, as a decoder leaves them.
    const int spare = int(row_bytes * 8 - int64_t(w) * bpp);
    if (spare)
        for (int32_t y = 0; y < h; ++y) r.bits[int64_t(y) * r.stride + row_bytes - 1] &= uint8_t(0xFF << spare);
    return r;
}

// Stored row y, column x: the index (1, 4, 8 bits) or blue | green << 8 | red << 16.
inline uint32_t test_stored_pixel(const DisplayRaster* r, int32_t x, int32_t y) {
    const uint8_t* row = r->bits + int64_t(y) * r->stride;
    switch (raster_bpp(r)) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4: return x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4;
    case 8: return row[x];
    default: return row[3 * x] | row[3 * x + 1] << 8 | uint32_t(row[3 * x + 2]) << 16;
    }
}
// Picture row y (top-down).
inline uint32_t test_pixel(const DisplayRaster* r, int32_t x, int32_t y) {
    return test_stored_pixel(r, x, raster_height(r) - 1 - y);
}

inline bool test_same_pixels(const DisplayRaster* a, const DisplayRaster* b) {
    if (raster_width(a) != raster_width(b) || raster_height(a) != raster_height(b) || raster_bpp(a) != raster_bpp(b))
        return false;
    for (int32_t y = 0; y < raster_height(a); ++y)
        for (int32_t x = 0; x < raster_width(a); ++x)
            if (test_stored_pixel(a, x, y) != test_stored_pixel(b, x, y)) return false;
    const int n = raster_table_entries(raster_bpp(a));
    return memcmp(raster_colours(a), raster_colours(b), size_t(4 * n)) == 0;
}

// Frees the raster at the end of a test.
struct TestRaster {
    DisplayRaster r;
    explicit TestRaster(DisplayRaster raster = {}) : r(raster) {}
    ~TestRaster() { raster_destroy(&r); }
    TestRaster(const TestRaster&) = delete;
    TestRaster& operator=(const TestRaster&) = delete;
    DisplayRaster* get() { return &r; }
};

#include "config/error_log.h"
#include "view/scaled_view.h"
#include "view/view_state.h"

// A view with its page, as the shell would gather it from a viewer.
struct TestView {
    ViewGroup group;
    ViewLayout layout;
    DisplayRaster page;
    ErrorLog log;
    explicit TestView(DisplayRaster raster) : page(raster) { errlog_init(&log, false); }
    ~TestView() {
        scaled_view_drop(&layout.main_view);
        scaled_view_drop(&layout.zoom_view);
        raster_destroy(&page);
        errlog_free(&log);
    }
    TestView(const TestView&) = delete;
    TestView& operator=(const TestView&) = delete;
    ViewContext context() { return ViewContext{&group, &layout, &page, true, &log, 0}; }
};
