#pragma once
// A BMP file is a packed device-independent bitmap (header, colour table,
// rows) behind a 14-byte file header. The same packed block goes to the
// clipboard without that header.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "decode/raster.h"

constexpr size_t kBmpFileHeaderSize = 14;

// Bytes of the colour table that follows a header: bitmaps of up to 8 bits
// have clr_used entries, or the full 2^bits when that is 0. Null headers and
// depths above 8 without entries have none.
size_t dib_colour_table_bytes(const DibHeader& h);

// The file header for a packed block of block_size bytes: "BM", the file size,
// two reserved zeros, the offset of the first pixel byte; little-endian. False
// when the block is too short for its own header and table, or the file would
// not fit a 32-bit size.
bool bmp_file_header(const uint8_t* block, size_t block_size, uint8_t out[kBmpFileHeaderSize]);

// A packed block from a header, its colour table (`colours` entries, may be 0)
// and bottom-up rows of the header's width and depth; the copy's clr_used and
// size_image are filled in. Empty when the sizes do not add up.
std::vector<uint8_t> dib_pack(const DibHeader& header, const DibColour* colours, int colours_count,
                              const uint8_t* rows);
