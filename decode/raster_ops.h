#pragma once
// Operations on the Display raster (decode/raster.h): creation under the
// configured memory limit, the transforms that apply the TIFF Orientation and
// the view rotation, and the negative. All of them keep the block layout:
// header, colour table, bottom-up rows padded to 4 bytes.
#include <cstdint>

#include "decode/raster.h"

struct ErrorLog;

// Makes an empty raster into a width × height picture of 1, 4, 8 or 24 bits per
// pixel. memory_limit_mb is the "memorylimit" setting (0: none): a block larger
// than that many MiB is refused. Failures are reported to log (which may be
// null) and leave the raster empty.
[[nodiscard]] bool raster_create(ErrorLog* log, DisplayRaster* raster, int32_t width, int32_t height,
                                 int bits_per_pixel, bool zero_fill, uint32_t memory_limit_mb);
// Frees the block; the raster becomes empty. Safe on an empty raster.
void raster_destroy(DisplayRaster* raster);

// dst (empty on entry) becomes the transpose of src: stored pixel (i, j) of dst is
// stored pixel (j, i) of src, with the colour table, grey flags and the two
// pels-per-metre values exchanged. In picture terms a reflection across the
// anti-diagonal. False only when the new block cannot be allocated.
[[nodiscard]] bool raster_transpose(ErrorLog* log, const DisplayRaster* src, DisplayRaster* dst);
// Replaces the raster by its transpose; on failure the raster is unchanged.
[[nodiscard]] bool raster_transpose_in_place(ErrorLog* log, DisplayRaster* raster);
// Reverses every row left to right (padding untouched).
void raster_mirror(DisplayRaster* raster);
// Exchanges stored rows i and height - 1 - i.
void raster_flip(DisplayRaster* raster);
// 4- and 8-bit rasters complement their colour table; 1- and 24-bit rasters
// complement every pixel byte. Applying it twice restores the raster.
void raster_negative(DisplayRaster* raster);
// Copies min(source, destination) table entries; is_grey too when both rasters
// have the same depth.
void raster_copy_colour_table(const DisplayRaster* src, DisplayRaster* dst);

// Turns a raster decoded with TIFF row 0 at the top into the page as the TIFF
// Orientation tag (1..8) asks; values outside 1..8 leave it as stored. Whether
// width and height (and the resolutions) are exchanged: orientation >= 5.
[[nodiscard]] bool raster_apply_orientation(ErrorLog* log, DisplayRaster* raster, int orientation);
inline bool orientation_swaps_axes(int orientation) { return orientation >= 5 && orientation <= 8; }
