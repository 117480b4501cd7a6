#pragma once
// The pen and eraser in the image window: the gestures of mouse modes 5 and
// 6, and the eraser's outline that follows the mouse in mode 6. The core
// (annotate/sketch.h) decides; these functions capture the mouse, draw,
// repaint and tell the page.
//
// The outline is drawn inverted straight onto the window. `eraser.drawn` says
// it is on the screen; a repaint draws it again into the pixels it renews,
// and anything that moves pixels (scrolling) hides it first and shows it after.
#include <windows.h>

struct Viewer;

// Button down in mode 5 (pen) or 6 (eraser); true when a gesture started.
bool sketch_mouse_down(Viewer* v, HWND hwnd, int x, int y, bool erase);
// A mouse move: continues a gesture, or moves the outline in mode 6. True when
// the sketch layer took the move.
bool sketch_mouse_move(Viewer* v, HWND hwnd, int x, int y);
// Button up; true when it ended a gesture.
bool sketch_mouse_up(Viewer* v, HWND hwnd);
// The window lost the mouse capture to another window while a gesture ran:
// the gesture ends as if the button had been released.
void sketch_capture_lost(Viewer* v, HWND hwnd);
// The pointer left the image window: the outline goes and the position is forgotten.
void sketch_mouse_left(Viewer* v, HWND hwnd);
// The image window is going away: its drawing surface is released and
// nothing of it is taken to be on the screen any more.
void sketch_window_gone(Viewer* v, HWND hwnd);

// Mouse mode 6 was chosen: the outline shows at the mouse when it is over the
// image window. Any other mode: the outline goes.
void sketch_outline_start(Viewer* v);
void sketch_outline_stop(Viewer* v);
// Around anything that moves the window's pixels.
void sketch_outline_hide(Viewer* v);
void sketch_outline_show(Viewer* v);
// From the paint handler: the outline again over freshly painted pixels.
void sketch_outline_paint(Viewer* v, HDC dc);
