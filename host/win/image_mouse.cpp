// The mouse in the image window: the press starts what mouse_modes decides
// (link, pan, rubber band), moves and releases carry it on, and the band's
// result becomes a white-out mark or a crop rectangle on the current page.
#include <windowsx.h>

#include "host/win/sketch_mouse.h"
#include "host/browser.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/win/image_window.h"
#include "host/win/info_commands.h"
#include "host/win/module.h"
#include "host/win/zoom_window.h"
#include "host/page_events.h"
#include "host/win/viewer_commands.h"
#include "view/shell_seam.h"
#include "view/geometry.h"
#include "view/mouse_modes.h"
#include "view/view_ops.h"
#include "view/win/image_paint.h"

namespace {
constexpr uint32_t kNoAnnotations = 0x800;

BandGeometry band_geometry(Viewer* v) {
    BandGeometry g;
    const int pw = v->document.file ? v->document.file->page.width : 0,
              ph = v->document.file ? v->document.file->page.height : 0;
    const ScaledView* view = &v->layout.main_view;
    g.view_to_page = [view, pw, ph](int vx, int vy, int* px, int* py) {
        const Point32 p = geometry_view_to_page_pixel(*view, pw, ph, Point32{vx, vy}, true);
        *px = p.x;
        *py = p.y;
    };
    g.page_to_view = [view, pw, ph](const PageRect& r) {
        const Rect32 out = geometry_page_rect_to_view(*view, pw, ph, Rect32{r.left, r.top, r.right, r.bottom});
        return ViewRect{out.left, out.top, out.right, out.bottom};
    };
    return g;
}

void draw_band_now(Viewer* v, HWND hwnd) {
    const WindowDc dc(hwnd);
    image_band_draw(dc.get(), v->mouse.band.rect, v->layout.scroll_x, v->layout.scroll_y);
}

void finish_band(Viewer* v, HWND hwnd, bool cancel) {
    ReleaseCapture();
    const BandFinish f = band_finish(&v->mouse.band, cancel, v->view.mouse_mode);
    if (f.erase_old) {
        v->mouse.band.shown = true;  // drawn once more, inverted, it is gone
        draw_band_now(v, hwnd);
        v->mouse.band.shown = false;
    }
    if (f.outcome == BandOutcome::kNothing || (v->access_flags & kNoAnnotations)) return;
    PageMarks* marks = viewer_current_marks(v);
    if (!marks) return;
    const int page = v->document.current_page + 1;
    switch (f.outcome) {
    case BandOutcome::kClearCrop:
        if (!marks->crop_set) return;  // nothing was selected: nothing to report
        marks_clear_crop(marks);
        InvalidateRect(hwnd, nullptr, FALSE);
        events_crop_select(v, 0, page, 0, 0, v->document.file->page.width, v->document.file->page.height);
        break;
    case BandOutcome::kAddWhiteout:
        marks_add_whiteout(marks, f.rect);
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case BandOutcome::kSetCrop:
        marks_set_crop(marks, f.rect);
        InvalidateRect(hwnd, nullptr, FALSE);
        events_crop_select(v, 1, page, f.rect.left, f.rect.top, f.rect.right - f.rect.left + 1,
                           f.rect.bottom - f.rect.top + 1);
        break;
    case BandOutcome::kNothing: break;
    }
}

void scroll_lines(Viewer* v, int dx, int dy) {
    if (dy) image_window_scroll(v, true, dy > 0 ? SB_LINEDOWN : SB_LINEUP, 0);
    if (dx) image_window_scroll(v, false, dx > 0 ? SB_LINEDOWN : SB_LINEUP, 0);
}
}  // namespace

LRESULT image_mouse_button_down(Viewer* v, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (v->shell.plugin_window) SetFocus(static_cast<HWND>(v->shell.plugin_window));
    const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    ButtonDownInput in;
    in.mouse_mode = v->view.mouse_mode;
    in.size_mode = v->view.size_mode;
    in.page_loaded = viewer_page_shown(v);
    in.ctrl = (wp & MK_CONTROL) != 0;
    in.shift = (wp & MK_SHIFT) != 0;
    in.has_href = v->mouse.has_href != 0;
    in.allow_select = v->mouse.allow_select != 0;
    in.double_click = msg == WM_LBUTTONDBLCLK;
    in.logs_have_messages = errlog_has_entries(&v->logs.error) || errlog_has_entries(&v->logs.page);
    in.access_flags = v->access_flags;
    const ButtonDownDecision d = mouse_button_down(in);
    if (d.show_error_log) {
        info_command_error_log(v);
        return 0;  // the viewer may be gone by now: nothing more is touched
    }
    switch (d.action) {
    case MouseAction::kLink:
        v->mouse.link_press = 1;
        SetCapture(hwnd);
        return 0;
    case MouseAction::kPan:
        v->mouse.pan_active = 1;
        SetCursor(module().cursors.pan_grip);
        v->mouse.pan_start = PanStart{x, y, v->layout.scroll_x, v->layout.scroll_y};
        SetCapture(hwnd);
        return 0;
    case MouseAction::kBand:
        v->annotate.annotations_shown = 1;
        band_start(&v->mouse.band, x, y, v->layout.scroll_x, v->layout.scroll_y, band_geometry(v));
        SetCapture(hwnd);
        return 0;
    case MouseAction::kPen:
    case MouseAction::kEraser:
        if (sketch_mouse_down(v, hwnd, x, y, d.action == MouseAction::kEraser)) return 0;
        break;
    case MouseAction::kZoomWindow: zoom_window_open(v, x, y, false); return 0;
    case MouseAction::kNone: break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT image_mouse_button_up(Viewer* v, HWND hwnd, WPARAM wp, LPARAM lp) {
    if (v->mouse.link_press) {
        v->mouse.link_press = 0;
        ReleaseCapture();
        RECT rc;
        GetClientRect(hwnd, &rc);
        const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (PtInRect(&rc, p))
            command_open_address(v, btext_get(&v->mouse.href), btext_get(&v->mouse.target), Navigable::kWebOrRelative);
        return 0;
    }
    if (v->mouse.pan_active) {
        v->mouse.pan_active = 0;
        ReleaseCapture();
        SetCursor(module().cursors.pan_open);
        return 0;
    }
    if (v->mouse.band.state > 0) {
        finish_band(v, hwnd, false);
        return 0;
    }
    if (sketch_mouse_up(v, hwnd)) return 0;
    return DefWindowProcW(hwnd, WM_LBUTTONUP, wp, lp);
}

LRESULT image_mouse_move(Viewer* v, HWND hwnd, WPARAM, LPARAM lp) {
    const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    if (v->mouse.pan_active) {
        int sx, sy;
        pan_position(v->mouse.pan_start, x, y, v->settings.pansens, &sx, &sy);
        image_window_scroll(v, false, SB_THUMBPOSITION, sx);
        image_window_scroll(v, true, SB_THUMBPOSITION, sy);
        return 0;
    }
    if (v->mouse.band.state > 0) {
        RECT rc;
        GetClientRect(hwnd, &rc);
        const ViewRect old = v->mouse.band.rect;
        const BandMove m = band_move(&v->mouse.band, x, y, v->layout.scroll_x, v->layout.scroll_y,
                                     ViewRect{rc.left, rc.top, rc.right, rc.bottom}, band_geometry(v));
        if (m.erase_old) {
            const ViewRect now = v->mouse.band.rect;
            v->mouse.band.rect = old;
            draw_band_now(v, hwnd);
            v->mouse.band.rect = now;
        }
        if (m.draw_new) draw_band_now(v, hwnd);
        scroll_lines(v, m.scroll_dx, m.scroll_dy);
        return 0;
    }
    sketch_mouse_move(v, hwnd, x, y);  // a pen or eraser gesture, or the eraser's outline
    return 0;
}

LRESULT image_mouse_right_down(Viewer* v, HWND hwnd, WPARAM wp, LPARAM lp) {
    if (v->mouse.band.state == 1 || v->mouse.band.state == 2) {
        // Set first: cancelling a crop tells the page, whose function may remove the viewer.
        v->mouse.menu_suppressed = 1;
        finish_band(v, hwnd, true);
        return 0;
    }
    return DefWindowProcW(hwnd, WM_RBUTTONDOWN, wp, lp);
}

LRESULT image_mouse_wheel(Viewer* v, HWND hwnd, WPARAM wp) {
    WheelInput in;
    in.delta = GET_WHEEL_DELTA_WPARAM(wp);
    in.ctrl = (GET_KEYSTATE_WPARAM(wp) & MK_CONTROL) != 0 || GetKeyState(VK_CONTROL) < 0;
    in.size_mode = v->view.size_mode;
    in.zoom_index = v->view.zoom_index;
    in.wheel_direction = v->settings.mousewheeldir;
    in.miscflags = v->settings.miscflags;
    const WheelResult r = mouse_wheel(&v->mouse.wheel_accumulator, in);
    for (int i = 0; i < r.lines_down; ++i) PostMessageW(hwnd, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    for (int i = 0; i < r.lines_up; ++i) PostMessageW(hwnd, WM_VSCROLL, MAKEWPARAM(SB_LINEUP, 0), 0);
    if (r.zoom_changed) {
        v->view.zoom_index = r.zoom_index;
        shell_repaint(v, kShowViewSize);  // the fixed-size button is checked off 100 % only
    }
    return 0;
}

bool image_mouse_set_cursor(Viewer* v) {
    CursorInput in;
    in.pan_active = v->mouse.pan_active != 0;
    in.has_href = v->mouse.has_href != 0;
    in.page_loaded = viewer_page_shown(v);
    in.mouse_mode = v->view.mouse_mode;
    in.size_mode = v->view.size_mode;
    in.allow_select = v->mouse.allow_select != 0;
    in.access_flags = v->access_flags;
    const ModuleCursors& c = module().cursors;
    HCURSOR cursor = c.arrow;
    switch (mouse_cursor(in)) {
    case CursorKind::kArrow: cursor = c.arrow; break;
    case CursorKind::kCross: cursor = c.cross; break;
    case CursorKind::kMagnify: cursor = c.magnify; break;
    case CursorKind::kPanOpen: cursor = c.pan_open; break;
    case CursorKind::kPanGrip: cursor = c.pan_grip; break;
    case CursorKind::kHand: cursor = static_cast<HCURSOR>(v->shell.hand_cursor); break;
    case CursorKind::kPencil: cursor = module_cursor_pencil(); break;
    case CursorKind::kEraser: cursor = module_cursor_eraser(); break;
    }
    SetCursor(cursor ? cursor : c.arrow);
    return true;
}
