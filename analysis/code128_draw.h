#pragma once
// Test drawing: Code 128 symbols and plain shapes painted into Display rasters
// of 1, 8 and 24 bits, so the readers can be checked against codes whose
// every module is known.
#include <cstdint>
#include <string_view>
#include <vector>

#include "decode/raster.h"

// Element widths in modules of a whole symbol: start, data, check, stop.
std::vector<int> code128_elements(int start_value, const std::vector<int>& data_values);
// Values of a text in code set B (characters 32..127 only).
std::vector<int> code128_set_b(std::string_view text);

// Paints every pixel light (white) or dark (black).
void draw_fill(DisplayRaster* r, bool light);
void draw_pixel(DisplayRaster* r, int32_t x, int32_t y, bool light);
void draw_rect(DisplayRaster* r, int32_t x, int32_t y, int32_t w, int32_t h, bool light);

// Paints the bars of `elements` from column x, rows [y, y + height), each
// module `module_px` pixels wide (fractions allowed), every bar `bar_bleed`
// pixels wider into the following space, the way toner spreads. Returns the
// column after the last bar.
int32_t draw_code128(DisplayRaster* r, int32_t x, int32_t y, int32_t height, double module_px,
                     const std::vector<int>& elements, int bar_bleed = 0);
