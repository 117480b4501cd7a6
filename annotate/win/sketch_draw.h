#pragma once
// Drawing the sketch layer with GDI: pen segments as one-pixel lines in their
// own colours, and the eraser's inverted outline. The same calls serve the
// screen, printed sheets and the Annotated page image.
#include <windows.h>

#include "annotate/pen_paint.h"
#include "annotate/sketch_state.h"

// The cached pen for a colour; the old pen is deleted when the colour changes,
// so it must not be selected into any DC at that moment.
HPEN sketch_pen_for(PenCache* cache, uint32_t colour);
void sketch_pen_release(PenCache* cache);

// One line from `from` to `to` (its last pixel left out, as GDI draws lines),
// plus its end pixel when the plan asks; (dx, dy) is added to both ends.
void sketch_draw_line(HDC dc, const PenLine& line, int dx, int dy, PenCache* cache);
// Every pen segment of a page through `view`, in the order drawn.
void sketch_draw_pen(HDC dc, const PageMarks& marks, const ScaledView& view, int32_t page_w, int32_t page_h, int dx,
                     int dy, PenCache* cache);

// The eraser's outline: an ellipse drawn with an inverting raster operation,
// a black one-pixel pen and no fill, so a second drawing removes it.
void sketch_draw_outline(HDC dc, const RECT& box);
