#pragma once
// Carrying out the viewer's commands, and the small operations that the
// context menu, the toolbar and scripts share. Each operation changes the View
// state through the view code, then moves the window, repaints and tells the
// page, so every entry point behaves alike.
#include "host/browser.h"

struct Viewer;

// The dispatch on a command identifier; unknown identifiers do nothing.
void command_perform(Viewer* v, int id);

// Mouse modes 0..6; the same mode again does nothing.
void command_set_mouse_mode(Viewer* v, int mode);
// Size modes 0..3: stored, laid out and reported even when unchanged.
void command_set_size_mode(Viewer* v, int mode);
// The nearest zoom step; nothing when already fixed at that step.
void command_set_fixed_zoom(Viewer* v, int percent);
// The nearest magnifier step; stored for the user unless access bit 0x2 is set.
void command_set_zoom_window_scale(Viewer* v, int percent);
// Orientation 0..3 (-1 means 3 and 4 means 0): the page is turned and the page told.
void command_set_orientation(Viewer* v, int orientation);
void command_toggle_negative(Viewer* v);
void command_toggle_smoothing(Viewer* v);
// 0 previous, 1 next, 2 first, 3 last; a step outside the document is ignored.
void command_page_step(Viewer* v, int step);

// Opens a link or the document's address in a browser window when the address
// is of a kind `allowed` names; a refused one is noted in the error log.
void command_open_address(Viewer* v, const char16_t* url, const char16_t* target, Navigable allowed);
