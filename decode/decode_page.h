#pragma once
// One page of an open libtiff handle, from validation to the oriented raster,
// for callers that have no document loader around them: the command-line
// tool, tests, the fuzz target and the benchmark. The viewer's own page loads
// go through the document loader, which adds its bookkeeping around the same
// calls.
#include <cstdint>

#include "decode/raster.h"

typedef struct tiff TIFF;
struct ErrorLog;
struct PageDecoder;

struct DecodePageOptions {
    uint32_t memory_limit_mb = 0;  // 0: none
    bool repair_palette = true;
    bool apply_orientation = true;
};

struct DecodedPageFacts {
    int width = 0, height = 0;  // after the orientation
    int orientation = 1;
    int photometric = 0;
    int compression = 1;
    int source_bits_per_sample = 0;
    int samples_per_pixel = 0;
    int output_bits_per_pixel = 0;
};

// The loader's size checks on a validated decoder, each logged as an error:
// "Invalid or unsupported image width or height", "Image too large",
// "Image is invalid or too large". False when the page must not be allocated.
bool decode_page_check_limits(PageDecoder* decoder, ErrorLog* log);

// The memory limit decode_page_into_raster applies to the page's raster,
// checked alone, with the same message; false when the raster would be refused.
bool decode_page_check_memory(PageDecoder* decoder, ErrorLog* log, uint32_t memory_limit_mb);

// Makes the raster of a validated, checked decoder and decodes into it. For
// a TIFF orientation that swaps the axes the rows may be stored already
// turned (*turned then set: the raster is in final orientation and must not
// be turned again); otherwise it holds the page in TIFF row order.
bool decode_page_into_raster(PageDecoder* decoder, ErrorLog* log, int orientation, uint32_t memory_limit_mb,
                             DisplayRaster* raster, bool* turned);

// Decodes the current directory of tiff into raster (empty on entry). Problems
// go to log; false when no page can be shown (the raster is then empty).
[[nodiscard]] bool decode_page(TIFF* tiff, ErrorLog* log, const DecodePageOptions& options, DisplayRaster* raster,
                               DecodedPageFacts* facts = nullptr);
