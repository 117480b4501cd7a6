#include "view/scale_filters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "view/scale_math.h"
#include "view/view_test_support.h"

namespace {

// The straightforward versions of each filter, in floating point where the
// filter rounds to single precision, one destination pixel at a time.

int32_t ref_box_side(int32_t W, int32_t H, int32_t w, int32_t h) {
    const double m = std::min(double(w) / W, double(h) / H);
    const int n = int(1 / m + 0.5);
    return n <= 1 ? 2 : n;
}

int32_t ref_box_start(int32_t src, int32_t dst, int32_t i, int32_t side) {
    const float r = float(double(src) / dst);
    return std::min(int32_t(double(r) * i + 0.5), src - side);
}

uint8_t ref_single_mean(uint32_t sum, int32_t count) {
    const float f = float(1.0 / count);
    return uint8_t(float(sum) * f);
}

// Mean of channel c over the box at destination (i, j); `lookup` maps a stored
// pixel to the channel value.
template <class Lookup>
uint8_t ref_box_pixel(const DisplayRaster* s, int32_t w, int32_t h, int32_t i, int32_t j, Lookup lookup) {
    const int32_t W = raster_width(s), H = raster_height(s);
    const int32_t n = ref_box_side(W, H, w, h), nx = std::min(n, W), ny = std::min(n, H);
    const int32_t r0 = ref_box_start(H, h, i, ny), c0 = ref_box_start(W, w, j, nx);
    uint32_t sum = 0;
    for (int32_t r = r0; r < r0 + ny; ++r)
        for (int32_t c = c0; c < c0 + nx; ++c) sum += lookup(test_stored_pixel(s, c, r));
    return ref_single_mean(sum, nx * ny);
}

// The exact area sum written out term by term: inner block, four edges, four corners.
uint8_t ref_exact_pixel(const DisplayRaster* s, int32_t w, int32_t h, int32_t i, int32_t j, int channel) {
    const int32_t W = raster_width(s), H = raster_height(s);
    auto span = [](int32_t src, int32_t dst, int32_t k, int32_t* first, int32_t* wf, int32_t* last, int32_t* wl) {
        const float r = float(16.0 * src / dst);
        const int32_t e = int32_t(double(r) * (k + 1) + 0.5), g = int32_t(double(r) * k + 0.5);
        *first = g >> 4, *wf = 16 - (g & 15), *last = e >> 4, *wl = e & 15;
        if (*last >= src) {
            *last = src - 1, *wl = 15;
            if (*first >= *last) *first = src - 2, *wf = 1;
        }
    };
    int32_t r0, t0, r1, t1, c0, u0, c1, u1;
    span(H, h, i, &r0, &t0, &r1, &t1);
    span(W, w, j, &c0, &u0, &c1, &u1);
    auto p = [&](int32_t r, int32_t c) { return (test_stored_pixel(s, c, r) >> (8 * channel)) & 0xFF; };
    uint64_t inner = 0, top = 0, bottom = 0, left = 0, right = 0;
    for (int32_t r = r0 + 1; r < r1; ++r)
        for (int32_t c = c0 + 1; c < c1; ++c) inner += p(r, c);
    for (int32_t c = c0 + 1; c < c1; ++c) top += p(r0, c), bottom += p(r1, c);
    for (int32_t r = r0 + 1; r < r1; ++r) left += p(r, c0), right += p(r, c1);
    const uint64_t sum = 256 * inner + 16 * t0 * top + 16 * t1 * bottom + 16 * u0 * left + 16 * u1 * right +
                         t0 * u0 * p(r0, c0) + t0 * u1 * p(r0, c1) + t1 * u0 * p(r1, c0) + t1 * u1 * p(r1, c1);
    const uint64_t area = uint64_t(16 * (r1 - r0) + t1 - (16 - t0)) * uint64_t(16 * (c1 - c0) + u1 - (16 - u0));
    return uint8_t((sum + 128) / area);
}

// Coverage in 1/4096 of a pixel of source pixel k by [start, end).
int64_t overlap(int64_t k, int64_t start, int64_t end) {
    return std::max<int64_t>(0, std::min((k + 1) * 4096, end) - std::max(k * 4096, start));
}

std::vector<uint8_t> ref_coverage(const DisplayRaster* s, int32_t w, int32_t h) {
    const int32_t W = raster_width(s), H = raster_height(s);
    const int64_t b = int64_t(W) * 4096 / w, d = int64_t(H) * 4096 / h;
    std::vector<uint8_t> temp(size_t(H) * w), out(size_t(h) * w);
    for (int32_t r = 0; r < H; ++r)
        for (int32_t j = 0; j < w; ++j) {
            int64_t acc = 0;
            for (int32_t k = 0; k < W; ++k) acc += test_stored_pixel(s, k, r) * overlap(k, j * b, j * b + b);
            temp[size_t(r) * w + j] = uint8_t(acc * 255 / b);
        }
    for (int32_t i = 0; i < h; ++i)
        for (int32_t j = 0; j < w; ++j) {
            int64_t acc = 0;
            for (int32_t r = 0; r < H; ++r) acc += temp[size_t(r) * w + j] * overlap(r, i * d, i * d + d);
            out[size_t(i) * w + j] = uint8_t(acc / d);
        }
    return out;
}

struct Case {
    int32_t W, H, w, h;
};
// Mild and strong reductions, odd widths (row padding), one axis untouched.
const Case kCases[] = {{37, 29, 13, 11},  {64, 48, 31, 47},  {101, 7, 100, 3}, {9, 40, 3, 40},
                       {123, 77, 50, 20}, {250, 250, 12, 9}, {17, 300, 5, 6},  {33, 33, 32, 32}};

}  // namespace

TEST(ScaleMath, MatchesFloatingPointSinglePrecision) {
    std::mt19937 rng(7);
    for (int k = 0; k < 20000; ++k) {
        const uint32_t num = rng() % 100000 + 1, den = rng() % 5000 + 1;
        const SingleValue v = single_of_ratio(num, den);
        const float f = float(double(num) / den);
        ASSERT_EQ(double(v.mantissa) * std::ldexp(1.0, v.exponent), double(f)) << num << "/" << den;
        const int32_t i = int32_t(rng() % 20000);
        ASSERT_EQ(single_scaled_round(v, i), int64_t(double(f) * i + 0.5));
        const uint32_t sum = rng() % (1u << 24);
        ASSERT_EQ(single_product_trunc(v, sum), uint32_t(float(sum) * f)) << sum << " * " << f;
    }
}

TEST(ScaleFilters, BoxSideAndTables) {
    // 5 %: a box of 20; 50 % on one axis and 10 % on the other: the stronger one counts.
    EXPECT_EQ(scale_box_size(2000, 1000, 100, 50), 20);
    EXPECT_EQ(scale_box_size(100, 100, 50, 10), 10);
    EXPECT_EQ(scale_box_size(100, 100, 80, 80), 2);  // 1 / 0.8 rounds to 1
    EXPECT_EQ(scale_box_size(5, 5, 2, 2), 3);        // 2.5 rounds up
    BoxTables t;
    scale_box_tables(100, 60, 10, 6, &t);
    EXPECT_EQ(t.n, 10);
    EXPECT_EQ(t.rows, (std::vector<int32_t>{0, 10, 20, 30, 40, 50}));
    EXPECT_EQ(t.cols.back(), 90);
    // The last boxes never run past the page.
    scale_box_tables(103, 61, 10, 6, &t);
    for (int32_t c : t.cols) EXPECT_LE(c + t.nx, 103);
    for (int32_t r : t.rows) EXPECT_LE(r + t.ny, 61);
    // One axis reduced 100 times, the other barely: the box is cut to the narrow page.
    scale_box_tables(10, 10000, 5, 100, &t);
    EXPECT_EQ(t.n, 100);
    EXPECT_EQ(t.nx, 10);
    EXPECT_EQ(t.cols, (std::vector<int32_t>{0, 0, 0, 0, 0}));
}

TEST(ScaleFilters, BoxAverageMatchesReference) {
    uint32_t seed = 1;
    for (const Case& k : kCases)
        for (int bpp : {8, 24}) {
            TestRaster src(test_raster(k.W, k.H, bpp, seed++));
            TestRaster dst;
            ASSERT_TRUE(scale_box_average(nullptr, src.get(), dst.get(), k.w, k.h, 0));
            for (int32_t i = 0; i < k.h; ++i)
                for (int32_t j = 0; j < k.w; ++j)
                    for (int c = 0; c < bpp / 8; ++c) {
                        const uint8_t want =
                            ref_box_pixel(src.get(), k.w, k.h, i, j, [c](uint32_t v) { return (v >> (8 * c)) & 0xFF; });
                        ASSERT_EQ((test_stored_pixel(dst.get(), j, i) >> (8 * c)) & 0xFF, want)
                            << k.W << "x" << k.H << " to " << k.w << "x" << k.h << " bpp " << bpp;
                    }
        }
}

TEST(ScaleFilters, PaletteBoxAverageLooksUpColours) {
    uint32_t seed = 100;
    for (const Case& k : kCases)
        for (int bpp : {4, 8})
            for (bool grey : {true, false}) {
                TestRaster src(test_raster(k.W, k.H, bpp, seed++, grey));
                TestRaster dst;
                ASSERT_TRUE(scale_palette_box_average(nullptr, src.get(), dst.get(), k.w, k.h, 0));
                ASSERT_EQ(raster_bpp(dst.get()), grey ? 8 : 24);
                const DibColour* table = raster_colours(src.get());
                for (int32_t i = 0; i < k.h; ++i)
                    for (int32_t j = 0; j < k.w; ++j) {
                        const uint32_t got = test_stored_pixel(dst.get(), j, i);
                        auto channel = [&](int c) {
                            return ref_box_pixel(src.get(), k.w, k.h, i, j, [&](uint32_t v) {
                                const DibColour& e = table[v];
                                return uint32_t(c == 0 ? e.blue : c == 1 ? e.green : e.red);
                            });
                        };
                        const uint32_t want = grey ? channel(0) : channel(0) | channel(1) << 8 | channel(2) << 16;
                        ASSERT_EQ(got, want) << "bpp " << bpp << " grey " << grey;
                    }
                if (grey) {
                    EXPECT_EQ(raster_colours(dst.get())[200].red, 200);
                }
            }
}

TEST(ScaleFilters, ExactAreaMatchesTermByTermSum) {
    uint32_t seed = 200;
    for (const Case& k : kCases)
        for (int bpp : {8, 24}) {
            TestRaster src(test_raster(k.W, k.H, bpp, seed++));
            TestRaster dst;
            ASSERT_TRUE(scale_exact_area(nullptr, src.get(), dst.get(), k.w, k.h, 0));
            for (int32_t i = 0; i < k.h; ++i)
                for (int32_t j = 0; j < k.w; ++j)
                    for (int c = 0; c < bpp / 8; ++c)
                        ASSERT_EQ((test_stored_pixel(dst.get(), j, i) >> (8 * c)) & 0xFF,
                                  ref_exact_pixel(src.get(), k.w, k.h, i, j, c))
                            << k.W << "x" << k.H << " to " << k.w << "x" << k.h << " at " << j << "," << i;
        }
}

TEST(ScaleFilters, ExactAreaKeepsFlatAreasFlat) {
    TestRaster src(test_raster(90, 70, 8, 1));
    memset(src.get()->bits, 77, size_t(src.get()->stride) * 70);
    TestRaster dst;
    ASSERT_TRUE(scale_exact_area(nullptr, src.get(), dst.get(), 41, 23, 0));
    for (int32_t y = 0; y < 23; ++y)
        for (int32_t x = 0; x < 41; ++x) ASSERT_EQ(test_stored_pixel(dst.get(), x, y), 77u);
}

TEST(ScaleFilters, BilevelCoverageMatchesOverlapSums) {
    uint32_t seed = 300;
    const Case cases[] = {{37, 29, 13, 11}, {64, 48, 31, 47}, {203, 9, 7, 3}, {8, 8, 8, 8}, {129, 65, 1, 1}};
    for (const Case& k : cases) {
        TestRaster src(test_raster(k.W, k.H, 1, seed++));
        TestRaster dst;
        ASSERT_TRUE(scale_bilevel_coverage(nullptr, src.get(), dst.get(), k.w, k.h, 0));
        const std::vector<uint8_t> want = ref_coverage(src.get(), k.w, k.h);
        for (int32_t i = 0; i < k.h; ++i)
            for (int32_t j = 0; j < k.w; ++j)
                ASSERT_EQ(test_stored_pixel(dst.get(), j, i), want[size_t(i) * k.w + j]) << k.W << "x" << k.H;
    }
}

TEST(ScaleFilters, BilevelCoverageCountsSetBitsAndKeepsTheLook) {
    // 2 x 2 blocks with 0..4 bits set become 0, 63, 127, 191, 255.
    TestRaster src(test_raster(10, 2, 1, 0));
    memset(src.get()->bits, 0, size_t(src.get()->stride) * 2);
    // Column pairs with 0, 1, 2, 3 and 4 set bits.
    uint8_t* top = src.get()->bits + src.get()->stride;
    uint8_t* bottom = src.get()->bits;
    top[0] = 0b00101111, top[1] = 0b11000000;
    bottom[0] = 0b00000010, bottom[1] = 0b11000000;
    TestRaster dst;
    ASSERT_TRUE(scale_bilevel_coverage(nullptr, src.get(), dst.get(), 5, 1, 0));
    EXPECT_EQ(test_stored_pixel(dst.get(), 0, 0), 0u);
    EXPECT_EQ(test_stored_pixel(dst.get(), 1, 0), 63u);
    EXPECT_EQ(test_stored_pixel(dst.get(), 2, 0), 127u);
    EXPECT_EQ(test_stored_pixel(dst.get(), 3, 0), 191u);
    EXPECT_EQ(test_stored_pixel(dst.get(), 4, 0), 255u);
    EXPECT_EQ(raster_colours(dst.get())[255].red, 255);  // black, white: ascending
    EXPECT_TRUE(dst.get()->is_grey);
    // White on black: a descending ramp, so set bits still look black.
    raster_colours(src.get())[0] = DibColour{255, 255, 255, 0};
    raster_colours(src.get())[1] = DibColour{0, 0, 0, 0};
    TestRaster inverse;
    ASSERT_TRUE(scale_bilevel_coverage(nullptr, src.get(), inverse.get(), 5, 1, 0));
    EXPECT_EQ(raster_colours(inverse.get())[0].red, 255);
    EXPECT_EQ(raster_colours(inverse.get())[255].red, 0);
    // Two colours that are not grey: the table blends them.
    src.get()->is_grey = 0;
    raster_colours(src.get())[0] = DibColour{0, 0, 200, 0};
    raster_colours(src.get())[1] = DibColour{100, 0, 0, 0};
    TestRaster blended;
    ASSERT_TRUE(scale_bilevel_coverage(nullptr, src.get(), blended.get(), 5, 1, 0));
    const DibColour mid = raster_colours(blended.get())[127];
    EXPECT_EQ(mid.blue, 50);  // 0 + 100 * 127 / 255 = 49.8
    EXPECT_EQ(mid.red, 100);  // 200 - 200 * 127 / 255 = 100.4
    EXPECT_FALSE(blended.get()->is_grey);
}

TEST(ScaleFilters, PlainStretchTakesTheCentrePixelAtEveryDepth) {
    uint32_t seed = 400;
    const Case cases[] = {{13, 7, 40, 21}, {40, 21, 13, 7}, {9, 9, 9, 9}, {1, 1, 5, 3}, {17, 5, 3, 12}};
    for (const Case& k : cases)
        for (int bpp : {1, 4, 8, 24}) {
            TestRaster src(test_raster(k.W, k.H, bpp, seed++));
            TestRaster dst;
            ASSERT_TRUE(scale_plain_stretch(nullptr, src.get(), dst.get(), k.w, k.h, 0));
            for (int32_t y = 0; y < k.h; ++y)
                for (int32_t x = 0; x < k.w; ++x) {
                    const int32_t sx = int32_t((x + 0.5) * k.W / k.w), sy = int32_t((y + 0.5) * k.H / k.h);
                    ASSERT_EQ(test_pixel(dst.get(), x, y), test_pixel(src.get(), sx, sy)) << "bpp " << bpp;
                }
            // Padding after the last pixel stays clear (rows are compared whole elsewhere).
            if (bpp == 1 && k.w % 8) {
                EXPECT_EQ(dst.get()->bits[(k.w + 7) / 8 - 1] & (0xFF >> (k.w % 8)), 0);
            }
        }
}

TEST(ScaleFilters, StretchedPiecesMatchTheWholeStretch) {
    TestRaster src(test_raster(23, 17, 4, 9, false));
    TestRaster whole;
    ASSERT_TRUE(scale_plain_stretch(nullptr, src.get(), whole.get(), 61, 50, 0));
    const Rect32 pieces[] = {{0, 0, 20, 50}, {20, 0, 61, 13}, {20, 13, 61, 50}, {55, 40, 90, 90}};
    for (const Rect32& p : pieces) {
        TestRaster part;
        ASSERT_TRUE(scale_stretch_region(nullptr, src.get(), part.get(), 61, 50, p, 0));
        const int32_t right = std::min(p.right, 61), bottom = std::min(p.bottom, 50);
        ASSERT_EQ(raster_width(part.get()), right - p.left);
        for (int32_t y = p.top; y < bottom; ++y)
            for (int32_t x = p.left; x < right; ++x)
                ASSERT_EQ(test_pixel(part.get(), x - p.left, y - p.top), test_pixel(whole.get(), x, y));
    }
}
