#include "tools/vellarion/raster_png.h"

#include <vector>

namespace {

bool grey_entry(const DibColour& c) { return c.red == c.green && c.green == c.blue; }

// How the raster's rows become PNG rows: handed over as stored, or first put
// through a grey lookup (grey tables other than the plain ramp).
struct Plan {
    PngFormat format;
    std::vector<uint8_t> palette;  // red, green, blue per entry
    std::vector<uint8_t> grey_of;  // index to grey, when the rows are looked up
};

Plan plan_for(const DisplayRaster* r) {
    Plan p;
    PngFormat& f = p.format;
    f.width = raster_width(r);
    f.height = raster_height(r);
    const int bpp = raster_bpp(r);
    if (bpp == 24) {
        f.kind = PngKind::kRgb;
        f.bgr = true;
        return p;
    }
    const int entries = raster_table_entries(bpp);
    const DibColour* table = raster_colours(r);
    bool all_grey = true, ramp = true;
    const int step = 255 / (entries - 1);
    for (int i = 0; i < entries; ++i) {
        all_grey = all_grey && grey_entry(table[i]);
        ramp = ramp && table[i].red == i * step;
    }
    if (all_grey && bpp == 1 && table[0].red + table[1].red == 255 && (table[0].red == 0 || table[0].red == 255)) {
        f.kind = PngKind::kBilevel;
        f.invert = table[0].red == 255;
    } else if (all_grey && ramp) {
        f.kind = PngKind::kGrey;  // a PNG grey of this depth scales exactly like the ramp
        f.bit_depth = bpp;
    } else if (all_grey) {
        f.kind = PngKind::kGrey;
        f.bit_depth = 8;
        for (int i = 0; i < entries; ++i) p.grey_of.push_back(table[i].red);
    } else {
        f.kind = PngKind::kPalette;
        f.bit_depth = bpp;
        for (int i = 0; i < entries; ++i)
            p.palette.insert(p.palette.end(), {table[i].red, table[i].green, table[i].blue});
        f.palette = p.palette.data();
        f.palette_entries = entries;
    }
    return p;
}

void look_up_grey(const uint8_t* row, int bpp, int32_t width, const std::vector<uint8_t>& grey_of, uint8_t* out) {
    for (int32_t x = 0; x < width; ++x) {
        const unsigned i = bpp == 8   ? row[x]
                           : bpp == 4 ? (row[x >> 1] >> (x & 1 ? 0 : 4)) & 0xF
                                      : (row[x >> 3] >> (7 - (x & 7))) & 1;
        out[x] = grey_of[i];
    }
}

}  // namespace

bool png_write_raster(const DisplayRaster* r, const char* path, int level, std::string* error) {
    if (raster_empty(r)) {
        if (error) *error = "nothing to write";
        return false;
    }
    const Plan p = plan_for(r);
    PngRowWriter* w = png_rows_begin(path, p.format, level, error);
    if (!w) return false;
    std::vector<uint8_t> looked_up(p.grey_of.empty() ? 0 : size_t(p.format.width));
    for (int32_t y = 0; y < p.format.height; ++y) {
        const uint8_t* row = raster_row(r, y);
        if (!p.grey_of.empty()) {
            look_up_grey(row, raster_bpp(r), p.format.width, p.grey_of, looked_up.data());
            row = looked_up.data();
        }
        if (!png_rows_write(w, row)) break;
    }
    return png_rows_finish(w, error);
}
