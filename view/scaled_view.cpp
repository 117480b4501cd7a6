#include "view/scaled_view.h"

#include <algorithm>

#include "config/zoom_steps.h"
#include "decode/raster_ops.h"
#include "view/geometry.h"
#include "view/scale_filters.h"

ScaleFilter scale_choose_filter(const DisplayRaster* src, int32_t w, int32_t h, bool smooth) {
    const int32_t sw = raster_width(src), sh = raster_height(src);
    if (raster_empty(src) || !smooth || (w == sw && h == sh)) return ScaleFilter::kPlainStretch;
    const int bpp = raster_bpp(src);
    if (bpp == 1) {
        if (w >= sw && h >= sh) return ScaleFilter::kPlainStretch;
        if (w <= sw && h <= sh) return ScaleFilter::kBilevelCoverage;
        return w > sw ? ScaleFilter::kBilevelWiderFirst : ScaleFilter::kBilevelTallerFirst;
    }
    // The smaller factor below 0.005, in integers: 200 w < sw or 200 h < sh.
    if (w > sw || h > sh || w <= 2 || h <= 2 || 200 * int64_t(w) < sw || 200 * int64_t(h) < sh)
        return ScaleFilter::kPlainStretch;
    // The mean factor a = (sx + sy) / 2 against 0.09, kept in integers: a <= 0.09
    // exactly when 50 (w sh + h sw) <= 9 sw sh.
    const bool strong = 50 * (int64_t(w) * sh + int64_t(h) * sw) <= 9 * int64_t(sw) * sh;
    if (bpp == 24 || (bpp == 8 && src->is_grey)) return strong ? ScaleFilter::kBoxAverage : ScaleFilter::kExactArea;
    if (bpp == 4 || bpp == 8) return ScaleFilter::kPaletteBoxAverage;
    return ScaleFilter::kPlainStretch;
}

bool scale_copy(ErrorLog* log, const DisplayRaster* src, DisplayRaster* dst, int32_t w, int32_t h, bool smooth,
                uint32_t memory_limit_mb) {
    w = std::max(w, 1);
    h = std::max(h, 1);
    const int32_t sw = raster_width(src), sh = raster_height(src);
    switch (scale_choose_filter(src, w, h, smooth)) {
    case ScaleFilter::kBilevelCoverage: return scale_bilevel_coverage(log, src, dst, w, h, memory_limit_mb);
    case ScaleFilter::kBilevelWiderFirst:
    case ScaleFilter::kBilevelTallerFirst: {
        // Coverage only reduces: the enlarged axis is first stretched well past
        // the target, then both axes are reduced together.
        const bool wider = w > sw;
        DisplayRaster middle;
        if (!scale_plain_stretch(log, src, &middle, wider ? std::max(2 * sw, w) : sw, wider ? sh : std::max(2 * sh, h),
                                 memory_limit_mb))
            return false;
        const bool ok = scale_bilevel_coverage(log, &middle, dst, w, h, memory_limit_mb);
        raster_destroy(&middle);
        return ok;
    }
    case ScaleFilter::kBoxAverage: return scale_box_average(log, src, dst, w, h, memory_limit_mb);
    case ScaleFilter::kExactArea: return scale_exact_area(log, src, dst, w, h, memory_limit_mb);
    case ScaleFilter::kPaletteBoxAverage: return scale_palette_box_average(log, src, dst, w, h, memory_limit_mb);
    case ScaleFilter::kPlainStretch: break;
    }
    return scale_plain_stretch(log, src, dst, w, h, memory_limit_mb);
}

void scaled_view_drop(ScaledView* v) {
    raster_destroy(&v->scaled_raster);
    v->draw_method = kDrawPage;
}

bool scaled_view_build(const ViewContext& c, ScaledView* v) {
    v->draw_method = kDrawPage;
    v->orientation = c.view->orientation;
    if (!view_has_page(c)) return true;
    raster_destroy(&v->scaled_raster);
    const DisplayRaster* page = c.page_raster;
    bool enlarge_while_painting;
    if (v->kind == kViewZoom) {
        const int index = std::clamp(c.view->zoom_window_index, 0, kMagnifierZoomStepCount - 1);
        const double factor = zoom_factor(ZoomTable::kMagnifier, index);
        const FactorSize s = geometry_size_at_factor(page, factor, c.layout->fix_ratio != 0);
        v->target_width = s.width;
        v->target_height = s.height;
        v->ratio_corrected = s.corrected;
        enlarge_while_painting = factor > 1.001;
    } else {
        if (v->kind == kViewMain) {
            v->target_width = c.layout->view_width;
            v->target_height = c.layout->view_height;
        }
        enlarge_while_painting = v->kind == kViewMain && c.view->size_mode == kSizeFixed &&
                                 c.view->zoom_index < zoom_index_of_100(ZoomTable::kImage);
    }
    v->target_width = std::max(v->target_width, 1);
    v->target_height = std::max(v->target_height, 1);
    if (v->target_width == raster_width(page) && v->target_height == raster_height(page)) return true;
    if (enlarge_while_painting) {
        v->draw_method = kDrawStretched;
        return true;
    }
    v->draw_method = kDrawScaled;
    const bool smooth = c.view->smooth != 0 || v->kind == kViewZoom;
    const bool ok =
        scale_copy(c.log, page, &v->scaled_raster, v->target_width, v->target_height, smooth, c.memory_limit_mb);
    v->target_width = raster_width(&v->scaled_raster);
    v->target_height = raster_height(&v->scaled_raster);
    return ok;
}
