#include "host/win/script_ops_win.h"

#include <windows.h>

#include "config/zoom_steps.h"
#include "host/viewer.h"
#include "host/win/image_window.h"
#include "host/win/info_commands.h"
#include "host/win/viewer_shell.h"
#include "host/win/zoom_window.h"
#include "host/win/viewer_output.h"
#include "host/win/upload_win.h"
#include "host/win/viewer_toolbar.h"
#include "output/win/print.h"
#include "host/page_events.h"
#include "host/script_methods.h"
#include "host/win/viewer_commands.h"

namespace {
HWND image_hwnd(Viewer* v) { return static_cast<HWND>(v->shell.image_window); }

void zoom_changed(Viewer* v) {
    toolbar_check_pass(v);
    if (v->shell.image_window) image_window_layout(v, true);
    events_size_mode_change(v, v->view.size_mode, zoom_step_percent(ZoomTable::kImage, v->view.zoom_index));
}

// Line, page and end steps go to the image window as scroll-bar messages, so
// they behave exactly like the bars; an explicit position does not fit the
// message's 16 bits and is handed over directly.
void scroll(Viewer* v, bool vertical, int code, int thumb) {
    if (!v->shell.image_window) return;
    if (code == SB_THUMBPOSITION) image_window_scroll(v, vertical, code, thumb);
    else SendMessageW(image_hwnd(v), vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, 0), 0);
}

// Opened centred on the window; closed the way a user closes it, by a click,
// after the script has returned.
void zoom_window(Viewer* v, bool open) {
    if (open) zoom_window_open(v, 0, 0, true);
    else if (v->shell.zoom_window) PostMessageW(static_cast<HWND>(v->shell.zoom_window), WM_LBUTTONDOWN, 0, 0);
}

// -1 when the viewer was destroyed while the print dialog was open.
int script_print(Viewer* v, bool with_dialog) {
    bool gone = false;
    const int printed = print_request(v, !with_dialog, &gone);
    return gone ? -1 : printed;
}

void marks_changed(Viewer* v) {
    if (v->shell.image_window) InvalidateRect(image_hwnd(v), nullptr, FALSE);
}

void background_changed(Viewer* v) {
    viewer_shell_renew_background_brush(v);
    if (v->shell.image_window) InvalidateRect(image_hwnd(v), nullptr, TRUE);
}
}  // namespace

void script_install_shell_ops() {
    ScriptOps ops;
    ops.about_box = info_command_about;
    ops.print = script_print;
    ops.zoom_window = zoom_window;
    ops.set_orientation = command_set_orientation;
    ops.toggle_negative = command_toggle_negative;
    ops.toggle_smoothing = command_toggle_smoothing;
    ops.set_mouse_mode = command_set_mouse_mode;
    ops.set_size_mode = command_set_size_mode;
    ops.zoom_changed = zoom_changed;
    ops.scroll = scroll;
    ops.marks_changed = marks_changed;
    ops.background_changed = background_changed;
    ops.toolbar_refresh = toolbar_refresh;
    ops.upload = upload_confirmed;
    script_set_ops(ops);
}
