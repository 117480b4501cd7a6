#pragma once
// The reduction filters and the plain stretch that make a display-sized copy of
// the page raster. Each creates `dst` (empty on entry) at width w, height h; on
// failure `dst` stays empty and the allocation failure is in `log`.
//
// Rows are stored rows throughout: source and destination are both bottom-up,
// so stored row i of the destination is made from stored rows of the source,
// and nothing here needs to know which way up the picture is.
#include <cstdint>
#include <vector>

#include "config/settings.h"
#include "decode/raster.h"

struct ErrorLog;

// Where each destination pixel's box starts in the source. The box side is
// round(1 / m) for the smaller scale factor m, and at least 2.
struct BoxTables {
    int32_t n = 2;                    // the box side
    int32_t nx = 2, ny = 2;           // the side actually summed: n, but never more than the source
    std::vector<int32_t> rows, cols;  // first source stored row / column per destination row / column
};
int32_t scale_box_size(int32_t src_w, int32_t src_h, int32_t w, int32_t h);
void scale_box_tables(int32_t src_w, int32_t src_h, int32_t w, int32_t h, BoxTables* out);

// Reductions; w <= source width and h <= source height.
// 8-bit grey or 24-bit: the plain mean of each box, per byte channel.
[[nodiscard]] bool scale_box_average(ErrorLog* log, const DisplayRaster* src, DisplayRaster* dst, int32_t w, int32_t h,
                                     uint32_t memory_limit_mb);
// 4- or 8-bit palette: the mean colour of each box, to 8-bit grey when the
// source is grey (or four-level), else to 24 bits.
[[nodiscard]] bool scale_palette_box_average(ErrorLog* log, const DisplayRaster* src, DisplayRaster* dst, int32_t w,
                                             int32_t h, uint32_t memory_limit_mb);
// 8-bit grey or 24-bit: the mean over exactly the covered area, in sixteenths
// of a source pixel; needs w, h > 2 and at least 3 source pixels each way.
[[nodiscard]] bool scale_exact_area(ErrorLog* log, const DisplayRaster* src, DisplayRaster* dst, int32_t w, int32_t h,
                                    uint32_t memory_limit_mb);
// 1-bit to 8-bit: each destination pixel's level is the share of set bits it
// covers, in fixed point of 4096 per source pixel.
[[nodiscard]] bool scale_bilevel_coverage(ErrorLog* log, const DisplayRaster* src, DisplayRaster* dst, int32_t w,
                                          int32_t h, uint32_t memory_limit_mb);
// Any depth to the same depth and colour table, nearest pixel (also enlarges).
[[nodiscard]] bool scale_plain_stretch(ErrorLog* log, const DisplayRaster* src, DisplayRaster* dst, int32_t w,
                                       int32_t h, uint32_t memory_limit_mb);
// The part `region` (picture coordinates, right and bottom exclusive, cut to
// w x h) of the plain stretch of src to w x h: an enlargement painted piece by
// piece gives the same pixels as the whole stretch.
[[nodiscard]] bool scale_stretch_region(ErrorLog* log, const DisplayRaster* src, DisplayRaster* dst, int32_t w,
                                        int32_t h, Rect32 region, uint32_t memory_limit_mb);

// The source index under destination index i when `src_len` pixels are spread
// over `dst_len`: the source pixel holding the destination pixel's centre.
inline int32_t scale_nearest_index(int64_t i, int64_t src_len, int64_t dst_len) {
    return int32_t(((2 * i + 1) * src_len) / (2 * dst_len));
}

// Exact floor(x / d) for a fixed d, without a hardware division per pixel.
struct Divider {
    uint64_t d = 1;
    double inverse = 1;
    explicit Divider(uint64_t divisor) : d(divisor ? divisor : 1), inverse(1.0 / double(d)) {}
    uint64_t operator()(uint64_t x) const {  // x below 2^52
        uint64_t q = uint64_t(double(x) * inverse);
        while (q * d > x) --q;
        while ((q + 1) * d <= x) ++q;
        return q;
    }
};
