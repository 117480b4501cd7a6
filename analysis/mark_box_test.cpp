#include "analysis/mark_box.h"

#include <gtest/gtest.h>

#include <random>

#include "analysis/code128_draw.h"
#include "analysis/raster_load.h"

namespace {

// The byte-position rule pixel by pixel: pixel (x, y) is bit x of the bytes
// that start at its stored row, and counts when that byte is in the area.
int64_t reference_light(const DisplayRaster* r, int64_t x0, int64_t y0, int64_t columns, int64_t rows) {
    const int64_t h = raster_height(r), area = int64_t(r->stride) * h;
    int64_t light = 0;
    for (int64_t y = y0; y < y0 + rows; ++y)
        for (int64_t x = x0; x < x0 + columns; ++x) {
            const int64_t bit = (h - 1 - y) * r->stride * 8 + x;
            if (bit >= 0 && bit < area * 8) light += (r->bits[bit >> 3] >> (7 - (bit & 7))) & 1;
        }
    return light;
}

}  // namespace

TEST(MarkBox, OneBitFollowsTheBytePositionRuleForAnyBox) {
    // A 13-pixel row leaves 19 padding bits per stored row; they are read too.
    DisplayRaster r;
    ASSERT_TRUE(analysis_raster_alloc(13, 7, 1, &r));
    std::mt19937 rng(19);
    for (int32_t k = 0; k < r.stride * 7; ++k) r.bits[k] = uint8_t(rng());
    for (int trial = 0; trial < 3000; ++trial) {
        const int64_t x0 = int64_t(rng() % 1200) - 600, y0 = int64_t(rng() % 40) - 20;
        const int64_t columns = 1 + int64_t(rng() % (trial % 3 ? 40 : 900)), rows = 1 + int64_t(rng() % 30);
        ASSERT_EQ(mark_box_light(&r, x0, y0, columns, rows), reference_light(&r, x0, y0, columns, rows))
            << x0 << "," << y0 << " " << columns << "x" << rows;
    }
    // A box billions of pixels wide counts the area once per covering row.
    const int64_t all = reference_light(&r, 0, 6, 32 * 7, 1);
    EXPECT_EQ(mark_box_light(&r, -2000000000, 0, 4000000000, 3), 3 * all);
    EXPECT_EQ(mark_box_light(&r, 0, -2000000000, 5, 10), 0);
    analysis_raster_free(&r);
}

TEST(MarkBox, DeeperRastersCountOnlyPixelsInsideThePicture) {
    for (int bpp : {8, 24}) {
        DisplayRaster r;
        ASSERT_TRUE(analysis_raster_alloc(10, 10, bpp, &r));
        draw_fill(&r, true);
        EXPECT_EQ(mark_box_light(&r, -5, -5, 10, 10), 25) << bpp;
        EXPECT_EQ(mark_box_light(&r, 8, 0, 100, 1), 2) << bpp;
        analysis_raster_free(&r);
    }
    DisplayRaster four;
    ASSERT_TRUE(analysis_raster_alloc(10, 10, 4, &four));
    draw_fill(&four, true);
    EXPECT_EQ(mark_box_light(&four, 0, 0, 10, 10), 0);
    analysis_raster_free(&four);
}
