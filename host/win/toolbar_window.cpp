// The toolbar window's messages: the strip and its logo painted (ui/win/toolbar
// paints), the logo as a link, and the controls' clicks, scroll reports and
// tooltip requests, each turned into the viewer operation its item names.
#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>

#include "base/text.h"
#include "config/zoom_steps.h"
#include "host/browser.h"
#include "host/stream_reception.h"
#include "host/viewer_pages.h"
#include "host/viewer.h"
#include "host/viewer_registry.h"
#include "host/win/image_window.h"
#include "host/win/module.h"
#include "host/win/plugin_window.h"
#include "host/win/zoom_window.h"
#include "host/win/viewer_commands.h"
#include "host/win/viewer_menu.h"
#include "host/win/viewer_toolbar.h"
#include "host/page_events.h"
#include "ui/commands.h"
#include "ui/toolbar_table.h"
#include "ui/win/toolbar.h"
#include "ui/win/toolbar_controls.h"
#include "view/shell_seam.h"

namespace {
HWND plugin_hwnd(const Viewer* v) { return static_cast<HWND>(v->shell.plugin_window); }

void close_zoom_window(Viewer* v) { zoom_window_close(v); }

bool over_link(const Viewer* v, HWND toolbar, int x, int y) {
    return toolbar_over_logo_link(toolbar_controls(v), toolbar, v->ui.lctrl, x, y);
}

void paint(const Viewer* v, HWND toolbar, HDC dc) { toolbar_paint(toolbar_controls(v), toolbar, dc, v->ui.lctrl); }

LRESULT on_paint(const Viewer* v, HWND toolbar) {
    PaintScope scope(toolbar);
    paint(v, toolbar, scope.dc());
    return 0;
}

LRESULT on_set_cursor(Viewer* v, HWND toolbar, WPARAM over, LPARAM lp) {
    if (reinterpret_cast<HWND>(over) != toolbar || LOWORD(lp) != HTCLIENT) return FALSE;  // a control's own
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(toolbar, &p);
    const bool link = over_link(v, toolbar, p.x, p.y) && v->shell.hand_cursor;
    SetCursor(link ? static_cast<HCURSOR>(v->shell.hand_cursor) : module().cursors.arrow);
    return TRUE;
}

LRESULT on_button_down(Viewer* v, HWND toolbar, int x, int y) {
    close_zoom_window(v);
    ToolbarControls* c = toolbar_controls(v);
    if (c && over_link(v, toolbar, x, y)) {
        SetCapture(toolbar);
        c->logo_pressed = true;
    } else if (plugin_hwnd(v)) {
        SetFocus(plugin_hwnd(v));
    }
    return 0;
}

LRESULT on_button_up(Viewer* v, HWND toolbar, int x, int y) {
    ToolbarControls* c = toolbar_controls(v);
    if (!c || !c->logo_pressed) return 0;
    c->logo_pressed = false;
    ReleaseCapture();
    // Let go off the logo, the press is taken back.
    if (over_link(v, toolbar, x, y)) command_open_address(v, kHomePageUrl, u"vellarion", Navigable::kWebOnly);
    return 0;
}

LRESULT on_mouse_move(Viewer* v, HWND toolbar, int x, int y) {
    // While the logo holds the mouse no set-cursor message comes.
    const ToolbarControls* c = toolbar_controls(v);
    if (c && c->logo_pressed)
        SetCursor(over_link(v, toolbar, x, y) && v->shell.hand_cursor ? static_cast<HCURSOR>(v->shell.hand_cursor)
                                                                      : module().cursors.arrow);
    return 0;
}

void open_menu(Viewer* v, HWND button) {
    SendMessageW(button, BM_SETCHECK, BST_CHECKED, 0);  // pressed while its menu is open
    RECT r;
    GetWindowRect(button, &r);
    const ViewerHandle handle(v);
    context_menu_open(v, r.left, r.bottom, true);
    // A menu that did not open (forbidden, or a drag in progress) leaves the
    // button to us; one that did ran a loop in which the page may have removed
    // the viewer.
    if ((v = handle.get())) toolbar_check_pass(v);
}

void perform(Viewer* v, int item, HWND control) {
    const ToolbarItemInfo& info = kToolbarItemTable[item];
    switch (info.action) {
    case ToolbarAction::kCommand: command_perform(v, info.value); break;
    case ToolbarAction::kSizeMode:
        if (v->view.size_mode == info.value) toolbar_check_pass(v);
        else
            command_set_size_mode(v, info.value);
        break;
    case ToolbarAction::kMenu: open_menu(v, control); break;
    case ToolbarAction::kNone:
    case ToolbarAction::kSpinner:
    case ToolbarAction::kPageList: break;
    }
}

LRESULT on_command(Viewer* v, WPARAM wp, LPARAM lp) {
    close_zoom_window(v);
    HWND control = reinterpret_cast<HWND>(lp);
    const int item = toolbar_item_of(toolbar_controls(v), control);
    if (item < 0) return 0;
    if (item == kItemPageList) {
        // The list's position is the page number, counted from 0.
        const LRESULT chosen = HIWORD(wp) == CBN_SELCHANGE ? SendMessageW(control, CB_GETCURSEL, 0, 0) : CB_ERR;
        if (chosen != CB_ERR) viewer_go_to_page(v, int(chosen));
        return 0;
    }
    if (HIWORD(wp) != BN_CLICKED) return 0;
    if (plugin_hwnd(v)) SetFocus(plugin_hwnd(v));
    perform(v, item, control);
    return 0;
}

void spinner_end(Viewer* v, ToolbarControls* c, HWND spinner) {
    SendMessageW(spinner, UDM_SETPOS, 0, MAKELPARAM(kSpinnerRest, 0));
    const SpinnerStep step = toolbar_spinner_end(&c->spinner, v->view.size_mode, v->view.zoom_index);
    v->view.size_mode = step.size_mode;
    v->view.zoom_index = step.zoom_index;
    shell_repaint(v, kShellToolbarChecks | (step.relayout ? kShellRefit : 0u));
    events_size_mode_change(v, v->view.size_mode, zoom_step_percent(ZoomTable::kImage, v->view.zoom_index));
}

LRESULT on_vscroll(Viewer* v, WPARAM wp, LPARAM lp) {
    ToolbarControls* c = toolbar_controls(v);
    HWND spinner = reinterpret_cast<HWND>(lp);
    if (!c || !spinner || spinner != c->item_window[kItemSpinner]) return 0;
    if (LOWORD(wp) == SB_THUMBPOSITION) toolbar_spinner_thumb(&c->spinner, short(HIWORD(wp)));
    else if (LOWORD(wp) == SB_ENDSCROLL)
        spinner_end(v, c, spinner);
    return 0;
}

void load_text(int id, wchar_t* out, int cap) {
    out[0] = 0;
    if (id && module().instance) LoadStringW(module().instance, UINT(id), out, cap);
}

LRESULT on_notify(Viewer* v, LPARAM lp) {
    auto* header = reinterpret_cast<NMHDR*>(lp);
    if (header->code != TTN_GETDISPINFOW) return 0;
    auto* tip = reinterpret_cast<NMTTDISPINFOW*>(lp);
    // The tools are identified by their windows.
    const int item = toolbar_item_of(toolbar_controls(v), reinterpret_cast<HWND>(header->idFrom));
    if (item < 0) return 0;
    static_assert(sizeof tip->szText / sizeof tip->szText[0] == kToolbarTooltipCap);
    wchar_t text[kToolbarTooltipCap];
    load_text(kToolbarItemTable[item].tooltip_id, text, kToolbarTooltipCap);
    auto* out = reinterpret_cast<char16_t*>(tip->szText);
    const auto* base = reinterpret_cast<const char16_t*>(text);
    if (item == kItemFixedSize) {
        toolbar_fixed_size_tooltip(base, v->view.zoom_index, out, kToolbarTooltipCap);
    } else if (item == kItemUpload) {
        wchar_t upload_to[kToolbarTooltipCap];
        load_text(kToolbarUploadToId, upload_to, kToolbarTooltipCap);
        toolbar_upload_tooltip(base, reinterpret_cast<const char16_t*>(upload_to), btext_get(&v->annotate.upload.url),
                               out, kToolbarTooltipCap);
    } else {
        text_copy(out, kToolbarTooltipCap, base);
    }
    tip->lpszText = tip->szText;
    tip->hinst = nullptr;
    return 0;
}

// The tooltip window is a pop-up: its owner is the browser's top-level
// window, not the toolbar, so it would outlive the toolbar unless destroyed here.
LRESULT on_destroy(Viewer* v) {
    ToolbarControls* c = toolbar_controls(v);
    if (c && c->tooltip) DestroyWindow(c->tooltip);
    if (c) c->tooltip = nullptr;
    return 0;
}

// The controls are gone by now: their font and icons can go too.
void on_nc_destroy(Viewer* v, HWND toolbar) {
    SetWindowLongPtrW(toolbar, GWLP_USERDATA, 0);
    if (v->shell.toolbar_window != toolbar) return;
    toolbar_forget_controls(v);
    v->shell.toolbar_window = nullptr;
}
}  // namespace

LRESULT CALLBACK toolbar_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    auto* v = reinterpret_cast<Viewer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!v) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_PAINT: return on_paint(v, hwnd);
    case WM_PRINTCLIENT: paint(v, hwnd, reinterpret_cast<HDC>(wp)); return 0;
    case WM_ERASEBKGND: return 1;  // painting fills everything
    case WM_SETCURSOR: return on_set_cursor(v, hwnd, wp, lp);
    case WM_LBUTTONDOWN: return on_button_down(v, hwnd, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
    case WM_LBUTTONUP: return on_button_up(v, hwnd, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
    case WM_MOUSEMOVE: return on_mouse_move(v, hwnd, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
    case WM_CAPTURECHANGED:
        if (ToolbarControls* c = toolbar_controls(v)) c->logo_pressed = false;
        return 0;
    case WM_COMMAND: return on_command(v, wp, lp);
    case WM_VSCROLL: return on_vscroll(v, wp, lp);
    case WM_NOTIFY: return on_notify(v, lp);
    case WM_DESTROY: return on_destroy(v);
    case WM_NCDESTROY: on_nc_destroy(v, hwnd); break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}
