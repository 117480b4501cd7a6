#pragma once
// The viewer's windows and GDI objects as the Win32 shell made them, with the
// texts the shell shows or cleans up. Held as untyped handles so that the
// portable core can pass them along without the platform's headers.
#include "config/bounded_text.h"

struct ShellWindows {
    void* plugin_window = nullptr;       // HWND
    void* saved_window_proc = nullptr;   // WNDPROC
    void* image_window = nullptr;        // HWND
    void* toolbar_window = nullptr;      // HWND
    void* zoom_window = nullptr;         // HWND: the magnifier while open
    void* status_window = nullptr;       // HWND
    void* progress_window = nullptr;     // HWND
    void* background_brush = nullptr;    // HBRUSH, owned
    void* hand_cursor = nullptr;         // HCURSOR
    BoundedText status_text;             // text(100)
    BoundedText work_folder, work_file;  // text(360) each: the mail attachment's temporary copy
};
