#pragma once
// The child window of class ZEBTiff1Class in which a viewer shows its page.
#include <windows.h>

struct Viewer;

LRESULT CALLBACK image_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Creates the (hidden, empty) image window inside the plug-in window; null on failure.
HWND image_window_create(Viewer* v, HWND parent);

// Paints the client area into any device context: the window's own, a
// WM_PRINTCLIENT target or a test's memory DC. `paint` is the part to draw.
void image_window_paint(Viewer* v, HDC dc, const RECT& client, const RECT& paint);

// Displayed size and scroll bars for the current size mode; keep_position keeps
// the relative scroll position. Repaints.
void image_window_layout(Viewer* v, bool keep_position);
// Scrolls one axis by a scroll-bar code (SB_*); `thumb` is used by the thumb codes.
void image_window_scroll(Viewer* v, bool vertical, int code, int thumb);

// Mouse handling (image_mouse.cpp).
LRESULT image_mouse_button_down(Viewer* v, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT image_mouse_button_up(Viewer* v, HWND hwnd, WPARAM wp, LPARAM lp);
LRESULT image_mouse_move(Viewer* v, HWND hwnd, WPARAM wp, LPARAM lp);
LRESULT image_mouse_right_down(Viewer* v, HWND hwnd, WPARAM wp, LPARAM lp);
LRESULT image_mouse_wheel(Viewer* v, HWND hwnd, WPARAM wp);
bool image_mouse_set_cursor(Viewer* v);
