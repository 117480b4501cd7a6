// Reduction of a 1-bit page to grey levels: every destination pixel counts the
// set bits under it, weighted by how much of each bit it covers. Positions are
// fixed point with 4096 per source pixel. The horizontal pass turns each source
// row into w coverage bytes (0..255); the vertical pass averages those bytes
// down the rows. Each pass rounds down, so a fully set area gives 255 and an
// empty one 0.
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

#include "config/error_log.h"
#include "decode/raster_ops.h"
#include "view/row_reduction_parts.h"
#include "view/scale_filters.h"

namespace {

constexpr int64_t kOne = 4096;  // one source pixel

// The part of the source axis covered by one destination pixel: a partly
// covered pixel at each end and whole pixels between.
struct CoverSpan {
    int64_t head = -1, tail = -1;          // partly covered pixels, -1 when none
    int64_t head_part = 0, tail_part = 0;  // their covered length
    int64_t full_begin = 0, full_end = 0;  // whole pixels [begin, end)
};

void cover_spans(int64_t src, int32_t dst, int64_t step, std::vector<CoverSpan>* out) {
    out->resize(size_t(dst));
    for (int32_t j = 0; j < dst; ++j) {
        const int64_t start = j * step, end = start + step;
        CoverSpan s;
        s.full_begin = start / kOne;
        if (start % kOne) {
            s.head = start / kOne;
            s.head_part = std::min(kOne * (s.head + 1), end) - start;
            s.full_begin = s.head + 1;
        }
        s.full_end = std::max(s.full_begin, end / kOne);
        if (end % kOne && end / kOne >= s.full_begin && end / kOne < src) {
            s.tail = end / kOne;
            s.tail_part = end - kOne * s.tail;
        }
        s.full_end = std::min(s.full_end, src);
        (*out)[size_t(j)] = s;
    }
}

// Set bits of a row in [a, e); the row has 8 readable bytes past its end.
int64_t count_bits(const uint8_t* row, int64_t a, int64_t e) {
    int64_t n = 0;
    while (a < e) {
        uint64_t word;
        memcpy(&word, row + (a >> 3), 8);
        word = __builtin_bswap64(word) << (a & 7);  // bit a first
        const int64_t take = std::min<int64_t>(e - a, 64 - (a & 7));
        if (take < 64) word &= ~uint64_t(0) << (64 - take);
        n += std::popcount(word);
        a += take;
    }
    return n;
}

inline int bit_at(const uint8_t* row, int64_t x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }

// Source row to w coverage bytes.
void cover_row(const uint8_t* row, const std::vector<CoverSpan>& spans, const Divider& by_step, uint8_t* out) {
    for (size_t j = 0; j < spans.size(); ++j) {
        const CoverSpan& s = spans[j];
        int64_t acc = kOne * count_bits(row, s.full_begin, s.full_end);
        if (s.head >= 0 && bit_at(row, s.head)) acc += s.head_part;
        if (s.tail >= 0 && bit_at(row, s.tail)) acc += s.tail_part;
        out[j] = uint8_t(by_step(uint64_t(acc) * 255));
    }
}

// The destination table: grey levels that count set bits.
void coverage_table(const DisplayRaster* src, DisplayRaster* dst) {
    const DibColour* in = raster_colours(src);
    DibColour* out = raster_colours(dst);
    if (src->is_grey) {
        // Entry 0 not black (a white-on-black table): a descending ramp, so the
        // picture keeps its look.
        const bool ascending = in[0].red == 0;
        for (int k = 0; k < 256; ++k) {
            const uint8_t g = uint8_t(ascending ? k : 255 - k);
            out[k] = DibColour{g, g, g, 0};
        }
        dst->is_grey = 1;
        return;
    }
    auto blend = [](uint8_t c0, uint8_t c1, int k) {
        return uint8_t(int(c0 + (int(c1) - int(c0)) * (k * (1.0 / 255)) + 0.5));
    };
    for (int k = 0; k < 256; ++k)
        out[k] = DibColour{blend(in[0].blue, in[1].blue, k), blend(in[0].green, in[1].green, k),
                           blend(in[0].red, in[1].red, k), 0};
}

}  // namespace

bool scale_bilevel_coverage(ErrorLog* log, const DisplayRaster* src, DisplayRaster* dst, int32_t w, int32_t h,
                            uint32_t memory_limit_mb) {
    const int32_t src_w = raster_width(src), src_h = raster_height(src);
    if (raster_bpp(src) != 1 || w < 1 || h < 1 || w > src_w || h > src_h) return false;
    // The steps use the whole width: masking it to 20 bits would make the step
    // of a page a million pixels wide zero.
    const int64_t step_x = int64_t(src_w) * kOne / w, step_y = int64_t(src_h) * kOne / h;
    std::vector<CoverSpan> cols, rows;
    cover_spans(src_w, w, step_x, &cols);
    cover_spans(src_h, h, step_y, &rows);
    const size_t padded = size_t(src->stride) + 8;
    auto* row_copy = static_cast<uint8_t*>(errlog_alloc_zeroed(log, padded));
    auto* temp = row_copy ? static_cast<uint8_t*>(errlog_alloc(log, size_t(src_h) * size_t(w))) : nullptr;
    auto* acc = temp ? static_cast<uint64_t*>(errlog_alloc(log, size_t(w) * sizeof(uint64_t))) : nullptr;
    if (!acc || !raster_create(log, dst, w, h, 8, true, memory_limit_mb)) {
        free(row_copy);
        free(temp);
        free(acc);
        return false;
    }
    coverage_table(src, dst);
    const Divider by_step_x{uint64_t(step_x)}, by_step_y{uint64_t(step_y)};
    for (int32_t r = 0; r < src_h; ++r) {
        memcpy(row_copy, src->bits + int64_t(r) * src->stride, size_t(src->stride));
        cover_row(row_copy, cols, by_step_x, temp + size_t(r) * size_t(w));
    }
    for (int32_t i = 0; i < h; ++i) {
        const CoverSpan& s = rows[size_t(i)];
        std::fill(acc, acc + w, uint64_t(0));
        auto add = [&](int64_t r, uint64_t weight) {
            const uint8_t* t = temp + size_t(r) * size_t(w);
            for (int32_t j = 0; j < w; ++j) acc[j] += weight * t[j];
        };
        if (s.head >= 0) add(s.head, uint64_t(s.head_part));
        for (int64_t r = s.full_begin; r < s.full_end; ++r) add(r, kOne);
        if (s.tail >= 0) add(s.tail, uint64_t(s.tail_part));
        uint8_t* out = dst->bits + int64_t(i) * dst->stride;
        for (int32_t j = 0; j < w; ++j) out[j] = uint8_t(by_step_y(acc[j]));
    }
    free(row_copy);
    free(temp);
    free(acc);
    return true;
}

namespace {

class BilevelCoverageRows : public RowReduction {
public:
    bool start(ErrorLog* log, const DisplayRaster* page, int32_t w, int32_t h, RowSink* sink) {
        sink_ = sink;
        src_h_ = raster_height(page);
        w_ = w;
        h_ = h;
        const int64_t step_x = int64_t(raster_width(page)) * kOne / w, step_y = int64_t(src_h_) * kOne / h;
        by_step_x_ = Divider{uint64_t(step_x)};
        by_step_y_ = Divider{uint64_t(step_y)};
        cover_spans(raster_width(page), w, step_x, &cols_);
        cover_spans(src_h_, h, step_y, &rows_);
        int32_t depth = 1;
        for (const CoverSpan& r : rows_) depth = std::max<int32_t>(depth, int32_t(last_row(r) - first_row(r) + 1));
        row_copy_.assign(size_t(page->stride) + 8, 0);
        acc_.assign(size_t(w), 0);
        DisplayRaster shape;
        if (!row_shape_create(log, &shape, w, h, 8)) return false;
        coverage_table(page, &shape);
        out_.assign(size_t(shape.stride), 0);
        stride_ = page->stride;
        const bool ok = ring_.init(log, depth, size_t(w)) && sink_->begin(shape);
        raster_destroy(&shape);
        return ok;
    }
    bool push(const uint8_t* row) override {
        const int32_t y = next_in_++;
        memcpy(row_copy_.data(), row, size_t(stride_));
        cover_row(row_copy_.data(), cols_, by_step_x_, ring_.slot(y));
        while (next_out_ < h_ && src_h_ - 1 - first_row(rows_[size_t(h_ - 1 - next_out_)]) <= y) {
            const CoverSpan& s = rows_[size_t(h_ - 1 - next_out_)];
            std::fill(acc_.begin(), acc_.end(), uint64_t(0));
            auto add = [&](int64_t r, uint64_t weight) {
                const uint8_t* t = ring_.slot(int32_t(src_h_ - 1 - r));
                for (int32_t j = 0; j < w_; ++j) acc_[size_t(j)] += weight * t[j];
            };
            if (s.head >= 0) add(s.head, uint64_t(s.head_part));
            for (int64_t r = s.full_begin; r < s.full_end; ++r) add(r, kOne);
            if (s.tail >= 0) add(s.tail, uint64_t(s.tail_part));
            for (int32_t j = 0; j < w_; ++j) out_[size_t(j)] = uint8_t(by_step_y_(acc_[size_t(j)]));
            if (!sink_->write_row(out_.data())) return false;
            ++next_out_;
        }
        return next_in_ < src_h_ || sink_->finish();
    }

private:
    // The stored rows a span reads, lowest and highest.
    static int64_t first_row(const CoverSpan& s) { return s.head >= 0 ? s.head : s.full_begin; }
    static int64_t last_row(const CoverSpan& s) {
        return s.tail >= 0 ? s.tail : std::max(s.full_end - 1, first_row(s));
    }
    RowSink* sink_ = nullptr;
    int32_t src_h_ = 0, w_ = 0, h_ = 0, stride_ = 0, next_in_ = 0, next_out_ = 0;
    Divider by_step_x_{1}, by_step_y_{1};
    std::vector<CoverSpan> cols_, rows_;
    std::vector<uint8_t> row_copy_, out_;
    std::vector<uint64_t> acc_;
    RowRing ring_;
};

}  // namespace

std::unique_ptr<RowReduction> bilevel_coverage_rows(ErrorLog* log, const DisplayRaster* page, int32_t w, int32_t h,
                                                    RowSink* sink) {
    auto r = std::make_unique<BilevelCoverageRows>();
    if (!r->start(log, page, w, h, sink)) return nullptr;
    return r;
}
