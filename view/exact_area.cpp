// The exact area filter: each destination pixel is the mean of the source area
// it covers, measured in sixteenths of a source pixel. The weights of a window
// are a product of a row weight and a column weight (16 for an inner row or
// column, less for the two partial edges), so the sum is taken in two passes,
// along each source row and then down the rows, and is the same integer as the
// four-term sum over the window's inner block, edges and corners.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "config/error_log.h"
#include "decode/raster_ops.h"
#include "view/row_reduction_parts.h"
#include "view/scale_filters.h"
#include "view/scale_math.h"

namespace {

struct AreaSpan {
    int32_t first = 0, last = 0;       // first and last source index of the window
    uint32_t w_first = 0, w_last = 0;  // their weights; everything between weighs 16
    uint32_t area() const { return 16 * uint32_t(last - first) + w_last - (16 - w_first); }
};

// Windows along one axis. A window that runs past the last source pixel ends on
// it with weight 15, and if it would then start there too it begins one pixel
// earlier with weight 1; so every window covers two source pixels at least.
void area_spans(int32_t src, int32_t dst, std::vector<AreaSpan>* out) {
    const SingleValue r = single_of_ratio(16 * uint64_t(src), uint64_t(dst));
    out->resize(size_t(dst));
    for (int32_t i = 0; i < dst; ++i) {
        const int64_t g = single_scaled_round(r, i), e = single_scaled_round(r, int64_t(i) + 1);
        AreaSpan s{int32_t(g >> 4), int32_t(e >> 4), uint32_t(16 - (g & 15)), uint32_t(e & 15)};
        if (s.last >= src) {
            s.last = src - 1;
            s.w_last = 15;
            if (s.first >= s.last) {
                s.first = src - 2;
                s.w_first = 1;
            }
        }
        (*out)[size_t(i)] = s;
    }
}

// One source row weighted along the columns: out[j * ch + c].
void weigh_row(const uint8_t* row, int ch, const std::vector<AreaSpan>& cols, uint32_t* out) {
    const int32_t w = int32_t(cols.size());
    for (int32_t j = 0; j < w; ++j) {
        const AreaSpan& s = cols[size_t(j)];
        for (int c = 0; c < ch; ++c) {
            uint32_t inner = 0;
            for (int32_t x = s.first + 1; x < s.last; ++x) inner += row[x * ch + c];
            out[j * ch + c] = s.w_first * row[s.first * ch + c] + 16 * inner + s.w_last * row[s.last * ch + c];
        }
    }
}

// A destination row from its weighted sums.
template <class Acc>
void area_means(const Acc* acc, uint64_t row_area, const std::vector<AreaSpan>& cols,
                const std::vector<double>& inverse_col, int ch, uint8_t* out) {
    for (size_t j = 0; j < cols.size(); ++j) {
        const uint64_t area = row_area * cols[j].area();
        const double inverse = inverse_col[j] / double(row_area);
        for (int c = 0; c < ch; ++c) {
            // The bias is a fixed 128, not half the area.
            const uint64_t x = uint64_t(acc[j * ch + c]) + 128;
            uint64_t q = uint64_t(double(x) * inverse);
            while (q * area > x) --q;
            while ((q + 1) * area <= x) ++q;
            out[j * ch + c] = uint8_t(q);
        }
    }
}

template <class Acc>
void reduce_rows(const DisplayRaster* src, DisplayRaster* dst, int ch, const std::vector<AreaSpan>& rows,
                 const std::vector<AreaSpan>& cols, uint32_t* line, uint32_t* kept, Acc* acc) {
    const size_t n = cols.size() * size_t(ch);
    int32_t kept_row = -1;
    std::vector<double> inverse_col(cols.size());
    for (size_t j = 0; j < cols.size(); ++j) inverse_col[j] = 1.0 / cols[j].area();
    for (size_t i = 0; i < rows.size(); ++i) {
        const AreaSpan& s = rows[i];
        std::fill(acc, acc + n, Acc(0));
        for (int32_t r = s.first; r <= s.last; ++r) {
            const uint32_t weight = r == s.first ? s.w_first : r == s.last ? s.w_last : 16;
            const uint32_t* h = line;
            if (r == kept_row) {
                h = kept;
            } else if (r == s.last) {  // the next window usually starts on this row
                weigh_row(src->bits + int64_t(r) * src->stride, ch, cols, kept);
                kept_row = r;
                h = kept;
            } else {
                weigh_row(src->bits + int64_t(r) * src->stride, ch, cols, line);
            }
            for (size_t k = 0; k < n; ++k) acc[k] += Acc(weight) * h[k];
        }
        area_means(acc, s.area(), cols, inverse_col, ch, dst->bits + int64_t(i) * dst->stride);
    }
}

}  // namespace

bool scale_exact_area(ErrorLog* log, const DisplayRaster* src, DisplayRaster* dst, int32_t w, int32_t h,
                      uint32_t memory_limit_mb) {
    const int bpp = raster_bpp(src);
    const int ch = bpp / 8;
    const int32_t src_w = raster_width(src), src_h = raster_height(src);
    if ((bpp != 8 && bpp != 24) || w < 1 || h < 1 || w > src_w || h > src_h || src_w < 2 || src_h < 2) return false;
    std::vector<AreaSpan> rows, cols;
    area_spans(src_h, h, &rows);
    area_spans(src_w, w, &cols);
    uint64_t max_area = 0;
    for (const AreaSpan& r : rows) max_area = std::max<uint64_t>(max_area, r.area());
    uint64_t max_col = 0;
    for (const AreaSpan& c : cols) max_col = std::max<uint64_t>(max_col, c.area());
    max_area *= max_col;
    const size_t n = size_t(w) * size_t(ch);
    // Two weighted rows and the accumulator row; 32-bit sums whenever they cannot overflow.
    const bool narrow = max_area * 255 + 128 < (uint64_t(1) << 32);
    auto* line = static_cast<uint32_t*>(errlog_alloc(log, 2 * n * sizeof(uint32_t)));
    void* acc = line ? errlog_alloc(log, n * (narrow ? sizeof(uint32_t) : sizeof(uint64_t))) : nullptr;
    if (!acc || !raster_create(log, dst, w, h, bpp, false, memory_limit_mb)) {
        free(line);
        free(acc);
        return false;
    }
    raster_copy_colour_table(src, dst);
    // Row padding of the unfilled block is set so the raster compares equal byte for byte.
    for (int32_t i = 0; i < h; ++i) {
        uint8_t* row = dst->bits + int64_t(i) * dst->stride;
        memset(row + n, 0, size_t(dst->stride) - n);
    }
    if (narrow) reduce_rows(src, dst, ch, rows, cols, line, line + n, static_cast<uint32_t*>(acc));
    else
        reduce_rows(src, dst, ch, rows, cols, line, line + n, static_cast<uint64_t*>(acc));
    free(line);
    free(acc);
    return true;
}

namespace {

class ExactAreaRows : public RowReduction {
public:
    bool start(ErrorLog* log, const DisplayRaster* page, int32_t w, int32_t h, RowSink* sink) {
        sink_ = sink;
        ch_ = raster_bpp(page) / 8;
        src_h_ = raster_height(page);
        h_ = h;
        area_spans(src_h_, h, &rows_);
        area_spans(raster_width(page), w, &cols_);
        inverse_col_.resize(cols_.size());
        for (size_t j = 0; j < cols_.size(); ++j) inverse_col_[j] = 1.0 / cols_[j].area();
        int32_t depth = 1;
        for (const AreaSpan& r : rows_) depth = std::max(depth, r.last - r.first + 1);
        n_ = size_t(w) * size_t(ch_);
        acc_.assign(n_, 0);
        DisplayRaster shape;
        if (!row_shape_create(log, &shape, w, h, raster_bpp(page))) return false;
        raster_copy_colour_table(page, &shape);
        out_.assign(size_t(shape.stride), 0);
        const bool ok = ring_.init(log, depth, n_ * sizeof(uint32_t)) && sink_->begin(shape);
        raster_destroy(&shape);
        return ok;
    }
    bool push(const uint8_t* row) override {
        const int32_t y = next_in_++;
        weigh_row(row, ch_, cols_, reinterpret_cast<uint32_t*>(ring_.slot(y)));
        // Destination picture row k is stored row h - 1 - k; its window's top
        // picture row is src_h - 1 - last and its bottom one src_h - 1 - first.
        while (next_out_ < h_ && src_h_ - 1 - rows_[size_t(h_ - 1 - next_out_)].first <= y) {
            const AreaSpan& s = rows_[size_t(h_ - 1 - next_out_)];
            std::fill(acc_.begin(), acc_.end(), uint64_t(0));
            for (int32_t r = s.first; r <= s.last; ++r) {
                const uint32_t weight = r == s.first ? s.w_first : r == s.last ? s.w_last : 16;
                const uint32_t* weighed = reinterpret_cast<const uint32_t*>(ring_.slot(src_h_ - 1 - r));
                for (size_t k = 0; k < n_; ++k) acc_[k] += uint64_t(weight) * weighed[k];
            }
            area_means(acc_.data(), s.area(), cols_, inverse_col_, ch_, out_.data());
            if (!sink_->write_row(out_.data())) return false;
            ++next_out_;
        }
        return next_in_ < src_h_ || sink_->finish();
    }

private:
    RowSink* sink_ = nullptr;
    int ch_ = 1;
    int32_t src_h_ = 0, h_ = 0, next_in_ = 0, next_out_ = 0;
    size_t n_ = 0;
    std::vector<AreaSpan> rows_, cols_;
    std::vector<double> inverse_col_;
    std::vector<uint64_t> acc_;
    std::vector<uint8_t> out_;
    RowRing ring_;
};

}  // namespace

std::unique_ptr<RowReduction> exact_area_rows(ErrorLog* log, const DisplayRaster* page, int32_t w, int32_t h,
                                              RowSink* sink) {
    auto r = std::make_unique<ExactAreaRows>();
    if (!r->start(log, page, w, h, sink)) return nullptr;
    return r;
}
