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

namespace {
constexpr UINT kLogFormat = DT_NOPREFIX | DT_WORDBREAK;

RECT to_rect(const Rect32& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
Rect32 to_rect32(const RECT& r) { return Rect32{r.left, r.top, r.right, r.bottom}; }

void fill(HDC dc, const RECT& r, Viewer* v) {
    const auto brush = static_cast<HBRUSH>(v->shell.background_brush);
    FillRect(dc, &r, brush ? brush : static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
}

// Copies part of a raster 1:1; `source` is top-down, right and bottom exclusive.
void blit(HDC dc, const DisplayRaster* r, const Rect32& source, int dest_x, int dest_y) {
    const int w = source.right - source.left, h = source.bottom - source.top;
    if (w <= 0 || h <= 0 || raster_empty(r)) return;
    // Bottom-up rows: the source's lower edge counts from the last row.
    const int y_from_bottom = raster_height(r) - source.bottom;
    SetDIBitsToDevice(dc, dest_x, dest_y, DWORD(w), DWORD(h), source.left, y_from_bottom, 0,
                      UINT(raster_height(r)), r->bits, reinterpret_cast<const BITMAPINFO*>(r->header),
                      DIB_RGB_COLORS);
}

// The document's log, then the page's log under it, in light yellow on grey.
void paint_logs(Viewer* v, HDC dc, const Rect32& area_in) {
    SelectScope font(dc, module().ui_font_16 ? static_cast<HGDIOBJ>(module().ui_font_16.get())
                                             : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, kLogTextColour);
    SetBkColor(dc, kLogBackColour);
    SetBkMode(dc, OPAQUE);
    RECT area = to_rect(area_in);
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
    const auto plan = marks_paint_plan(*marks, v->layout.main_view, f->page.width, f->page.height,
                                       v->layout.view_width, v->layout.view_height);
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
    const DisplayRaster* page = &v->document.file->raster;
    const PaintImagePlan plan = paint_plan_image(l.main_view, page, to_rect32(paint), l.scroll_x, l.scroll_y);
    if (!plan.drawn) {
        fill(dc, paint, v);
        return;
    }
    if (plan.stretched) {
        DisplayRaster piece;
        if (paint_render_stretch(&v->logs.page, l.main_view, page, plan, l.scroll_x, l.scroll_y, &piece)) {
            blit(dc, &piece, Rect32{0, 0, raster_width(&piece), raster_height(&piece)}, plan.span.left,
                 plan.span.top);
            raster_destroy(&piece);
        } else {
            RECT span = to_rect(plan.span);
            fill(dc, span, v);
        }
    } else {
        blit(dc, plan.raster, plan.source, plan.dest.x, plan.dest.y);
    }
    for (int i = 0; i < plan.band_count; ++i) {
        RECT band = to_rect(plan.bands[i]);
        fill(dc, band, v);
    }
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
    const PaintWindowPlan plan = paint_plan_window(shown, logs, to_rect32(client));
    if (plan.paint_page) {
        paint_page(v, dc, paint);
        sketch_outline_paint(v, dc);
        if (v->mouse.band.shown) image_band_draw(dc, v->mouse.band.rect, v->layout.scroll_x, v->layout.scroll_y);
        return;
    }
    fill(dc, paint, v);
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
    case WM_ERASEBKGND:    return 1;  // the paint fills everything
    case WM_PAINT:         return on_paint(v, hwnd);
    case WM_PRINTCLIENT:   return on_print_client(v, hwnd, reinterpret_cast<HDC>(wp));
    case WM_SIZE:          return on_size(v, wp);
    case WM_HSCROLL:       return on_scroll(v, hwnd, false, wp);
    case WM_VSCROLL:       return on_scroll(v, hwnd, true, wp);
    case WM_MOUSEMOVE:     return image_mouse_move(v, hwnd, wp, lp);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return image_mouse_button_down(v, hwnd, msg, wp, lp);
    case WM_LBUTTONUP:     return image_mouse_button_up(v, hwnd, wp, lp);
    case WM_RBUTTONDOWN:   return image_mouse_right_down(v, hwnd, wp, lp);
    case WM_MOUSELEAVE:    return on_mouse_leave(v, hwnd);
    case WM_CAPTURECHANGED: return on_capture_changed(v, hwnd, reinterpret_cast<HWND>(lp));
    case WM_DESTROY:       sketch_window_gone(v, hwnd); break;
    case WM_SETCURSOR:
        if (LOWORD(lp) != HTCLIENT) break;
        if (image_mouse_set_cursor(v)) return TRUE;
        break;
    case WM_NCDESTROY:     SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0); break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND image_window_create(Viewer* v, HWND parent) {
    return CreateWindowExW(0, kImageWindowClass, L"image", WS_CHILD | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL,
                           0, 0, 0, 0, parent, nullptr, module().instance, v);
}
