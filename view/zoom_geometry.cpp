#include "view/zoom_geometry.h"

#include <algorithm>
#include <cstdlib>

#include "config/zoom_steps.h"

namespace {
// The band along each edge that maps to the page's ends.
constexpr int32_t kEdgeBand = 32;

int32_t truncated(double v, int32_t lo, int32_t hi) {
    if (!(v == v)) return lo;  // NaN
    return int32_t(std::clamp(v, double(lo), double(hi)));
}
}  // namespace

ZoomSizeStyle zoom_size_style(int zoomsize, bool zoomrect_given) {
    ZoomSizeStyle s;
    s.choice = zoomsize == kZoomSizeCustom && !zoomrect_given ? kZoomSizeWorkArea : zoomsize;
    switch (s.choice) {
    case kZoomSizeStrip: s.margin = 0; break;
    case kZoomSizeWorkAreaFull: s.margin = 0; break;
    case kZoomSizeMonitor:
        s.whole_monitor = s.topmost = true;
        s.margin = 0;
        break;
    case kZoomSizeFullScreen:
        s.whole_monitor = s.topmost = true;
        s.framed = false;
        s.margin = 0;
        break;
    case kZoomSizeCustom: s.margin = 0; break;
    default: break;  // kZoomSizeWorkArea and anything unknown: the work area less 5 pixels each side
    }
    return s;
}

Rect32 zoom_window_rect(const ZoomSizeStyle& style, const Rect32& area) {
    int64_t left, top, width, height;
    if (style.choice == kZoomSizeStrip) {
        left = int64_t(area.left) + 30;
        top = int64_t(area.top) + 5;
        width = int64_t(area.right) - area.left - 60;
        height = 2 * int64_t(area.bottom) / 3;
    } else {
        const int64_t d = style.margin;
        left = area.left + d;
        top = area.top + d;
        width = int64_t(area.right) - area.left - 2 * d;
        height = int64_t(area.bottom) - area.top - 2 * d;
    }
    // A rectangle turned inside out (a custom one, say) still makes a window
    // the user can click away.
    width = std::clamp<int64_t>(width, 1, 0x3FFFFFFF);
    height = std::clamp<int64_t>(height, 1, 0x3FFFFFFF);
    left = std::clamp<int64_t>(left, -0x3FFFFFFF, 0x3FFFFFFF);
    top = std::clamp<int64_t>(top, -0x3FFFFFFF, 0x3FFFFFFF);
    return Rect32{int32_t(left), int32_t(top), int32_t(left + width), int32_t(top + height)};
}

ZoomMonitorPick zoom_monitor_pick(int zoommon, Point32 zoomloc, Point32 click_screen, bool centred) {
    ZoomMonitorPick p;
    if (zoommon == 2) {
        p.query = ZoomMonitorQuery::kAtPoint;
        p.point = zoomloc;
    } else if (zoommon == 0) {
        p.query = centred ? ZoomMonitorQuery::kNearestToPlugin : ZoomMonitorQuery::kAtPoint;
        p.point = click_screen;
    }
    return p;
}

Rect32 zoom_placement_area(bool whole_monitor, const MonitorArea& found, const Rect32& desktop,
                           const Rect32& primary_work) {
    if (found.found) return whole_monitor ? found.monitor : found.work;
    return whole_monitor ? desktop : primary_work;
}

int32_t zoom_page_point(int32_t click, int32_t scroll, int32_t main_size, int32_t zoom_size) {
    if (main_size <= 0) return 0;
    const double fraction = (double(click) + scroll) / main_size;
    return truncated(double(zoom_size) * fraction, 0, std::max(zoom_size - 1, 0));
}

int32_t zoom_cursor_axis(int32_t u, int32_t a, int32_t v) {
    if (a <= 0) return 0;
    int64_t c;
    if (u <= a) {
        c = int64_t(v) + (int64_t(a) - u) / 2;
    } else if (a > 2 * kEdgeBand) {
        // Solves c + (c - 32) / (a - 64) x (u - a) = v for c.
        c = (32 * int64_t(u) - 32 * int64_t(a) - 64 * int64_t(v) + int64_t(a) * v) / (int64_t(u) - 64);
    } else {
        // A client too small for the edge bands follows proportionally.
        c = a > 1 ? int64_t(v) * (a - 1) / (int64_t(u) - 1) : 0;
    }
    return int32_t(std::clamp<int64_t>(c, 0, a - 1));
}

int32_t zoom_follow_axis(int32_t c, int32_t a, int32_t u) {
    const int32_t most = std::max<int32_t>(0, u - a);
    if (most == 0) return 0;
    double s;
    if (a > 2 * kEdgeBand) s = (double(c) - kEdgeBand) / (double(a) - 2 * kEdgeBand) * most;
    // Without room for the bands (a tiny custom window) the whole client
    // spans the page; the band formula would divide by zero or turn round.
    else
        s = a > 1 ? double(c) / (double(a) - 1) * most : 0;
    return truncated(s, 0, most);
}

int32_t zoom_paint_origin(int32_t a, int32_t u, int32_t scroll) { return a < u ? -scroll : (a - u) / 2; }

int zoom_clamp_index(int index) { return std::clamp(index, 0, kMagnifierZoomStepCount - 1); }

int zoom_wheel_index(int* accumulator, int delta, int wheel_direction, int index) {
    *accumulator += wheel_direction == 1 ? -delta : delta;
    while (*accumulator < -60) {
        *accumulator += 120;
        --index;
    }
    while (*accumulator >= 60) {
        *accumulator -= 120;
        ++index;
    }
    return zoom_clamp_index(index);
}

bool zoom_view_current(const ViewContext& c, const ScaledView& z) {
    if (!view_has_page(c)) return true;  // nothing to build from
    if (z.orientation != c.view->orientation) return false;
    const double factor = zoom_factor(ZoomTable::kMagnifier, zoom_clamp_index(c.view->zoom_window_index));
    const FactorSize want = geometry_size_at_factor(c.page_raster, factor, c.layout->fix_ratio != 0);
    const bool same_size = want.width == raster_width(c.page_raster) && want.height == raster_height(c.page_raster);
    if (same_size) return z.draw_method == kDrawPage && z.target_width == want.width && z.target_height == want.height;
    if (factor > 1.001)
        return z.draw_method == kDrawStretched && z.target_width == want.width && z.target_height == want.height;
    if (z.draw_method != kDrawScaled) return false;
    if (raster_empty(&z.scaled_raster)) return z.target_width == 0 && z.target_height == 0;  // a failed build
    return raster_width(&z.scaled_raster) == want.width && raster_height(&z.scaled_raster) == want.height;
}
