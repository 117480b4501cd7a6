#pragma once
// The viewer's toolbar on screen: a child window of class ZEBTiffTClass along
// the top or bottom of the plug-in window, holding the buttons, the zoom
// spinner and the page list that the viewer's layout string chose, and the
// logo at its right end. ui/toolbar_* decide; this only builds and applies.
#include <windows.h>

struct Viewer;

LRESULT CALLBACK toolbar_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// The process-wide pictures: an icon per item and the logo, loaded once from
// the module's resources at start-up and released at shutdown.
void toolbar_load_shared_art();
void toolbar_free_shared_art();

// Builds the (hidden, empty) toolbar window in the plug-in window, its
// controls, their states and tooltips. False when the window could not be
// made: the error log says why and the viewer goes on without a toolbar.
bool toolbar_create(Viewer* v);
// Destroys the toolbar with its controls, tooltips, font and icons.
void toolbar_destroy(Viewer* v);
// After the button size or the system's metrics changed: the same items,
// measured and built again.
void toolbar_rebuild(Viewer* v);

// The enable pass (download, page, access bits, upload address) and the check
// pass (the View state). Both do nothing without a toolbar.
void toolbar_enable_pass(Viewer* v);
void toolbar_check_pass(Viewer* v);
// Both passes, for callers that changed more than one thing.
void toolbar_refresh(Viewer* v);
// The page list holds 1 … page count while a document is open, else nothing.
void toolbar_fill_page_list(Viewer* v);
// Tooltips on or off, from the `tooltips` setting.
void toolbar_set_tooltips_active(Viewer* v);
// One toggle's check, by item-table index; nothing when the item is not shown.
void toolbar_set_checked(Viewer* v, int item, bool checked);
