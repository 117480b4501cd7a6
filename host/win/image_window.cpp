#include "host/win/image_window.h"

#include "annotate/win/sketch_draw.h"
#include "host/win/sketch_mouse.h"
#include "decode/raster_ops.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/win/module.h"
#include "view/marks_paint.h"
#include "view/paint_plan.h"
#include "view/view_state.h"
#include "view/win/image_paint.h"
#include "view/win/page_paint.h"

namespace {
constexpr UINT kLogFormat = DT_NOPREFIX | DT_WORDBREAK;

// The document's log, then the page's log under it, in light yellow on grey.
void paint_logs(Viewer* v, HDC dc, const Rect32& area_in) {
    SelectScope font(
        dc, module().ui_font_16 ? static_cast<HGDIOBJ>(module().ui_font_16.get()) : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, kLogTextColour);
    SetBkColor(dc, kLogBackColour);
    SetBkMode(dc, OPAQUE);
    RECT area = gdi_rect(area_in);
    const ErrorLog* logs[2] = {&v->logs.error, &v->logs.page};
    for (const ErrorLog* log : logs) {
        const auto* text = reinterpret_cast<const wchar_t*>(errlog_text(log));
        if (!text || !text[0] || area.top >= area.bottom) continue;
        RECT measured = area;
        DrawTextW(dc, text, -1, &measured, kLogFormat | DT_CALCRECT);
        DrawTextW(dc, text, -1, &area, kLogFormat);
        area.top += measured.bottom - measured.top;
    }
}

void paint_marks(Viewer* v, HDC dc) {
    ViewerFile* f = v->document.file;
    const PageMarks* marks = f ? marks_find(&f->marks, v->document.current_directory) : nullptr;
    if (!v->annotate.annotations_shown || !marks) return;
    const auto plan = marks_paint_plan(*marks, v->layout.main_view, f->page.width, f->page.height, v->layout.view_width,
                                       v->layout.view_height);
    for (const MarkFill& m : plan) {
        UniqueBrush brush{CreateSolidBrush(m.colour)};
        RECT r{m.rect.left - v->layout.scroll_x, m.rect.top - v->layout.scroll_y, m.rect.right - v->layout.scroll_x,
               m.rect.bottom - v->layout.scroll_y};
        FillRect(dc, &r, brush.get());
    }
}

// Pen segments are drawn whether or not white-outs are shown.
void paint_pen(Viewer* v, HDC dc) {
    ViewerFile* f = v->document.file;
    const PageMarks* marks = f ? marks_find(&f->marks, v->document.current_directory) : nullptr;
    if (!marks || marks->pen.empty()) return;
    sketch_draw_pen(dc, *marks, v->layout.main_view, f->page.width, f->page.height, -v->layout.scroll_x,
                    -v->layout.scroll_y, &v->annotate.pen_cache);
}

void paint_page(Viewer* v, HDC dc, const RECT& paint) {
    const ViewLayout& l = v->layout;
    if (!gdi_paint_page(dc, &v->logs.page, l.main_view, &v->document.file->raster, paint, l.scroll_x, l.scroll_y,
                        v->shell.background_brush))
        return;
    paint_marks(v, dc);
    paint_pen(v, dc);
}

LRESULT on_paint(Viewer* v, HWND hwnd) {
    PaintScope paint(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    image_window_paint(v, paint.dc(), client, paint.rect());
    return 0;
}

LRESULT on_print_client(Viewer* v, HWND hwnd, HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    image_window_paint(v, dc, client, client);
    return 0;
}

LRESULT on_size(Viewer* v, WPARAM kind) {
    // Our own layout moves the scroll bars, which resizes the client area: that
    // nested WM_SIZE must not lay out again.
    if ((kind == SIZE_RESTORED || kind == SIZE_MAXIMIZED) && v->layout.scrollbar_depth == 0)
        image_window_layout(v, v->view.size_mode != 0);
    return 0;
}

LRESULT on_scroll(Viewer* v, HWND hwnd, bool vertical, WPARAM wp) {
    SCROLLINFO si{sizeof si, SIF_TRACKPOS | SIF_POS};
    GetScrollInfo(hwnd, vertical ? SB_VERT : SB_HORZ, &si);
    const int code = LOWORD(wp);
    // The track position is 32 bits; the message carries only 16 of them.
    image_window_scroll(v, vertical, code, si.nTrackPos);
    return 0;
}

LRESULT on_mouse_leave(Viewer* v, HWND hwnd) {
    sketch_mouse_left(v, hwnd);
    return 0;
}

LRESULT on_capture_changed(Viewer* v, HWND hwnd, HWND new_owner) {
    if (new_owner != hwnd) sketch_capture_lost(v, hwnd);
    return 0;
}
}  // namespace

void image_window_paint(Viewer* v, HDC dc, const RECT& client, const RECT& paint) {
    SetMapMode(dc, MM_TEXT);
    const bool shown = viewer_page_shown(v);
    const bool logs = errlog_has_entries(&v->logs.error) || errlog_has_entries(&v->logs.page);
    const PaintWindowPlan plan = paint_plan_window(shown, logs, gdi_rect32(client));
    if (plan.paint_page) {
        paint_page(v, dc, paint);
        sketch_outline_paint(v, dc);
        if (v->mouse.band.shown) image_band_draw(dc, v->mouse.band.rect, v->layout.scroll_x, v->layout.scroll_y);
        return;
    }
    gdi_fill(dc, paint, v->shell.background_brush);
    if (plan.show_logs) paint_logs(v, dc, plan.log_area);
}

LRESULT CALLBACK image_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    auto* v = reinterpret_cast<Viewer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!v) return DefWindowProcW(hwnd, msg, wp, lp);
    // The plug-in window posts wheel turns here. They must end here: the
    // default procedure hands them to the parent, which would post them back.
    if (msg == module().wheel_message) return image_mouse_wheel(v, hwnd, wp);
    switch (msg) {
    case WM_ERASEBKGND: return 1;  // the paint fills everything
    case WM_PAINT: return on_paint(v, hwnd);
    case WM_PRINTCLIENT: return on_print_client(v, hwnd, reinterpret_cast<HDC>(wp));
    case WM_SIZE: return on_size(v, wp);
    case WM_HSCROLL: return on_scroll(v, hwnd, false, wp);
    case WM_VSCROLL: return on_scroll(v, hwnd, true, wp);
    case WM_MOUSEMOVE: return image_mouse_move(v, hwnd, wp, lp);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return image_mouse_button_down(v, hwnd, msg, wp, lp);
    case WM_LBUTTONUP: return image_mouse_button_up(v, hwnd, wp, lp);
    case WM_RBUTTONDOWN: return image_mouse_right_down(v, hwnd, wp, lp);
    case WM_MOUSELEAVE: return on_mouse_leave(v, hwnd);
    case WM_CAPTURECHANGED: return on_capture_changed(v, hwnd, reinterpret_cast<HWND>(lp));
    case WM_DESTROY: sketch_window_gone(v, hwnd); break;
    case WM_SETCURSOR:
        if (LOWORD(lp) != HTCLIENT) break;
        if (image_mouse_set_cursor(v)) return TRUE;
        break;
    case WM_NCDESTROY: SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0); break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND image_window_create(Viewer* v, HWND parent) {
    return CreateWindowExW(0, kImageWindowClass, L"image", WS_CHILD | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL, 0, 0,
                           0, 0, parent, nullptr, module().instance, v);
}
