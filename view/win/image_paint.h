#pragma once
// Painting of the image window that needs nothing but what it draws.
#include <windows.h>

struct ViewRect;

// Draws or erases the rubber band (it is drawn inverted, so twice is nothing).
// `band` is in view coordinates; the window shows the view from
// (scroll_x, scroll_y).
void image_band_draw(HDC dc, const ViewRect& band, int scroll_x, int scroll_y);
