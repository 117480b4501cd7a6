#pragma once
// One viewer's toolbar: built in its plug-in window from its item list and
// Settings, kept in line with its state, torn down with it. The strip itself
// is ui/win/toolbar's; this gathers what it shows from the viewer's records.
#include <windows.h>

struct Viewer;
struct ToolbarControls;

// The strip window's procedure (class kToolbarWindowClass); the window's
// creation parameter is its viewer.
LRESULT CALLBACK toolbar_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Builds the (hidden, empty) toolbar window in the plug-in window, its
// controls, their states and tooltips. False when the window could not be
// made: the error log says why and the viewer goes on without a toolbar.
bool toolbar_create(Viewer* v);
// Destroys the toolbar with its controls, tooltips, font and icons.
void toolbar_destroy(Viewer* v);
// After the button size or the system's metrics changed: the same items,
// measured and built again.
void toolbar_rebuild(Viewer* v);

// The passes over the viewer's state; nothing without a toolbar.
void toolbar_enable_pass(Viewer* v);
void toolbar_check_pass(Viewer* v);
// Both passes, for callers that changed more than one thing.
void toolbar_refresh(Viewer* v);
// The page list holds 1 … page count while a document is open, else nothing.
void toolbar_fill_page_list(Viewer* v);
// Tooltips on or off, from the `tooltips` setting.
void toolbar_set_tooltips_active(Viewer* v);
void toolbar_set_checked(Viewer* v, int item, bool checked);

// The viewer's controls record; null without a toolbar.
ToolbarControls* toolbar_controls(const Viewer* v);
// Frees the record when the toolbar window goes.
void toolbar_forget_controls(Viewer* v);
