#include "annotate/win/render_overlays.h"

#include <gtest/gtest.h>

#include "decode/raster_ops.h"
#include "document/page_marks.h"

namespace {
// An 8-bit grey page, value 0x40, 20 x 10.
void grey_page(DisplayRaster* r) {
    ASSERT_TRUE(raster_create(nullptr, r, 20, 10, 8, true, 0));
    for (int i = 0; i < 256; ++i) raster_colours(r)[i] = DibColour{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    r->is_grey = 1;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) raster_row(r, y)[x] = 0x40;
}

// Pixel of a bottom-up 24-bit section, as 0xRRGGBB.
unsigned pixel24(const RenderedPage& p, int w, int h, int x, int y) {
    const int stride = ((w * 24 + 31) / 32) * 4;
    const auto* row = static_cast<const uint8_t*>(p.bits) + (h - 1 - y) * stride;
    return unsigned(row[3 * x + 2]) << 16 | unsigned(row[3 * x + 1]) << 8 | row[3 * x];
}
}  // namespace

TEST(RenderWithOverlays, WhiteoutsAreBurntInAndTheCropIsNot) {
    DisplayRaster page;
    grey_page(&page);
    PageMarks marks;
    marks_add_whiteout(&marks, PageRect{2, 3, 4, 5});
    marks_set_crop(&marks, PageRect{10, 0, 19, 9});
    RenderedPage out;
    ASSERT_TRUE(render_with_overlays(&page, &marks, 0, &out));
    EXPECT_EQ(out.bits_per_pixel, 24);
    EXPECT_EQ(pixel24(out, 20, 10, 0, 0), 0x404040u);
    EXPECT_EQ(pixel24(out, 20, 10, 3, 4), 0xFFFFFFu);
    EXPECT_EQ(pixel24(out, 20, 10, 4, 5), 0xFFFFFFu);  // inclusive corner
    EXPECT_EQ(pixel24(out, 20, 10, 5, 5), 0x404040u);
    EXPECT_EQ(pixel24(out, 20, 10, 1, 9), 0x404040u);  // outside the crop: not darkened
    raster_destroy(&page);
}

TEST(RenderWithOverlays, TurnedPageAndBilevelDepth) {
    // The page as shown is turned right: page pixel (0, 0) lands at the top right.
    DisplayRaster page;
    ASSERT_TRUE(raster_create(nullptr, &page, 10, 20, 1, true, 0));
    raster_colours(&page)[1] = DibColour{255, 255, 255, 0};
    page.is_grey = 1;
    PageMarks marks;
    marks_add_whiteout(&marks, PageRect{0, 0, 0, 0});
    RenderedPage out;
    ASSERT_TRUE(render_with_overlays(&page, &marks, 1, &out));
    EXPECT_EQ(out.bits_per_pixel, 1);
    const int stride = 4;  // 10 pixels of 1 bit, rounded up to 32 bits
    const auto* top = static_cast<const uint8_t*>(out.bits) + 19 * stride;
    EXPECT_TRUE(top[9 / 8] & (0x80 >> (9 % 8)));  // white at (9, 0)
    EXPECT_FALSE(top[0] & 0x80);                  // black at (0, 0)
    raster_destroy(&page);
}
