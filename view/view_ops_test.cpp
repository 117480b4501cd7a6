#include "view/view_ops.h"

#include <gtest/gtest.h>

#include <cstring>

#include "view/view_test_support.h"

namespace {

DisplayRaster copy_of(const DisplayRaster* r) {
    DisplayRaster c;
    if (raster_create(nullptr, &c, raster_width(r), raster_height(r), raster_bpp(r), false, 0)) {
        memcpy(c.header, r->header, size_t(r->block_size));
        c.is_grey = r->is_grey;
    }
    return c;
}

LayoutInput client(int32_t w, int32_t h, bool keep = false) {
    LayoutInput in;
    in.client = {0, 0, w, h};
    in.vbar_width = 17;
    in.hbar_height = 17;
    in.keep_position = keep;
    return in;
}

}  // namespace

TEST(ViewOps, QuarterTurnsRestoreTheRasterExactly) {
    for (int bpp : {1, 4, 8, 24}) {
        TestRaster original(test_raster(13, 7, bpp, uint32_t(bpp)));
        TestRaster r(copy_of(original.get()));
        ASSERT_TRUE(view_turn_raster(nullptr, r.get(), 1));
        EXPECT_EQ(raster_width(r.get()), 7);
        // Turned right: the picture's bottom-left pixel is now its top-left.
        EXPECT_EQ(test_pixel(r.get(), 0, 0), test_pixel(original.get(), 0, 6));
        ASSERT_TRUE(view_turn_raster(nullptr, r.get(), 3));
        EXPECT_EQ(memcmp(r.get()->header, original.get()->header, size_t(original.get()->block_size)), 0) << bpp;
        for (int k = 0; k < 4; ++k) ASSERT_TRUE(view_turn_raster(nullptr, r.get(), 1));
        EXPECT_EQ(memcmp(r.get()->header, original.get()->header, size_t(original.get()->block_size)), 0) << bpp;
        ASSERT_TRUE(view_turn_raster(nullptr, r.get(), 2));
        EXPECT_EQ(test_pixel(r.get(), 0, 0), test_pixel(original.get(), 12, 6));
    }
}

TEST(ViewOps, SetOrientationWrapsAndTurnsThePage) {
    TestView t(test_raster(40, 30, 8, 3));
    TestRaster original(copy_of(&t.page));
    t.group.size_mode = 3;
    ASSERT_TRUE(view_layout(t.context(), client(200, 100)).has_page);
    OrientationChange o = view_set_orientation(t.context(), -1);
    EXPECT_TRUE(o.changed);
    EXPECT_EQ(o.orientation, 3);
    EXPECT_EQ(o.event_value, 4);
    EXPECT_TRUE(o.needs_layout);
    EXPECT_EQ(raster_width(&t.page), 30);
    EXPECT_EQ(t.layout.main_view.draw_method, kDrawPage);  // dropped until the layout rebuilds it
    o = view_set_orientation(t.context(), 3);              // the same again: nothing, no event
    EXPECT_FALSE(o.changed);
    o = view_set_orientation(t.context(), 4);  // wraps to 0, the page as decoded
    EXPECT_EQ(o.orientation, 0);
    EXPECT_EQ(memcmp(t.page.header, original.get()->header, size_t(original.get()->block_size)), 0);
    o = view_set_orientation(t.context(), 2);  // a half turn keeps the size and rebuilds at once
    EXPECT_FALSE(o.needs_layout);
    EXPECT_EQ(t.layout.main_view.orientation, 2);
    EXPECT_EQ(t.layout.main_view.draw_method, kDrawScaled);
    // The page as applied to a fresh copy is the page as turned step by step.
    TestRaster fresh(copy_of(original.get()));
    t.group.negative = 1;
    raster_negative(&t.page);
    ASSERT_TRUE(view_apply_to_raster(nullptr, t.group, fresh.get()));
    EXPECT_EQ(memcmp(t.page.header, fresh.get()->header, size_t(fresh.get()->block_size)), 0);
}

TEST(ViewOps, NegativeTwiceChangesNothing) {
    TestView t(test_raster(21, 9, 1, 4));
    TestRaster original(copy_of(&t.page));
    EXPECT_EQ(view_toggle_negative(t.context()), 1);
    EXPECT_NE(memcmp(t.page.bits, original.get()->bits, size_t(t.page.stride) * 9), 0);
    EXPECT_EQ(view_toggle_negative(t.context()), 0);
    EXPECT_EQ(memcmp(t.page.header, original.get()->header, size_t(original.get()->block_size)), 0);
    EXPECT_EQ(view_toggle_smoothing(t.context()), 0);
    EXPECT_EQ(view_toggle_smoothing(t.context()), 1);
}

TEST(ViewOps, ScrollCodesAndClamps) {
    ViewLayout l;
    l.main_view.target_width = 300;
    l.main_view.target_height = 1000;
    // A page down in a 5-pixel window moves 10 pixels; in a 400-pixel one, 390.
    ScrollStep s = view_scroll_target(l, true, kScrollPageDown, 5, 0);
    EXPECT_EQ(s.to, 10);
    EXPECT_EQ(view_scroll_target(l, true, kScrollPageDown, 400, 0).to, 390);
    EXPECT_EQ(view_scroll_target(l, true, kScrollLineDown, 400, 0).to, 30);
    EXPECT_FALSE(view_scroll_target(l, true, kScrollLineUp, 400, 0).changed);  // already at the top
    EXPECT_EQ(view_scroll_target(l, true, kScrollBottom, 400, 0).to, 600);     // clamped to size - client
    EXPECT_EQ(view_scroll_target(l, true, kScrollThumbTrack, 400, 555).to, 555);
    EXPECT_EQ(view_scroll_target(l, true, kScrollThumbPosition, 400, 5000).to, 600);
    EXPECT_FALSE(view_scroll_target(l, true, kScrollEnd, 400, 77).changed);
    EXPECT_FALSE(view_scroll_target(l, false, kScrollLineDown, 400, 0).changed);  // page narrower than the window
    view_scroll_commit(&l, true, 250);
    EXPECT_EQ(l.scroll_y, 250);
    EXPECT_DOUBLE_EQ(l.scroll_fraction_y, 0.25);
    EXPECT_EQ(view_scroll_target(l, true, kScrollPageUp, 5, 0).to, 240);
    EXPECT_EQ(view_scroll_target(l, true, kScrollTop, 5, 0).to, 0);
    EXPECT_FALSE(view_scroll_target(l, true, kScrollTop, 5, 0).repaint_all);
    l.main_view.draw_method = kDrawStretched;
    l.main_view.ratio_corrected = 1;
    EXPECT_TRUE(view_scroll_target(l, true, kScrollTop, 5, 0).repaint_all);
}

TEST(ViewOps, LayoutSetsBarsAndKeepsTheRelativePosition) {
    TestView t(test_raster(500, 1000, 24, 5));
    t.group.size_mode = 1;  // fit width
    LayoutResult r = view_layout(t.context(), client(400, 300));
    EXPECT_TRUE(r.v_bar);
    EXPECT_FALSE(r.h_bar);
    EXPECT_EQ(t.layout.view_width, 383);
    EXPECT_EQ(t.layout.view_height, 766);
    EXPECT_EQ(r.visible_width, 383);
    EXPECT_EQ(r.vertical.max, 765);
    EXPECT_EQ(r.vertical.page, 300);
    EXPECT_EQ(t.layout.main_view.draw_method, kDrawScaled);
    EXPECT_EQ(raster_height(&t.layout.main_view.scaled_raster), 766);
    view_scroll_commit(&t.layout, true, 383);  // half way down
    r = view_layout(t.context(), client(800, 300, true));
    EXPECT_EQ(t.layout.view_height, 1000);  // natural width now fits
    EXPECT_EQ(t.layout.scroll_y, 500);
    // Shrinking the window brings the position back inside the page.
    t.group.size_mode = 3;
    r = view_layout(t.context(), client(800, 300, false));
    EXPECT_EQ(t.layout.scroll_y, 0);
    EXPECT_EQ(r.vertical.pos, 0);
    // Fixed 100 % with 204 x 98 dpi: twice as tall, and marked as corrected.
    raster_dib(&t.page)->x_pels_per_meter = 8031;
    raster_dib(&t.page)->y_pels_per_meter = 3858;
    t.group.size_mode = 0;
    t.group.zoom_index = 5;
    r = view_layout(t.context(), client(800, 600));
    EXPECT_EQ(t.layout.view_width, 500);
    EXPECT_EQ(t.layout.view_height, 2081);
    EXPECT_TRUE(t.layout.main_view.ratio_corrected);
    EXPECT_TRUE(r.v_bar);
}

TEST(ViewOps, SizeModeAndZoomSteps) {
    ViewGroup g;
    g.size_mode = 3;
    EXPECT_FALSE(view_set_size_mode(&g, 3));
    EXPECT_FALSE(view_set_size_mode(&g, 7));
    EXPECT_TRUE(view_set_size_mode(&g, 1));
    g.zoom_index = 0;
    view_zoom_step(&g, true);
    EXPECT_EQ(g.size_mode, 0);
    EXPECT_EQ(g.zoom_index, 0);  // 1600 % is the end
    view_zoom_step(&g, false);
    EXPECT_EQ(g.zoom_index, 1);
    g.zoom_index = 12;
    view_zoom_step(&g, false);
    EXPECT_EQ(g.zoom_index, 12);
}
