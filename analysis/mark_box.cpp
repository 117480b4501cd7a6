// On a 1-bit raster the box is a series of bit windows over the pixel area,
// one per row, each a stored row's length of bits further back in memory than
// the one above it. Scripts pass any box, so a window may be far wider than
// the whole area: rows whose window covers the area are counted in bulk and
// only the partly covered rows (at most about twice the raster height) are
// counted bit by bit.
#include "analysis/mark_box.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "analysis/row_runs.h"

namespace {

// Set bits of bits[from, to), most significant bit first.
int64_t count_bits(const uint8_t* bits, int64_t from, int64_t to) {
    int64_t n = 0;
    while (from < to && (from & 7)) {
        n += (bits[from >> 3] >> (7 - (from & 7))) & 1;
        ++from;
    }
    if (from >= to) return n;
    int64_t byte = from >> 3;
    for (; byte * 8 + 64 <= to; byte += 8) {
        uint64_t w;
        memcpy(&w, bits + byte, 8);
        n += __builtin_popcountll(w);
    }
    for (; byte * 8 + 8 <= to; ++byte) n += __builtin_popcount(bits[byte]);
    for (int64_t b = byte * 8; b < to; ++b) n += (bits[b >> 3] >> (7 - (b & 7))) & 1;
    return n;
}

class BitCounter {
public:
    explicit BitCounter(const DisplayRaster* r)
        : bits_(r->bits), row_bits_(int64_t(r->stride) * 8), total_(row_bits_ * raster_height(r)) {}

    int64_t total_bits() const { return total_; }

    // Light bits in [from, to) of the area, 0 <= from <= to <= total.
    int64_t count(int64_t from, int64_t to) {
        if (to - from <= row_bits_) return count_bits(bits_, from, to);
        return prefix(to) - prefix(from);
    }

private:
    // Light bits before position p, from whole stored rows plus part of one;
    // the row totals are added up the first time a wide window needs them.
    int64_t prefix(int64_t p) {
        if (rows_.empty()) {
            const int64_t n = total_ / row_bits_;
            rows_.assign(size_t(n) + 1, 0);
            for (int64_t q = 0; q < n; ++q)
                rows_[size_t(q) + 1] = rows_[size_t(q)] + count_bits(bits_, q * row_bits_, (q + 1) * row_bits_);
        }
        const int64_t q = p / row_bits_;
        return rows_[size_t(q)] + count_bits(bits_, q * row_bits_, p);
    }

    const uint8_t* bits_;
    int64_t row_bits_, total_;
    std::vector<int64_t> rows_;
};

int64_t light_1bit(const DisplayRaster* r, int64_t x0, int64_t y0, int64_t columns, int64_t rows) {
    BitCounter counter(r);
    const int64_t h = raster_height(r), row_bits = int64_t(r->stride) * 8, total = counter.total_bits();
    int64_t light = 0, all_light = -1;
    for (int64_t y = y0; y < y0 + rows; ++y) {
        const int64_t start = (h - 1 - y) * row_bits + x0;  // falls by row_bits per row
        if (start + columns <= 0) break;                    // this and every later row lie before the area
        if (start >= total) {
            y += (start - total) / row_bits;  // to the last row still beyond the area
            continue;
        }
        if (start <= 0 && start + columns >= total) {
            // This row and the next k - 1 cover the whole area.
            const int64_t k = std::min(y0 + rows - y, (start + columns - total) / row_bits + 1);
            if (all_light < 0) all_light = counter.count(0, total);
            light += k * all_light;
            y += k - 1;
            continue;
        }
        light += counter.count(std::max<int64_t>(start, 0), std::min(start + columns, total));
    }
    return light;
}

}  // namespace

int64_t mark_box_light(const DisplayRaster* raster, int64_t x0, int64_t y0, int64_t columns, int64_t rows) {
    if (raster_empty(raster) || raster->stride <= 0 || columns <= 0 || rows <= 0) return 0;
    PixelClassifier c;
    pixel_classifier_init(raster, &c);
    if (c.bits_per_pixel == 1) return light_1bit(raster, x0, y0, columns, rows);
    if (c.bits_per_pixel != 8 && c.bits_per_pixel != 24) return 0;  // such pixels are all dark
    const int64_t xa = std::max<int64_t>(x0, 0), xb = std::min<int64_t>(x0 + columns, raster_width(raster));
    const int64_t ya = std::max<int64_t>(y0, 0), yb = std::min<int64_t>(y0 + rows, raster_height(raster));
    int64_t light = 0;
    for (int64_t y = ya; y < yb; ++y) {
        const uint8_t* row = raster_row(raster, int32_t(y));
        for (int64_t x = xa; x < xb; ++x) light += pixel_light_at(c, row, int32_t(x));
    }
    return light;
}
