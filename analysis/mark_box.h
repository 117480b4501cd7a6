#pragma once
// Counting the light pixels of a box of the raster for mark recognition.
#include <cstdint>

#include "decode/raster.h"

// Light pixels of the box whose top-left pixel is column x0, row y0 (rows from
// the top) and whose size is columns × rows, any part of it possibly off the
// raster. On a 1-bit raster a pixel counts when its byte lies inside the pixel
// area, judged on the byte's position in the whole area rather than per row: a
// box reaching past a row's end reads on into the neighbouring stored row,
// never out of the block. Deeper rasters count only pixels inside the picture.
int64_t mark_box_light(const DisplayRaster* raster, int64_t x0, int64_t y0, int64_t columns, int64_t rows);
