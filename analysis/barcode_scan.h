#pragma once
// Reading Code 128 barcodes off the Display raster as it is displayed, one
// horizontal row at a time: codes whose bars stand upright and read left to
// right. The same pass measures how much of the region is dark.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/text.h"
#include "decode/raster.h"

// Texts in order of first detection, without duplicates, and the cursor of
// the next one to hand out.
struct BarcodeList {
    std::vector<Text16> texts;
    size_t cursor = 0;
};

// Adds `text` unless an identical text is already listed.
void barcode_list_add(BarcodeList* list, Text16 text);
// The text at the cursor, moving the cursor on; empty once the list is done.
Text16 barcode_list_next(BarcodeList* list);

// Region to scan in picture coordinates (y down from the top row). A width or
// height of 0 means the raster's full width and height from left, top.
struct ScanRegion {
    int32_t left = 0, top = 0, width = 0, height = 0;
};

// Scans the region into *found and stores the dark fraction (dark pixels over
// pixels read, each row without the region's last column; 0 when nothing was
// read) in *dark_fraction. With no raster, or when the row buffer cannot be
// had, *found is left empty and *dark_fraction untouched; returns false then.
bool barcode_scan(const DisplayRaster* raster, ScanRegion region, BarcodeList* found, double* dark_fraction);
