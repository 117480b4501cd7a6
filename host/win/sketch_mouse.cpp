#include "host/win/sketch_mouse.h"

#include <optional>

#include "host/viewer_sketch.h"
#include "annotate/win/sketch_draw.h"
#include "base/win/handles.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/page_events.h"
#include "view/win/image_paint.h"

namespace {
HWND image_hwnd(const Viewer* v) { return static_cast<HWND>(v->shell.image_window); }

// Draws the outline's box inverted through a window DC.
void invert_outline(HWND hwnd, const EraserOutline& o) {
    if (!hwnd) return;
    const WindowDc dc(hwnd);
    if (dc) sketch_draw_outline(dc.get(), RECT{o.left, o.top, o.right, o.bottom});
}

bool outline_wanted(const Viewer* v) {
    return v->annotate.eraser_shown && v->view.mouse_mode == kMouseErase && v->annotate.eraser.position_known &&
           sketch_marks_allowed(v) && viewer_page_shown(v);
}

void request_leave(Viewer* v, HWND hwnd) {
    if (v->annotate.eraser.leave_tracking || !hwnd) return;
    TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, hwnd, 0};
    if (TrackMouseEvent(&t)) v->annotate.eraser.leave_tracking = 1;
}

void place_outline(Viewer* v, int x, int y) {
    sketch_outline_hide(v);
    v->annotate.eraser.x = x;
    v->annotate.eraser.y = y;
    v->annotate.eraser.position_known = 1;
    sketch_outline_show(v);
}

// The XOR overlays come off before the pen draws over them and go back after.
// The stroke's own DC when it holds one, else one for this line.
void draw_now(Viewer* v, HWND hwnd, const PenSegment& s) {
    std::optional<WindowDc> own;
    HDC dc = static_cast<HDC>(v->annotate.stroke.surface);
    if (!dc) dc = own.emplace(hwnd).get();
    if (!dc) return;
    const bool band = v->mouse.band.shown;
    sketch_outline_hide(v);
    if (band) image_band_draw(dc, v->mouse.band.rect, v->layout.scroll_x, v->layout.scroll_y);
    ViewerFile* f = v->document.file;
    // The line stands alone until the next one arrives: it sets its end pixel.
    const PenLine line = pen_line(s, v->layout.main_view, f->page.width, f->page.height);
    sketch_draw_line(dc, line, -v->layout.scroll_x, -v->layout.scroll_y, &v->annotate.pen_cache);
    if (band) image_band_draw(dc, v->mouse.band.rect, v->layout.scroll_x, v->layout.scroll_y);
    sketch_outline_show(v);
}

void repaint_now(HWND hwnd) {
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
}

// The stroke's DC is held from the press to the release.
void release_surface(Viewer* v, HWND hwnd) {
    const WindowDc done(hwnd, static_cast<HDC>(v->annotate.stroke.surface));
    v->annotate.stroke.surface = nullptr;
}

void end_gesture(Viewer* v, HWND hwnd, bool release_capture) {
    const SketchStep step = sketch_up(v);
    if (!step.ended) return;
    if (step.draw) draw_now(v, hwnd, step.segment);
    release_surface(v, hwnd);
    // The stroke is no longer active, so the capture change this causes is ours.
    if (release_capture && GetCapture() == hwnd) ReleaseCapture();
    events_annotation_change(v, v->document.current_page + 1);
}
}  // namespace

bool sketch_mouse_down(Viewer* v, HWND hwnd, int x, int y, bool erase) {
    const SketchStep step = sketch_down(v, x, y, erase);
    if (!step.started) return false;
    SetCapture(hwnd);
    if (!erase) {
        v->annotate.stroke.surface = WindowDc(hwnd).release();
        return true;
    }
    place_outline(v, x, y);
    if (step.removed) repaint_now(hwnd);
    return true;
}

bool sketch_mouse_move(Viewer* v, HWND hwnd, int x, int y) {
    if (!v->annotate.stroke.active) {
        if (!v->annotate.eraser_shown || v->view.mouse_mode != kMouseErase) return false;
        place_outline(v, x, y);
        request_leave(v, hwnd);
        return true;
    }
    const SketchStep step = sketch_move(v, x, y);
    if (step.draw) draw_now(v, hwnd, step.segment);
    if (v->annotate.stroke.erase) {
        place_outline(v, x, y);
        if (step.removed) repaint_now(hwnd);
    }
    return true;
}

bool sketch_mouse_up(Viewer* v, HWND hwnd) {
    if (!v->annotate.stroke.active) return false;
    end_gesture(v, hwnd, true);
    return true;
}

void sketch_capture_lost(Viewer* v, HWND hwnd) {
    if (!v->annotate.stroke.active) return;
    // A window on its way out must not call into the page any more.
    if (!IsWindowVisible(hwnd)) return sketch_window_gone(v, hwnd);
    end_gesture(v, hwnd, false);
}

void sketch_mouse_left(Viewer* v, HWND) {
    v->annotate.eraser.leave_tracking = 0;
    if (v->annotate.stroke.active) return;  // a running gesture keeps its outline, wherever the mouse is
    sketch_outline_hide(v);
    v->annotate.eraser.position_known = 0;
}

void sketch_window_gone(Viewer* v, HWND hwnd) {
    release_surface(v, hwnd);
    v->annotate.stroke.active = 0;
    v->annotate.eraser.drawn = 0;
    v->annotate.eraser.position_known = 0;
    v->annotate.eraser.leave_tracking = 0;
}

void sketch_outline_start(Viewer* v) {
    v->annotate.eraser_shown = 1;
    HWND hwnd = image_hwnd(v);
    POINT p;
    RECT client;
    if (!hwnd || !GetCursorPos(&p) || !ScreenToClient(hwnd, &p) || !GetClientRect(hwnd, &client)) return;
    if (!PtInRect(&client, p)) return;  // it appears when the mouse comes in
    place_outline(v, p.x, p.y);
    request_leave(v, hwnd);
}

void sketch_outline_stop(Viewer* v) {
    sketch_outline_hide(v);
    v->annotate.eraser_shown = 0;
}

void sketch_outline_hide(Viewer* v) {
    if (!v->annotate.eraser.drawn) return;
    invert_outline(image_hwnd(v), v->annotate.eraser);
    v->annotate.eraser.drawn = 0;
}

void sketch_outline_show(Viewer* v) {
    if (v->annotate.eraser.drawn || !outline_wanted(v) || !image_hwnd(v)) return;
    const OutlineBox b = sketch_eraser_box(v, v->annotate.eraser.x, v->annotate.eraser.y);
    v->annotate.eraser.left = b.left;
    v->annotate.eraser.top = b.top;
    v->annotate.eraser.right = b.right;
    v->annotate.eraser.bottom = b.bottom;
    invert_outline(image_hwnd(v), v->annotate.eraser);
    v->annotate.eraser.drawn = 1;
}

void sketch_outline_paint(Viewer* v, HDC dc) {
    if (v->annotate.eraser.drawn)
        sketch_draw_outline(dc, RECT{v->annotate.eraser.left, v->annotate.eraser.top, v->annotate.eraser.right,
                                     v->annotate.eraser.bottom});
}
