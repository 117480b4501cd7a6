#include "host/viewer_sketch.h"

#include <gtest/gtest.h>

#include <vector>

#include "annotate/annotated_page.h"
#include "annotate/pen_paint.h"
#include "config/settings_store.h"
#include "decode/raster_ops.h"
#include "host/stream_reception.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "testing/tiff_builder.h"
#include "view/view_ops.h"

namespace {
// A viewer showing a grey page of 40 x 30 (and a second page) in a window of
// `client`, laid out at a fixed zoom.
struct SketchTest : ::testing::Test {
    MemorySettingsStore store;
    Viewer* v = nullptr;
    int token = 0;

    void SetUp() override {
        settings_forget_low_integrity();
        ViewerCreateArgs a;
        a.store = &store;
        ASSERT_EQ(viewer_create(a, &v), 0);
        std::vector<TiffPage> pages(2);
        for (TiffPage& p : pages) {
            p.width = 40;
            p.height = 30;
            p.pixels.assign(40 * 30, 0x80);
        }
        const std::vector<uint8_t> file = tiff_build(pages);
        const StreamInfo info{&token, "http://example.test/a.tif", uint32_t(file.size())};
        ASSERT_EQ(reception_new(v, info), 0);
        ASSERT_EQ(reception_write(v, info, 0, int32_t(file.size()), file.data()), int32_t(file.size()));
        ASSERT_EQ(reception_end(v, info, 0), 0);
        ASSERT_TRUE(viewer_page_shown(v));
        layout(100, 0);
    }
    void TearDown() override {
        reception_release(v);
        viewer_file_free(v);
        viewer_free(v);
    }
    // Fixed zoom at `percent`, scrolled to (scroll_x, 0).
    void layout(int percent, int scroll_x) {
        v->view.size_mode = 0;
        v->view.zoom_index = percent == 200 ? 4 : 5;
        LayoutInput in;
        in.client = Rect32{0, 0, 300, 200};
        view_layout(viewer_view_context(v), in);
        v->layout.scroll_x = scroll_x;
    }
    const PageMarks* marks() const { return sketch_find_marks(v, v->document.current_directory); }
    void drag(std::vector<std::pair<int, int>> points, bool erase = false) {
        ASSERT_TRUE(sketch_down(v, points[0].first, points[0].second, erase).started);
        for (size_t i = 1; i < points.size(); ++i) sketch_move(v, points[i].first, points[i].second);
        EXPECT_TRUE(sketch_up(v).ended);
    }
};
}  // namespace

TEST_F(SketchTest, PenDragJoinsPixelCentresInPenColour) {
    v->annotate.pen_color = 0x0000FF;
    ASSERT_TRUE(sketch_down(v, 2, 3, false).started);
    EXPECT_FALSE(sketch_move(v, 2, 3).draw);  // the same point adds nothing
    const SketchStep s = sketch_move(v, 10, 3);
    EXPECT_TRUE(s.draw);
    EXPECT_DOUBLE_EQ(s.segment.x0, 2.5);
    EXPECT_DOUBLE_EQ(s.segment.y0, 3.5);
    EXPECT_DOUBLE_EQ(s.segment.x1, 10.5);
    EXPECT_EQ(s.segment.colour, 0x0000FFu);
    sketch_move(v, 10, 8);
    const SketchStep up = sketch_up(v);
    EXPECT_TRUE(up.ended);
    EXPECT_FALSE(up.draw);  // the stroke has segments: no dot
    ASSERT_EQ(marks()->pen.size(), 2u);
    // The second segment starts where the first ended: one connected stroke.
    EXPECT_EQ(marks()->pen[1].x0, marks()->pen[0].x1);
    EXPECT_EQ(marks()->pen[1].y0, marks()->pen[0].y1);
    EXPECT_FALSE(v->annotate.stroke.active);
}

TEST_F(SketchTest, ClickWithoutMovementLeavesADot) {
    v->annotate.pen_color = 0x00FF00;
    ASSERT_TRUE(sketch_down(v, 7, 9, false).started);
    const SketchStep up = sketch_up(v);
    EXPECT_TRUE(up.ended && up.draw);
    ASSERT_EQ(marks()->pen.size(), 1u);
    const PenSegment& d = marks()->pen[0];
    EXPECT_EQ(d.x0, d.x1);
    EXPECT_EQ(d.y0, d.y1);
    EXPECT_DOUBLE_EQ(d.x0, 7.5);
    EXPECT_EQ(d.colour, 0x00FF00u);
}

TEST_F(SketchTest, PenPointsAreClampedIntoThePageAndFollowScrollAndZoom) {
    drag({{5, 5}, {500, -40}});
    ASSERT_EQ(marks()->pen.size(), 1u);
    EXPECT_DOUBLE_EQ(marks()->pen[0].x1, 40 - 1e-6);
    EXPECT_DOUBLE_EQ(marks()->pen[0].y1, 0);
    // At 200 % scrolled 20 view pixels right, window pixel 1 is view pixel 21:
    // page x (21 + 0.5) / 80 * 40.
    layout(200, 20);
    drag({{1, 1}, {3, 1}});
    ASSERT_EQ(marks()->pen.size(), 2u);
    EXPECT_DOUBLE_EQ(marks()->pen[1].x0, 10.75);
    EXPECT_DOUBLE_EQ(marks()->pen[1].y0, 0.75);
}

TEST_F(SketchTest, EraserRemovesAlongItsPathWithoutClampingAndLeavesNoDot) {
    v->annotate.pen_color = 1;
    drag({{20, 5}, {20, 25}});  // a vertical stroke down the middle
    v->annotate.pen_color = 2;
    drag({{2, 2}});  // a dot in the corner
    ASSERT_EQ(marks()->pen.size(), 2u);
    // Pressing 16 pixels beside the stroke touches nothing; dragging across it removes it.
    SketchStep down = sketch_down(v, 36, 15, true);
    EXPECT_TRUE(down.started);
    EXPECT_EQ(down.removed, 0);
    EXPECT_EQ(sketch_move(v, 35, 15).removed, 1);
    EXPECT_TRUE(sketch_up(v).ended);
    ASSERT_EQ(marks()->pen.size(), 1u);
    EXPECT_EQ(marks()->pen[0].colour, 2u);
    // Far left of the page the eraser stays where it is: clamped into the
    // page it would reach the corner dot.
    v->layout.scroll_x = -120;
    EXPECT_EQ(sketch_down(v, 0, 60, true).removed, 0);
    EXPECT_EQ(sketch_move(v, 0, 2).removed, 0);
    sketch_up(v);
    // From just outside (page x -11.5) the corner dot is in reach.
    v->layout.scroll_x = -12;
    EXPECT_EQ(sketch_down(v, 0, 2, true).removed, 1);
    sketch_up(v);
    EXPECT_FALSE(sketch_page_has_pen(v, v->document.current_directory));
}

TEST_F(SketchTest, NoAnnotationAccessRefusesEveryChange) {
    drag({{5, 5}, {9, 9}});
    v->access_flags |= kAccessNoAnnotation;
    EXPECT_FALSE(sketch_down(v, 5, 5, false).started);
    EXPECT_FALSE(sketch_down(v, 5, 5, true).started);
    EXPECT_FALSE(sketch_store_whiteout(v, 0, PageRect{1, 1, 2, 2}));
    EXPECT_FALSE(sketch_store_crop(v, 0, PageRect{1, 1, 2, 2}, true));
    EXPECT_FALSE(sketch_remove_pen(v, 0));
    EXPECT_EQ(marks()->pen.size(), 1u);
    EXPECT_TRUE(marks()->whiteouts.empty());
    EXPECT_FALSE(marks()->crop_set);
    v->access_flags &= ~kAccessNoAnnotation;
    // The bit arriving mid-stroke stops the stroke from growing.
    ASSERT_TRUE(sketch_down(v, 1, 1, false).started);
    v->access_flags |= kAccessNoAnnotation;
    EXPECT_FALSE(sketch_move(v, 20, 20).draw);
    EXPECT_FALSE(sketch_up(v).draw);
    EXPECT_EQ(marks()->pen.size(), 1u);
}

TEST_F(SketchTest, GesturesNeedAShownPage) {
    viewer_file_reset(v);
    v->document.loaded = 0;
    EXPECT_FALSE(sketch_down(v, 5, 5, false).started);
    EXPECT_FALSE(sketch_up(v).ended);
    EXPECT_FALSE(sketch_any_page_has_pen(v));
}

TEST_F(SketchTest, ClearingAndPageQueries) {
    EXPECT_FALSE(sketch_remove_pen(v, 1));
    EXPECT_EQ(sketch_find_marks(v, 1), nullptr);  // asking made no record
    EXPECT_FALSE(sketch_any_page_has_pen(v));
    drag({{5, 5}});
    EXPECT_TRUE(sketch_page_has_pen(v, 0));
    EXPECT_FALSE(sketch_page_has_pen(v, 1));
    EXPECT_TRUE(sketch_any_page_has_pen(v));
    EXPECT_TRUE(sketch_page_burn_in(v, 0));
    EXPECT_EQ(sketch_page_number(v, 0), 1);
    EXPECT_EQ(sketch_page_number(v, 1), 2);
    EXPECT_EQ(sketch_page_number(v, 7), 0);
    EXPECT_TRUE(sketch_remove_pen(v, 0));
    EXPECT_FALSE(sketch_remove_pen(v, 0));
    EXPECT_FALSE(sketch_any_page_has_pen(v));
    EXPECT_FALSE(sketch_page_burn_in(v, 0));
    // Out-of-range directories store nothing.
    EXPECT_FALSE(sketch_store_whiteout(v, 2, PageRect{}));
    EXPECT_FALSE(sketch_store_whiteout(v, -1, PageRect{}));
}

TEST_F(SketchTest, WhiteoutsAndCropShowMarksAndCropIsNormalised) {
    EXPECT_EQ(v->annotate.annotations_shown, 0);
    EXPECT_TRUE(sketch_store_crop(v, 1, PageRect{9, 8, 2, 3}, true));
    EXPECT_EQ(v->annotate.annotations_shown, 1);
    const PageMarks* m = sketch_find_marks(v, 1);
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->crop_set);
    EXPECT_EQ(m->crop.left, 2);
    EXPECT_EQ(m->crop.bottom, 8);
    EXPECT_TRUE(sketch_store_crop(v, 1, PageRect{}, false));
    EXPECT_FALSE(m->crop_set);
    EXPECT_TRUE(sketch_store_whiteout(v, 1, PageRect{1, 2, 3, 4}));
    EXPECT_EQ(m->whiteouts.size(), 1u);
}

TEST_F(SketchTest, EraserOutlineScalesWithTheDisplayedPage) {
    OutlineBox b = sketch_eraser_box(v, 100, 50);
    EXPECT_EQ(b.left, 86);
    EXPECT_EQ(b.top, 36);
    EXPECT_EQ(b.right, 115);
    EXPECT_EQ(b.bottom, 65);
    layout(200, 0);
    b = sketch_eraser_box(v, 100, 50);
    EXPECT_EQ(b.left, 71);
    EXPECT_EQ(b.right, 130);
}

TEST(PenPaint, LinesSetTheirEndPixelUnlessTheStrokeGoesOn) {
    PageMarks m;
    marks_add_pen(&m, PenSegment{0, 0, 5, 0, 1});
    marks_add_pen(&m, PenSegment{5, 0, 5, 5, 1});    // continues: the first needs no end pixel
    marks_add_pen(&m, PenSegment{9, 9, 9, 9, 2});    // a separate dot
    marks_add_pen(&m, PenSegment{5.5, 5, 8, 5, 3});  // starts near, not at, the dot
    ScaledView view;
    view.target_width = 20;
    view.target_height = 20;
    const std::vector<PenLine> plan = pen_paint_plan(m, view, 20, 20);
    ASSERT_EQ(plan.size(), 4u);
    EXPECT_FALSE(plan[0].end_pixel);
    EXPECT_TRUE(plan[1].end_pixel);
    EXPECT_TRUE(plan[2].end_pixel);
    EXPECT_TRUE(plan[3].end_pixel);  // the last always
    EXPECT_EQ(plan[2].from.x, plan[2].to.x);
}

TEST(PenPaint, PointsFollowTheViewsTurnScaleAndOffset) {
    ScaledView view;
    view.target_width = 60;  // a 40 x 30 page at 200 %, turned right: 60 x 80
    view.target_height = 80;
    view.orientation = 1;
    view.offset_x = 100;
    view.offset_y = 7;
    const PenLine l = pen_line(PenSegment{0.5, 0.5, 39.9, 29.9, 5}, view, 40, 30);
    // Turned right, the page's top-left lands at the view's top-right.
    EXPECT_EQ(l.from.x, 100 + 59);
    EXPECT_EQ(l.from.y, 7 + 1);
    EXPECT_EQ(l.to.x, 100 + 0);
    EXPECT_EQ(l.to.y, 7 + 79);
    EXPECT_EQ(l.colour, 5u);
}

TEST(AnnotatedPage, BilevelStaysOneBitOnlyWithBlackAndWhitePens) {
    DisplayRaster page;
    ASSERT_TRUE(raster_create(nullptr, &page, 16, 4, 1, true, 0));
    raster_colours(&page)[0] = DibColour{255, 255, 255, 0};  // white first, as a negative shows it
    raster_colours(&page)[1] = DibColour{0, 0, 0, 0};
    PageMarks m;
    EXPECT_TRUE(annotated_page_is_bilevel(&page, nullptr));
    marks_add_pen(&m, PenSegment{0, 0, 1, 1, 0x000000});
    marks_add_pen(&m, PenSegment{0, 0, 1, 1, 0xFFFFFF});
    marks_add_whiteout(&m, PageRect{0, 0, 1, 1});
    EXPECT_TRUE(annotated_page_is_bilevel(&page, &m));
    marks_add_pen(&m, PenSegment{0, 0, 1, 1, 0x0000FF});  // one red mark
    EXPECT_FALSE(annotated_page_is_bilevel(&page, &m));
    // A two-colour page that is not black and white needs its colours.
    raster_colours(&page)[0] = DibColour{0, 0, 128, 0};
    EXPECT_FALSE(annotated_page_is_bilevel(&page, nullptr));
    raster_destroy(&page);
    DisplayRaster grey;
    ASSERT_TRUE(raster_create(nullptr, &grey, 4, 4, 8, true, 0));
    EXPECT_FALSE(annotated_page_is_bilevel(&grey, nullptr));
    raster_destroy(&grey);
}
