#pragma once
// The magnifier: a pop-up window of class ZEBTiffZClass, owned by the plug-in
// window, that shows the current page at the magnifier's own zoom step and
// follows the mouse. While it is open the cursor is confined to it; a right
// click or losing the focus frees the cursor and stops the following.
#include <windows.h>

struct Viewer;

LRESULT CALLBACK zoom_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Opens the magnifier (nothing when it is open already). The click is in
// image-window pixels; a centred opening (from a script) puts the cursor in
// the middle of the window instead of over the clicked page point.
void zoom_window_open(Viewer* v, int click_x, int click_y, bool centred);
// Frees the cursor, puts it back where it was at the opening, destroys the
// window and gives the plug-in window the focus. Nothing when closed.
void zoom_window_close(Viewer* v);
// A new magnifier step (clamped to the table) for the open window `hwnd`.
void zoom_window_set_index(Viewer* v, int index, HWND hwnd);

// Paints the client area into any device context (the window's, or a test's).
void zoom_window_paint(Viewer* v, HDC dc, const RECT& client, const RECT& paint);

// The cursor services the magnifier uses; tests put in recorders so that they
// neither move nor confine the one cursor every process on the desktop shares.
struct ZoomCursorOps {
    BOOL(WINAPI* clip)(const RECT*) = nullptr;
    BOOL(WINAPI* set_pos)(int, int) = nullptr;
    BOOL(WINAPI* get_pos)(LPPOINT) = nullptr;
};
// Null puts the system's services back.
void zoom_window_set_cursor_ops(const ZoomCursorOps* ops);
// Where a changed magnifier step is kept (null: the registry).
class SettingsStore;
void zoom_window_set_settings_store(SettingsStore* store);
