#include "host/win/shell_win.h"

#include <windows.h>

#include "host/win/upload_win.h"
#include "host/stream_reception.h"
#include "host/viewer.h"
#include "host/win/module.h"
#include "host/win/plugin_window.h"
#include "host/win/status_line.h"
#include "host/win/viewer_shell.h"
#include "host/win/script_ops_win.h"
#include "host/win/info_commands.h"
#include "host/win/viewer_toolbar.h"
#include "host/win/viewer_commands.h"
#include "view/shell_seam.h"
#include "host/win/image_window.h"

namespace {
void invalidate(void* window, bool erase) {
    if (window) InvalidateRect(static_cast<HWND>(window), nullptr, erase ? TRUE : FALSE);
}

void place_windows(Viewer* v, unsigned what) {
    if (what & kShellBrush) viewer_shell_renew_background_brush(v);
    // A toolbar that could not be made again leaves its band to the image.
    if (what & kShellToolbarBuild) toolbar_rebuild(v);
    if (what & (kShellToolbarBuild | kShellWindowLayout)) plugin_window_layout(v);
    if (what & kShellTooltips) toolbar_set_tooltips_active(v);
    if (what & kShellToolbarStates) toolbar_refresh(v);
    else if (what & kShellToolbarChecks)
        toolbar_check_pass(v);
    if (what & (kShellFit | kShellRefit)) image_window_layout(v, !(what & kShellFit));
}

void progress(Viewer* v, int percent) {
    if (percent < 0) status_line_remove_progress(v);
    else
        status_line_progress(v, percent);
}

void wait_cursor(Viewer*, bool on) {
    static HCURSOR previous = nullptr;
    if (on) previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    else
        SetCursor(previous ? previous : module().cursors.arrow);
}

void post_autoprint(Viewer* v) {
    if (v->shell.plugin_window) PostMessageW(static_cast<HWND>(v->shell.plugin_window), kAutoPrintMessage, 0, 0);
}
}  // namespace

void shell_win_repaint(Viewer* v, unsigned what) {
    place_windows(v, what);
    if (what & kShellImage) invalidate(v->shell.image_window, what & kShellErase);
    if (what & kShellMagnifier) invalidate(v->shell.zoom_window, false);
    if (what & kShellPageList) toolbar_fill_page_list(v);
    if (what & kShellStatus) status_line_update(v);
    if ((what & kShellToolbarNow) && v->shell.toolbar_window) UpdateWindow(static_cast<HWND>(v->shell.toolbar_window));
}

void shell_win_install() {
    ShellSeam s;
    s.repaint = shell_win_repaint;
    s.progress = progress;
    s.wait_cursor = wait_cursor;
    s.post_autoprint = post_autoprint;
    s.about_box = info_command_about;
    s.print = script_shell_print;
    s.zoom_window = script_shell_zoom_window;
    s.set_orientation = command_set_orientation;
    s.toggle_negative = command_toggle_negative;
    s.toggle_smoothing = command_toggle_smoothing;
    s.set_mouse_mode = command_set_mouse_mode;
    s.set_size_mode = command_set_size_mode;
    s.scroll = script_shell_scroll;
    s.upload = upload_confirmed;
    shell_install(s);
}
