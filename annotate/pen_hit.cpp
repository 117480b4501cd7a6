#include "annotate/pen_hit.h"

#include <algorithm>
#include <cmath>

namespace {
double cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

double distance(PenPoint a, PenPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

bool same(PenPoint a, PenPoint b) { return a.x == b.x && a.y == b.y; }
}  // namespace

double pen_point_segment_distance(PenPoint x, PenPoint a, PenPoint b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    if (length2 < kPointLengthSquared) return distance(x, a);
    const double t = ((x.x - a.x) * dx + (x.y - a.y) * dy) / length2;
    if (t >= 0 && t <= 1) return std::fabs(cross(dx, dy, a.x - x.x, a.y - x.y)) / std::sqrt(length2);
    return std::min(distance(x, a), distance(x, b));
}

bool pen_segments_cross(PenPoint p, PenPoint q, PenPoint s, PenPoint e) {
    // Boxes that do not overlap on one axis settle it without any division.
    if (std::max(s.x, e.x) < std::min(p.x, q.x) || std::min(s.x, e.x) > std::max(p.x, q.x)) return false;
    if (std::max(s.y, e.y) < std::min(p.y, q.y) || std::min(s.y, e.y) > std::max(p.y, q.y)) return false;
    const double rx = q.x - p.x, ry = q.y - p.y;  // along the path
    const double ux = e.x - s.x, uy = e.y - s.y;  // along the segment
    const double denominator = cross(rx, ry, ux, uy);
    if (std::fabs(denominator) < kParallelCross) return false;
    const double t = cross(s.x - p.x, s.y - p.y, ux, uy) / denominator;  // where on the path
    const double u = cross(s.x - p.x, s.y - p.y, rx, ry) / denominator;  // where on the segment
    return t >= 0 && t <= 1 && u >= 0 && u <= 1;
}

double pen_segment_path_distance(PenPoint s, PenPoint e, PenPoint p, PenPoint q) {
    if (same(p, q)) return pen_point_segment_distance(p, s, e);
    if (same(s, e)) return pen_point_segment_distance(s, p, q);
    if (pen_segments_cross(p, q, s, e)) return 0;
    return std::min({pen_point_segment_distance(s, p, q), pen_point_segment_distance(e, p, q),
                     pen_point_segment_distance(p, s, e), pen_point_segment_distance(q, s, e)});
}

int pen_erase(PageMarks* m, PenPoint p, PenPoint q, double radius) {
    if (!m) return 0;
    const auto touched = [&](const PenSegment& g) {
        return pen_segment_path_distance({g.x0, g.y0}, {g.x1, g.y1}, p, q) <= radius;
    };
    const auto kept = std::remove_if(m->pen.begin(), m->pen.end(), touched);
    const int removed = int(m->pen.end() - kept);
    m->pen.erase(kept, m->pen.end());
    return removed;
}
