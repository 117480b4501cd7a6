#pragma once
// Reductions made as the page's rows arrive: the same filters, and the same
// pixels, as the whole-page copies of scale_filters.h, holding only the few
// source rows one destination row is made from. The page never has to be in
// memory at once, and each destination row goes to a sink as soon as it is
// known, top row first.
#include <cstdint>
#include <memory>
#include <vector>

#include "decode/raster.h"

struct ErrorLog;

// Takes the rows of a reduced copy, top row first, each in the layout of a
// raster row of `shape` (the depth, colour table and flags of the copy; its
// pixel bytes are not there).
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual bool begin(const DisplayRaster& shape) = 0;
    virtual bool write_row(const uint8_t* row) = 0;
    virtual bool finish() = 0;
};

// One filter's state; made by row_reducer_create.
class RowReduction {
public:
    virtual ~RowReduction() = default;
    // The next source row (top first), in the layout of a raster row of the page.
    virtual bool push(const uint8_t* row) = 0;
};

// A header-only raster: the size, depth, colour table, flags and resolution of
// a page whose pixels are not held (bits is null). Freed with raster_destroy.
[[nodiscard]] bool row_shape_create(ErrorLog* log, DisplayRaster* shape, int32_t w, int32_t h, int bits_per_pixel);

// Whether scale_copy(page, w, h, smooth) can be made row by row: a reduction
// (w, h no larger than the page) by the bilevel coverage, box average, exact
// area or the plain stretch.
bool row_reduction_supported(const DisplayRaster* page_shape, int32_t w, int32_t h, bool smooth);

// Starts a reduction of a page of `page_shape` to w x h that feeds `sink`
// (begin is called here, write_row as rows are known, finish after the last
// source row). With negative, each source row is negated first, as
// view_apply_to_raster does to a whole 1- or 24-bit page (deeper tables are
// negated in page_shape by the caller). Null when not supported or out of
// memory (logged).
std::unique_ptr<RowReduction> row_reduction_start(ErrorLog* log, const DisplayRaster* page_shape, int32_t w, int32_t h,
                                                  bool smooth, bool negative, RowSink* sink);

// A sink that collects the rows into a raster (for tests and small copies).
class RasterSink : public RowSink {
public:
    explicit RasterSink(ErrorLog* log) : log_(log) {}
    ~RasterSink() override;
    bool begin(const DisplayRaster& shape) override;
    bool write_row(const uint8_t* row) override;
    bool finish() override { return next_ == raster_height(&raster); }
    DisplayRaster raster;

private:
    ErrorLog* log_;
    int32_t next_ = 0;
};
