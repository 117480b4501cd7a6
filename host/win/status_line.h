#pragma once
// The status line and the progress bar at the top of the image window while a
// document arrives; the seam (host/win/shell_win.h) calls them.
struct Viewer;

// Re-creates or removes the status line to match v->shell.status_text.
void status_line_update(Viewer* v);
void status_line_progress(Viewer* v, int percent);
void status_line_remove_progress(Viewer* v);
