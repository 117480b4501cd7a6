#include "view/scale_filters.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "config/error_log.h"
#include "decode/raster_ops.h"
#include "view/row_reduction_parts.h"
#include "view/scale_math.h"

namespace {

// round(S / s) for one axis in integers: trunc(1 / m + 0.5) without a division
// that the 32-bit build's wider registers could round differently.
int64_t rounded_ratio(int64_t big, int64_t small) { return (2 * big + small) / (2 * small); }

void start_table(int32_t src, int32_t dst, int32_t side, std::vector<int32_t>* out) {
    const SingleValue r = single_of_ratio(uint64_t(src), uint64_t(dst));
    out->resize(size_t(dst));
    for (int32_t i = 0; i < dst; ++i)
        (*out)[size_t(i)] = int32_t(std::min<int64_t>(single_scaled_round(r, i), src - side));
}

// Sums of the box's rows for one destination row: channel-interleaved column
// sums over ny stored rows, `channels` bytes per pixel.
void sum_box_rows(const DisplayRaster* src, int32_t first_row, int32_t ny, int32_t bytes, uint32_t* sums) {
    memset(sums, 0, size_t(bytes) * sizeof(uint32_t));
    for (int32_t r = first_row; r < first_row + ny; ++r) {
        const uint8_t* row = src->bits + int64_t(r) * src->stride;
        for (int32_t x = 0; x < bytes; ++x) sums[x] += row[x];
    }
}

// One destination row of w pixels from the column sums of its box rows: each
// pixel the mean (f = 1 / box area) of nx neighbouring columns' sums.
void average_box_columns(const uint32_t* sums, const BoxTables& t, int channels, SingleValue f, uint8_t* out,
                         int32_t w) {
    for (int32_t j = 0; j < w; ++j) {
        const uint32_t* s = sums + int64_t(t.cols[size_t(j)]) * channels;
        for (int c = 0; c < channels; ++c) {
            uint32_t total = 0;
            for (int32_t k = 0; k < t.nx; ++k) total += s[k * channels + c];
            out[j * channels + c] = uint8_t(single_product_trunc(f, total));
        }
    }
}

}  // namespace

int32_t scale_box_size(int32_t src_w, int32_t src_h, int32_t w, int32_t h) {
    const int64_t n = std::max(rounded_ratio(src_w, std::max(w, 1)), rounded_ratio(src_h, std::max(h, 1)));
    return n <= 1 ? 2 : int32_t(std::min<int64_t>(n, 0x7FFFFFFF));
}

void scale_box_tables(int32_t src_w, int32_t src_h, int32_t w, int32_t h, BoxTables* out) {
    out->n = scale_box_size(src_w, src_h, w, h);
    // A box taller or wider than the page (one axis reduced far more than the
    // other) would read past the rows; it is cut to the page instead.
    out->nx = std::min(out->n, src_w);
    out->ny = std::min(out->n, src_h);
    start_table(src_h, h, out->ny, &out->rows);
    start_table(src_w, w, out->nx, &out->cols);
}

bool scale_box_average(ErrorLog* log, const DisplayRaster* src, DisplayRaster* dst, int32_t w, int32_t h,
                       uint32_t memory_limit_mb) {
    const int bpp = raster_bpp(src);
    const int channels = bpp / 8;
    const int32_t src_w = raster_width(src), src_h = raster_height(src);
    BoxTables t;
    scale_box_tables(src_w, src_h, w, h, &t);
    uint32_t* sums = static_cast<uint32_t*>(errlog_alloc(log, size_t(src_w) * channels * sizeof(uint32_t)));
    if (!sums) return false;
    if (!raster_create(log, dst, w, h, bpp, true, memory_limit_mb)) {
        free(sums);
        return false;
    }
    raster_copy_colour_table(src, dst);
    const SingleValue f = single_of_ratio(1, uint64_t(t.nx) * uint64_t(t.ny));
    for (int32_t i = 0; i < h; ++i) {
        sum_box_rows(src, t.rows[size_t(i)], t.ny, src_w * channels, sums);
        average_box_columns(sums, t, channels, f, dst->bits + int64_t(i) * dst->stride, w);
    }
    free(sums);
    return true;
}

bool scale_palette_box_average(ErrorLog* log, const DisplayRaster* src, DisplayRaster* dst, int32_t w, int32_t h,
                               uint32_t memory_limit_mb) {
    const int bpp = raster_bpp(src);
    const bool grey = src->is_grey || src->is_four_level;
    const int channels = grey ? 1 : 3;
    const int32_t src_w = raster_width(src), src_h = raster_height(src);
    BoxTables t;
    scale_box_tables(src_w, src_h, w, h, &t);
    uint32_t* sums = static_cast<uint32_t*>(errlog_alloc(log, size_t(src_w) * channels * sizeof(uint32_t)));
    if (!sums) return false;
    if (!raster_create(log, dst, w, h, grey ? 8 : 24, true, memory_limit_mb)) {
        free(sums);
        return false;
    }
    if (grey) {
        DibColour* table = raster_colours(dst);
        for (int k = 0; k < 256; ++k) table[k] = DibColour{uint8_t(k), uint8_t(k), uint8_t(k), 0};
        dst->is_grey = 1;
    }
    const DibColour* colours = raster_colours(src);
    const SingleValue f = single_of_ratio(1, uint64_t(t.nx) * uint64_t(t.ny));
    for (int32_t i = 0; i < h; ++i) {
        memset(sums, 0, size_t(src_w) * channels * sizeof(uint32_t));
        for (int32_t r = t.rows[size_t(i)]; r < t.rows[size_t(i)] + t.ny; ++r) {
            const uint8_t* row = src->bits + int64_t(r) * src->stride;
            for (int32_t x = 0; x < src_w; ++x) {
                const int index = bpp == 8 ? row[x] : (x & 1 ? row[x >> 1] & 0xF : row[x >> 1] >> 4);
                const DibColour& c = colours[index];
                uint32_t* s = sums + int64_t(x) * channels;
                s[0] += c.blue;
                if (!grey) {
                    s[1] += c.green;
                    s[2] += c.red;
                }
            }
        }
        average_box_columns(sums, t, channels, f, dst->bits + int64_t(i) * dst->stride, w);
    }
    free(sums);
    return true;
}

namespace {

class BoxAverageRows : public RowReduction {
public:
    bool start(ErrorLog* log, const DisplayRaster* page, int32_t w, int32_t h, RowSink* sink) {
        sink_ = sink;
        channels_ = raster_bpp(page) / 8;
        src_h_ = raster_height(page);
        w_ = w;
        h_ = h;
        bytes_ = int32_t(raster_width(page)) * channels_;
        scale_box_tables(raster_width(page), src_h_, w, h, &t_);
        f_ = single_of_ratio(1, uint64_t(t_.nx) * uint64_t(t_.ny));
        sums_.assign(size_t(bytes_), 0);
        DisplayRaster shape;
        if (!row_shape_create(log, &shape, w, h, raster_bpp(page))) return false;
        raster_copy_colour_table(page, &shape);
        out_.assign(size_t(shape.stride), 0);
        const bool ok = ring_.init(log, t_.ny, size_t(bytes_)) && sink_->begin(shape);
        raster_destroy(&shape);
        return ok;
    }
    bool push(const uint8_t* row) override {
        const int32_t y = next_in_++;
        memcpy(ring_.slot(y), row, size_t(bytes_));
        // Destination picture row k is stored row h - 1 - k; its box ends at
        // picture row src_h - 1 - rows[h - 1 - k].
        while (next_out_ < h_ && src_h_ - 1 - t_.rows[size_t(h_ - 1 - next_out_)] <= y) {
            const int32_t last = src_h_ - 1 - t_.rows[size_t(h_ - 1 - next_out_)];
            std::fill(sums_.begin(), sums_.end(), 0u);
            for (int32_t r = last - t_.ny + 1; r <= last; ++r) {
                const uint8_t* in = ring_.slot(r);
                for (int32_t x = 0; x < bytes_; ++x) sums_[size_t(x)] += in[x];
            }
            for (int32_t j = 0; j < w_; ++j) {
                const uint32_t* sum = sums_.data() + int64_t(t_.cols[size_t(j)]) * channels_;
                for (int c = 0; c < channels_; ++c) {
                    uint32_t total = 0;
                    for (int32_t k = 0; k < t_.nx; ++k) total += sum[k * channels_ + c];
                    out_[size_t(j * channels_ + c)] = uint8_t(single_product_trunc(f_, total));
                }
            }
            if (!sink_->write_row(out_.data())) return false;
            ++next_out_;
        }
        return next_in_ < src_h_ || sink_->finish();
    }

private:
    RowSink* sink_ = nullptr;
    int channels_ = 1;
    int32_t src_h_ = 0, w_ = 0, h_ = 0, bytes_ = 0, next_in_ = 0, next_out_ = 0;
    BoxTables t_;
    SingleValue f_;
    std::vector<uint32_t> sums_;
    std::vector<uint8_t> out_;
    RowRing ring_;
};

}  // namespace

std::unique_ptr<RowReduction> box_average_rows(ErrorLog* log, const DisplayRaster* page, int32_t w, int32_t h,
                                               RowSink* sink) {
    auto r = std::make_unique<BoxAverageRows>();
    if (!r->start(log, page, w, h, sink)) return nullptr;
    return r;
}
