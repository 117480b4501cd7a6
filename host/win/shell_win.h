#pragma once
// The Win32 shell's side of the seam (view/shell_seam.h).
struct Viewer;

// Brings the parts named by `what` (ShellPart bits) up to date, in the order
// the bits are declared: brush, toolbar and placement first, since the image
// window's size depends on them; the pictures after; the status line last.
void shell_win_repaint(Viewer* v, unsigned what);
// Installs the seam; once, at module start-up.
void shell_win_install();
