#include "analysis/row_runs.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "analysis/code128_draw.h"
#include "analysis/raster_load.h"

namespace {

struct Raster {
    DisplayRaster r;
    Raster(int32_t w, int32_t h, int bpp) { EXPECT_TRUE(analysis_raster_alloc(w, h, bpp, &r)); }
    ~Raster() { analysis_raster_free(&r); }
};

std::vector<int32_t> runs_of(const DisplayRaster* r, int32_t y, int32_t x0, int32_t count, int64_t* dark) {
    PixelClassifier c;
    pixel_classifier_init(r, &c);
    std::vector<int32_t> runs(size_t(count) + 2);
    runs.resize(size_t(row_runs_build(c, raster_row(r, y), x0, count, runs.data(), dark)));
    return runs;
}

// The run list as the definition states it, pixel by pixel.
std::vector<int32_t> reference_runs(const std::vector<bool>& light, int32_t x0, int32_t count) {
    std::vector<int32_t> runs{0};
    bool colour = true;
    for (int32_t x = x0; x < x0 + count; ++x) {
        if (light[size_t(x)] != colour) runs.push_back(0), colour = !colour;
        ++runs.back();
    }
    return runs;
}

}  // namespace

TEST(PixelClass, LuminanceTruncatesTheDoubleSum) {
    EXPECT_EQ(pixel_luminance(129, 129, 129), 129);
    // 0.3, 0.59 and 0.11 of 128 add up to just under 128 in doubles.
    EXPECT_EQ(pixel_luminance(128, 128, 128), 127);
    EXPECT_FALSE(pixel_is_light(128, 128, 128));
    EXPECT_TRUE(pixel_is_light(0, 217, 0));
    EXPECT_FALSE(pixel_is_light(255, 0, 0));
}

TEST(PixelClass, EightBitUsesTheColourTableNotTheIndex) {
    Raster r(16, 1, 8);
    DibColour* table = raster_colours(&r.r);
    table[3] = DibColour{255, 255, 255, 0};  // index 3 is white
    table[200] = DibColour{0, 0, 0, 0};      // index 200 is black
    raster_row(&r.r, 0)[0] = 3;
    raster_row(&r.r, 0)[1] = 200;
    PixelClassifier c;
    pixel_classifier_init(&r.r, &c);
    EXPECT_TRUE(pixel_light_at(c, raster_row(&r.r, 0), 0));
    EXPECT_FALSE(pixel_light_at(c, raster_row(&r.r, 0), 1));
}

TEST(RowRuns, OneBitMatchesPixelByPixelAtEveryOffsetAndWidth) {
    // Long runs cross the 64-pixel words the scanner skips by; short ones sit
    // inside bytes. Widths and starts are deliberately not multiples of 8.
    std::mt19937 rng(7);
    for (int32_t width : {1, 7, 9, 63, 64, 65, 130, 301}) {
        Raster r(width, 1, 1);
        std::vector<bool> light(static_cast<size_t>(width));
        bool colour = rng() & 1;
        for (int32_t x = 0; x < width;) {
            const int32_t len = int32_t(rng() % 3 == 0 ? 1 + rng() % 90 : 1 + rng() % 4);
            for (int32_t k = 0; k < len && x < width; ++k, ++x) {
                light[size_t(x)] = colour;
                draw_pixel(&r.r, x, 0, colour);
            }
            colour = !colour;
        }
        for (int32_t x0 = 0; x0 < width; x0 += 1 + width / 11) {
            const int32_t count = width - x0;
            int64_t dark = 0;
            const std::vector<int32_t> got = runs_of(&r.r, 0, x0, count, &dark);
            EXPECT_EQ(got, reference_runs(light, x0, count)) << width << " from " << x0;
            int64_t want_dark = 0;
            for (int32_t x = x0; x < x0 + count; ++x) want_dark += !light[size_t(x)];
            EXPECT_EQ(dark, want_dark);
        }
    }
}

TEST(RowRuns, AllDepthsGiveTheSameRunsAndFourBitIsAllDark) {
    const int32_t w = 77;
    std::vector<std::vector<int32_t>> results;
    for (int bpp : {1, 8, 24}) {
        Raster r(w, 1, bpp);
        draw_fill(&r.r, true);
        draw_rect(&r.r, 0, 0, 3, 1, false);  // the row starts dark
        draw_rect(&r.r, 10, 0, 20, 1, false);
        draw_rect(&r.r, 70, 0, 7, 1, false);
        int64_t dark = 0;
        results.push_back(runs_of(&r.r, 0, 0, w - 1, &dark));
        EXPECT_EQ(dark, 3 + 20 + 6);
    }
    EXPECT_EQ(results[0], (std::vector<int32_t>{0, 3, 7, 20, 40, 6}));
    EXPECT_EQ(results[1], results[0]);
    EXPECT_EQ(results[2], results[0]);

    Raster four(w, 1, 4);
    draw_fill(&four.r, true);
    int64_t dark = 0;
    EXPECT_EQ(runs_of(&four.r, 0, 0, w - 1, &dark), (std::vector<int32_t>{0, w - 1}));
    EXPECT_EQ(dark, w - 1);
}
