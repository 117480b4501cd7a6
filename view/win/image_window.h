#pragma once
// The child window of class ZEBTiff1Class in which a viewer shows its page.
#include <windows.h>

struct Viewer;

LRESULT CALLBACK image_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Creates the (hidden, empty) image window inside the plug-in window; null on failure.
HWND image_window_create(Viewer* v, HWND parent);

// Paints the client area into any device context: the window's own, a
// WM_PRINTCLIENT target or a test's memory DC.
void image_window_paint(Viewer* v, HDC dc, const RECT& client);
