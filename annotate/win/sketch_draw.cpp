#include "annotate/win/sketch_draw.h"

#include "base/win/handles.h"

namespace {
COLORREF to_colorref(uint32_t c) { return COLORREF(c & 0x00FFFFFF); }
}  // namespace

HPEN sketch_pen_for(PenCache* cache, uint32_t colour) {
    if (cache->pen && cache->colour == colour) return static_cast<HPEN>(cache->pen);
    UniquePen fresh{CreatePen(PS_SOLID, 0, to_colorref(colour))};
    if (!fresh) return static_cast<HPEN>(GetStockObject(BLACK_PEN));
    sketch_pen_release(cache);
    cache->pen = fresh.release();
    cache->colour = colour;
    return static_cast<HPEN>(cache->pen);
}

void sketch_pen_release(PenCache* cache) {
    UniquePen old{static_cast<HPEN>(cache->pen)};  // deleted here
    cache->pen = nullptr;
    cache->colour = 0;
}

void sketch_draw_line(HDC dc, const PenLine& l, int dx, int dy, PenCache* cache) {
    const int x0 = l.from.x + dx, y0 = l.from.y + dy, x1 = l.to.x + dx, y1 = l.to.y + dy;
    {
        // Put back before the next colour may delete this pen.
        SelectScope use(dc, sketch_pen_for(cache, l.colour));
        MoveToEx(dc, x0, y0, nullptr);
        LineTo(dc, x1, y1);
    }
    if (l.end_pixel) SetPixel(dc, x1, y1, to_colorref(l.colour));
}

void sketch_draw_pen(HDC dc, const PageMarks& marks, const ScaledView& view, int32_t pw, int32_t ph, int dx, int dy,
                     PenCache* cache) {
    for (const PenLine& l : pen_paint_plan(marks, view, pw, ph)) sketch_draw_line(dc, l, dx, dy, cache);
}

void sketch_draw_outline(HDC dc, const RECT& box) {
    const int old_rop = SetROP2(dc, R2_NOT);
    {
        SelectScope pen(dc, GetStockObject(BLACK_PEN));
        SelectScope brush(dc, GetStockObject(NULL_BRUSH));
        Ellipse(dc, box.left, box.top, box.right, box.bottom);
    }
    SetROP2(dc, old_rop);
}
