#include "view/scaled_view.h"

#include <gtest/gtest.h>

#include "view/scale_filters.h"
#include "view/view_ops.h"
#include "view/view_test_support.h"

TEST(ScaledView, FilterChoiceFollowsDepthAndFactor) {
    TestRaster rgb(test_raster(1000, 800, 24, 1));
    EXPECT_EQ(scale_choose_filter(rgb.get(), 500, 400, true), ScaleFilter::kExactArea);
    EXPECT_EQ(scale_choose_filter(rgb.get(), 50, 40, true), ScaleFilter::kBoxAverage);  // 5 %
    EXPECT_EQ(scale_box_size(1000, 800, 50, 40), 20);
    EXPECT_EQ(scale_choose_filter(rgb.get(), 500, 400, false), ScaleFilter::kPlainStretch);
    EXPECT_EQ(scale_choose_filter(rgb.get(), 2, 400, true), ScaleFilter::kPlainStretch);     // too small
    EXPECT_EQ(scale_choose_filter(rgb.get(), 4, 400, true), ScaleFilter::kPlainStretch);     // below 0.005
    EXPECT_EQ(scale_choose_filter(rgb.get(), 1000, 900, true), ScaleFilter::kPlainStretch);  // one axis grows
    EXPECT_EQ(scale_choose_filter(rgb.get(), 1000, 800, true), ScaleFilter::kPlainStretch);  // same size
    TestRaster bilevel(test_raster(100, 80, 1, 2));
    EXPECT_EQ(scale_choose_filter(bilevel.get(), 50, 40, true), ScaleFilter::kBilevelCoverage);
    EXPECT_EQ(scale_choose_filter(bilevel.get(), 2, 2, true), ScaleFilter::kBilevelCoverage);
    EXPECT_EQ(scale_choose_filter(bilevel.get(), 150, 40, true), ScaleFilter::kBilevelWiderFirst);
    EXPECT_EQ(scale_choose_filter(bilevel.get(), 50, 90, true), ScaleFilter::kBilevelTallerFirst);
    EXPECT_EQ(scale_choose_filter(bilevel.get(), 150, 90, true), ScaleFilter::kPlainStretch);
    TestRaster palette(test_raster(100, 80, 4, 3, false));
    EXPECT_EQ(scale_choose_filter(palette.get(), 50, 40, true), ScaleFilter::kPaletteBoxAverage);
    TestRaster grey(test_raster(100, 80, 8, 3, true));
    EXPECT_EQ(scale_choose_filter(grey.get(), 50, 40, true), ScaleFilter::kExactArea);
}

TEST(ScaledView, BilevelShrinkingOneAxisGrowingTheOther) {
    TestRaster src(test_raster(40, 100, 1, 5));
    TestRaster dst;
    ASSERT_TRUE(scale_copy(nullptr, src.get(), dst.get(), 70, 30, true, 0));
    EXPECT_EQ(raster_width(dst.get()), 70);
    EXPECT_EQ(raster_height(dst.get()), 30);
    EXPECT_EQ(raster_bpp(dst.get()), 8);
    TestRaster negative_size;
    ASSERT_TRUE(scale_copy(nullptr, src.get(), negative_size.get(), -4, 0, false, 0));
    EXPECT_EQ(raster_width(negative_size.get()), 1);
}

TEST(ScaledView, BuildChoosesHowToDraw) {
    TestView t(test_raster(300, 200, 24, 1));
    t.group.size_mode = 0;
    t.group.zoom_index = 4;  // 200 %: stretched while painting, nothing cached
    t.layout.view_width = 600;
    t.layout.view_height = 400;
    ASSERT_TRUE(scaled_view_build(t.context(), &t.layout.main_view));
    EXPECT_EQ(t.layout.main_view.draw_method, kDrawStretched);
    EXPECT_TRUE(raster_empty(&t.layout.main_view.scaled_raster));
    t.group.zoom_index = 5;  // the page's own size
    t.layout.view_width = 300;
    t.layout.view_height = 200;
    ASSERT_TRUE(scaled_view_build(t.context(), &t.layout.main_view));
    EXPECT_EQ(t.layout.main_view.draw_method, kDrawPage);
    t.group.size_mode = 3;  // best fit that enlarges: cached
    t.layout.view_width = 450;
    t.layout.view_height = 300;
    ASSERT_TRUE(scaled_view_build(t.context(), &t.layout.main_view));
    EXPECT_EQ(t.layout.main_view.draw_method, kDrawScaled);
    EXPECT_EQ(raster_width(&t.layout.main_view.scaled_raster), 450);
    // The magnifier at 300 % stretches while painting; at 50 % it is smoothed
    // even with smoothing off.
    t.group.smooth = 0;
    t.group.zoom_window_index = 3;
    ASSERT_TRUE(scaled_view_build(t.context(), &t.layout.zoom_view));
    EXPECT_EQ(t.layout.zoom_view.draw_method, kDrawStretched);
    EXPECT_EQ(t.layout.zoom_view.target_width, 900);
    t.group.zoom_window_index = 10;
    ASSERT_TRUE(scaled_view_build(t.context(), &t.layout.zoom_view));
    EXPECT_EQ(t.layout.zoom_view.draw_method, kDrawScaled);
    TestRaster smoothed;
    ASSERT_TRUE(scale_exact_area(nullptr, &t.page, smoothed.get(), 150, 100, 0));
    EXPECT_TRUE(test_same_pixels(&t.layout.zoom_view.scaled_raster, smoothed.get()));
}

TEST(ScaledView, NothingToBuildWithoutAPage) {
    TestView t{DisplayRaster{}};
    ScaledView v;
    v.draw_method = kDrawScaled;
    EXPECT_TRUE(scaled_view_build(t.context(), &v));
    EXPECT_EQ(v.draw_method, kDrawPage);
}
