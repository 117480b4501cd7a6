#include "view/win/image_window.h"

#include "host/viewer.h"
#include "host/win/module.h"

namespace {
constexpr COLORREF kLogTextColour = 0x00C0FFFF;
constexpr COLORREF kLogBackColour = 0x00606060;
constexpr int kLogTopMargin = 23;  // below the status line
constexpr int kLogLeftMargin = 4;
constexpr UINT kLogFormat = DT_NOPREFIX | DT_WORDBREAK;

// The document's log, then the page's log under it, in light yellow on grey.
void paint_logs(Viewer* v, HDC dc, const RECT& client) {
    if (!errlog_has_entries(&v->error_log) && !errlog_has_entries(&v->page_log)) return;
    SelectScope font(dc, module().ui_font_16 ? static_cast<HGDIOBJ>(module().ui_font_16.get())
                                             : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, kLogTextColour);
    SetBkColor(dc, kLogBackColour);
    SetBkMode(dc, OPAQUE);
    RECT area = client;
    area.top += kLogTopMargin;
    area.left += kLogLeftMargin;
    const ErrorLog* logs[2] = {&v->error_log, &v->page_log};
    for (const ErrorLog* log : logs) {
        const auto* text = reinterpret_cast<const wchar_t*>(errlog_text(log));
        if (!text || !text[0] || area.top >= area.bottom) continue;
        RECT measured = area;
        DrawTextW(dc, text, -1, &measured, kLogFormat | DT_CALCRECT);
        DrawTextW(dc, text, -1, &area, kLogFormat);
        area.top += measured.bottom - measured.top;
    }
}

LRESULT on_paint(Viewer* v, HWND hwnd) {
    PaintScope paint(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    image_window_paint(v, paint.dc(), client);
    return 0;
}

LRESULT on_wheel(Viewer*, WPARAM) {
    // TODO: scroll and zoom by the wheel once the view geometry exists.
    return 0;
}

LRESULT on_print_client(Viewer* v, HWND hwnd, HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    image_window_paint(v, dc, client);
    return 0;
}
}  // namespace

void image_window_paint(Viewer* v, HDC dc, const RECT& client) {
    SetMapMode(dc, MM_TEXT);
    const auto brush = static_cast<HBRUSH>(v->background_brush);
    FillRect(dc, &client, brush ? brush : static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    // TODO: draw the page through the renderer once pages are decoded.
    if (!v->document_loaded) paint_logs(v, dc, client);
}

LRESULT CALLBACK image_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    auto* v = reinterpret_cast<Viewer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!v) return DefWindowProcW(hwnd, msg, wp, lp);
    // The plug-in window posts wheel turns here. They must end here: the
    // default procedure hands them to the parent, which would post them back.
    if (msg == module().wheel_message) return on_wheel(v, wp);
    switch (msg) {
    case WM_ERASEBKGND:   return 1;  // the paint fills everything
    case WM_PAINT:        return on_paint(v, hwnd);
    case WM_PRINTCLIENT:  return on_print_client(v, hwnd, reinterpret_cast<HDC>(wp));
    case WM_SETCURSOR:
        if (LOWORD(lp) != HTCLIENT) break;
        SetCursor(module().cursors.arrow);
        return TRUE;
    case WM_NCDESTROY:    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0); break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND image_window_create(Viewer* v, HWND parent) {
    return CreateWindowExW(0, kImageWindowClass, L"image", WS_CHILD | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL,
                           0, 0, 0, 0, parent, nullptr, module().instance, v);
}
