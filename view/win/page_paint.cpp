#include "view/win/page_paint.h"

#include "decode/raster_ops.h"

void gdi_fill(HDC dc, const RECT& r, void* background_brush) {
    const auto brush = static_cast<HBRUSH>(background_brush);
    FillRect(dc, &r, brush ? brush : static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
}

void gdi_blit(HDC dc, const DisplayRaster* r, const Rect32& source, int dest_x, int dest_y) {
    const int w = source.right - source.left, h = source.bottom - source.top;
    if (w <= 0 || h <= 0 || raster_empty(r)) return;
    // Bottom-up rows: the source's lower edge counts from the last row.
    const int y_from_bottom = raster_height(r) - source.bottom;
    SetDIBitsToDevice(dc, dest_x, dest_y, DWORD(w), DWORD(h), source.left, y_from_bottom, 0, UINT(raster_height(r)),
                      r->bits, reinterpret_cast<const BITMAPINFO*>(r->header), DIB_RGB_COLORS);
}

bool gdi_paint_page(HDC dc, ErrorLog* log, const ScaledView& view, const DisplayRaster* page, const RECT& paint,
                    int scroll_x, int scroll_y, void* background_brush) {
    const PaintImagePlan plan = paint_plan_image(view, page, gdi_rect32(paint), scroll_x, scroll_y);
    if (!plan.drawn) {
        gdi_fill(dc, paint, background_brush);
        return false;
    }
    if (plan.stretched) {
        DisplayRaster piece;
        if (paint_render_stretch(log, view, page, plan, scroll_x, scroll_y, &piece)) {
            gdi_blit(dc, &piece, Rect32{0, 0, raster_width(&piece), raster_height(&piece)}, plan.span.left,
                     plan.span.top);
            raster_destroy(&piece);
        } else {
            gdi_fill(dc, gdi_rect(plan.span), background_brush);
        }
    } else {
        gdi_blit(dc, plan.raster, plan.source, plan.dest.x, plan.dest.y);
    }
    for (int i = 0; i < plan.band_count; ++i) gdi_fill(dc, gdi_rect(plan.bands[i]), background_brush);
    return true;
}
