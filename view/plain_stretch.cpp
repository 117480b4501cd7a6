// Nearest-pixel stretch: destination pixel (i, j) shows the source pixel that
// holds its centre. One rule for every depth, for whole copies and for the
// part of an enlargement painted at a time, so no seam shows where two paints
// meet and the command-line renderer matches the window pixel for pixel.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "decode/raster_ops.h"
#include "view/row_reduction_parts.h"
#include "view/scale_filters.h"

namespace {

void stretch_row(const uint8_t* in, int bpp, const std::vector<int32_t>& cols, uint8_t* out) {
    const size_t w = cols.size();
    switch (bpp) {
    case 1:
        for (size_t j = 0; j < w; j += 8) {
            uint8_t byte = 0;
            for (size_t k = 0; k < 8 && j + k < w; ++k) {
                const int32_t x = cols[j + k];
                byte |= uint8_t(((in[x >> 3] >> (7 - (x & 7))) & 1) << (7 - k));
            }
            out[j >> 3] = byte;
        }
        break;
    case 4:
        for (size_t j = 0; j < w; j += 2) {
            auto nibble = [&](int32_t x) { return x & 1 ? in[x >> 1] & 0xF : in[x >> 1] >> 4; };
            uint8_t byte = uint8_t(nibble(cols[j]) << 4);
            if (j + 1 < w) byte |= uint8_t(nibble(cols[j + 1]));
            out[j >> 1] = byte;
        }
        break;
    case 8:
        for (size_t j = 0; j < w; ++j) out[j] = in[cols[j]];
        break;
    default:
        for (size_t j = 0; j < w; ++j) memcpy(out + 3 * j, in + 3 * int64_t(cols[j]), 3);
    }
}

}  // namespace

bool scale_stretch_region(ErrorLog* log, const DisplayRaster* src, DisplayRaster* dst, int32_t w, int32_t h,
                          Rect32 region, uint32_t memory_limit_mb) {
    if (raster_empty(src) || w < 1 || h < 1) return false;
    region.left = std::max(region.left, 0);
    region.top = std::max(region.top, 0);
    region.right = std::min(region.right, w);
    region.bottom = std::min(region.bottom, h);
    const int32_t out_w = region.right - region.left, out_h = region.bottom - region.top;
    if (out_w < 1 || out_h < 1) return false;
    const int bpp = raster_bpp(src);
    const int32_t src_w = raster_width(src), src_h = raster_height(src);
    if (!raster_create(log, dst, out_w, out_h, bpp, true, memory_limit_mb)) return false;
    raster_copy_colour_table(src, dst);
    dst->is_grey = src->is_grey;
    dst->is_four_level = src->is_four_level;
    raster_dib(dst)->x_pels_per_meter = raster_dib(src)->x_pels_per_meter;
    raster_dib(dst)->y_pels_per_meter = raster_dib(src)->y_pels_per_meter;
    std::vector<int32_t> cols(static_cast<size_t>(out_w));
    for (int32_t j = 0; j < out_w; ++j) cols[size_t(j)] = scale_nearest_index(region.left + j, src_w, w);
    // Picture rows are mapped top-down; stored rows run the other way.
    int32_t previous = -1;
    for (int32_t y = 0; y < out_h; ++y) {
        const int32_t sy = scale_nearest_index(region.top + y, src_h, h);
        uint8_t* out = raster_row(dst, y);
        if (sy == previous) memcpy(out, raster_row(dst, y - 1), size_t(dst->stride));
        else
            stretch_row(raster_row(src, sy), bpp, cols, out);
        previous = sy;
    }
    return true;
}

bool scale_plain_stretch(ErrorLog* log, const DisplayRaster* src, DisplayRaster* dst, int32_t w, int32_t h,
                         uint32_t memory_limit_mb) {
    return scale_stretch_region(log, src, dst, w, h, Rect32{0, 0, w, h}, memory_limit_mb);
}

namespace {

class PlainStretchRows : public RowReduction {
public:
    bool start(ErrorLog* log, const DisplayRaster* page, int32_t w, int32_t h, RowSink* sink) {
        sink_ = sink;
        bpp_ = raster_bpp(page);
        src_h_ = raster_height(page);
        h_ = h;
        cols_.resize(size_t(w));
        for (int32_t j = 0; j < w; ++j) cols_[size_t(j)] = scale_nearest_index(j, raster_width(page), w);
        DisplayRaster shape;
        if (!row_shape_create(log, &shape, w, h, bpp_)) return false;
        raster_copy_colour_table(page, &shape);
        shape.is_grey = page->is_grey;
        shape.is_four_level = page->is_four_level;
        raster_dib(&shape)->x_pels_per_meter = raster_dib(page)->x_pels_per_meter;
        raster_dib(&shape)->y_pels_per_meter = raster_dib(page)->y_pels_per_meter;
        out_.assign(size_t(shape.stride), 0);
        const bool ok = sink_->begin(shape);
        raster_destroy(&shape);
        return ok;
    }
    bool push(const uint8_t* row) override {
        const int32_t y = next_in_++;
        while (next_out_ < h_ && scale_nearest_index(next_out_, src_h_, h_) == y) {
            stretch_row(row, bpp_, cols_, out_.data());
            if (!sink_->write_row(out_.data())) return false;
            ++next_out_;
        }
        return next_in_ < src_h_ || sink_->finish();
    }

private:
    RowSink* sink_ = nullptr;
    int bpp_ = 0;
    int32_t src_h_ = 0, h_ = 0, next_in_ = 0, next_out_ = 0;
    std::vector<int32_t> cols_;
    std::vector<uint8_t> out_;
};

}  // namespace

std::unique_ptr<RowReduction> plain_stretch_rows(ErrorLog* log, const DisplayRaster* page, int32_t w, int32_t h,
                                                 RowSink* sink) {
    auto r = std::make_unique<PlainStretchRows>();
    if (!r->start(log, page, w, h, sink)) return nullptr;
    return r;
}
