#include "output/win/print_draw.h"

#include "document/page_marks.h"
#include "annotate/win/sketch_draw.h"
#include "base/win/handles.h"
#include "decode/raster.h"
#include "view/marks_paint.h"
#include "view/view_state.h"

static_assert(sizeof(DibHeader) == sizeof(BITMAPINFOHEADER));

namespace {
// The sheet's view of the page: the placement's size, the raster's turn, and
// the page's position on the sheet as the offset every mark is moved by.
ScaledView sheet_view(const PrintRect& at, int orientation) {
    ScaledView view;
    view.kind = kViewPrint;
    view.target_width = at.width;
    view.target_height = at.height;
    view.orientation = orientation % 4;
    view.offset_x = at.x;
    view.offset_y = at.y;
    return view;
}

void draw_marks(HDC dc, const PrintRect& at, const PrintMarks& m) {
    if (!m.marks || m.page_width <= 0 || m.page_height <= 0) return;
    const ScaledView view = sheet_view(at, m.orientation);
    if (m.whiteouts_shown) {
        for (const MarkFill& f : marks_paint_plan(*m.marks, view, m.page_width, m.page_height, at.width, at.height)) {
            UniqueBrush brush{CreateSolidBrush(COLORREF(f.colour & 0x00FFFFFF))};
            const RECT r{f.rect.left, f.rect.top, f.rect.right, f.rect.bottom};
            FillRect(dc, &r, brush ? brush.get() : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        }
    }
    // A pen of its own: the viewer's cached one belongs to the screen, and this
    // one goes when the page is done.
    PenCache pens;
    sketch_draw_pen(dc, *m.marks, view, m.page_width, m.page_height, 0, 0, &pens);
    sketch_pen_release(&pens);
}
}  // namespace

bool print_draw_page(HDC dc, const DisplayRaster* raster, const PrintRect& at, const PrintMarks& marks) {
    if (raster_empty(raster)) return false;
    const int old_mode = SetStretchBltMode(dc, COLORONCOLOR);
    const int lines =
        StretchDIBits(dc, at.x, at.y, at.width, at.height, 0, 0, raster_width(raster), raster_height(raster),
                      raster->bits, reinterpret_cast<const BITMAPINFO*>(raster->header), DIB_RGB_COLORS, SRCCOPY);
    if (lines > 0) draw_marks(dc, at, marks);  // GDI_ERROR is -1
    if (old_mode) SetStretchBltMode(dc, old_mode);
    return lines > 0;
}

bool print_draw_embedded(const OutputSource& s, HDC dc, const PrintRect& box) {
    if (!dc || !output_page_shown(s)) return false;
    const DisplayRaster* raster = s.raster;
    const PrintRect at =
        print_fit_rect(box, raster_width(raster), raster_height(raster), s.settings->printstretched != 0);
    PrintMarks marks;
    marks.marks = marks_find(s.marks, s.document->current_directory);
    marks.whiteouts_shown = s.annotate->annotations_shown != 0;
    marks.page_width = s.page->width;
    marks.page_height = s.page->height;
    marks.orientation = s.view->orientation;
    return print_draw_page(dc, raster, at, marks);
}
