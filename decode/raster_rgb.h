#pragma once
// The raster as plain 8-bit red, green, blue rows, top row first, through its
// colour table: what an exported picture or a comparison needs.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "decode/raster.h"

std::vector<uint8_t> raster_to_rgb(const DisplayRaster* raster);
