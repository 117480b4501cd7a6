#include "host/win/zoom_window.h"

#include <windowsx.h>

#include "annotate/win/sketch_draw.h"
#include "config/message_box.h"
#include "config/win/registry_store.h"
#include "config/zoom_steps.h"
#include "decode/raster_ops.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/win/module.h"
#include "host/win/viewer_commands.h"
#include "view/marks_paint.h"
#include "view/paint_plan.h"
#include "view/scaled_view.h"
#include "view/win/page_paint.h"
#include "view/win/zoom_monitors.h"
#include "view/zoom_geometry.h"

namespace {
const ZoomCursorOps kSystemCursor{ClipCursor, SetCursorPos, GetCursorPos};
const ZoomCursorOps* g_cursor = &kSystemCursor;
SettingsStore* g_store = nullptr;

Viewer* attached(HWND hwnd) { return reinterpret_cast<Viewer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

// The zoom view is only ever dropped by others (a new page, a turn, the
// negative); it is rebuilt here, under the wait cursor, before it is used.
void ensure_zoom_view(Viewer* v) {
    const ViewContext c = viewer_view_context(v);
    if (zoom_view_current(c, v->layout.zoom_view)) return;
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    scaled_view_build(c, &v->layout.zoom_view);
    SetCursor(old);
}

SIZE client_size(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return SIZE{r.right, r.bottom};
}

// The zoom scroll for a cursor at client point (x, y).
void follow(Viewer* v, HWND hwnd, int x, int y) {
    const SIZE a = client_size(hwnd);
    const ScaledView& z = v->layout.zoom_view;
    v->layout.zoom.scroll_x = zoom_follow_axis(x, a.cx, z.target_width);
    v->layout.zoom.scroll_y = zoom_follow_axis(y, a.cy, z.target_height);
}

void follow_cursor(Viewer* v, HWND hwnd) {
    POINT p{};
    g_cursor->get_pos(&p);
    ScreenToClient(hwnd, &p);
    follow(v, hwnd, p.x, p.y);
}

void confine(Viewer* v) {
    const RECT r = gdi_rect(v->layout.zoom.confinement);
    g_cursor->clip(&r);
}

void paint_marks(Viewer* v, HDC dc, int ox, int oy) {
    ViewerFile* f = v->document.file;
    const PageMarks* marks = f ? marks_find(&f->marks, v->document.current_directory) : nullptr;
    if (!marks) return;
    const ScaledView& z = v->layout.zoom_view;
    if (v->annotate.annotations_shown) {
        for (const MarkFill& m :
             marks_paint_plan(*marks, z, f->page.width, f->page.height, z.target_width, z.target_height)) {
            UniqueBrush brush{CreateSolidBrush(m.colour)};
            RECT r{m.rect.left + ox, m.rect.top + oy, m.rect.right + ox, m.rect.bottom + oy};
            FillRect(dc, &r, brush.get());
        }
    }
    if (!marks->pen.empty())
        sketch_draw_pen(dc, *marks, z, f->page.width, f->page.height, ox, oy, &v->annotate.pen_cache);
}

void paint_page(Viewer* v, HDC dc, const RECT& client, const RECT& paint) {
    const ScaledView& z = v->layout.zoom_view;
    const int ox = zoom_paint_origin(client.right - client.left, z.target_width, v->layout.zoom.scroll_x);
    const int oy = zoom_paint_origin(client.bottom - client.top, z.target_height, v->layout.zoom.scroll_y);
    if (!gdi_paint_page(dc, &v->logs.page, z, &v->document.file->raster, paint, -ox, -oy, v->shell.background_brush))
        return;
    paint_marks(v, dc, ox, oy);
}

LRESULT on_paint(Viewer* v, HWND hwnd) {
    PaintScope scope(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    zoom_window_paint(v, scope.dc(), client, scope.rect());
    return 0;
}

LRESULT on_destroy(Viewer* v) {
    v->layout.zoom.open = 0;
    v->mouse.wheel_accumulator = 0;
    g_cursor->clip(nullptr);
    // A step chosen with the wheel or the keys is kept for the user at once,
    // as a step chosen from the menu is.
    const int index = v->view.zoom_window_index;
    if (index != v->layout.zoom.index_at_open && !(v->access_flags & kAccessNoSaveSettings))
        settings_write_user_dword(g_store ? g_store : registry_settings_store(), u"zscalepct",
                                  uint32_t(zoom_step_percent(ZoomTable::kMagnifier, index)));
    return 0;
}

LRESULT on_kill_focus(Viewer* v) {
    v->layout.zoom.paused = 1;
    g_cursor->clip(nullptr);
    SetCursor(module().cursors.arrow);
    return 0;
}

LRESULT on_mouse_move(Viewer* v, HWND hwnd, int x, int y) {
    if (v->layout.zoom.paused) {
        SetCursor(module().cursors.arrow);
        return 0;
    }
    SetCursor(module().cursors.cross);
    const int old_x = v->layout.zoom.scroll_x, old_y = v->layout.zoom.scroll_y;
    follow(v, hwnd, x, y);
    const ScaledView& z = v->layout.zoom_view;
    // A ratio-corrected stretch does not snap to whole pixels the same way at
    // every scroll position: shifting the old picture would leave seams.
    if (z.draw_method == kDrawStretched && z.ratio_corrected) InvalidateRect(hwnd, nullptr, FALSE);
    else if (old_x != v->layout.zoom.scroll_x || old_y != v->layout.zoom.scroll_y)
        ScrollWindowEx(hwnd, old_x - v->layout.zoom.scroll_x, old_y - v->layout.zoom.scroll_y, nullptr, nullptr,
                       nullptr, nullptr, SW_INVALIDATE);
    return 0;
}

LRESULT on_right_down(Viewer* v, HWND hwnd, int x, int y) {
    if (v->layout.zoom.paused) {
        v->layout.zoom.paused = 0;
        SetCursor(module().cursors.cross);
        confine(v);
        follow(v, hwnd, x, y);
        InvalidateRect(hwnd, nullptr, FALSE);
    } else {
        v->layout.zoom.paused = 1;
        g_cursor->clip(nullptr);
        SetCursor(module().cursors.arrow);
    }
    return 0;
}

// Page keys run the page commands, whose page event may run a script that
// destroys the viewer: the window is looked at again before anything else.
void page_key(Viewer* v, HWND hwnd, int step) {
    const int before = v->document.current_page;
    command_page_step(v, step);
    if (!IsWindow(hwnd) || attached(hwnd) != v || v->document.current_page == before) return;
    ensure_zoom_view(v);
    follow_cursor(v, hwnd);
    InvalidateRect(hwnd, nullptr, FALSE);
}

LRESULT on_key_down(Viewer* v, HWND hwnd, WPARAM key) {
    switch (key) {
    case VK_ESCAPE: zoom_window_close(v); break;
    case VK_PRIOR: page_key(v, hwnd, 0); break;
    case VK_NEXT: page_key(v, hwnd, 1); break;
    case VK_END: page_key(v, hwnd, 3); break;
    case VK_HOME: page_key(v, hwnd, 2); break;
    case VK_ADD:
    case VK_OEM_PLUS: zoom_window_set_index(v, v->view.zoom_window_index - 1, hwnd); break;
    case VK_SUBTRACT:
    case VK_OEM_MINUS: zoom_window_set_index(v, v->view.zoom_window_index + 1, hwnd); break;
    default: break;
    }
    return 0;
}

LRESULT on_wheel(Viewer* v, HWND hwnd, WPARAM wp) {
    if (v->settings.miscflags & kMiscIgnoreWheel) return 0;
    const int index = zoom_wheel_index(&v->mouse.wheel_accumulator, GET_WHEEL_DELTA_WPARAM(wp),
                                       v->settings.mousewheeldir, v->view.zoom_window_index);
    zoom_window_set_index(v, index, hwnd);
    return 0;
}

LRESULT dispatch(Viewer* v, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == module().wheel_message || msg == WM_MOUSEWHEEL) return on_wheel(v, hwnd, wp);
    switch (msg) {
    case WM_ERASEBKGND: return 1;  // the paint covers everything
    case WM_PAINT: return on_paint(v, hwnd);
    case WM_KILLFOCUS: return on_kill_focus(v);
    case WM_KEYDOWN: return on_key_down(v, hwnd, wp);
    case WM_MOUSEMOVE: return on_mouse_move(v, hwnd, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
    case WM_LBUTTONDOWN: zoom_window_close(v); return 0;
    case WM_RBUTTONDOWN: return on_right_down(v, hwnd, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

Rect32 window_area(Viewer* v, const ZoomSizeStyle& style, POINT click_screen, bool centred) {
    if (style.choice == kZoomSizeCustom) return v->layout.zoom_rect;
    const ZoomMonitorPick pick =
        zoom_monitor_pick(v->settings.zoommon, Point32{v->settings.zoomloc_x, v->settings.zoomloc_y},
                          Point32{click_screen.x, click_screen.y}, centred);
    const MonitorArea found = zoom_monitor_find(pick, static_cast<HWND>(v->shell.plugin_window));
    return zoom_placement_area(style.whole_monitor, found, zoom_desktop_rect(), zoom_primary_work_area());
}

// Where the cursor goes in the new window's client area.
POINT opening_cursor(Viewer* v, SIZE a, int click_x, int click_y, bool centred) {
    if (centred) return POINT{a.cx / 2, a.cy / 2};
    const ScaledView& z = v->layout.zoom_view;
    const ViewLayout& l = v->layout;
    const int vx = zoom_page_point(click_x, l.scroll_x, l.view_width, z.target_width);
    const int vy = zoom_page_point(click_y, l.scroll_y, l.view_height, z.target_height);
    return POINT{zoom_cursor_axis(z.target_width, a.cx, vx), zoom_cursor_axis(z.target_height, a.cy, vy)};
}
}  // namespace

LRESULT CALLBACK zoom_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Viewer* v = attached(hwnd);
    if (!v) return DefWindowProcW(hwnd, msg, wp, lp);
    // The end of the window is handled even after the close cleared the open
    // flag: a step changed with the wheel must still be kept.
    if (msg == WM_DESTROY) return on_destroy(v);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (v->shell.zoom_window == hwnd) v->shell.zoom_window = nullptr;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    if (!v->layout.zoom.open) return DefWindowProcW(hwnd, msg, wp, lp);
    return dispatch(v, hwnd, msg, wp, lp);
}

void zoom_window_paint(Viewer* v, HDC dc, const RECT& client, const RECT& paint) {
    SetMapMode(dc, MM_TEXT);
    if (!viewer_page_shown(v)) {
        gdi_fill(dc, paint, v->shell.background_brush);
        return;
    }
    ensure_zoom_view(v);
    paint_page(v, dc, client, paint);
}

void zoom_window_open(Viewer* v, int click_x, int click_y, bool centred) {
    if (v->shell.zoom_window || v->layout.zoom.open) return;
    v->layout.zoom.index_at_open = v->view.zoom_window_index;
    v->mouse.wheel_accumulator = 0;
    const ZoomSizeStyle style = zoom_size_style(v->settings.zoomsize, v->settings.zoomrect_given);
    const DWORD message_pos = GetMessagePos();
    const int16_t saved_x = int16_t(GET_X_LPARAM(message_pos)), saved_y = int16_t(GET_Y_LPARAM(message_pos));
    HWND plugin = static_cast<HWND>(v->shell.plugin_window);
    POINT click{click_x, click_y};
    if (HWND from = static_cast<HWND>(v->shell.image_window ? v->shell.image_window : v->shell.plugin_window))
        ClientToScreen(from, &click);
    const Rect32 r = zoom_window_rect(style, window_area(v, style, click, centred));
    ensure_zoom_view(v);
    const DWORD ex_style = style.topmost ? WS_EX_TOPMOST : 0;
    const DWORD window_style = WS_POPUP | WS_VISIBLE | (style.framed ? WS_DLGFRAME : 0);
    HWND hwnd = CreateWindowExW(ex_style, kZoomWindowClass, L"Zoom", window_style, r.left, r.top, r.right - r.left,
                                r.bottom - r.top, plugin, nullptr, module().instance, nullptr);
    if (!hwnd) {
        errlog_error(&v->logs.error, u"Failed to create zoom window");
        msgbox_show(plugin, kMbIconError, u"Failed to create zoom window");
        return;
    }
    v->shell.zoom_window = hwnd;
    v->layout.zoom.saved_cursor_x = saved_x;
    v->layout.zoom.saved_cursor_y = saved_y;
    const SIZE a = client_size(hwnd);
    POINT cursor = opening_cursor(v, a, click_x, click_y, centred);
    v->layout.zoom.scroll_x = v->layout.zoom.scroll_y = -1;
    POINT on_screen = cursor;
    ClientToScreen(hwnd, &on_screen);
    g_cursor->set_pos(on_screen.x, on_screen.y);
    v->layout.zoom.open = 1;
    v->layout.zoom.paused = 0;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(v));
    RECT confinement{0, 0, a.cx, a.cy};
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&confinement), 2);
    v->layout.zoom.confinement = gdi_rect32(confinement);
    confine(v);
    follow(v, hwnd, cursor.x, cursor.y);
    SetCursor(module().cursors.cross);
    // Anything painted before the window knew its viewer was left blank.
    InvalidateRect(hwnd, nullptr, FALSE);
}

void zoom_window_close(Viewer* v) {
    HWND hwnd = static_cast<HWND>(v->shell.zoom_window);
    if (!hwnd) return;
    const bool was_open = v->layout.zoom.open != 0;
    v->layout.zoom.open = 0;
    g_cursor->clip(nullptr);
    if (was_open) g_cursor->set_pos(v->layout.zoom.saved_cursor_x, v->layout.zoom.saved_cursor_y);
    DestroyWindow(hwnd);
    v->shell.zoom_window = nullptr;
    if (HWND plugin = static_cast<HWND>(v->shell.plugin_window); plugin && IsWindow(plugin)) SetFocus(plugin);
}

void zoom_window_set_index(Viewer* v, int index, HWND hwnd) {
    index = zoom_clamp_index(index);
    if (index == v->view.zoom_window_index) return;
    v->view.zoom_window_index = index;
    scaled_view_drop(&v->layout.zoom_view);
    ensure_zoom_view(v);
    follow_cursor(v, hwnd);
    InvalidateRect(hwnd, nullptr, FALSE);
}

void zoom_window_set_cursor_ops(const ZoomCursorOps* ops) { g_cursor = ops ? ops : &kSystemCursor; }

void zoom_window_set_settings_store(SettingsStore* store) { g_store = store; }
