#include "annotate/pen_paint.h"

namespace {
Point32 to_device(const ScaledView& v, int32_t pw, int32_t ph, double x, double y) {
    const Point32 p = geometry_page_to_view(v, pw, ph, PagePoint{x, y});
    return {p.x + v.offset_x, p.y + v.offset_y};
}
}  // namespace

PenLine pen_line(const PenSegment& s, const ScaledView& view, int32_t pw, int32_t ph) {
    PenLine l;
    l.from = to_device(view, pw, ph, s.x0, s.y0);
    l.to = to_device(view, pw, ph, s.x1, s.y1);
    l.colour = s.colour;
    return l;
}

std::vector<PenLine> pen_paint_plan(const PageMarks& marks, const ScaledView& view, int32_t pw, int32_t ph) {
    std::vector<PenLine> out;
    out.reserve(marks.pen.size());
    for (size_t i = 0; i < marks.pen.size(); ++i) {
        const PenSegment& s = marks.pen[i];
        PenLine l = pen_line(s, view, pw, ph);
        if (i + 1 < marks.pen.size()) {
            const PenSegment& next = marks.pen[i + 1];
            l.end_pixel = !(next.x0 == s.x1 && next.y0 == s.y1);
        }
        out.push_back(l);
    }
    return out;
}
