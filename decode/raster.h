#pragma once
// The Display raster: the decoded current page as one block holding a 40-byte
// device-independent-bitmap header, the colour table and the pixel rows, stored
// bottom-up with 4-byte-aligned rows. Every consumer (drawing, rotation, printing,
// saving, analysis) reads this one layout, and the shell hands the block to GDI
// as it stands.
#include <cstdint>

struct ErrorLog;

// Same layout as the platform's BITMAPINFOHEADER (checked in the shell).
struct DibHeader {
    uint32_t size;  // 40
    int32_t width;
    int32_t height;  // positive: bottom-up
    uint16_t planes;
    uint16_t bit_count;  // 1, 4, 8 or 24
    uint32_t compression;
    uint32_t size_image;
    int32_t x_pels_per_meter;
    int32_t y_pels_per_meter;
    uint32_t clr_used;
    uint32_t clr_important;
};
static_assert(sizeof(DibHeader) == 40);

// One colour-table entry: blue, green, red, 0.
struct DibColour {
    uint8_t blue, green, red, reserved;
};

struct DisplayRaster {
    uint8_t* header = nullptr;  // the whole block; null for the empty raster
    uint8_t* bits = nullptr;    // first pixel byte: header + 40 + 4 * entries
    int32_t stride = 0;         // bytes per stored row
    int32_t block_size = 0;     // stride * height + 4 * entries + 40
    uint8_t is_grey = 0;        // the table is a grey ramp or black, white
    uint8_t is_four_level = 0;  // 4-bit raster holding 2-bit grey (entries 0..3)
};

inline bool raster_empty(const DisplayRaster* r) { return !r || !r->header; }
inline const DibHeader* raster_dib(const DisplayRaster* r) { return reinterpret_cast<const DibHeader*>(r->header); }
inline DibHeader* raster_dib(DisplayRaster* r) { return reinterpret_cast<DibHeader*>(r->header); }
inline int32_t raster_width(const DisplayRaster* r) { return r->header ? raster_dib(r)->width : 0; }
inline int32_t raster_height(const DisplayRaster* r) { return r->header ? raster_dib(r)->height : 0; }
inline int raster_bpp(const DisplayRaster* r) { return r->header ? raster_dib(r)->bit_count : 0; }
// Number of colour-table entries: 2, 16 or 256 for 1, 4, 8 bits; 0 for 24 bits.
inline int raster_table_entries(int bits_per_pixel) { return bits_per_pixel <= 8 ? 1 << bits_per_pixel : 0; }
inline DibColour* raster_colours(DisplayRaster* r) { return reinterpret_cast<DibColour*>(r->header + 40); }
inline const DibColour* raster_colours(const DisplayRaster* r) {
    return reinterpret_cast<const DibColour*>(r->header + 40);
}
// Row y counted from the top of the picture (the block stores the bottom row first).
inline uint8_t* raster_row(DisplayRaster* r, int32_t y) {
    return r->bits + int64_t(raster_height(r) - 1 - y) * r->stride;
}
inline const uint8_t* raster_row(const DisplayRaster* r, int32_t y) {
    return r->bits + int64_t(raster_height(r) - 1 - y) * r->stride;
}
// ((width * bits + 31) / 32) * 4, or -1 when it does not fit in 32 bits.
inline int64_t raster_row_stride(int64_t width, int bits_per_pixel) {
    const int64_t s = ((width * bits_per_pixel + 31) / 32) * 4;
    return (width < 0 || s > 0x7FFFFFFF) ? -1 : s;
}
