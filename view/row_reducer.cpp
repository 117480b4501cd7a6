#include "view/row_reducer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "config/error_log.h"
#include "decode/raster_ops.h"
#include "view/row_reduction_parts.h"
#include "view/scaled_view.h"

void RowRing::Free::operator()(uint8_t* p) const { free(p); }

bool RowRing::init(ErrorLog* log, int32_t depth, size_t bytes) {
    depth_ = std::max(depth, 1);
    bytes_ = bytes;
    data_.reset(static_cast<uint8_t*>(errlog_alloc_zeroed(log, size_t(depth_) * bytes_ + 1)));
    return data_ != nullptr;
}

bool row_shape_create(ErrorLog* log, DisplayRaster* shape, int32_t w, int32_t h, int bits_per_pixel) {
    *shape = DisplayRaster{};
    const int64_t stride = raster_row_stride(w, bits_per_pixel);
    if (stride < 0 || w < 1 || h < 1) return false;
    const int entries = raster_table_entries(bits_per_pixel);
    auto* p = static_cast<uint8_t*>(errlog_alloc_zeroed(log, size_t(40 + 4 * entries)));
    if (!p) return false;
    *reinterpret_cast<DibHeader*>(p) = DibHeader{40, w, h, 1, uint16_t(bits_per_pixel), 0, 0, 0, 0, 0, 0};
    shape->header = p;
    shape->stride = int32_t(stride);
    shape->block_size = int32_t(40 + 4 * entries);
    return true;
}

bool row_reduction_supported(const DisplayRaster* page, int32_t w, int32_t h, bool smooth) {
    if (raster_empty(page) || w < 1 || h < 1 || w > raster_width(page) || h > raster_height(page)) return false;
    switch (scale_choose_filter(page, w, h, smooth)) {
    case ScaleFilter::kBilevelCoverage:
    case ScaleFilter::kBoxAverage:
    case ScaleFilter::kExactArea:
    case ScaleFilter::kPlainStretch: return true;
    default: return false;
    }
}

namespace {

// Negates each row before the filter sees it, as view_apply_to_raster negates
// the pixel bytes of 1- and 24-bit pages.
class NegatedRows : public RowReduction {
public:
    NegatedRows(std::unique_ptr<RowReduction> inner, size_t bytes) : inner_(std::move(inner)), row_(bytes) {}
    bool push(const uint8_t* row) override {
        for (size_t i = 0; i < row_.size(); ++i) row_[i] = uint8_t(~row[i]);
        return inner_->push(row_.data());
    }

private:
    std::unique_ptr<RowReduction> inner_;
    std::vector<uint8_t> row_;
};

}  // namespace

std::unique_ptr<RowReduction> row_reduction_start(ErrorLog* log, const DisplayRaster* page, int32_t w, int32_t h,
                                                  bool smooth, bool negative, RowSink* sink) {
    if (!row_reduction_supported(page, w, h, smooth)) return nullptr;
    const int bpp = raster_bpp(page);
    // Deeper pages are negated through their table: a copy of the shape's.
    DisplayRaster negated;
    if (negative && (bpp == 4 || bpp == 8)) {
        if (!row_shape_create(log, &negated, raster_width(page), raster_height(page), bpp)) return nullptr;
        memcpy(negated.header, page->header, size_t(negated.block_size));
        negated.is_grey = page->is_grey;
        negated.is_four_level = page->is_four_level;
        raster_negative(&negated);
        page = &negated;
    }
    std::unique_ptr<RowReduction> r;
    switch (scale_choose_filter(page, w, h, smooth)) {
    case ScaleFilter::kBilevelCoverage: r = bilevel_coverage_rows(log, page, w, h, sink); break;
    case ScaleFilter::kBoxAverage: r = box_average_rows(log, page, w, h, sink); break;
    case ScaleFilter::kExactArea: r = exact_area_rows(log, page, w, h, sink); break;
    default: r = plain_stretch_rows(log, page, w, h, sink); break;
    }
    raster_destroy(&negated);
    if (r && negative && (bpp == 1 || bpp == 24)) r = std::make_unique<NegatedRows>(std::move(r), size_t(page->stride));
    return r;
}

RasterSink::~RasterSink() { raster_destroy(&raster); }

bool RasterSink::begin(const DisplayRaster& shape) {
    raster_destroy(&raster);
    next_ = 0;
    const int bpp = raster_bpp(&shape);
    if (!raster_create(log_, &raster, raster_width(&shape), raster_height(&shape), bpp, true, 0)) return false;
    memcpy(raster.header, shape.header, size_t(40 + 4 * raster_table_entries(bpp)));
    raster.is_grey = shape.is_grey;
    raster.is_four_level = shape.is_four_level;
    return true;
}

bool RasterSink::write_row(const uint8_t* row) {
    if (next_ >= raster_height(&raster)) return false;
    memcpy(raster_row(&raster, next_++), row, size_t(raster.stride));
    return true;
}
