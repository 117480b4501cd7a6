#include "host/win/viewer_menu.h"

#include <windows.h>

#include "host/viewer.h"
#include "host/viewer_registry.h"
#include "host/viewer_ui.h"
#include "host/win/module.h"
#include "host/win/viewer_commands.h"
#include "host/win/viewer_toolbar.h"
#include "ui/win/context_menu_win.h"
#include "host/win/zoom_window.h"

namespace {
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
    const ViewerHandle handle(v);
    const int chosen = context_menu_track(module().instance, owner, context_menu_build(context_menu_state(v)), x, y);
    if (chosen < 0) return;
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
