#include "annotate/win/render_overlays.h"

#include "annotate/annotated_page.h"
#include "annotate/win/sketch_draw.h"
#include "base/win/handles.h"
#include "decode/raster.h"
#include "document/page_marks.h"
#include "view/marks_paint.h"
#include "view/view_state.h"

namespace {
// The marks go through a view of the page's own size: only the turn, no
// scaling, no offsets.
ScaledView page_size_view(int w, int h, int orientation) {
    ScaledView view;
    view.kind = kViewOffscreen;
    view.target_width = w;
    view.target_height = h;
    view.orientation = orientation;
    return view;
}

void burn_in(HDC dc, const PageMarks& marks, int w, int h, int orientation) {
    const ScaledView view = page_size_view(w, h, orientation);
    const bool turned = orientation % 2 != 0;
    const int page_w = turned ? h : w, page_h = turned ? w : h;
    PageMarks whiteouts;
    whiteouts.whiteouts = marks.whiteouts;  // the crop stays out
    for (const MarkFill& m : marks_paint_plan(whiteouts, view, page_w, page_h, w, h)) {
        RECT r{m.rect.left, m.rect.top, m.rect.right, m.rect.bottom};
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    PenCache pens;
    sketch_draw_pen(dc, marks, view, page_w, page_h, 0, 0, &pens);
    sketch_pen_release(&pens);
}
}  // namespace

bool render_with_overlays(const DisplayRaster* page, const PageMarks* marks, int orientation, RenderedPage* out) {
    *out = RenderedPage{};
    if (raster_empty(page)) return false;
    const int w = raster_width(page), h = raster_height(page);
    const bool bilevel = annotated_page_is_bilevel(page, marks);
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info{};
    info.header = {sizeof(BITMAPINFOHEADER), w, h, 1, WORD(bilevel ? 1 : 24), BI_RGB};
    info.header.biXPelsPerMeter = raster_dib(page)->x_pels_per_meter;
    info.header.biYPelsPerMeter = raster_dib(page)->y_pels_per_meter;
    info.colours[1] = RGBQUAD{255, 255, 255, 0};
    UniqueMemoryDc dc{CreateCompatibleDC(nullptr)};
    if (!dc) return false;
    void* bits = nullptr;
    UniqueBitmap bitmap{
        CreateDIBSection(dc.get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0)};
    if (!bitmap || !bits) return false;
    {
        SelectScope use(dc.get(), bitmap.get());
        SetStretchBltMode(dc.get(), COLORONCOLOR);
        const int lines = StretchDIBits(dc.get(), 0, 0, w, h, 0, 0, w, h, page->bits,
                                        reinterpret_cast<const BITMAPINFO*>(page->header), DIB_RGB_COLORS, SRCCOPY);
        if (lines <= 0) return false;  // GDI_ERROR is -1
        if (marks) burn_in(dc.get(), *marks, w, h, orientation);
        GdiFlush();
    }
    out->bitmap = std::move(bitmap);
    out->bits = bits;
    out->bits_per_pixel = bilevel ? 1 : 24;
    return true;
}
