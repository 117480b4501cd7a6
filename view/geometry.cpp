#include "view/geometry.h"

#include <algorithm>
#include <cmath>

namespace {

int32_t at_least_1(int64_t v) { return int32_t(std::clamp<int64_t>(v, 1, 0x7FFFFFFF)); }
int32_t round_half(double v) { return int32_t(std::clamp(v + 0.5, -2147483648.0, 2147483647.0)); }
int32_t floor_clamped(double v, int32_t limit) {
    if (!(v >= 0)) return 0;  // also NaN
    return v >= double(limit) ? limit - 1 : int32_t(v);
}
// A view or page without extent has no pixels to map; every point lands on 0.
bool degenerate(const ScaledView& v, int32_t page_w, int32_t page_h) {
    return v.target_width <= 0 || v.target_height <= 0 || page_w <= 0 || page_h <= 0;
}

}  // namespace

double zoom_factor(ZoomTable table, int index) { return zoom_step_percent(table, index) / 100.0; }

FactorSize geometry_size_at_factor(const DisplayRaster* r, double factor, bool fix_ratio) {
    FactorSize out;
    if (raster_empty(r)) return out;
    int64_t w = raster_width(r), h = raster_height(r);
    const int64_t px = raster_dib(r)->x_pels_per_meter, py = raster_dib(r)->y_pels_per_meter;
    if (fix_ratio && px > 0 && py > 0 && px * 10 >= py && py * 10 >= px) {
        if (py < px) {
            h = h * px / py;
            out.corrected = true;
        } else if (px < py) {
            w = w * py / px;
            out.corrected = true;
        }
    }
    out.width = at_least_1(round_half(double(w) * factor));
    out.height = at_least_1(round_half(factor * double(h)));
    return out;
}

Size32 geometry_best_fit(int32_t avail_w, int32_t avail_h, int32_t w, int32_t h) {
    const double iw = std::max(w, 1), ih = std::max(h, 1);
    Size32 s;
    if (double(avail_w) / iw >= double(avail_h) / ih) s = {round_half(iw * avail_h / ih), avail_h};
    else
        s = {avail_w, round_half(avail_w / iw * ih)};
    s.width = std::max(std::min(s.width, avail_w), 1);
    s.height = std::max(std::min(s.height, avail_h), 1);
    return s;
}

ModeSize geometry_mode_size(int size_mode, int zoom_index, int32_t a, int32_t b, int32_t w, int32_t h,
                            int32_t vbar_width, int32_t hbar_height) {
    ModeSize m;
    switch (size_mode) {
    case kSizeFixed: {
        zoom_index = std::clamp(zoom_index, 0, kImageZoomStepCount - 1);
        const double f = zoom_factor(ZoomTable::kImage, zoom_index);
        m.size = zoom_index == zoom_index_of_100(ZoomTable::kImage) ? Size32{w, h}
                                                                    : Size32{round_half(f * w), round_half(h * f)};
        if (a < m.size.width) {
            m.h_bar = true;
            m.v_bar = b - hbar_height < m.size.height;
        } else if (b < m.size.height) {
            m.v_bar = true;
            m.h_bar = a - vbar_width < m.size.width;
        }
        break;
    }
    case kSizeFitWidth: {
        const Size32 best = geometry_best_fit(a, b, w, h);
        const int32_t narrow = a - vbar_width;
        const Size32 candidate = w < narrow ? Size32{w, h} : Size32{narrow, round_half(double(narrow) * h / w)};
        if (best.width < candidate.width) m = {candidate, false, true};
        else
            m.size = best;
        break;
    }
    case kSizeFitHeight: {
        const Size32 best = geometry_best_fit(a, b, w, h);
        const int32_t low = b - hbar_height;
        const Size32 candidate = h < low ? Size32{w, h} : Size32{round_half(double(low) * w / h), low};
        if (best.height < candidate.height) m = {candidate, true, false};
        else
            m.size = best;
        break;
    }
    default: m.size = geometry_best_fit(a, b, w, h);
    }
    m.size.width = std::max(m.size.width, 1);
    m.size.height = std::max(m.size.height, 1);
    return m;
}

Point32 geometry_page_to_view(const ScaledView& v, int32_t pw, int32_t ph, PagePoint p) {
    if (degenerate(v, pw, ph)) return {};
    const double vw = v.target_width, vh = v.target_height;
    const double u = p.x / pw, t = p.y / ph;  // fractions across the page
    double i, j;
    switch (v.orientation) {
    case 1:
        i = (1 - t) * vw;
        j = u * vh;
        break;
    case 2:
        i = (1 - u) * vw;
        j = (1 - t) * vh;
        break;
    case 3:
        i = t * vw;
        j = (1 - u) * vh;
        break;
    default: i = u * vw; j = t * vh;
    }
    return {floor_clamped(std::floor(i), v.target_width), floor_clamped(std::floor(j), v.target_height)};
}

PagePoint geometry_view_to_page(const ScaledView& v, int32_t pw, int32_t ph, Point32 q, bool clamp) {
    if (degenerate(v, pw, ph)) return {};
    const double vw = v.target_width, vh = v.target_height;
    const double i = q.x, j = q.y;
    PagePoint p;
    switch (v.orientation) {
    case 1: p = {(j + 0.5) / vh * pw, (vw - 0.5 - i) / vw * ph}; break;
    case 2: p = {(vw - 0.5 - i) / vw * pw, (vh - 0.5 - j) / vh * ph}; break;
    case 3: p = {(vh - 0.5 - j) / vh * pw, (i + 0.5) / vw * ph}; break;
    default: p = {(i + 0.5) / vw * pw, (j + 0.5) / vh * ph};
    }
    if (clamp) {
        p.x = std::max(std::min(p.x, pw - 1e-6), 0.0);
        p.y = std::max(std::min(p.y, ph - 1e-6), 0.0);
    }
    return p;
}

Point32 geometry_view_to_page_pixel(const ScaledView& v, int32_t pw, int32_t ph, Point32 q, bool clamp) {
    const PagePoint p = geometry_view_to_page(v, pw, ph, q, clamp);
    auto to_int = [](double d) { return int32_t(std::clamp(std::floor(d), -2147483648.0, 2147483647.0)); };
    return {to_int(p.x), to_int(p.y)};
}

Rect32 geometry_normalise_rect(Point32 a, Point32 b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

Rect32 geometry_page_rect_to_view(const ScaledView& v, int32_t pw, int32_t ph, Rect32 r) {
    const Point32 a = geometry_page_to_view(v, pw, ph, {r.left + 1e-6, r.top + 1e-6});
    const Point32 b = geometry_page_to_view(v, pw, ph, {r.right + 0.999999, r.bottom + 0.999999});
    return geometry_normalise_rect(a, b);
}

Rect32 geometry_page_corners_to_view(const ScaledView& v, int32_t pw, int32_t ph, Point32 a, Point32 b) {
    return geometry_page_rect_to_view(v, pw, ph, geometry_normalise_rect(a, b));
}

Point32 geometry_window_to_page_pixel(const ViewLayout& l, int32_t pw, int32_t ph, Point32 p, bool clamp) {
    return geometry_view_to_page_pixel(l.main_view, pw, ph, geometry_window_to_view(l, p), clamp);
}

Point32 geometry_page_to_window(const ViewLayout& l, int32_t pw, int32_t ph, PagePoint p) {
    return geometry_view_to_window(l, geometry_page_to_view(l.main_view, pw, ph, p));
}

PluginAreaLayout geometry_plugin_area(int32_t cw, int32_t ch, int position, int32_t toolbar_height) {
    PluginAreaLayout l;
    cw = std::max(cw, 0);
    ch = std::max(ch, 0);
    const int32_t t = std::clamp(toolbar_height, 0, ch);
    l.image = {0, 0, cw, ch};
    if (position == kToolbarTop) {
        l.toolbar_shown = true;
        l.toolbar = {0, 0, cw, t};
        l.image.top = t;
    } else if (position == kToolbarBottom) {
        l.toolbar_shown = true;
        l.toolbar = {0, ch - t, cw, ch};
        l.image.bottom = ch - t;
    }
    l.status.width = cw;
    l.progress.width = cw;
    return l;
}
