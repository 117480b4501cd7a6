#include "decode/raster_ops.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "base/text.h"
#include "config/error_log.h"
#include "decode/raster_rgb.h"

namespace {

struct Raster {
    DisplayRaster r;
    ~Raster() { raster_destroy(&r); }
};

// A raster with random pixels (padding left zero) and a table that tells indices apart.
void make_random(DisplayRaster* r, int w, int h, int bpp, unsigned seed) {
    ASSERT_TRUE(raster_create(nullptr, r, w, h, bpp, true, 0));
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = raster_row(r, y);
        const int bits = w * bpp;
        for (int b = 0; b < bits / 8; ++b) row[b] = uint8_t(rng());
        if (bits % 8) row[bits / 8] = uint8_t(rng() & (0xFF00 >> (bits % 8)));
    }
    for (int i = 0; i < raster_table_entries(bpp); ++i)
        raster_colours(r)[i] = DibColour{uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), 0};
    raster_dib(r)->x_pels_per_meter = 100;
    raster_dib(r)->y_pels_per_meter = 300;
}

bool same_pixels(const DisplayRaster* a, const DisplayRaster* b) {
    return raster_width(a) == raster_width(b) && raster_height(a) == raster_height(b) &&
           a->block_size == b->block_size && memcmp(a->header, b->header, size_t(a->block_size)) == 0;
}

}  // namespace

TEST(RasterCreate, LayoutAndHeader) {
    Raster x;
    ASSERT_TRUE(raster_create(nullptr, &x.r, 13, 5, 4, true, 0));
    EXPECT_EQ(x.r.stride, 8);
    EXPECT_EQ(x.r.block_size, 8 * 5 + 16 * 4 + 40);
    EXPECT_EQ(x.r.bits, x.r.header + 40 + 64);
    const DibHeader* h = raster_dib(&x.r);
    EXPECT_EQ(h->size, 40u);
    EXPECT_EQ(h->height, 5);
    EXPECT_EQ(h->bit_count, 4);
    EXPECT_EQ(h->planes, 1);
}

TEST(RasterCreate, MemoryLimitIsInclusiveAndBadDepthIsRefused) {
    ErrorLog log;
    errlog_init(&log, false);
    // 24-bit, width 4: stride 12 and no table, so the block is 12 × h + 40,
    // exactly 1 MiB for h = 87378.
    Raster at, over;
    EXPECT_TRUE(raster_create(&log, &at.r, 4, 87378, 24, false, 1));
    EXPECT_EQ(at.r.block_size, 1048576);
    EXPECT_EQ(log.error_count, 0);
    // One more row is 12 bytes over.
    EXPECT_FALSE(raster_create(&log, &over.r, 4, 87379, 24, false, 1));
    EXPECT_TRUE(raster_empty(&over.r));
    EXPECT_NE(text_to_utf8(errlog_text(&log)).find("Image too large, exceeds configured 1MB memory limit"),
              std::string::npos);
    // A 4096 MB limit must not wrap around to "no room at all".
    Raster big;
    EXPECT_TRUE(raster_create(&log, &big.r, 10, 10, 8, true, 4096));
    EXPECT_FALSE(raster_create(&log, &over.r, 10, 10, 16, true, 0));
    EXPECT_NE(text_to_utf8(errlog_text(&log)).find("internal error: incorrect bitcount"), std::string::npos);
    errlog_free(&log);
}

TEST(RasterCreate, HugeRequestsFailCleanly) {
    ErrorLog log;
    errlog_init(&log, false);
    Raster x;
    EXPECT_FALSE(raster_create(&log, &x.r, 1 << 20, 1 << 20, 24, true, 0));  // over the 2e9 cap: no message
    EXPECT_EQ(log.error_count, 0);
    EXPECT_TRUE(raster_empty(&x.r));
    // Past the cap and a configured limit too: the limit says why.
    EXPECT_FALSE(raster_create(&log, &x.r, 100000, 100000, 24, true, 1024));
    EXPECT_EQ(text_to_utf8(errlog_text(&log)), "Error: Image too large, exceeds configured 1024MB memory limit\r\n");
    EXPECT_FALSE(raster_create(&log, &x.r, -1, 5, 8, true, 0));
    errlog_free(&log);
}

TEST(RasterTransforms, IdentitiesHoldAtEveryDepth) {
    for (int bpp : {1, 4, 8, 24}) {
        for (auto [w, h] : {std::pair{1, 1}, std::pair{7, 3}, std::pair{17, 9}, std::pair{33, 2}}) {
            SCOPED_TRACE(std::to_string(bpp) + " bpp " + std::to_string(w) + "x" + std::to_string(h));
            Raster a, b;
            make_random(&a.r, w, h, bpp, unsigned(w * 100 + h + bpp));
            make_random(&b.r, w, h, bpp, unsigned(w * 100 + h + bpp));
            // Transposing twice is the identity (and exchanges the resolutions twice).
            ASSERT_TRUE(raster_transpose_in_place(nullptr, &b.r));
            EXPECT_EQ(raster_width(&b.r), h);
            EXPECT_EQ(raster_dib(&b.r)->x_pels_per_meter, 300);
            ASSERT_TRUE(raster_transpose_in_place(nullptr, &b.r));
            EXPECT_TRUE(same_pixels(&a.r, &b.r));
            // Mirror and flip are involutions; orientation 3 is both, and equals 3 applied twice with 1.
            raster_mirror(&b.r);
            raster_mirror(&b.r);
            raster_flip(&b.r);
            raster_flip(&b.r);
            EXPECT_TRUE(same_pixels(&a.r, &b.r));
            // Four quarter turns (orientation 6 each) are the identity.
            for (int i = 0; i < 4; ++i) ASSERT_TRUE(raster_apply_orientation(nullptr, &b.r, 6));
            EXPECT_TRUE(same_pixels(&a.r, &b.r));
            // 6 then 8 undo each other; 5 and 7 are their own inverse.
            ASSERT_TRUE(raster_apply_orientation(nullptr, &b.r, 6));
            ASSERT_TRUE(raster_apply_orientation(nullptr, &b.r, 8));
            EXPECT_TRUE(same_pixels(&a.r, &b.r));
            for (int o : {5, 7, 2, 4, 3}) {
                ASSERT_TRUE(raster_apply_orientation(nullptr, &b.r, o));
                ASSERT_TRUE(raster_apply_orientation(nullptr, &b.r, o));
                EXPECT_TRUE(same_pixels(&a.r, &b.r)) << o;
            }
            raster_negative(&b.r);
            raster_negative(&b.r);
            EXPECT_TRUE(same_pixels(&a.r, &b.r));
        }
    }
}

// Orientations 5 to 8 run as one pass; they must equal the transpose followed
// by the mirror and flip steps they stand for.
TEST(RasterTransforms, SwappingOrientationsEqualTransposeThenMirrorAndFlip) {
    for (int bpp : {1, 4, 8, 24}) {
        for (auto [w, h] : {std::pair{1, 1}, std::pair{7, 3}, std::pair{17, 9}, std::pair{33, 2}, std::pair{40, 21}}) {
            for (int o = 5; o <= 8; ++o) {
                SCOPED_TRACE(std::to_string(bpp) + " bpp " + std::to_string(w) + "x" + std::to_string(h) + " o" +
                             std::to_string(o));
                Raster fast, steps;
                make_random(&fast.r, w, h, bpp, unsigned(w * 31 + h + bpp + o));
                make_random(&steps.r, w, h, bpp, unsigned(w * 31 + h + bpp + o));
                ASSERT_TRUE(raster_apply_orientation(nullptr, &fast.r, o));
                ASSERT_TRUE(raster_transpose_in_place(nullptr, &steps.r));
                if (o == 5 || o == 8) raster_mirror(&steps.r);
                if (o == 5 || o == 6) raster_flip(&steps.r);
                EXPECT_TRUE(same_pixels(&fast.r, &steps.r));
            }
        }
    }
}

TEST(RasterTransforms, TransposeIsTheAntiDiagonalReflection) {
    Raster a, t;
    make_random(&a.r, 5, 3, 24, 7);
    ASSERT_TRUE(raster_transpose(nullptr, &a.r, &t.r));
    const std::vector<uint8_t> old_rgb = raster_to_rgb(&a.r), new_rgb = raster_to_rgb(&t.r);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(new_rgb[(y * 3 + x) * 3 + c], old_rgb[((3 - 1 - x) * 5 + (5 - 1 - y)) * 3 + c]);
}

TEST(RasterTransforms, NegativeTouchesTheTableOrThePixels) {
    Raster grey, bw;
    make_random(&grey.r, 3, 3, 8, 1);
    const std::vector<uint8_t> before(grey.r.bits, grey.r.bits + 12);
    raster_negative(&grey.r);
    EXPECT_EQ(std::vector<uint8_t>(grey.r.bits, grey.r.bits + 12), before);
    EXPECT_EQ(raster_colours(&grey.r)[0].green, 0);
    make_random(&bw.r, 3, 1, 1, 2);
    const uint8_t first = bw.r.bits[0];
    raster_negative(&bw.r);
    EXPECT_EQ(bw.r.bits[0], uint8_t(~first));
}

TEST(RasterTransforms, CopyColourTableTakesTheSmallerCount) {
    Raster a, b;
    make_random(&a.r, 2, 2, 8, 3);
    a.r.is_grey = 1;
    make_random(&b.r, 2, 2, 4, 4);
    raster_copy_colour_table(&a.r, &b.r);
    EXPECT_EQ(raster_colours(&b.r)[15].red, uint8_t(15 * 7));
    EXPECT_EQ(b.r.is_grey, 0);  // depths differ: the flag stays
}

namespace {

bool stored_bit(const DisplayRaster* r, int32_t stored_row, int32_t x) {
    return (r->bits[int64_t(stored_row) * r->stride + x / 8] >> (7 - x % 8)) & 1;
}

}  // namespace

// Bilevel transposes work on blocks of 16 rows by 16 bytes, then of 8 × 8
// bits for the last rows, and skip empty ones: compare every orientation that
// swaps the axes with the same map worked out one pixel at a time, at sizes
// that leave partial blocks on both axes and rows too short for a whole
// block, dense and sparse, with junk in the source's padding bits and the
// result's padding zero.
TEST(RasterTransforms, BilevelBlocksMatchPixelByPixel) {
    for (auto [w, h] : {std::pair{1, 1}, std::pair{8, 8}, std::pair{9, 7}, std::pair{15, 17}, std::pair{64, 3},
                        std::pair{3, 64}, std::pair{70, 21}, std::pair{16, 16}, std::pair{88, 50}, std::pair{130, 33},
                        std::pair{257, 48}, std::pair{1, 32}}) {
        for (bool sparse : {false, true}) {
            for (int o = 4; o <= 8; ++o) {  // 4 here stands for the plain transpose
                SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + (sparse ? " sparse" : " dense") + " o" +
                             std::to_string(o));
                Raster a, t;
                make_random(&a.r, w, h, 1, unsigned(w * 131 + h));
                if (sparse)
                    for (int32_t y = 0; y < h; ++y)
                        for (int32_t b = 0; b < a.r.stride; ++b)
                            a.r.bits[int64_t(y) * a.r.stride + b] &= (y % 9 == 0) ? 0x81 : 0;
                for (int32_t y = 0; y < h; ++y)
                    for (int32_t x = w; x < 8 * a.r.stride; ++x)
                        a.r.bits[int64_t(y) * a.r.stride + x / 8] |= uint8_t(0x80 >> (x % 8));
                if (o == 4) {
                    ASSERT_TRUE(raster_transpose(nullptr, &a.r, &t.r));
                } else {
                    make_random(&t.r, w, h, 1, 0);
                    memcpy(t.r.header, a.r.header, size_t(a.r.block_size));
                    ASSERT_TRUE(raster_apply_orientation(nullptr, &t.r, o));
                }
                ASSERT_EQ(raster_width(&t.r), h);
                ASSERT_EQ(raster_height(&t.r), w);
                const bool reverse_rows = o == 5 || o == 8, reverse_columns = o == 5 || o == 6;
                for (int32_t i = 0; i < w; ++i) {
                    const int32_t column = reverse_columns ? w - 1 - i : i;
                    for (int32_t j = 0; j < h; ++j)
                        ASSERT_EQ(stored_bit(&t.r, i, j), stored_bit(&a.r, reverse_rows ? h - 1 - j : j, column))
                            << i << "," << j;
                    for (int32_t j = h; j < 8 * t.r.stride; ++j)
                        ASSERT_FALSE(stored_bit(&t.r, i, j)) << "padding " << i;
                }
            }
        }
    }
}

// Colour and 8-bit transposes take 8 × 8 and 4 × 4 pixel blocks where wide
// loads and stores fit and single pixels elsewhere, and leave the zero fill to
// the row padding alone. Compare every orientation that swaps the axes with the same
// map worked out one pixel at a time, at sizes with partial blocks on either
// axis, sizes whose rows have no padding, rows just too short for a block's
// wide loads either way, and single rows and columns.
TEST(RasterTransforms, WholeBytePixelTransposesMatchPixelByPixel) {
    const std::pair<int, int> sizes[] = {{1, 1},   {6, 6},   {8, 8},   {7, 9},   {12, 13}, {13, 22}, {25, 10}, {4, 30},
                                         {30, 4},  {16, 16}, {1, 17},  {17, 1},  {5, 6},   {6, 5},   {40, 33}, {9, 16},
                                         {24, 17}, {10, 12}, {11, 19}, {19, 27}, {64, 64}, {13, 8},  {8, 13}};
    for (int bpp : {8, 24}) {
        const int bytes = bpp / 8;
        for (auto [w, h] : sizes) {
            for (int o = 4; o <= 8; ++o) {  // 4 here stands for the plain transpose
                SCOPED_TRACE(std::to_string(bpp) + " bpp " + std::to_string(w) + "x" + std::to_string(h) + " o" +
                             std::to_string(o));
                Raster a, t;
                make_random(&a.r, w, h, bpp, unsigned(w * 57 + h * 3 + bpp + o));
                // Junk in the source's padding must not reach the result.
                for (int32_t y = 0; y < h; ++y)
                    for (int32_t b = w * bytes; b < a.r.stride; ++b) a.r.bits[int64_t(y) * a.r.stride + b] = 0xA5;
                if (o == 4) {
                    ASSERT_TRUE(raster_transpose(nullptr, &a.r, &t.r));
                } else {
                    make_random(&t.r, w, h, bpp, unsigned(w * 57 + h * 3 + bpp + o));
                    for (int32_t y = 0; y < h; ++y)
                        for (int32_t b = w * bytes; b < t.r.stride; ++b) t.r.bits[int64_t(y) * t.r.stride + b] = 0xA5;
                    ASSERT_TRUE(raster_apply_orientation(nullptr, &t.r, o));
                }
                ASSERT_EQ(raster_width(&t.r), h);
                ASSERT_EQ(raster_height(&t.r), w);
                const bool reverse_rows = o == 5 || o == 8, reverse_columns = o == 5 || o == 6;
                for (int32_t i = 0; i < w; ++i) {
                    const uint8_t* out = t.r.bits + int64_t(i) * t.r.stride;
                    const int32_t column = reverse_columns ? w - 1 - i : i;
                    for (int32_t j = 0; j < h; ++j) {
                        const int32_t row = reverse_rows ? h - 1 - j : j;
                        const uint8_t* in = a.r.bits + int64_t(row) * a.r.stride + int64_t(bytes) * column;
                        for (int c = 0; c < bytes; ++c)
                            ASSERT_EQ(out[bytes * j + c], in[c]) << "pixel " << i << "," << j << " byte " << c;
                    }
                    for (int32_t b = h * bytes; b < t.r.stride; ++b) ASSERT_EQ(out[b], 0) << "padding " << i;
                }
            }
        }
    }
}
