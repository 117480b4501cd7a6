#include "host/win/script_ops_win.h"

#include <windows.h>

#include "host/viewer.h"
#include "host/win/image_window.h"
#include "host/win/viewer_output.h"
#include "host/win/zoom_window.h"

// Line, page and end steps go to the image window as scroll-bar messages, so
// they behave exactly like the bars; an explicit position does not fit the
// message's 16 bits and is handed over directly.
void script_shell_scroll(Viewer* v, bool vertical, int code, int thumb) {
    if (!v->shell.image_window) return;
    if (code == SB_THUMBPOSITION) image_window_scroll(v, vertical, code, thumb);
    else
        SendMessageW(static_cast<HWND>(v->shell.image_window), vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, 0),
                     0);
}

// Closed after the script has returned, by a click, as a user closes it.
void script_shell_zoom_window(Viewer* v, bool open) {
    if (open) zoom_window_open(v, 0, 0, true);
    else if (v->shell.zoom_window)
        PostMessageW(static_cast<HWND>(v->shell.zoom_window), WM_LBUTTONDOWN, 0, 0);
}

int script_shell_print(Viewer* v, bool with_dialog) {
    bool gone = false;
    const int printed = print_request(v, !with_dialog, &gone);
    return gone ? -1 : printed;
}
