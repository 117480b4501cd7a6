#pragma once
// What a page's script asks of the shell beyond the shared view commands:
// installed in the seam (view/shell_seam.h) at module start.
struct Viewer;

// Opened centred on the window; closed the way a user closes it.
void script_shell_zoom_window(Viewer* v, bool open);
// Scroll-bar codes (SB_*); `thumb` for an explicit position.
void script_shell_scroll(Viewer* v, bool vertical, int code, int thumb);
// 1 printed, 0 not; -1 when the viewer was destroyed while the print dialog was open.
int script_shell_print(Viewer* v, bool with_dialog);
