#pragma once
// The context menu of one viewer: built from the viewer's state, tracked at a
// screen position, and its command carried out.
struct Viewer;

// (x, y) in screen coordinates; (-1, -1) from the keyboard, which opens the
// menu just inside the plug-in window's top-left corner. Returns once the
// chosen command, if any, has been carried out.
void context_menu_open(Viewer* v, int x, int y, bool from_toolbar);
