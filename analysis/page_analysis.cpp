#include "analysis/page_analysis.h"

void analysis_init(PageAnalysis* a) { *a = PageAnalysis{}; }

void analysis_page_changed(PageAnalysis* a) { a->blank_score = -1; }

void analysis_detect_barcodes(PageAnalysis* a, const DisplayRaster* raster, int32_t left, int32_t top, int32_t width,
                              int32_t height) {
    // Without a page (or without memory for a row) the measure stays what it was.
    double fraction = a->blank_score;
    barcode_scan(raster, ScanRegion{left, top, width, height}, &a->barcodes, &fraction);
    a->blank_score = fraction;
}

Text16 analysis_get_barcode(PageAnalysis* a) { return barcode_list_next(&a->barcodes); }

double analysis_detect_blank_page(PageAnalysis* a, const DisplayRaster* raster) {
    if (a->blank_score >= 0) return a->blank_score;
    double fraction = -1;
    if (barcode_scan(raster, ScanRegion{}, &a->barcodes, &fraction)) a->blank_score = fraction;
    return a->blank_score;
}

void analysis_omr_init(PageAnalysis* a, const DisplayRaster* raster, int32_t reference_x, int32_t reference_y,
                       int32_t form_width, int32_t form_height) {
    MarkGrid& g = a->marks;
    g.reference_x = reference_x;
    g.reference_y = reference_y;
    g.form_width = form_width;
    g.form_height = form_height;
    BorderLine left, right;
    int32_t xres = 0, yres = 0;
    if (!raster_empty(raster)) {
        left = mark_border_line(mark_border_profile(raster, MarkSide::kLeft));
        right = mark_border_line(mark_border_profile(raster, MarkSide::kRight));
        xres = raster_dib(raster)->x_pels_per_meter;
        yres = raster_dib(raster)->y_pels_per_meter;
    }
    mark_grid_align(&g, left, right, xres, yres);
}

double analysis_omr_check(const PageAnalysis* a, const DisplayRaster* raster, int32_t x, int32_t y, int32_t width,
                          int32_t height) {
    return mark_grid_check(a->marks, raster, x, y, width, height);
}
