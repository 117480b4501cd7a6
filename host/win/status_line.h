#pragma once
// The status line and the progress bar at the top of the image window while a
// document arrives, and the hooks that connect the stream code to them.
struct Viewer;

// Re-creates or removes the status line to match v->shell.status_text.
void status_line_update(Viewer* v);
void status_line_progress(Viewer* v, int percent);
void status_line_remove_progress(Viewer* v);
// Installs the shell's side of the stream hooks.
void stream_install_shell_hooks();
