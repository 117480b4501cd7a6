#include "view/mouse_modes.h"

#include <gtest/gtest.h>

namespace {
// A page shown at 100 %, 50 × 40 pixels, unrotated.
BandGeometry identity_geometry() {
    BandGeometry g;
    g.view_to_page = [](int vx, int vy, int* px, int* py) {
        *px = vx < 0 ? 0 : vx > 49 ? 49 : vx;
        *py = vy < 0 ? 0 : vy > 39 ? 39 : vy;
    };
    g.page_to_view = [](const PageRect& r) { return ViewRect{r.left, r.top, r.right, r.bottom}; };
    return g;
}
const ViewRect kClient{0, 0, 30, 20};
}  // namespace

TEST(MouseButtonDown, ModesAndOverrides) {
    ButtonDownInput in;
    in.page_loaded = true;
    in.mouse_mode = 1;
    in.size_mode = 3;  // pan mode at best fit: the magnifier instead
    EXPECT_EQ(mouse_button_down(in).action, MouseAction::kZoomWindow);
    in.size_mode = 0;
    EXPECT_EQ(mouse_button_down(in).action, MouseAction::kPan);
    in.mouse_mode = 3;
    EXPECT_EQ(mouse_button_down(in).action, MouseAction::kNone);  // white-out needs allow_select
    in.allow_select = true;
    EXPECT_EQ(mouse_button_down(in).action, MouseAction::kBand);
    in.access_flags = 0x800;
    EXPECT_EQ(mouse_button_down(in).action, MouseAction::kNone);
    in.access_flags = 0;
    in.ctrl = true;
    EXPECT_EQ(mouse_button_down(in).action, MouseAction::kPan);
    in.ctrl = false;
    in.shift = true;
    EXPECT_EQ(mouse_button_down(in).action, MouseAction::kZoomWindow);
    in.shift = false;
    in.has_href = true;
    EXPECT_EQ(mouse_button_down(in).action, MouseAction::kLink);
}

TEST(MouseButtonDown, EmptyViewer) {
    ButtonDownInput in;
    in.mouse_mode = 4;
    in.ctrl = true;
    EXPECT_EQ(mouse_button_down(in).action, MouseAction::kNone);  // no page: no pan
    in.ctrl = false;
    in.double_click = true;
    EXPECT_FALSE(mouse_button_down(in).show_error_log);
    in.logs_have_messages = true;
    EXPECT_TRUE(mouse_button_down(in).show_error_log);
}

TEST(MouseCursor, FollowsModeAndRestrictions) {
    CursorInput in;
    EXPECT_EQ(mouse_cursor(in), CursorKind::kArrow);
    in.page_loaded = true;
    EXPECT_EQ(mouse_cursor(in), CursorKind::kMagnify);
    in.mouse_mode = 1;
    EXPECT_EQ(mouse_cursor(in), CursorKind::kPanOpen);
    in.pan_active = true;
    EXPECT_EQ(mouse_cursor(in), CursorKind::kPanGrip);
    in.pan_active = false;
    in.mouse_mode = 5;
    EXPECT_EQ(mouse_cursor(in), CursorKind::kPencil);
    in.access_flags = 0x800;
    EXPECT_EQ(mouse_cursor(in), CursorKind::kArrow);
    in.has_href = true;
    EXPECT_EQ(mouse_cursor(in), CursorKind::kHand);
}

TEST(MousePan, SensitivityAndClamp) {
    int sx, sy;
    pan_position(PanStart{100, 100, 50, 50}, 90, 100, 2, &sx, &sy);  // 10 px left → 20 px right
    EXPECT_EQ(sx, 70);
    EXPECT_EQ(sy, 50);
    pan_position(PanStart{100, 100, 5, 5}, 200, 200, 2, &sx, &sy);
    EXPECT_EQ(sx, 0);
    EXPECT_EQ(sy, 0);
}

TEST(MouseWheel, ScrollLinesAndCtrlZoom) {
    int acc = 0;
    WheelResult r = mouse_wheel(&acc, WheelInput{120});
    EXPECT_EQ(r.lines_up, 3);  // one notch: three lines
    EXPECT_EQ(acc, 0);
    r = mouse_wheel(&acc, WheelInput{-120});
    EXPECT_EQ(r.lines_down, 3);
    r = mouse_wheel(&acc, WheelInput{30});  // a fine-grained wheel: partial steps carry over
    EXPECT_EQ(r.lines_up, 1);
    EXPECT_EQ(acc, -10);
    acc = 0;
    WheelInput z{120, true, 0, 5};
    r = mouse_wheel(&acc, z);
    EXPECT_TRUE(r.zoom_changed);
    EXPECT_EQ(r.zoom_index, 6);  // 100 % → 70 %
    acc = 0;
    z.wheel_direction = 1;
    EXPECT_EQ(mouse_wheel(&acc, z).zoom_index, 4);  // 200 %
    acc = 0;
    z.size_mode = 3;
    EXPECT_FALSE(mouse_wheel(&acc, z).zoom_changed);  // other size modes: nothing
    acc = 0;
    WheelInput at_end{120, true, 0, 12};
    EXPECT_FALSE(mouse_wheel(&acc, at_end).zoom_changed);
    acc = 0;
    WheelInput ignored{120};
    ignored.miscflags = 0x4;
    EXPECT_EQ(mouse_wheel(&acc, ignored).lines_up, 0);
}

TEST(RubberBand, ClickInCropModeClearsTheCrop) {
    RubberBand b;
    const BandGeometry g = identity_geometry();
    band_start(&b, 10, 10, 0, 0, g);
    EXPECT_FALSE(band_move(&b, 13, 7, 0, 0, kClient, g).draw_new);  // within 3 pixels
    const BandFinish f = band_finish(&b, false, 4);
    EXPECT_EQ(f.outcome, BandOutcome::kClearCrop);
    EXPECT_EQ(b.state, 0);
}

TEST(RubberBand, NarrowBandAddsNoMark) {
    RubberBand b;
    const BandGeometry g = identity_geometry();
    band_start(&b, 10, 5, 0, 0, g);
    band_move(&b, 11, 14, 0, 0, kClient, g);  // 2 × 10 view pixels
    EXPECT_EQ(band_finish(&b, false, 3).outcome, BandOutcome::kNothing);
}

TEST(RubberBand, DragMakesANormalisedMarkAndScrollsAtTheEdge) {
    RubberBand b;
    const BandGeometry g = identity_geometry();
    band_start(&b, 20, 15, 2, 3, g);
    BandMove m = band_move(&b, 5, 4, 2, 3, kClient, g);
    EXPECT_TRUE(m.draw_new);
    EXPECT_FALSE(m.erase_old);
    m = band_move(&b, 6, 25, 2, 3, kClient, g);  // below the window: one line down
    EXPECT_TRUE(m.erase_old);
    EXPECT_EQ(m.scroll_dy, 1);
    const BandFinish f = band_finish(&b, false, 3);
    EXPECT_TRUE(f.erase_old);
    EXPECT_EQ(f.outcome, BandOutcome::kAddWhiteout);
    EXPECT_EQ(f.rect.left, 8);
    EXPECT_EQ(f.rect.top, 18);
    EXPECT_EQ(f.rect.right, 22);
    EXPECT_EQ(f.rect.bottom, 28);
}

TEST(RubberBand, CancelLeavesNoMark) {
    RubberBand b;
    const BandGeometry g = identity_geometry();
    band_start(&b, 1, 1, 0, 0, g);
    band_move(&b, 20, 15, 0, 0, kClient, g);
    const BandFinish f = band_finish(&b, true, 4);
    EXPECT_TRUE(f.erase_old);
    EXPECT_EQ(f.outcome, BandOutcome::kNothing);
}

TEST(PageMarks, RecordsPerDirectoryAndEditing) {
    MarkTable t;
    EXPECT_EQ(marks_for(&t, 3, 3), nullptr);
    EXPECT_EQ(marks_for(&t, -1, 3), nullptr);
    PageMarks* m = marks_for(&t, 2, 3);
    ASSERT_NE(m, nullptr);
    EXPECT_FALSE(marks_has_whiteouts(m));
    marks_add_whiteout(m, page_rect_normalised(5, 9, 1, 2));
    marks_add_whiteout(m, PageRect{0, 0, 1, 1});
    EXPECT_EQ(m->whiteouts[0].rect.left, 1);
    EXPECT_EQ(m->whiteouts[0].rect.bottom, 9);
    EXPECT_TRUE(marks_remove_last_whiteout(m));
    EXPECT_TRUE(marks_remove_last_whiteout(m));
    EXPECT_FALSE(marks_remove_last_whiteout(m));
    marks_set_crop(m, PageRect{1, 2, 3, 4});
    EXPECT_TRUE(m->crop_set);
    marks_clear_crop(m);
    EXPECT_FALSE(m->crop_set);
    EXPECT_EQ(marks_find(&t, 0)->whiteouts.size(), 0u);
    EXPECT_EQ(marks_find(&t, 7), nullptr);
}

#include "view/marks_paint.h"

TEST(MarksPaint, WhiteoutColoursAndCropShades) {
    ScaledView v;
    v.kind = kViewMain;
    v.target_width = 50;
    v.target_height = 40;
    PageMarks m;
    marks_add_whiteout(&m, PageRect{2, 3, 4, 5});
    marks_set_crop(&m, PageRect{10, 10, 19, 29});
    const auto plan = marks_paint_plan(m, v, 50, 40, 50, 40);
    ASSERT_EQ(plan.size(), 5u);
    EXPECT_EQ(plan[0].colour, 0x00F8F8F8u);
    EXPECT_EQ(plan[0].rect.left, 2);
    EXPECT_EQ(plan[0].rect.right, 5);  // inclusive mark, exclusive fill
    EXPECT_EQ(plan[1].colour, 0u);     // above the crop
    EXPECT_EQ(plan[1].rect.bottom, 10);
    EXPECT_EQ(plan[2].rect.top, 30);    // below
    EXPECT_EQ(plan[3].rect.right, 10);  // left
    EXPECT_EQ(plan[4].rect.left, 20);   // right
    // Shaded area plus crop area is the whole view.
    long area = 0;
    for (size_t i = 1; i < plan.size(); ++i)
        area += long(plan[i].rect.right - plan[i].rect.left) * (plan[i].rect.bottom - plan[i].rect.top);
    EXPECT_EQ(area + 10 * 20, 50 * 40);
    v.kind = kViewPrint;
    const auto printed = marks_paint_plan(m, v, 50, 40, 50, 40);
    EXPECT_EQ(printed[0].colour, 0x00FFFFFFu);
    EXPECT_EQ(printed[1].colour, 0x00FFFFFFu);
}
