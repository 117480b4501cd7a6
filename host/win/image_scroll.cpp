// Layout and scrolling of the image window: the view code decides sizes and
// positions, this file moves the scroll bars and the pixels.
#include "host/win/sketch_mouse.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/win/image_window.h"
#include "host/win/module.h"
#include "view/view_ops.h"
#include "view/win/image_paint.h"

namespace {
void apply_bar(HWND hwnd, int bar, const ScrollBarSpec& s) {
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS};
    si.nMin = 0;
    si.nMax = s.max;
    si.nPage = UINT(s.page);
    si.nPos = s.pos;
    SetScrollInfo(hwnd, bar, &si, TRUE);
}

// Counts the layout's own scroll-bar changes, whose WM_SIZE must be ignored.
struct BarGuard {
    explicit BarGuard(Viewer* v) : v_(v) { ++v_->layout.scrollbar_depth; }
    ~BarGuard() { --v_->layout.scrollbar_depth; }
    BarGuard(const BarGuard&) = delete;
    BarGuard& operator=(const BarGuard&) = delete;
    Viewer* v_;
};
}  // namespace

void image_window_layout(Viewer* v, bool keep_position) {
    HWND hwnd = static_cast<HWND>(v->shell.image_window);
    if (!hwnd) return;
    BarGuard guard(v);
    const ScrollBarSpec none;
    apply_bar(hwnd, SB_HORZ, none);
    apply_bar(hwnd, SB_VERT, none);
    RECT rc;
    GetClientRect(hwnd, &rc);
    LayoutInput in;
    in.client = Rect32{rc.left, rc.top, rc.right, rc.bottom};
    in.vbar_width = module().vscroll_width ? module().vscroll_width : GetSystemMetrics(SM_CXVSCROLL);
    in.hbar_height = module().hscroll_height ? module().hscroll_height : GetSystemMetrics(SM_CYHSCROLL);
    in.keep_position = keep_position;
    const LayoutResult r = view_layout(viewer_view_context(v), in);
    if (r.has_page) {
        apply_bar(hwnd, SB_HORZ, r.horizontal);
        apply_bar(hwnd, SB_VERT, r.vertical);
        ShowScrollBar(hwnd, SB_HORZ, r.h_bar);
        ShowScrollBar(hwnd, SB_VERT, r.v_bar);
    } else {
        ShowScrollBar(hwnd, SB_BOTH, FALSE);
    }
    InvalidateRect(hwnd, nullptr, TRUE);
}

void image_window_scroll(Viewer* v, bool vertical, int code, int thumb) {
    HWND hwnd = static_cast<HWND>(v->shell.image_window);
    if (!hwnd || !viewer_page_shown(v)) return;
    RECT rc;
    GetClientRect(hwnd, &rc);
    const int extent = vertical ? rc.bottom - rc.top : rc.right - rc.left;
    const ScrollStep step = view_scroll_target(v->layout, vertical, code, extent, thumb);
    if (!step.changed) return;
    // The band is drawn inverted over the pixels that are about to move: take it off first.
    if (v->mouse.band.shown) {
        const WindowDc dc(hwnd);
        image_band_draw(dc.get(), v->mouse.band.rect, v->layout.scroll_x, v->layout.scroll_y);
        v->mouse.band.shown = false;
    }
    sketch_outline_hide(v);  // likewise the eraser's outline, which comes back below
    view_scroll_commit(&v->layout, vertical, step.to);
    SetScrollPos(hwnd, vertical ? SB_VERT : SB_HORZ, step.to, TRUE);
    if (step.repaint_all) {
        InvalidateRect(hwnd, nullptr, FALSE);
    } else {
        const int delta = step.from - step.to;
        ScrollWindowEx(hwnd, vertical ? 0 : delta, vertical ? delta : 0, nullptr, nullptr, nullptr, nullptr,
                       SW_INVALIDATE);
    }
    UpdateWindow(hwnd);
    sketch_outline_show(v);
}
