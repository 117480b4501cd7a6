#include "view/win/render_overlays.h"

#include "annotate/page_marks.h"
#include "base/win/handles.h"
#include "decode/raster.h"
#include "view/marks_paint.h"
#include "view/view_state.h"

bool render_with_overlays(const DisplayRaster* page, const PageMarks* marks, int orientation, RenderedPage* out) {
    *out = RenderedPage{};
    if (raster_empty(page)) return false;
    const int w = raster_width(page), h = raster_height(page);
    // A black-and-white page stays one bit deep: a saved fax keeps its size.
    const bool bilevel = raster_bpp(page) == 1 && page->is_grey;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info{};
    info.header = {sizeof(BITMAPINFOHEADER), w, h, 1, WORD(bilevel ? 1 : 24), BI_RGB};
    info.header.biXPelsPerMeter = raster_dib(page)->x_pels_per_meter;
    info.header.biYPelsPerMeter = raster_dib(page)->y_pels_per_meter;
    info.colours[1] = RGBQUAD{255, 255, 255, 0};
    UniqueMemoryDc dc{CreateCompatibleDC(nullptr)};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc.get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !dc) {
        if (bitmap) DeleteObject(bitmap);
        return false;
    }
    {
        SelectScope use(dc.get(), bitmap);
        SetStretchBltMode(dc.get(), COLORONCOLOR);
        StretchDIBits(dc.get(), 0, 0, w, h, 0, 0, w, h, page->bits, reinterpret_cast<const BITMAPINFO*>(page->header),
                      DIB_RGB_COLORS, SRCCOPY);
        if (marks && !marks->whiteouts.empty()) {
            // Through a view of the page's own size: only the turn, no scaling, no offsets.
            ScaledView view;
            view.kind = kViewOffscreen;
            view.target_width = w;
            view.target_height = h;
            view.orientation = orientation;
            const bool turned = orientation % 2 != 0;
            PageMarks whiteouts;
            whiteouts.whiteouts = marks->whiteouts;  // the crop is not burnt in
            for (const MarkFill& m : marks_paint_plan(whiteouts, view, turned ? h : w, turned ? w : h, w, h)) {
                RECT r{m.rect.left, m.rect.top, m.rect.right, m.rect.bottom};
                FillRect(dc.get(), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            }
        }
        GdiFlush();
    }
    out->bitmap = bitmap;
    out->bits = bits;
    out->bits_per_pixel = bilevel ? 1 : 24;
    return true;
}
