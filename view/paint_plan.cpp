#include "view/paint_plan.h"

#include <algorithm>
#include <cstring>

#include "decode/raster_ops.h"
#include "view/scale_filters.h"

namespace {

int32_t trunc_eps(double v) { return int32_t(std::clamp(v + 1e-7, -2147483648.0, 2147483647.0)); }

void add_band(PaintImagePlan* p, int32_t l, int32_t t, int32_t r, int32_t b) {
    if (l < r && t < b) p->bands[p->band_count++] = Rect32{l, t, r, b};
}

// The paint rectangle minus the span: above, left, right, below.
void background_bands(PaintImagePlan* p, Rect32 paint) {
    const Rect32 s = p->span;
    const int32_t top = std::clamp(s.top, paint.top, paint.bottom);
    const int32_t bottom = std::clamp(s.bottom, top, paint.bottom);
    add_band(p, paint.left, paint.top, paint.right, top);
    add_band(p, paint.left, top, std::min(s.left, paint.right), bottom);
    add_band(p, std::max(s.right, paint.left), top, paint.right, bottom);
    add_band(p, paint.left, bottom, paint.right, paint.bottom);
}

// Enlarged while painting: only the source pixels under the paint rectangle
// are stretched, snapped outwards to whole source pixels.
void plan_stretch(PaintImagePlan* p, const ScaledView& v, int32_t w, int32_t h, Rect32 paint, int32_t sx, int32_t sy) {
    const double fx = double(v.target_width) / w, fy = double(v.target_height) / h;
    const int32_t x0 = std::clamp(trunc_eps((paint.left + sx) / fx), 0, w);
    const int32_t x1 = std::clamp(trunc_eps((paint.right + sx) / fx) + 1, 0, w);
    const int32_t y0 = std::clamp(trunc_eps((paint.top + sy) / fy), 0, h);
    const int32_t y1 = std::clamp(trunc_eps((paint.bottom + sy) / fy) + 1, 0, h);
    p->stretched = true;
    p->source = {x0, y0, x1, y1};
    p->span = {trunc_eps(fx * x0) - sx, trunc_eps(fy * y0) - sy, trunc_eps(fx * x1) - sx, trunc_eps(fy * y1) - sy};
    if (x1 <= x0 || y1 <= y0) p->span = {0, 0, 0, 0};
    p->dest = {p->span.left, p->span.top};
}

}  // namespace

PaintImagePlan paint_plan_image(const ScaledView& v, const DisplayRaster* page, Rect32 paint, int32_t sx, int32_t sy) {
    PaintImagePlan p;
    const DisplayRaster* raster = v.draw_method == kDrawScaled ? &v.scaled_raster : page;
    if (raster_empty(raster) || raster_empty(page)) return p;
    p.drawn = true;
    p.raster = raster;
    const int32_t w = raster_width(raster), h = raster_height(raster);
    if (v.draw_method == kDrawStretched && v.target_width > 0 && v.target_height > 0) {
        plan_stretch(&p, v, w, h, paint, sx, sy);
    } else {
        p.span = {-sx, -sy, w - sx, h - sy};
        // Only the part under the paint rectangle needs copying.
        p.source = {std::clamp(paint.left + sx, 0, w), std::clamp(paint.top + sy, 0, h),
                    std::clamp(paint.right + sx, 0, w), std::clamp(paint.bottom + sy, 0, h)};
        p.dest = {p.source.left - sx, p.source.top - sy};
    }
    background_bands(&p, paint);
    return p;
}

bool paint_render_stretch(ErrorLog* log, const ScaledView& v, const DisplayRaster* page, const PaintImagePlan& plan,
                          int32_t sx, int32_t sy, DisplayRaster* out) {
    if (!plan.stretched || raster_empty(page)) return false;
    const Rect32 view_span{plan.span.left + sx, plan.span.top + sy, plan.span.right + sx, plan.span.bottom + sy};
    return scale_stretch_region(log, page, out, v.target_width, v.target_height, view_span, 0);
}

PaintWindowPlan paint_plan_window(bool page_loaded, bool logs_have_entries, Rect32 client) {
    PaintWindowPlan p;
    p.paint_page = page_loaded;
    p.show_logs = !page_loaded && logs_have_entries;
    p.log_area = {client.left + kLogLeftMargin, client.top + kLogTopMargin, client.right, client.bottom};
    return p;
}

bool render_view_pixels(ErrorLog* log, const ViewContext& c, DisplayRaster* out) {
    if (!view_has_page(c)) return false;
    const ScaledView& v = c.layout->main_view;
    if (v.draw_method == kDrawStretched)
        return scale_stretch_region(log, c.page_raster, out, v.target_width, v.target_height,
                                    Rect32{0, 0, v.target_width, v.target_height}, c.memory_limit_mb);
    const DisplayRaster* src = v.draw_method == kDrawScaled ? &v.scaled_raster : c.page_raster;
    if (raster_empty(src)) return false;
    // A 1:1 copy: block, grey flags and all.
    if (!raster_create(log, out, raster_width(src), raster_height(src), raster_bpp(src), false, c.memory_limit_mb))
        return false;
    memcpy(out->header, src->header, size_t(src->block_size));
    out->is_grey = src->is_grey;
    out->is_four_level = src->is_four_level;
    return true;
}
