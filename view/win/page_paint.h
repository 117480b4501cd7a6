#pragma once
// Painting a page through GDI, shared by the image window and the magnifier:
// each plans with its own view and scroll position, the pixels go the same way.
#include <windows.h>

#include "view/paint_plan.h"

struct ErrorLog;

inline RECT gdi_rect(const Rect32& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
inline Rect32 gdi_rect32(const RECT& r) { return Rect32{r.left, r.top, r.right, r.bottom}; }

// Fills with the viewer's background brush; grey while it has none.
void gdi_fill(HDC dc, const RECT& r, void* background_brush);
// Copies part of a bottom-up raster 1:1; `source` is top-down, right and bottom exclusive.
void gdi_blit(HDC dc, const DisplayRaster* r, const Rect32& source, int dest_x, int dest_y);
// The part `paint` of the page as `view` shows it scrolled by (scroll_x,
// scroll_y): pixels, stretched where the view enlarges, background around.
// False when there was no picture to draw (all of `paint` is background).
bool gdi_paint_page(HDC dc, ErrorLog* log, const ScaledView& view, const DisplayRaster* page, const RECT& paint,
                    int scroll_x, int scroll_y, void* background_brush);
