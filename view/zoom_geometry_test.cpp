#include "view/zoom_geometry.h"

#include <gtest/gtest.h>

#include "view/scaled_view.h"
#include "view/view_test_support.h"

TEST(ZoomSize, ACustomChoiceWithoutARectangleBehavesLikeTheDefault) {
    const ZoomSizeStyle custom = zoom_size_style(6, false), normal = zoom_size_style(2, false);
    EXPECT_EQ(custom.choice, 2);
    EXPECT_EQ(custom.margin, normal.margin);
    const Rect32 work{0, 0, 1024, 740};
    const Rect32 r = zoom_window_rect(custom, work);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.top, 5);
    EXPECT_EQ(r.right, 1019);
    EXPECT_EQ(r.bottom, 735);
    EXPECT_EQ(zoom_size_style(6, true).choice, 6);
    EXPECT_EQ(zoom_size_style(6, true).margin, 0);
}

TEST(ZoomSize, FrameTopmostAndAreaFollowTheChoice) {
    struct Row {
        int choice;
        bool whole, framed, topmost;
        int margin;
    };
    const Row rows[] = {{1, false, true, false, 0}, {2, false, true, false, 5}, {3, false, true, false, 0},
                        {4, true, true, true, 0},   {5, true, false, true, 0},  {0, false, true, false, 5},
                        {9, false, true, false, 5}};
    for (const Row& r : rows) {
        const ZoomSizeStyle s = zoom_size_style(r.choice, true);
        EXPECT_EQ(s.whole_monitor, r.whole) << r.choice;
        EXPECT_EQ(s.framed, r.framed) << r.choice;
        EXPECT_EQ(s.topmost, r.topmost) << r.choice;
        EXPECT_EQ(s.margin, r.margin) << r.choice;
    }
}

TEST(ZoomSize, TheSmallestIsAStripAcrossTheTopTwoThirdsOfTheAreaBottomHigh) {
    // A second monitor below the first: the height counts from the area's bottom.
    const Rect32 r = zoom_window_rect(zoom_size_style(1, false), Rect32{100, 300, 900, 900});
    EXPECT_EQ(r.left, 130);
    EXPECT_EQ(r.top, 305);
    EXPECT_EQ(r.right - r.left, 740);
    EXPECT_EQ(r.bottom - r.top, 600);
}

TEST(ZoomSize, AnInsideOutCustomRectangleStillGivesAWindow) {
    const Rect32 r = zoom_window_rect(zoom_size_style(6, true), Rect32{50, 60, 20, 10});
    EXPECT_EQ(r.left, 50);
    EXPECT_GE(r.right - r.left, 1);
    EXPECT_GE(r.bottom - r.top, 1);
}

TEST(ZoomPlacement, TheMonitorChoiceDecidesWhichMonitorIsAskedFor) {
    const Point32 loc{1280, 0}, click{300, 200};
    EXPECT_EQ(zoom_monitor_pick(0, loc, click, false).query, ZoomMonitorQuery::kAtPoint);
    EXPECT_EQ(zoom_monitor_pick(0, loc, click, false).point.x, 300);
    EXPECT_EQ(zoom_monitor_pick(0, loc, click, true).query, ZoomMonitorQuery::kNearestToPlugin);
    const ZoomMonitorPick at = zoom_monitor_pick(2, loc, click, true);
    EXPECT_EQ(at.query, ZoomMonitorQuery::kAtPoint);
    EXPECT_EQ(at.point.x, 1280);
    EXPECT_EQ(zoom_monitor_pick(1, loc, click, false).query, ZoomMonitorQuery::kPrimary);
}

TEST(ZoomPlacement, TopmostWindowsCoverTheWholeMonitorOthersItsWorkArea) {
    MonitorArea m;
    m.found = true;
    m.monitor = {1280, 0, 2560, 1024};
    m.work = {1280, 0, 2560, 994};
    const Rect32 desktop{0, 0, 2560, 1024}, primary{0, 0, 1280, 994};
    EXPECT_EQ(zoom_placement_area(true, m, desktop, primary).bottom, 1024);
    EXPECT_EQ(zoom_placement_area(false, m, desktop, primary).bottom, 994);
    EXPECT_EQ(zoom_placement_area(false, m, desktop, primary).left, 1280);
    m.found = false;
    EXPECT_EQ(zoom_placement_area(true, m, desktop, primary).right, 2560);
    EXPECT_EQ(zoom_placement_area(false, m, desktop, primary).right, 1280);
}

TEST(ZoomFollow, ThirtyTwoPixelsFromAnEdgeShowThatEndOfThePage) {
    const int a = 500, u = 2000;
    EXPECT_EQ(zoom_follow_axis(32, a, u), 0);
    EXPECT_EQ(zoom_follow_axis(0, a, u), 0);
    EXPECT_EQ(zoom_follow_axis(a - 32, a, u), u - a);
    EXPECT_EQ(zoom_follow_axis(a - 1, a, u), u - a);
    EXPECT_EQ(zoom_follow_axis(a / 2, a, u), (u - a) / 2);
}

TEST(ZoomFollow, AViewSmallerThanTheWindowIsCentredAndDoesNotScroll) {
    for (int c : {0, 40, 199}) EXPECT_EQ(zoom_follow_axis(c, 200, 150), 0);
    EXPECT_EQ(zoom_paint_origin(200, 150, 0), 25);
    EXPECT_EQ(zoom_paint_origin(200, 300, 40), -40);
}

TEST(ZoomFollow, AWindowTooSmallForTheEdgeBandsStillReachesBothEnds) {
    // A custom rectangle 40 pixels wide: the band rule would divide by -24.
    for (int a : {1, 2, 40, 64}) {
        int last = 0;
        for (int c = 0; c < a; ++c) {
            const int s = zoom_follow_axis(c, a, 1000);
            EXPECT_GE(s, last) << a;
            EXPECT_LE(s, 1000 - a);
            last = s;
        }
        if (a > 1) {
            EXPECT_EQ(last, 1000 - a) << a;
        }
    }
}

TEST(ZoomCursor, TheOpeningCursorShowsTheClickedPagePointUnderIt) {
    // Wherever the cursor is put, follow must bring the same zoom-view pixel
    // under it (to within what truncation may cost).
    const int sizes[][2] = {{2000, 500}, {800, 700}, {300, 100}, {100, 40}, {5000, 1014}, {90, 74}};
    for (const auto& s : sizes) {
        const int u = s[0], a = s[1];
        for (int v = 0; v < u; v += 7) {
            const int c = zoom_cursor_axis(u, a, v);
            ASSERT_GE(c, 0);
            ASSERT_LT(c, a);
            // Inside the edge bands the page stands still, so a point near a
            // page end cannot be brought exactly under the cursor.
            if (a > 64 && (c < 32 || c > a - 32)) continue;
            const int shown = c + zoom_follow_axis(c, a, u);
            // One cursor pixel moves the page by the follow's slope.
            const int slope = a > 64 ? (u - a) / (a - 64) : u / a;
            EXPECT_NEAR(shown, v, slope + 2) << "u=" << u << " a=" << a << " v=" << v;
        }
    }
}

TEST(ZoomCursor, AViewThatFitsPutsTheCursorOverThePointInTheCentredPicture) {
    EXPECT_EQ(zoom_cursor_axis(150, 200, 0), 25);
    EXPECT_EQ(zoom_cursor_axis(150, 200, 149), 174);
}

TEST(ZoomCursor, TheClickedPointIsTakenAsAFractionOfTheMainView) {
    // The centre of a 400-pixel view scrolled by 100, clicked at 100, is the
    // centre of a 3000-pixel zoom view.
    EXPECT_EQ(zoom_page_point(100, 100, 400, 3000), 1500);
    EXPECT_EQ(zoom_page_point(399, 0, 400, 3000), 2992);
    EXPECT_EQ(zoom_page_point(5, 0, 0, 3000), 0);         // no view yet
    EXPECT_EQ(zoom_page_point(400, 0, 400, 3000), 2999);  // the edge stays inside
}

TEST(ZoomWheel, NotchesStepTheMagnifierAndTheRestIsKept) {
    int acc = 0;
    EXPECT_EQ(zoom_wheel_index(&acc, 120, 0, 5),
              6);  // away from the user: less magnification
    EXPECT_EQ(acc, 0);
    EXPECT_EQ(zoom_wheel_index(&acc, -120, 0, 5), 4);
    EXPECT_EQ(zoom_wheel_index(&acc, -120, 1, 5), 6);  // the reversed wheel
    acc = 0;
    EXPECT_EQ(zoom_wheel_index(&acc, 40, 0, 5), 5);
    EXPECT_EQ(zoom_wheel_index(&acc, 20, 0, 5), 6);  // 60 reached
    EXPECT_EQ(acc, -60);
    EXPECT_EQ(zoom_wheel_index(&acc, 0, 0, 6), 6);  // -60 is not below -60
    acc = 0;
    EXPECT_EQ(zoom_wheel_index(&acc, -360, 0, 1), 0);
    EXPECT_EQ(zoom_wheel_index(&acc, 360, 0, 13), 14);
}

TEST(ZoomView, TheMagnifierRebuildsWhatOthersDropped) {
    TestView t(test_raster(200, 100, 8, 3));
    t.group.zoom_window_index = 9;  // 60 %
    ScaledView& z = t.layout.zoom_view;
    EXPECT_FALSE(zoom_view_current(t.context(), z));
    ASSERT_TRUE(scaled_view_build(t.context(), &z));
    EXPECT_TRUE(zoom_view_current(t.context(), z));
    scaled_view_drop(&z);  // a new page or the negative
    EXPECT_FALSE(zoom_view_current(t.context(), z));
    ASSERT_TRUE(scaled_view_build(t.context(), &z));
    t.group.orientation = 1;
    EXPECT_FALSE(zoom_view_current(t.context(), z));
    t.group.orientation = 0;
    t.group.zoom_window_index = 2;  // 400 %: stretched while painting
    EXPECT_FALSE(zoom_view_current(t.context(), z));
    ASSERT_TRUE(scaled_view_build(t.context(), &z));
    EXPECT_TRUE(zoom_view_current(t.context(), z));
    scaled_view_drop(&z);
    EXPECT_FALSE(zoom_view_current(t.context(), z));
    t.group.zoom_window_index = 5;  // 100 %: the page itself
    ASSERT_TRUE(scaled_view_build(t.context(), &z));
    EXPECT_TRUE(zoom_view_current(t.context(), z));
}

TEST(ZoomView, AFailedBuildIsNotRetriedAtEveryPaint) {
    TestView t(test_raster(200, 100, 8, 3));
    t.group.zoom_window_index = 9;
    ScaledView& z = t.layout.zoom_view;
    z.draw_method = kDrawScaled;  // what a build that ran out of memory leaves
    z.target_width = z.target_height = 0;
    EXPECT_TRUE(zoom_view_current(t.context(), z));
}
