#pragma once
// The viewer's toolbar on screen: a child window of class ZEBTiffTClass along
// the top or bottom of the plug-in window, holding the buttons, the zoom
// spinner and the page list that the viewer's layout string chose, and the
// logo at its right end. ui/toolbar_* decide; this only builds, paints and
// applies. Which viewer the strip serves, and what its clicks do, is the
// host's (host/win/viewer_toolbar, host/win/toolbar_window).
#include <windows.h>

#include <vector>

#include "config/error_log.h"
#include "ui/toolbar_geometry.h"
#include "ui/toolbar_state.h"

struct ToolbarControls;

// The process-wide pictures: an icon per item and the logo, loaded once from
// the module's resources at start-up and released at shutdown.
void toolbar_load_shared_art(HINSTANCE resources);
void toolbar_free_shared_art();

// What building one strip needs.
struct ToolbarBuild {
    HWND parent = nullptr;                  // the plug-in window
    const wchar_t* window_class = nullptr;  // registered by the host with its window procedure
    HINSTANCE resources = nullptr;
    const wchar_t* page_list_face = nullptr;  // the user-interface font's face
    ToolbarMetrics metrics;
    const std::vector<int>* items = nullptr;  // item-table indices, in display order
    void* window_param = nullptr;             // handed to the strip window's WM_NCCREATE
    ErrorLog* log = nullptr;
};
// Builds the (hidden, empty) strip window in the parent and its controls where
// toolbar_geometry puts them; *window gets the strip. Null when the window
// could not be made: the log says why.
ToolbarControls* toolbar_build(const ToolbarBuild& b, HWND* window);
// One tooltip tool per control; every text is asked for when shown. A tooltip
// window that cannot be made is noted in the log and the strip goes without.
void toolbar_add_tooltips(ToolbarControls* c, HWND toolbar, HINSTANCE resources, ErrorLog* log);

// The enable pass (download, page, access bits, upload address) and the check
// pass (the View state). Both do nothing without controls.
void toolbar_enable_pass(const ToolbarControls* c, const ToolbarState& s);
void toolbar_check_pass(const ToolbarControls* c, const ToolbarState& s);
// The page list holds 1 … `pages` (nothing for 0).
void toolbar_fill_page_list(const ToolbarControls* c, int pages);
void toolbar_set_tooltips_active(const ToolbarControls* c, bool on);
// One toggle's check, by item-table index; nothing when the item is not shown.
void toolbar_set_checked(const ToolbarControls* c, int item, bool checked);

// The strip painted into `dc`: face, edges, and the logo where `logo_place`
// (0 a link, 1..2 a picture, above 2 none) puts it.
void toolbar_paint(const ToolbarControls* c, HWND toolbar, HDC dc, int logo_place);
// (x, y) in the strip's client area is on the logo while the logo is a link.
bool toolbar_over_logo_link(const ToolbarControls* c, HWND toolbar, int logo_place, int x, int y);
