#include "analysis/mark_grid.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/code128_draw.h"
#include "analysis/page_analysis.h"
#include "analysis/raster_load.h"

namespace {

struct Page {
    DisplayRaster r;
    Page(int32_t w, int32_t h, int bpp = 1) {
        EXPECT_TRUE(analysis_raster_alloc(w, h, bpp, &r));
        draw_fill(&r, true);
    }
    ~Page() { analysis_raster_free(&r); }
};

// A form of 800 × 1100 form units drawn at one pixel per unit, turned by
// `angle` radians about its top-left corner at (100, 150): two border lines
// three pixels thick and one filled box at form (200, 300), 40 × 40.
void draw_form(DisplayRaster* r, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    auto put = [&](double fx, double fy) {
        draw_pixel(r, int32_t(std::lround(100 + fx * c - fy * s)), int32_t(std::lround(150 + fx * s + fy * c)), false);
    };
    for (double fy = 0; fy <= 1100; fy += 0.5)
        for (double t = 0; t <= 2; t += 0.5) put(t, fy), put(800 + t, fy);
    for (double fy = 300; fy < 340; fy += 0.5)
        for (double fx = 200; fx < 240; fx += 0.5) put(fx, fy);
    // Some text-like clutter inside the form must not disturb the lines.
    for (double fy = 500; fy < 520; fy += 0.5)
        for (double fx = 20; fx < 700; fx += 9) put(fx, fy), put(fx + 1, fy);
}

}  // namespace

TEST(MarkGrid, UprightFormAlignsOnTheTopOfTheLeftLine) {
    Page page(1000, 1400);
    draw_form(&page.r, 0);
    PageAnalysis a;
    analysis_init(&a);
    analysis_omr_init(&a, &page.r, 0, 0, 800, 1100);
    const MarkGrid& g = a.marks;
    EXPECT_EQ(g.measured, 1);
    EXPECT_EQ(g.angle, 0.0);
    // The profile holds the second pixel of a line from each side.
    EXPECT_EQ(g.origin_x, 101);
    EXPECT_EQ(g.origin_y, 150);
    EXPECT_EQ(g.frame_width, 901 - 101);
    EXPECT_EQ(g.frame_height, 1100);
    EXPECT_NEAR(analysis_omr_check(&a, &page.r, 200, 300, 38, 38), 1.0, 1e-9);
    EXPECT_NEAR(analysis_omr_check(&a, &page.r, 400, 300, 40, 40), 0.0, 1e-9);
    EXPECT_NEAR(analysis_omr_check(&a, &page.r, 180, 300, 40, 20), 0.5, 0.03);
    // With a reference corner, the same box is found at shifted form coordinates.
    analysis_omr_init(&a, &page.r, 1000, 2000, 800, 1100);
    EXPECT_NEAR(analysis_omr_check(&a, &page.r, 1200, 2300, 38, 38), 1.0, 1e-9);
}

TEST(MarkGrid, RotatedFormAlignsWithinTwoPixelsAndAMilliradian) {
    for (double angle : {0.015, -0.01}) {
        Page page(1100, 1400);
        draw_form(&page.r, angle);
        PageAnalysis a;
        analysis_init(&a);
        analysis_omr_init(&a, &page.r, 0, 0, 800, 1100);
        const MarkGrid& g = a.marks;
        EXPECT_NEAR(g.angle, angle, 0.001) << angle;
        // The true top of the left line's second pixel column.
        EXPECT_NEAR(g.origin_x, 101, 2) << angle;
        EXPECT_NEAR(g.origin_y, 150, 2) << angle;
        EXPECT_NEAR(g.x_scale, 1.0, 0.01) << angle;
        EXPECT_NEAR(g.y_scale, 1.0, 0.01) << angle;
        EXPECT_GT(analysis_omr_check(&a, &page.r, 205, 305, 30, 30), 0.97) << angle;
        EXPECT_LT(analysis_omr_check(&a, &page.r, 400, 700, 40, 40), 0.03) << angle;
    }
}

TEST(MarkGrid, BoxesOffThePageAndWithoutAlignment) {
    Page page(1000, 1400);
    draw_form(&page.r, 0);
    PageAnalysis a;
    analysis_init(&a);
    EXPECT_EQ(analysis_omr_check(&a, &page.r, 200, 300, 40, 40), 0.0);  // before OMRInit
    analysis_omr_init(&a, &page.r, 0, 0, 800, 1100);
    EXPECT_EQ(analysis_omr_check(&a, &page.r, 0, -400, 50, 50), 1.0);         // above the page
    EXPECT_EQ(analysis_omr_check(&a, &page.r, 0, 1500, 50, 50), 1.0);         // below it
    EXPECT_EQ(analysis_omr_check(&a, &page.r, 0, -1000000000, 50, 50), 1.0);  // far off costs nothing
    EXPECT_EQ(analysis_omr_check(&a, &page.r, 200, 300, -40, -40), 0.0);      // no pixels
    EXPECT_EQ(analysis_omr_check(&a, &page.r, 200, 300, 0, 40), 0.0);
    EXPECT_EQ(analysis_omr_check(&a, nullptr, 200, 300, 40, 40), 0.0);

    // A blank page has no border lines: every box reads 0.
    Page blank(1000, 1400);
    analysis_omr_init(&a, &blank.r, 0, 0, 800, 1100);
    EXPECT_EQ(a.marks.measured, 1);
    EXPECT_EQ(analysis_omr_check(&a, &blank.r, 0, -400, 50, 50), 0.0);
    // A form size of 0 gives no scale rather than an infinite one.
    analysis_omr_init(&a, &page.r, 0, 0, 0, 0);
    EXPECT_EQ(analysis_omr_check(&a, &page.r, 200, 300, 40, 40), 0.0);
}

TEST(MarkGrid, TheAlignmentOutlivesAPageChange) {
    Page page(1000, 1400), other(1000, 1400);
    draw_form(&page.r, 0);
    draw_rect(&other.r, 301, 450, 40, 40, false);
    PageAnalysis a;
    analysis_init(&a);
    analysis_omr_init(&a, &page.r, 0, 0, 800, 1100);
    analysis_page_changed(&a);
    EXPECT_NEAR(analysis_omr_check(&a, &other.r, 200, 300, 38, 38), 1.0, 1e-9);
}

TEST(MarkBorder, ProfileSkipsMarginDirtAndSmoothsSpecks) {
    Page page(200, 60);
    draw_rect(&page.r, 0, 0, 8, 60, false);    // scanner edge touching the scan start
    draw_rect(&page.r, 40, 0, 3, 60, false);   // the border line
    draw_rect(&page.r, 20, 30, 2, 1, false);   // a speck on one row
    draw_rect(&page.r, 150, 0, 3, 60, false);  // right line
    const std::vector<int32_t> left = mark_border_profile(&page.r, MarkSide::kLeft);
    const std::vector<int32_t> right = mark_border_profile(&page.r, MarkSide::kRight);
    for (size_t y = 0; y < 60; ++y) {
        EXPECT_EQ(left[y], 41) << y;
        EXPECT_EQ(right[y], 151) << y;
    }
}

TEST(MarkBorder, LineEndsNeedTwentyDeviations) {
    // Line from row 100 to 299 of a 400-row profile at x 50.
    std::vector<int32_t> v(400, 0);
    for (size_t r = 100; r < 300; ++r) v[r] = 50;
    BorderLine line = mark_border_line(v);
    ASSERT_TRUE(line.has_top && line.has_bottom);
    EXPECT_EQ(line.top.row, 100);
    EXPECT_EQ(line.top.x, 50);
    EXPECT_EQ(line.bottom.row, 299);
    // Nineteen rows below the line are not enough to end it.
    v.assign(279, 0);
    for (size_t r = 60; r < 260; ++r) v[r] = 50;
    line = mark_border_line(v);
    EXPECT_TRUE(line.has_top);
    EXPECT_FALSE(line.has_bottom);
    // Nor above: no line at all.
    v.assign(400, 50);
    for (size_t r = 0; r < 19; ++r) v[r] = 0;
    line = mark_border_line(v);
    EXPECT_FALSE(line.has_top);
    // Tiny pages have no border lines.
    EXPECT_FALSE(mark_border_line(std::vector<int32_t>(26, 5)).has_top);
}
