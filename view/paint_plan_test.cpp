#include "view/paint_plan.h"

#include <gtest/gtest.h>

#include "view/view_ops.h"
#include "view/view_test_support.h"

TEST(RenderPaint, FixedEnlargementStretchesOnlyUnderThePaintRectangle) {
    TestView t(test_raster(300, 200, 8, 1, false));
    t.group.size_mode = 0;
    t.group.zoom_index = 4;  // 200 %
    LayoutInput in;
    in.client = {0, 0, 400, 300};
    ASSERT_TRUE(view_layout(t.context(), in).has_page);
    ASSERT_EQ(t.layout.main_view.draw_method, kDrawStretched);
    const PaintImagePlan p = paint_plan_image(t.layout.main_view, &t.page, {20, 20, 30, 30}, 0, 0);
    ASSERT_TRUE(p.drawn && p.stretched);
    EXPECT_EQ(p.source.left, 10);  // a few source pixels around the 10 x 10 rectangle
    EXPECT_EQ(p.source.right, 16);
    EXPECT_EQ(p.span.left, 20);
    EXPECT_EQ(p.span.right, 32);
    EXPECT_EQ(p.band_count, 0);  // the span covers the rectangle
    // Its pixels are those of the whole view at the same place.
    TestRaster whole, piece;
    ASSERT_TRUE(render_view_pixels(nullptr, t.context(), whole.get()));
    EXPECT_EQ(raster_width(whole.get()), 600);
    t.layout.scroll_x = 101;
    t.layout.scroll_y = 37;
    const PaintImagePlan q = paint_plan_image(t.layout.main_view, &t.page, {5, 6, 77, 50}, 101, 37);
    ASSERT_TRUE(paint_render_stretch(nullptr, t.layout.main_view, &t.page, q, 101, 37, piece.get()));
    ASSERT_EQ(raster_width(piece.get()), q.span.right - q.span.left);
    for (int32_t y = 0; y < raster_height(piece.get()); ++y)
        for (int32_t x = 0; x < raster_width(piece.get()); ++x)
            ASSERT_EQ(test_pixel(piece.get(), x, y),
                      test_pixel(whole.get(), x + q.span.left + 101, y + q.span.top + 37));
}

TEST(RenderPaint, BackgroundFillsWhatThePageDoesNotCover) {
    TestView t(test_raster(100, 50, 24, 2));
    t.group.size_mode = 0;
    t.group.zoom_index = 5;
    LayoutInput in;
    in.client = {0, 0, 400, 300};
    ASSERT_TRUE(view_layout(t.context(), in).has_page);
    const PaintImagePlan p = paint_plan_image(t.layout.main_view, &t.page, {0, 0, 400, 300}, 0, 0);
    ASSERT_TRUE(p.drawn);
    EXPECT_FALSE(p.stretched);
    EXPECT_EQ(p.raster, &t.page);  // 1:1
    EXPECT_EQ(p.source.right, 100);
    EXPECT_EQ(p.source.bottom, 50);
    ASSERT_EQ(p.band_count, 2);  // right of the page, and below it
    EXPECT_EQ(p.bands[0].left, 100);
    EXPECT_EQ(p.bands[0].bottom, 50);
    EXPECT_EQ(p.bands[1].top, 50);
    EXPECT_EQ(p.bands[1].right, 400);
    // A paint rectangle inside the page needs no background at all.
    EXPECT_EQ(paint_plan_image(t.layout.main_view, &t.page, {10, 10, 20, 20}, 0, 0).band_count, 0);
    // No page: nothing drawn, so the caller fills everything.
    TestView empty{DisplayRaster{}};
    EXPECT_FALSE(paint_plan_image(empty.layout.main_view, &empty.page, {0, 0, 9, 9}, 0, 0).drawn);
}

TEST(RenderPaint, LogsShowBelowTheStatusLineWhenNoPageLoads) {
    // A client area away from the origin: the margins are taken from its corner,
    // and the text starts clear of the status line laid over the window's top.
    const PaintWindowPlan p = paint_plan_window(false, true, {10, 30, 300, 200});
    EXPECT_TRUE(p.show_logs);
    EXPECT_FALSE(p.paint_page);
    EXPECT_EQ(p.log_area.left, 14);
    EXPECT_EQ(p.log_area.top, 53);
    EXPECT_GT(p.log_area.top - 30, PluginAreaLayout{}.status.height);
    EXPECT_EQ(p.log_area.right, 300);
    EXPECT_EQ(p.log_area.bottom, 200);
    const PaintWindowPlan loaded = paint_plan_window(true, true, {0, 0, 300, 200});
    EXPECT_TRUE(loaded.paint_page);
    EXPECT_FALSE(loaded.show_logs);
    EXPECT_FALSE(paint_plan_window(false, false, {0, 0, 300, 200}).show_logs);
}
