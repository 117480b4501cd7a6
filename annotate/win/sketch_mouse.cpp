#include "annotate/win/sketch_mouse.h"

#include "annotate/sketch.h"
#include "annotate/win/sketch_draw.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "script/page_events.h"
#include "view/win/image_window.h"

namespace {
HWND image_hwnd(const Viewer* v) { return static_cast<HWND>(v->image_window); }

// Draws the outline's box inverted through a window DC.
void invert_outline(HWND hwnd, const EraserOutline& o) {
    if (!hwnd) return;
    HDC dc = GetDC(hwnd);
    if (!dc) return;
    sketch_draw_outline(dc, RECT{o.left, o.top, o.right, o.bottom});
    ReleaseDC(hwnd, dc);
}

bool outline_wanted(const Viewer* v) {
    return v->eraser_shown && v->view.mouse_mode == kMouseErase && v->eraser.position_known &&
           sketch_marks_allowed(v) && viewer_page_shown(v);
}

void request_leave(Viewer* v, HWND hwnd) {
    if (v->eraser.leave_tracking || !hwnd) return;
    TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, hwnd, 0};
    if (TrackMouseEvent(&t)) v->eraser.leave_tracking = 1;
}

void place_outline(Viewer* v, int x, int y) {
    sketch_outline_hide(v);
    v->eraser.x = x;
    v->eraser.y = y;
    v->eraser.position_known = 1;
    sketch_outline_show(v);
}

// The XOR overlays come off before the pen draws over them and go back after.
void draw_now(Viewer* v, HWND hwnd, const PenSegment& s) {
    HDC dc = static_cast<HDC>(v->stroke.surface);
    const bool own_dc = !dc;
    if (own_dc) dc = GetDC(hwnd);
    if (!dc) return;
    const bool band = v->band.shown;
    sketch_outline_hide(v);
    if (band) image_band_draw(v, dc);
    ViewerFile* f = v->file;
    // The line stands alone until the next one arrives: it sets its end pixel.
    const PenLine line = pen_line(s, v->layout.main_view, f->page.width, f->page.height);
    sketch_draw_line(dc, line, -v->layout.scroll_x, -v->layout.scroll_y, &v->pen_cache);
    if (band) image_band_draw(v, dc);
    sketch_outline_show(v);
    if (own_dc) ReleaseDC(hwnd, dc);
}

void repaint_now(HWND hwnd) {
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
}

void release_surface(Viewer* v, HWND hwnd) {
    if (v->stroke.surface) ReleaseDC(hwnd, static_cast<HDC>(v->stroke.surface));
    v->stroke.surface = nullptr;
}

void end_gesture(Viewer* v, HWND hwnd, bool release_capture) {
    const SketchStep step = sketch_up(v);
    if (!step.ended) return;
    if (step.draw) draw_now(v, hwnd, step.segment);
    release_surface(v, hwnd);
    // The stroke is no longer active, so the capture change this causes is ours.
    if (release_capture && GetCapture() == hwnd) ReleaseCapture();
    events_annotation_change(v, v->current_page + 1);
}
}  // namespace

bool sketch_mouse_down(Viewer* v, HWND hwnd, int x, int y, bool erase) {
    const SketchStep step = sketch_down(v, x, y, erase);
    if (!step.started) return false;
    SetCapture(hwnd);
    if (!erase) {
        v->stroke.surface = GetDC(hwnd);
        return true;
    }
    place_outline(v, x, y);
    if (step.removed) repaint_now(hwnd);
    return true;
}

bool sketch_mouse_move(Viewer* v, HWND hwnd, int x, int y) {
    if (!v->stroke.active) {
        if (!v->eraser_shown || v->view.mouse_mode != kMouseErase) return false;
        place_outline(v, x, y);
        request_leave(v, hwnd);
        return true;
    }
    const SketchStep step = sketch_move(v, x, y);
    if (step.draw) draw_now(v, hwnd, step.segment);
    if (v->stroke.erase) {
        place_outline(v, x, y);
        if (step.removed) repaint_now(hwnd);
    }
    return true;
}

bool sketch_mouse_up(Viewer* v, HWND hwnd) {
    if (!v->stroke.active) return false;
    end_gesture(v, hwnd, true);
    return true;
}

void sketch_capture_lost(Viewer* v, HWND hwnd) {
    if (!v->stroke.active) return;
    // A window on its way out must not call into the page any more.
    if (!IsWindowVisible(hwnd)) return sketch_window_gone(v, hwnd);
    end_gesture(v, hwnd, false);
}

void sketch_mouse_left(Viewer* v, HWND) {
    v->eraser.leave_tracking = 0;
    if (v->stroke.active) return;  // a running gesture keeps its outline, wherever the mouse is
    sketch_outline_hide(v);
    v->eraser.position_known = 0;
}

void sketch_window_gone(Viewer* v, HWND hwnd) {
    release_surface(v, hwnd);
    v->stroke.active = 0;
    v->eraser.drawn = 0;
    v->eraser.position_known = 0;
    v->eraser.leave_tracking = 0;
}

void sketch_outline_start(Viewer* v) {
    v->eraser_shown = 1;
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
    v->eraser_shown = 0;
}

void sketch_outline_hide(Viewer* v) {
    if (!v->eraser.drawn) return;
    invert_outline(image_hwnd(v), v->eraser);
    v->eraser.drawn = 0;
}

void sketch_outline_show(Viewer* v) {
    if (v->eraser.drawn || !outline_wanted(v) || !image_hwnd(v)) return;
    const OutlineBox b = sketch_eraser_box(v, v->eraser.x, v->eraser.y);
    v->eraser.left = b.left;
    v->eraser.top = b.top;
    v->eraser.right = b.right;
    v->eraser.bottom = b.bottom;
    invert_outline(image_hwnd(v), v->eraser);
    v->eraser.drawn = 1;
}

void sketch_outline_paint(Viewer* v, HDC dc) {
    if (v->eraser.drawn) sketch_draw_outline(dc, RECT{v->eraser.left, v->eraser.top, v->eraser.right, v->eraser.bottom});
}
