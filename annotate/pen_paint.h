#pragma once
// Where a page's pen segments fall on a target (the screen through the main
// view, a printed sheet, the Annotated page image at scale 1): end points
// mapped through the view's page-to-view transform plus its offsets.
//
// A line leaves out its last pixel, so each segment also sets its end pixel,
// except where the next segment starts at that very point and its line paints
// the pixel anyway. A dot is then exactly one pixel.
#include <vector>

#include "document/page_marks.h"
#include "view/geometry.h"

struct PenLine {
    Point32 from, to;       // device pixels (offsets applied)
    uint32_t colour = 0;    // 0x00BBGGRR
    bool end_pixel = true;  // also set the pixel at `to`
};

PenLine pen_line(const PenSegment& s, const ScaledView& view, int32_t page_w, int32_t page_h);
// Every segment in the order drawn.
std::vector<PenLine> pen_paint_plan(const PageMarks& marks, const ScaledView& view, int32_t page_w, int32_t page_h);
