#pragma once
// JPEG pages decoded straight at a fraction of their size: the codec's own
// scaled decoding (1/2, 1/4, 1/8) skips most of the work of a full decode when
// only a reduced copy of the page is wanted.
#include <cstdint>

#include "decode/raster.h"

typedef struct tiff TIFF;
struct ErrorLog;
struct PageDecoder;

// The largest divisor of 8, 4 and 2 that keeps a validated page, reduced and
// cut to whole reduced pixels, at or above min_w x min_h pixels (upright TIFF rows) and that the page's strips or
// tiles divide evenly; 1 when the page cannot be decoded reduced (not a JPEG
// page of 8-bit grey, RGB or YCbCr samples, or no divisor fits).
int jpeg_reduction_divisor(PageDecoder* decoder, int64_t min_w, int64_t min_h);

// Decodes the page at 1/divisor of its size, floor(width / divisor) x
// floor(height / divisor) (a last partial column or row is left out), in TIFF row order, into `out` (empty on entry),
// in the depth, colour table and resolution the full decode would have. False when any strip or tile cannot be read
// this way (nothing logged: the caller decodes the page as usual instead).
bool jpeg_decode_reduced(TIFF* tif, PageDecoder* decoder, int divisor, ErrorLog* log, uint32_t memory_limit_mb,
                         DisplayRaster* out);
