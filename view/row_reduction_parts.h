#pragma once
// The row-by-row form of each reduction filter, beside its whole-page form in
// the filter's own file (row_reducer.cpp chooses among them).
#include <memory>

#include "view/row_reducer.h"

// Each starts a reduction of a page of `page` (header only) to w x h feeding sink.
std::unique_ptr<RowReduction> box_average_rows(ErrorLog* log, const DisplayRaster* page, int32_t w, int32_t h,
                                               RowSink* sink);
std::unique_ptr<RowReduction> exact_area_rows(ErrorLog* log, const DisplayRaster* page, int32_t w, int32_t h,
                                              RowSink* sink);
std::unique_ptr<RowReduction> bilevel_coverage_rows(ErrorLog* log, const DisplayRaster* page, int32_t w, int32_t h,
                                                    RowSink* sink);
std::unique_ptr<RowReduction> plain_stretch_rows(ErrorLog* log, const DisplayRaster* page, int32_t w, int32_t h,
                                                 RowSink* sink);

// The last `depth` rows pushed, `bytes` each, by their picture row.
class RowRing {
public:
    bool init(ErrorLog* log, int32_t depth, size_t bytes);
    uint8_t* slot(int32_t picture_row) { return data_.get() + size_t(picture_row % depth_) * bytes_; }

private:
    struct Free {
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t, Free> data_;
    int32_t depth_ = 1;
    size_t bytes_ = 0;
};
