#include "view/geometry.h"

#include <gtest/gtest.h>

#include "view/view_test_support.h"

namespace {

ScaledView view_of(int32_t w, int32_t h, int orientation) {
    ScaledView v;
    v.target_width = w;
    v.target_height = h;
    v.orientation = orientation;
    return v;
}

}  // namespace

TEST(Geometry, ZoomTablesAndNearestStep) {
    EXPECT_DOUBLE_EQ(zoom_factor(ZoomTable::kImage, 0), 16.0);
    EXPECT_DOUBLE_EQ(zoom_factor(ZoomTable::kImage, 8), 0.33);
    EXPECT_DOUBLE_EQ(zoom_factor(ZoomTable::kImage, 99), 0.05);  // clamped to the table
    EXPECT_DOUBLE_EQ(zoom_factor(ZoomTable::kMagnifier, 14), 0.1);
    EXPECT_EQ(zoom_nearest_step(ZoomTable::kImage, 60), 7);  // 70 and 50 tie: the later wins
    EXPECT_EQ(zoom_index_of_100(ZoomTable::kImage), 5);
    EXPECT_EQ(zoom_index_of_100(ZoomTable::kMagnifier), 5);
}

TEST(Geometry, SizeAtFactorCorrectsNonSquarePixels) {
    TestRaster fax(test_raster(1728, 1100, 1, 1));
    raster_dib(fax.get())->x_pels_per_meter = 8031;  // 204 dpi
    raster_dib(fax.get())->y_pels_per_meter = 3858;  // 98 dpi
    FactorSize s = geometry_size_at_factor(fax.get(), 1.0, true);
    EXPECT_EQ(s.width, 1728);
    EXPECT_EQ(s.height, 1100 * 8031 / 3858);  // about twice as tall
    EXPECT_TRUE(s.corrected);
    s = geometry_size_at_factor(fax.get(), 0.5, true);
    EXPECT_EQ(s.width, 864);
    EXPECT_EQ(s.height, (1100 * 8031 / 3858 + 1) / 2);
    s = geometry_size_at_factor(fax.get(), 1.0, false);
    EXPECT_EQ(s.height, 1100);
    EXPECT_FALSE(s.corrected);
    // A ratio beyond 10 is taken for a broken tag and ignored.
    raster_dib(fax.get())->y_pels_per_meter = 800;
    EXPECT_FALSE(geometry_size_at_factor(fax.get(), 1.0, true).corrected);
    // Tiny factors never give an empty picture.
    s = geometry_size_at_factor(fax.get(), 0.0001, false);
    EXPECT_EQ(s.width, 1);
    EXPECT_EQ(s.height, 1);
}

TEST(Geometry, LayoutSizeForEachMode) {
    const int32_t sbw = 17, sbh = 17;
    // Best fit enlarges a small page to the window.
    ModeSize m = geometry_mode_size(kSizeBestFit, 5, 800, 600, 100, 50, sbw, sbh);
    EXPECT_EQ(m.size.width, 800);
    EXPECT_EQ(m.size.height, 400);
    EXPECT_FALSE(m.h_bar || m.v_bar);
    // Fit width: a tall narrow page keeps its natural width and scrolls.
    m = geometry_mode_size(kSizeFitWidth, 5, 800, 600, 300, 2000, sbw, sbh);
    EXPECT_EQ(m.size.width, 300);
    EXPECT_EQ(m.size.height, 2000);
    EXPECT_TRUE(m.v_bar);
    // ... a tall wide one is fitted to the width left beside the bar ...
    m = geometry_mode_size(kSizeFitWidth, 5, 800, 600, 1000, 2000, sbw, sbh);
    EXPECT_EQ(m.size.width, 783);
    EXPECT_EQ(m.size.height, 1566);
    EXPECT_TRUE(m.v_bar);
    // ... and a wide page gets the best fit.
    m = geometry_mode_size(kSizeFitWidth, 5, 800, 600, 2000, 300, sbw, sbh);
    EXPECT_EQ(m.size.width, 800);
    EXPECT_EQ(m.size.height, 120);
    EXPECT_FALSE(m.v_bar || m.h_bar);
    // Fit height, the same across.
    m = geometry_mode_size(kSizeFitHeight, 5, 800, 600, 3000, 1000, sbw, sbh);
    EXPECT_EQ(m.size.height, 583);
    EXPECT_EQ(m.size.width, 1749);
    EXPECT_TRUE(m.h_bar);
    EXPECT_FALSE(m.v_bar);
    // Fixed 200 %: too wide, and too tall once the horizontal bar takes its share.
    m = geometry_mode_size(kSizeFixed, 4, 800, 600, 500, 295, sbw, sbh);
    EXPECT_EQ(m.size.width, 1000);
    EXPECT_EQ(m.size.height, 590);
    EXPECT_TRUE(m.h_bar);
    EXPECT_TRUE(m.v_bar);
    // Fixed 33 % rounds each side; too tall only: no horizontal bar while the width still fits.
    m = geometry_mode_size(kSizeFixed, 8, 800, 600, 1000, 3000, sbw, sbh);
    EXPECT_EQ(m.size.width, 330);
    EXPECT_EQ(m.size.height, 990);
    EXPECT_TRUE(m.v_bar);
    EXPECT_FALSE(m.h_bar);
    // An index outside the table is clamped to it.
    EXPECT_EQ(geometry_mode_size(kSizeFixed, 40, 800, 600, 1000, 3000, sbw, sbh).size.width, 50);
}

TEST(Geometry, WindowToPageRoundTripsInEveryOrientation) {
    const int32_t pw = 210, ph = 297;
    for (int o = 0; o < 4; ++o)
        for (double scale : {0.37, 1.0, 2.5}) {
            const bool across = o == 1 || o == 3;
            const int32_t vw = int32_t((across ? ph : pw) * scale), vh = int32_t((across ? pw : ph) * scale);
            ViewLayout l;
            l.main_view = view_of(vw, vh, o);
            l.scroll_x = 13;
            l.scroll_y = 7;
            for (int32_t y = -7; y < vh - 7; y += 5)
                for (int32_t x = -13; x < vw - 13; x += 3) {
                    const Point32 page = geometry_window_to_page_pixel(l, pw, ph, {x, y}, true);
                    ASSERT_GE(page.x, 0);
                    ASSERT_LT(page.x, pw);
                    ASSERT_LT(page.y, ph);
                    const PagePoint centre =
                        geometry_view_to_page(l.main_view, pw, ph, geometry_window_to_view(l, {x, y}), false);
                    const Point32 back = geometry_page_to_window(l, pw, ph, centre);
                    ASSERT_EQ(back.x, x) << "orientation " << o << " scale " << scale;
                    ASSERT_EQ(back.y, y) << "orientation " << o << " scale " << scale;
                }
        }
}

TEST(Geometry, EdgesClampInsideThePage) {
    const ScaledView v = view_of(400, 600, 0);
    // The last view column of a 200 % view is page column Pw - 1 ...
    EXPECT_EQ(geometry_view_to_page_pixel(v, 200, 300, {399, 599}, true).x, 199);
    // ... and so is a point past the edge once clamped (x <= Pw - 1e-6).
    const PagePoint past = geometry_view_to_page(v, 200, 300, {400, 650}, true);
    EXPECT_LE(past.x, 200 - 1e-6);
    EXPECT_EQ(geometry_view_to_page_pixel(v, 200, 300, {400, 650}, true).y, 299);
    EXPECT_EQ(geometry_view_to_page_pixel(v, 200, 300, {-5, -5}, true).x, 0);
    // Page points outside map to the nearest view pixel.
    EXPECT_EQ(geometry_page_to_view(v, 200, 300, {500, -3}).x, 399);
    EXPECT_EQ(geometry_page_to_view(v, 200, 300, {500, -3}).y, 0);
    // So do points exactly on the page's edge, in every turn: a pen point
    // clamped to the edge lands on the last view pixel, not one past it.
    for (int o = 0; o < 4; ++o) {
        const ScaledView turned = o % 2 ? view_of(400, 200, o) : view_of(200, 400, o);
        for (const PagePoint edge : {PagePoint{0, 0}, PagePoint{50, 0}, PagePoint{100, 200}}) {
            const Point32 q = geometry_page_to_view(turned, 100, 200, edge);
            EXPECT_TRUE(q.x >= 0 && q.x < turned.target_width && q.y >= 0 && q.y < turned.target_height)
                << "turn " << o << " (" << edge.x << ", " << edge.y << ") -> " << q.x << ", " << q.y;
        }
    }
    // A view without size maps everything to the origin instead of dividing by zero.
    EXPECT_EQ(geometry_page_to_view(view_of(0, 0, 1), 200, 300, {50, 50}).x, 0);
}

TEST(Geometry, PageRectangleToViewInTurnedViews) {
    // Page 100 x 50 at 200 %, turned right: page x runs down the view, page y
    // runs right to left.
    const ScaledView v = view_of(100, 200, 1);
    const Rect32 r = geometry_page_rect_to_view(v, 100, 50, {10, 5, 19, 9});
    EXPECT_EQ(r.left, 80);  // (1 - 10/50) * 100
    EXPECT_EQ(r.right, 89);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.bottom, 39);
    const Rect32 same = geometry_page_corners_to_view(v, 100, 50, {19, 9}, {10, 5});
    EXPECT_EQ(same.left, r.left);
    EXPECT_EQ(same.bottom, r.bottom);
}

TEST(Geometry, PluginAreaKeepsTheToolbarAtItsEdge) {
    PluginAreaLayout l = geometry_plugin_area(640, 480, kToolbarTop, 26);
    EXPECT_TRUE(l.toolbar_shown);
    EXPECT_EQ(l.toolbar.bottom, 26);
    EXPECT_EQ(l.image.top, 26);
    EXPECT_EQ(l.image.bottom, 480);
    EXPECT_EQ(l.status.width, 640);
    EXPECT_EQ(l.status.height, 19);
    EXPECT_EQ(l.progress.height, 10);
    l = geometry_plugin_area(640, 480, kToolbarBottom, 26);
    EXPECT_EQ(l.toolbar.top, 454);
    EXPECT_EQ(l.image.top, 0);
    EXPECT_EQ(l.image.bottom, 454);
    l = geometry_plugin_area(640, 480, kToolbarNone, 26);
    EXPECT_FALSE(l.toolbar_shown);
    EXPECT_EQ(l.image.bottom, 480);
    // A window shorter than the toolbar leaves the image window empty, not negative.
    l = geometry_plugin_area(640, 10, kToolbarTop, 26);
    EXPECT_EQ(l.image.top, 10);
    EXPECT_EQ(l.image.bottom, 10);
}
