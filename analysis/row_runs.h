#pragma once
// Light and dark pixels of the Display raster as the page analysis sees them,
// and the run lists built from them. A run list holds run lengths in pixels,
// light and dark in turn; index 0 is always a light run (length 0 when the
// row starts dark), so even indices are light and odd indices dark.
#include <cstdint>

#include "decode/raster.h"

// How one raster's pixels are told apart: 1-bit by the bit value (the table is
// black, white), 8-bit by the luminance of the pixel's colour-table entry,
// 24-bit by the pixel's own luminance; any other depth counts as dark.
struct PixelClassifier {
    int bits_per_pixel = 0;
    bool light_index[256] = {};  // 8-bit: entry i is light
};

// Luminance 0.3 R + 0.59 G + 0.11 B in doubles, truncated.
int pixel_luminance(int red, int green, int blue);
bool pixel_is_light(int red, int green, int blue);

void pixel_classifier_init(const DisplayRaster* raster, PixelClassifier* out);
// Pixel x of a row (the row's bytes as stored); x must lie inside the row.
bool pixel_light_at(const PixelClassifier& c, const uint8_t* row, int32_t x);

// Run list of `count` pixels from column x0 of `row` (the caller keeps them
// inside the raster). `runs` needs room for count + 1 entries. Returns the
// number of runs and adds the dark pixels to *dark.
int row_runs_build(const PixelClassifier& c, const uint8_t* row, int32_t x0, int32_t count, int32_t* runs,
                   int64_t* dark);
