#include "analysis/mark_border.h"

#include <cmath>
#include <cstdlib>

#include "analysis/row_runs.h"

namespace {

// The x of the second pixel of the first dark run of at least two pixels that
// begins after light, scanning [from, to] in steps of `step`; a dark run
// touching the scan start is margin dirt and skipped. A single dark pixel at
// the very end counts with its own x. 0 when there is none.
int32_t row_profile(const PixelClassifier& c, const uint8_t* row, int32_t from, int32_t to, int step) {
    int32_t p = 0;
    int count = 0;
    bool skipping = false;
    for (int32_t x = from; step > 0 ? x <= to : x >= to; x += step) {
        if (pixel_light_at(c, row, x)) {
            p = 0;
            count = 0;
            skipping = false;
        } else if (x == from) {
            skipping = true;
        } else if (!skipping) {
            p = x;
            if (++count > 1) break;
        }
    }
    return p;
}

double mean(const std::vector<int32_t>& v, size_t from, size_t count) {
    double sum = 0;
    for (size_t k = from; k < from + count; ++k) sum += v[k];
    return sum / double(count);
}

// Walks from the anchor row a in steps of `dir` and returns the first of the
// rows that leave the line (|trunc(v[a] + slope * t) - v[r]| > 5), once twenty
// have; -1 when the rows run out first. Upward the walk stops at row 1.
int64_t walk_to_end(const std::vector<int32_t>& v, int64_t a, double slope, int dir) {
    const int64_t n = int64_t(v.size());
    int deviations = 0;
    int64_t first = -1;
    for (int64_t r = a, t = 0; dir < 0 ? r >= 1 : r < n; r += dir, t += dir) {
        const double expected = std::trunc(v[size_t(a)] + slope * double(t));
        if (std::fabs(expected - v[size_t(r)]) <= 5) continue;
        if (first < 0) first = r;
        if (++deviations == 20) return first;
    }
    return -1;
}

}  // namespace

void mark_profile_smooth(std::vector<int32_t>* profile, int32_t width) {
    const std::vector<int32_t> v = *profile;
    const double limit = 0.01 * width;
    for (size_t r = 5; r + 5 < v.size(); ++r) {
        const double before = mean(v, r - 5, 5), after = mean(v, r + 1, 5);
        if (std::fabs(before - v[r]) > limit && std::fabs(after - v[r]) > limit)
            (*profile)[r] = int32_t((before + after) / 2);
    }
}

std::vector<int32_t> mark_border_profile(const DisplayRaster* raster, MarkSide side) {
    std::vector<int32_t> v;
    if (raster_empty(raster)) return v;
    PixelClassifier c;
    pixel_classifier_init(raster, &c);
    const int32_t w = raster_width(raster), h = raster_height(raster);
    v.resize(size_t(h));
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* row = raster_row(raster, y);
        v[size_t(y)] = side == MarkSide::kLeft ? row_profile(c, row, 5, w - 7, 1) : row_profile(c, row, w - 6, 6, -1);
    }
    mark_profile_smooth(&v, w);
    return v;
}

BorderLine mark_border_line(const std::vector<int32_t>& v) {
    BorderLine line;
    const int64_t n = int64_t(v.size());
    int64_t a = n / 4 + 20;
    if (a >= n) return line;
    const int64_t k = n / 6;
    const double slope = (mean(v, size_t(n / 2), size_t(k)) - mean(v, size_t(n / 3), size_t(k))) / double(k);
    // The anchor is the first row from a quarter down whose last twenty rows
    // step by no more than the tolerance; a steeper line earns more slack.
    const double tolerance = 5 - std::trunc(-20 * slope);
    if (a < 3 * n / 4) {
        for (;; ++a) {
            if (a >= 3 * n / 4) return line;
            bool steady = true;
            for (int64_t j = a - 19; j < a && steady; ++j)
                steady = std::abs(v[size_t(j + 1)] - v[size_t(j)]) <= tolerance;
            if (steady) break;
        }
    }
    const int64_t above = walk_to_end(v, a, slope, -1);
    if (above < 0) return line;
    line.has_top = true;
    line.top = {v[size_t(above + 1)], int32_t(above + 1)};
    const int64_t below = walk_to_end(v, a, slope, 1);
    if (below < 0) return line;
    line.has_bottom = true;
    line.bottom = {v[size_t(below - 1)], int32_t(below - 1)};
    return line;
}
