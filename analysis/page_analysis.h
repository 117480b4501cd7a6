#pragma once
// One viewer's page-analysis state and the operations its script methods
// perform: barcode reading, the blank-page measure and mark recognition. All of
// them read the current page's Display raster exactly as displayed (rotated,
// negated); a null or empty raster means no page is decoded.
#include <cstdint>

#include "analysis/barcode_scan.h"
#include "analysis/mark_grid.h"
#include "base/text.h"
#include "decode/raster.h"

struct PageAnalysis {
    BarcodeList barcodes;
    // Dark fraction of the last scan on this page; -1 when not measured.
    double blank_score = -1;
    MarkGrid marks;
};

// A new viewer: no texts, no measure, no alignment.
void analysis_init(PageAnalysis* a);
// The current page changed: the measure no longer applies. The barcode texts
// and the mark alignment stay until replaced.
void analysis_page_changed(PageAnalysis* a);

// DetectBarcodes: replaces the texts with those found in the region (width or
// height 0: the whole raster from left, top), cursor at the first, and keeps
// the region's dark fraction as the page's measure.
void analysis_detect_barcodes(PageAnalysis* a, const DisplayRaster* raster, int32_t left, int32_t top, int32_t width,
                              int32_t height);
// GetBarcode: the next text, or the empty text when none is left.
Text16 analysis_get_barcode(PageAnalysis* a);
// DetectBlankPage: the page's dark fraction, measured over the whole raster
// only when not yet known; -1 without a page.
double analysis_detect_blank_page(PageAnalysis* a, const DisplayRaster* raster);
// OMRInit: the form's reference corner and size in form units; aligns the form
// on the raster.
void analysis_omr_init(PageAnalysis* a, const DisplayRaster* raster, int32_t reference_x, int32_t reference_y,
                       int32_t form_width, int32_t form_height);
// OMRCheck: the dark fraction of a box in form units; 0 without a page or alignment.
double analysis_omr_check(const PageAnalysis* a, const DisplayRaster* raster, int32_t x, int32_t y, int32_t width,
                          int32_t height);
