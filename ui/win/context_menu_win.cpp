#include "ui/win/context_menu_win.h"

#include <windows.h>

#include "host/viewer.h"
#include "host/viewer_registry.h"
#include "host/win/module.h"
#include "host/win/zoom_window.h"
#include "ui/context_menu.h"
#include "ui/win/toolbar.h"
#include "host/win/viewer_commands.h"

namespace {
// All eight menus or none.
struct Popups {
    HMENU menu[kMenuCount] = {};
    bool create() {
        for (HMENU& m : menu)
            if (!(m = CreatePopupMenu())) return false;
        return true;
    }
    ~Popups() {
        // The main menu takes the submenus appended to it along; a submenu
        // left out (its title would not load) is destroyed on its own.
        for (HMENU m : menu)
            if (m && IsMenu(m)) DestroyMenu(m);
    }
};

void fill(const ContextMenu& model, int index, Popups& p) {
    HMENU menu = p.menu[index];
    for (const MenuEntry& e : model.menus[index]) {
        if (e.kind == MenuEntryKind::kSeparator) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        wchar_t text[128];
        if (LoadStringW(module().instance, UINT(e.id), text, 128) <= 0) continue;  // left out
        if (e.kind == MenuEntryKind::kSubmenu) {
            AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(p.menu[e.submenu]), text);
            continue;
        }
        AppendMenuW(menu, MF_STRING | (e.greyed ? MF_GRAYED : 0u), UINT_PTR(e.id), text);
        if (e.checked) CheckMenuItem(menu, UINT(e.id), MF_BYCOMMAND | MF_CHECKED);
    }
}

bool drag_in_progress(const Viewer* v) { return v->mouse.band.state != 0 || v->mouse.pan_active; }
}  // namespace

void context_menu_open(Viewer* v, int x, int y, bool from_toolbar) {
    HWND owner = static_cast<HWND>(v->shell.plugin_window);
    if (!owner || (v->access_flags & kAccessNoContextMenu) || drag_in_progress(v)) return;
    zoom_window_close(v);
    if (!from_toolbar && x == -1 && y == -1) {
        RECT r;
        GetWindowRect(owner, &r);
        x = r.left + 2;
        y = r.top + 2;
    }
    int chosen = 0;
    const ViewerHandle handle(v);
    {
        Popups popups;
        if (!popups.create()) return;
        const ContextMenu model = context_menu_build(context_menu_state(v));
        for (int i = kMenuCount - 1; i >= 0; --i) fill(model, i, popups);
        chosen = int(TrackPopupMenuEx(popups.menu[kMenuMain], TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, x, y,
                                      owner, nullptr));
    }
    // The menu's loop lets the page run, and remove the viewer.
    if (!(v = handle.get())) return;
    if (from_toolbar) {
        toolbar_check_pass(v);  // the menu button was shown pressed while its menu was open
        // The click that closed the menu must not press a toolbar button again.
        MSG msg;
        PeekMessageW(&msg, owner, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_REMOVE);
    }
    if (chosen && (v = handle.get())) command_perform(v, chosen);
}
