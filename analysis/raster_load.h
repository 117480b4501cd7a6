#pragma once
// A small stand-alone page loader for the analysis tools and tests: reads one
// page of a TIFF file into a Display raster (1-bit black/white, 8-bit grey,
// anything else through libtiff's RGBA reader as 24-bit). It knows none of the
// viewer's colour rules, limits or logs; the command-line tools should move to
// the document loader and page decoder once those can be called on their own.
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
