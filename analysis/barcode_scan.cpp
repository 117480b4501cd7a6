#include "analysis/barcode_scan.h"

#include <algorithm>
#include <memory>
#include <new>

#include "analysis/barcode_row.h"
#include "analysis/row_runs.h"

void barcode_list_add(BarcodeList* list, Text16 text) {
    for (const Text16& t : list->texts)
        if (t == text) return;
    list->texts.push_back(std::move(text));
}

Text16 barcode_list_next(BarcodeList* list) {
    if (list->cursor >= list->texts.size()) return Text16();
    return list->texts[list->cursor++];
}

namespace {

// Clips the region to the raster. A zero width or height stands for the whole
// raster; a region left of or above the raster loses the part outside it, and
// a negative size is an empty region (script callers pass anything).
void clip_region(const DisplayRaster* raster, ScanRegion* r, int64_t* x0, int64_t* y0, int64_t* w, int64_t* h) {
    const int64_t rw = raster_width(raster), rh = raster_height(raster);
    *x0 = r->left;
    *y0 = r->top;
    *w = r->width;
    *h = r->height;
    if (*w == 0 || *h == 0) {
        *w = rw;
        *h = rh;
    }
    if (*w < 0 || *h < 0) *w = *h = 0;
    if (*x0 < 0) *w += *x0, *x0 = 0;
    if (*y0 < 0) *h += *y0, *y0 = 0;
    *w = std::clamp<int64_t>(std::min(*w, rw - *x0), 0, rw);
    *h = std::clamp<int64_t>(std::min(*h, rh - *y0), 0, rh);
}

}  // namespace

bool barcode_scan(const DisplayRaster* raster, ScanRegion region, BarcodeList* found, double* dark_fraction) {
    *found = BarcodeList{};
    if (raster_empty(raster)) return false;
    int64_t x0, y0, w, h;
    clip_region(raster, &region, &x0, &y0, &w, &h);
    // The region's last column is not read, so a row has at most w - 1 runs
    // plus the leading light one.
    std::unique_ptr<int32_t[]> runs(new (std::nothrow) int32_t[size_t(w) + 1]);
    if (!runs) return false;
    PixelClassifier classifier;
    pixel_classifier_init(raster, &classifier);
    const int32_t count = w > 0 ? int32_t(w - 1) : 0;
    int64_t total = 0, dark = 0;
    for (int64_t y = y0; y < y0 + h; ++y) {
        const uint8_t* row = raster_row(raster, int32_t(y));
        const int n = row_runs_build(classifier, row, int32_t(x0), count, runs.get(), &dark);
        total += count;
        barcode_row_search(runs.get(), n, found);
    }
    *dark_fraction = total ? double(dark) / double(total) : 0.0;
    return true;
}
