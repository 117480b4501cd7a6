#pragma once
// Where the white-out marks and the crop shade of a page fall in a Scaled view:
// plain rectangles and colours that the screen painter, the printer and the
// off-screen renderer fill in their own way.
#include <vector>

#include "document/page_marks.h"
#include "view/geometry.h"

struct MarkFill {
    Rect32 rect;          // right and bottom exclusive, in the view's pixels (offsets applied)
    uint32_t colour = 0;  // 0x00BBGGRR
};

// White-outs first (in the order made), then the four shades around the crop.
// view_w x view_h is the whole displayed page in the view's pixels.
std::vector<MarkFill> marks_paint_plan(const PageMarks& marks, const ScaledView& view, int32_t page_w, int32_t page_h,
                                       int32_t view_w, int32_t view_h);
