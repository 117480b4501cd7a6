#include "host/win/plugin_window.h"

#include <windowsx.h>

#include "config/message_box.h"
#include "host/viewer.h"
#include "host/win/image_window.h"
#include "host/win/module.h"
#include "host/win/viewer_menu.h"
#include "host/win/viewer_toolbar.h"
#include "view/geometry.h"
#include "host/win/viewer_shell.h"
#include "host/stream_reception.h"
#include "host/win/status_line.h"
#include "host/win/viewer_output.h"
#include "host/win/viewer_update.h"
#include "host/page_events.h"
#include "ui/win/toolbar.h"
#include "update/win/update_check.h"

namespace {
LRESULT forward(Viewer* v, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto saved = reinterpret_cast<WNDPROC>(v->shell.saved_window_proc);
    return saved ? CallWindowProcW(saved, hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT on_size(Viewer* v, WPARAM kind) {
    if (kind == SIZE_RESTORED || kind == SIZE_MAXIMIZED) plugin_window_layout(v);
    return 0;
}

LRESULT on_paint(HWND hwnd) {
    PaintScope paint(hwnd);  // the children cover the client area
    return 0;
}

// The page list's width follows the scroll-bar width: measure the toolbar again.
LRESULT on_settings_change(Viewer* v) {
    module_read_scroll_metrics();
    toolbar_rebuild(v);
    return 0;
}

LRESULT on_mouse_activate(Viewer* v, HWND hwnd, WPARAM wp, LPARAM lp) {
    if (v->browser.mode != kModeFull) return forward(v, hwnd, WM_MOUSEACTIVATE, wp, lp);
    SetFocus(hwnd);
    return MA_ACTIVATE;
}

LRESULT on_key_down(Viewer* v, HWND hwnd, WPARAM wp, LPARAM lp) {
    if (viewer_shell_key_command(v, static_cast<unsigned>(wp))) return 0;
    return forward(v, hwnd, WM_KEYDOWN, wp, lp);
}

LRESULT on_context_menu(Viewer* v, LPARAM lp) {
    // A right click that cancelled a rubber band must not also open the menu.
    if (v->mouse.menu_suppressed) {
        v->mouse.menu_suppressed = 0;
        return 0;
    }
    // From the keyboard the position is (-1, -1).
    context_menu_open(v, GET_X_LPARAM(lp), GET_Y_LPARAM(lp), false);
    return 0;
}

LRESULT on_timer(Viewer* v, HWND hwnd, WPARAM id, LPARAM lp) {
    if (id != kUpdateTimerId) return forward(v, hwnd, WM_TIMER, id, lp);
    KillTimer(hwnd, kUpdateTimerId);
    update_on_timer(v);
    return 0;
}

// Browsers often destroy the plug-in's window before they destroy the
// instance: forget the window and its children, which are gone with it.
LRESULT on_nc_destroy(Viewer* v, HWND hwnd, WPARAM wp, LPARAM lp) {
    RemovePropW(hwnd, kViewerProperty);
    // The browser's own procedure may take the window's end as the instance's.
    const ViewerHandle handle(v);
    const LRESULT result = forward(v, hwnd, WM_NCDESTROY, wp, lp);
    if (!handle.alive()) return result;
    v->shell.image_window = v->shell.toolbar_window = v->shell.zoom_window = nullptr;
    v->shell.status_window = v->shell.progress_window = nullptr;
    v->shell.saved_window_proc = nullptr;
    v->shell.plugin_window = nullptr;
    return result;
}

// The deferred print of the `autoprint` parameter: posted when the first
// document arrived, so that the dialog does not open inside the stream call.
LRESULT on_autoprint(Viewer* v) {
    print_autoprint(v);
    return 0;
}

LRESULT on_wheel(Viewer* v, UINT msg, WPARAM wp, LPARAM lp) {
    // Browsers deliver the wheel to the focused window; the image window scrolls.
    if (!(v->settings.miscflags & kMiscIgnoreWheel) && v->shell.image_window)
        PostMessageW(static_cast<HWND>(v->shell.image_window), msg, wp, lp);
    return 0;
}
}  // namespace

LRESULT CALLBACK plugin_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) return 1;
    auto* v = static_cast<Viewer*>(GetPropW(hwnd, kViewerProperty));
    if (!v) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == module().wheel_message) return on_wheel(v, msg, wp, lp);
    switch (msg) {
    case WM_SIZE: return on_size(v, wp);
    case WM_PAINT: return on_paint(hwnd);
    case WM_WININICHANGE: return on_settings_change(v);
    case WM_MOUSEACTIVATE: return on_mouse_activate(v, hwnd, wp, lp);
    case WM_CONTEXTMENU: return on_context_menu(v, lp);
    case WM_KEYDOWN: return on_key_down(v, hwnd, wp, lp);
    case WM_TIMER: return on_timer(v, hwnd, wp, lp);
    case WM_DESTROY: update_abort(); break;
    case kUpdateHostMessage: return update_on_host_message(v, wp, lp);
    case kUpdateSocketMessage: return update_on_socket_message(v, wp, lp);
    case WM_NCDESTROY: return on_nc_destroy(v, hwnd, wp, lp);
    case kAutoPrintMessage: return on_autoprint(v);
    }
    return forward(v, hwnd, msg, wp, lp);
}

void plugin_window_layout(Viewer* v) {
    HWND hwnd = static_cast<HWND>(v->shell.plugin_window);
    HWND image = static_cast<HWND>(v->shell.image_window);
    if (!hwnd || !image) return;
    RECT client;
    GetClientRect(hwnd, &client);
    // The toolbar's band is kept free only when there is a toolbar window to fill it.
    const int position = v->shell.toolbar_window ? v->ui.toolbar_position : 0;
    const PluginAreaLayout area =
        geometry_plugin_area(client.right, client.bottom, position, v->settings.toolbar_height);
    if (HWND toolbar = static_cast<HWND>(v->shell.toolbar_window)) {
        if (area.toolbar_shown)
            SetWindowPos(toolbar, nullptr, area.toolbar.left, area.toolbar.top, area.toolbar.right - area.toolbar.left,
                         area.toolbar.bottom - area.toolbar.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        else
            ShowWindow(toolbar, SW_HIDE);
    }
    MoveWindow(image, area.image.left, area.image.top, area.image.right - area.image.left,
               area.image.bottom - area.image.top, TRUE);
}

void plugin_window_refresh(Viewer* v) {
    InvalidateRect(static_cast<HWND>(v->shell.plugin_window), nullptr, TRUE);
    plugin_window_layout(v);
    if (v->shell.image_window) InvalidateRect(static_cast<HWND>(v->shell.image_window), nullptr, TRUE);
}

void plugin_window_attach(Viewer* v, HWND hwnd) {
    v->shell.plugin_window = hwnd;
    SetPropW(hwnd, kViewerProperty, v);
    v->shell.saved_window_proc =
        reinterpret_cast<void*>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(plugin_window_proc)));
    HWND image = image_window_create(v, hwnd);
    if (!image) {
        // Logged first: the box runs a loop in which the page may remove the viewer.
        errlog_error(&v->logs.error, u"Failed to create image window");
        msgbox_show(hwnd, kMbIconError, u"Failed to create image window");
        return;
    }
    v->shell.image_window = image;
    ShowScrollBar(image, SB_BOTH, FALSE);
    toolbar_create(v);  // on failure the viewer goes on without one; the error log says why
    plugin_window_layout(v);
    image_window_layout(v, false);
    ShowWindow(image, SW_SHOW);
    status_line_update(v);
    UpdateWindow(hwnd);
    UpdateWindow(image);
    // Timer 1 starts the new-version check a moment after the viewer appears.
    update_arm(v);
    if (v->browser.mode == kModeFull) SetFocus(hwnd);
}
