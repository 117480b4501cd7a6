#include "view/row_reducer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "view/scaled_view.h"
#include "view/view_test_support.h"

namespace {

// Feeds the page's rows, top first, through a row reduction.
DisplayRaster reduce_by_rows(const DisplayRaster* page, int32_t w, int32_t h, bool smooth, bool negative) {
    DisplayRaster shape;
    EXPECT_TRUE(row_shape_create(nullptr, &shape, raster_width(page), raster_height(page), raster_bpp(page)));
    memcpy(shape.header, page->header, size_t(shape.block_size));
    shape.is_grey = page->is_grey;
    RasterSink sink(nullptr);
    auto r = row_reduction_start(nullptr, &shape, w, h, smooth, negative, &sink);
    raster_destroy(&shape);
    EXPECT_TRUE(r);
    if (!r) return {};
    for (int32_t y = 0; y < raster_height(page); ++y) EXPECT_TRUE(r->push(raster_row(page, y)));
    DisplayRaster out = sink.raster;
    sink.raster = DisplayRaster{};
    return out;
}

// The whole-page copy as the window makes it: negated first, then scale_copy.
DisplayRaster reduce_whole(DisplayRaster* page, int32_t w, int32_t h, bool smooth, bool negative) {
    if (negative) raster_negative(page);
    DisplayRaster out;
    EXPECT_TRUE(scale_copy(nullptr, page, &out, w, h, smooth, 0));
    if (negative) raster_negative(page);
    return out;
}

// Row by row gives the whole-page copy byte for byte, header and table
// included, for each filter: coverage (1 bit), box average and exact area
// (grey and colour, strong and mild reductions, one axis far more than the
// other), the plain stretch (smoothing off), and negated pages.
TEST(RowReducer, SameBytesAsTheWholePageCopy) {
    struct Case {
        int32_t sw, sh, bpp, w, h;
        bool smooth, negative;
    } cases[] = {
        {517, 431, 1, 129, 108, true, false}, {517, 431, 1, 37, 29, true, true},
        {300, 200, 1, 299, 200, true, false}, {401, 333, 8, 20, 16, true, false},
        {401, 333, 24, 100, 83, true, false}, {401, 333, 24, 17, 300, true, true},
        {250, 190, 8, 201, 150, true, true},  {250, 190, 24, 249, 189, true, false},
        {250, 190, 4, 60, 40, false, true},   {250, 190, 1, 61, 47, false, false},
        {640, 37, 8, 30, 3, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sw << "x" << c.sh << "x" << c.bpp << " -> " << c.w << "x" << c.h
                                        << (c.smooth ? " smooth" : "") << (c.negative ? " negative" : ""));
        TestRaster page(test_raster(c.sw, c.sh, c.bpp, uint32_t(c.sw * c.bpp + c.w), c.bpp != 4));
        TestRaster whole(reduce_whole(&page.r, c.w, c.h, c.smooth, c.negative));
        TestRaster rows(reduce_by_rows(&page.r, c.w, c.h, c.smooth, c.negative));
        ASSERT_FALSE(raster_empty(&rows.r));
        EXPECT_EQ(whole.r.is_grey, rows.r.is_grey);
        ASSERT_EQ(whole.r.block_size, rows.r.block_size);
        EXPECT_EQ(0, memcmp(whole.r.header, rows.r.header, size_t(whole.r.block_size)));
    }
}

// Palette averages and enlargements need the whole page; the caller keeps
// to the whole-page path for them.
TEST(RowReducer, RefusesWhatItCannotMakeRowByRow) {
    TestRaster page(test_raster(200, 100, 8, 7, false));
    EXPECT_FALSE(row_reduction_supported(&page.r, 50, 25, true));     // palette box average
    EXPECT_TRUE(row_reduction_supported(&page.r, 50, 25, false));     // plain stretch
    EXPECT_FALSE(row_reduction_supported(&page.r, 201, 100, false));  // wider
}

}  // namespace
