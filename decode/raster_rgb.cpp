#include "decode/raster_rgb.h"

std::vector<uint8_t> raster_to_rgb(const DisplayRaster* r) {
    if (raster_empty(r)) return {};
    const int32_t w = raster_width(r), h = raster_height(r);
    const int bpp = raster_bpp(r);
    std::vector<uint8_t> out(size_t(w) * size_t(h) * 3);
    const DibColour* table = bpp <= 8 ? raster_colours(r) : nullptr;
    uint8_t* o = out.data();
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* row = raster_row(r, y);
        for (int32_t x = 0; x < w; ++x, o += 3) {
            if (bpp == 24) {
                o[0] = row[3 * x + 2];
                o[1] = row[3 * x + 1];
                o[2] = row[3 * x];
                continue;
            }
            unsigned i;
            if (bpp == 8) i = row[x];
            else if (bpp == 4)
                i = (row[x >> 1] >> (x & 1 ? 0 : 4)) & 0xF;
            else
                i = (row[x >> 3] >> (7 - (x & 7))) & 1;
            o[0] = table[i].red;
            o[1] = table[i].green;
            o[2] = table[i].blue;
        }
    }
    return out;
}
