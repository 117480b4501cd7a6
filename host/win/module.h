#pragma once
// Process-wide Win32 state of the module: made by start-up, released by
// shutdown, read by every window of every viewer. Everything else belongs to
// a Viewer.
#include <windows.h>

#include "base/win/handles.h"
#include "config/settings.h"

constexpr wchar_t kImageWindowClass[] = L"ZEBTiff1Class";
constexpr wchar_t kToolbarWindowClass[] = L"ZEBTiffTClass";
constexpr wchar_t kZoomWindowClass[] = L"ZEBTiffZClass";

// The module is the plug-in; the control flavour of the same viewer would be 2.
constexpr int kHostKindPlugin = 1;

struct ModuleCursors {
    HCURSOR arrow = nullptr;
    HCURSOR cross = nullptr;
    HCURSOR hotspot = nullptr;  // link cursor when the system has no hand
    HCURSOR magnify = nullptr;
    HCURSOR pan_open = nullptr;
    HCURSOR pan_grip = nullptr;
    HCURSOR pencil = nullptr;  // loaded on first use
    HCURSOR eraser = nullptr;  // loaded on first use
};

struct Module {
    HINSTANCE instance = nullptr;
    int host_kind = 0;
    int browser_major = 0, browser_minor = 0;
    OSVERSIONINFOW os_version{};
    int zoom_100_index = 5, magnifier_100_index = 5;
    ProcessSettings process;  // update-check values and the disabled-compression list
    COLORREF custom_colours[16] = {};
    ModuleCursors cursors;
    wchar_t ui_face[32] = {};
    int ui_height = 16;
    UniqueFont small_font;  // "Small Fonts", height 10
    UniqueFont ui_font_14;
    UniqueFont ui_font_16;  // the status line's and the error text's font
    int hscroll_height = 0, vscroll_width = 0;
    UINT wheel_message = WM_MOUSEWHEEL;
    bool classes_registered[3] = {};
};

Module& module();

// Start-up (after the browser table is in place) and shutdown. No failure
// stops the start-up: each is shown once in a box and the rest still runs.
// Returns the result NP_Initialize hands back (always 0).
int module_startup();
void module_shutdown();

// Scroll-bar sizes change with the system metrics (WM_WININICHANGE).
void module_read_scroll_metrics();
// The sketch cursors are loaded the first time a tool needs them.
HCURSOR module_cursor_pencil();
HCURSOR module_cursor_eraser();
