#pragma once
// A Display raster as a PNG of its own kind, row by row: bilevel pages as
// 1-bit grey, grey pages as 8-bit (or 4-bit) grey, other colour tables as a
// palette, 24-bit pages as RGB. Every kind decodes to the pixels the raster
// shows through its colour table.
#include <string>

#include "decode/raster.h"
#include "tools/vellarion/png_rows.h"

// level: 0..9 or kPngDefaultLevel. False (with *error) when nothing could be written.
bool png_write_raster(const DisplayRaster* raster, const char* path, int level, std::string* error);
