#include "analysis/mark_grid.h"

#include <algorithm>
#include <cmath>

#include "analysis/mark_box.h"

namespace {

// Truncation toward zero that stays defined for values no int32 can hold.
int32_t trunc_int(double v) {
    if (!(v == v)) return 0;
    return int32_t(std::clamp(v, -2147483648.0, 2147483647.0));
}

double distance(MarkPoint a, MarkPoint b) { return std::hypot(double(b.x - a.x), double(b.row - a.row)); }

// A form scanned askew: take the frame from the four ends. Only the shorter
// horizontal edge is trusted for the width (a border line cut short by a speck
// makes one edge slant), and it is widened to what the height predicts.
bool align_rotated(MarkGrid* g, const BorderLine& l, const BorderLine& r, int32_t xres, int32_t yres) {
    const MarkPoint lt = l.top, lb = l.bottom, rt = r.top, rb = r.bottom;
    const double left_length = distance(lt, lb), right_length = distance(rt, rb);
    // A line with no length has no direction to take the angle from.
    if (lb.row <= lt.row || rb.row <= rt.row) return false;
    g->frame_width = std::min(trunc_int(distance(lt, rt)), trunc_int(distance(lb, rb)));
    g->frame_height = trunc_int(std::max(left_length, right_length));
    // Without resolutions (or form size) there is no expected width to
    // compare with, and the frame width stands as measured.
    if (xres > 0 && yres > 0 && g->form_width > 0 && g->form_height > 0) {
        const double expected =
            trunc_int((double(g->form_width) / xres) * g->frame_height / (double(g->form_height) / yres));
        if (g->frame_width < 0.99 * expected) g->frame_width = int32_t(expected);
    }
    double dxl = lb.x - lt.x, dyl = lb.row - lt.row, dxr = rb.x - rt.x, dyr = rb.row - rt.row;
    if (xres > 0 && yres > 0) {
        dxl /= xres, dxr /= xres;
        dyl /= yres, dyr /= yres;
    }
    g->angle = -0.5 * (std::atan(dxr / dyr) + std::atan(dxl / dyl));
    if (left_length < right_length) {
        // The right line is the longer, better measured one: step back from
        // its top along the top edge.
        g->origin_x = rt.x - trunc_int(g->frame_width * std::cos(g->angle));
        g->origin_y = rt.row - trunc_int(g->frame_width * std::sin(g->angle));
    } else {
        g->origin_x = lt.x;
        g->origin_y = lt.row;
    }
    return true;
}

}  // namespace

void mark_grid_align(MarkGrid* g, const BorderLine& l, const BorderLine& r, int32_t xres, int32_t yres) {
    g->angle = 0;
    g->origin_x = g->origin_y = 0;
    g->frame_width = g->frame_height = 0;
    g->measured = 1;
    if (l.top.x == l.bottom.x && r.top.x == r.bottom.x && l.top.row == r.top.row && l.bottom.row == r.bottom.row) {
        g->origin_x = l.top.x;
        g->origin_y = l.top.row;
        g->frame_width = r.top.x - l.top.x;
        g->frame_height = r.bottom.row - l.top.row;
    } else if (!(l.has_top && l.has_bottom && r.has_top && r.has_bottom) || !align_rotated(g, l, r, xres, yres)) {
        g->frame_width = g->frame_height = 0;
    }
    // A form size of 0 would make every box infinitely large: leave the scale
    // at 0 instead, so boxes have no pixels.
    g->x_scale = g->form_width > 0 ? double(g->frame_width) / g->form_width : 0;
    g->y_scale = g->form_height > 0 ? double(g->frame_height) / g->form_height : 0;
}

double mark_grid_check(const MarkGrid& g, const DisplayRaster* raster, int32_t x, int32_t y, int32_t width,
                       int32_t height) {
    if (raster_empty(raster)) return 0;
    const int64_t rows = trunc_int(height * g.y_scale), columns = trunc_int(width * g.x_scale);
    if (rows <= 0 || columns <= 0) return 0;
    const double theta = -g.angle, cos_t = std::cos(theta), sin_t = std::sin(theta);
    const int64_t y0 = trunc_int(g.y_scale * (y * cos_t - x * sin_t) + g.origin_y - g.y_scale * g.reference_y);
    const int64_t x0 = trunc_int(g.origin_x - g.x_scale * g.reference_x + g.x_scale * (x * cos_t + y * sin_t));
    const int64_t light = mark_box_light(raster, x0, y0, columns, rows);
    return 1.0 - double(light) / (double(rows) * double(columns));
}
