#pragma once
// Loading pages for the analysis tools and tests: one page of a TIFF file as
// the viewer decodes it (after the file's own Orientation), and plain rasters
// for drawn test pages.
#include <cstdint>
#include <string>

#include "decode/raster.h"

// A zero-filled raster with the plain colour table of its depth (black, white
// for 1 bit; a grey ramp for 4 and 8 bits). False when the block cannot be had
// or its size does not fit in 32 bits.
[[nodiscard]] bool analysis_raster_alloc(int32_t width, int32_t height, int bits_per_pixel, DisplayRaster* out);
void analysis_raster_free(DisplayRaster* raster);

// Page `page` (0-based) of the file at `path`. On failure *error says why.
[[nodiscard]] bool analysis_raster_load(const char* path, int page, DisplayRaster* out, std::string* error);
