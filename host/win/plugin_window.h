#pragma once
// The browser's window for one viewer, whose window procedure the viewer
// takes over while attached; the viewer is found again through the window
// property "vlar".
#include <windows.h>

struct Viewer;

// A new window from NPP_SetWindow: take it over and build the image window in it.
void plugin_window_attach(Viewer* v, HWND hwnd);
// The same window again (moved or resized): repaint and lay out.
void plugin_window_refresh(Viewer* v);
// Places the child windows in the plug-in window's client area.
void plugin_window_layout(Viewer* v);

LRESULT CALLBACK plugin_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

constexpr wchar_t kViewerProperty[] = L"vlar";
