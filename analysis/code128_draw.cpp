#include "analysis/code128_draw.h"

#include <cmath>

#include "analysis/code128_table.h"

std::vector<int> code128_elements(int start_value, const std::vector<int>& data_values) {
    std::vector<int> values{start_value};
    int64_t checksum = start_value;
    for (size_t p = 0; p < data_values.size(); ++p) {
        values.push_back(data_values[p]);
        checksum += int64_t(data_values[p]) * int64_t(p + 1);
    }
    values.push_back(int(checksum % 103));
    std::vector<int> elements;
    for (int v : values) {
        int widths[6];
        code128_widths(v, widths);
        elements.insert(elements.end(), widths, widths + 6);
    }
    elements.insert(elements.end(), kCode128Stop, kCode128Stop + 7);
    return elements;
}

std::vector<int> code128_set_b(std::string_view text) {
    std::vector<int> values;
    for (char ch : text) values.push_back(int(uint8_t(ch)) - 32);
    return values;
}

void draw_pixel(DisplayRaster* r, int32_t x, int32_t y, bool light) {
    if (x < 0 || y < 0 || x >= raster_width(r) || y >= raster_height(r)) return;
    uint8_t* row = raster_row(r, y);
    switch (raster_bpp(r)) {
    case 1:
        if (light) row[x >> 3] |= uint8_t(0x80 >> (x & 7));
        else
            row[x >> 3] &= uint8_t(~(0x80 >> (x & 7)));
        break;
    case 4:
        row[x >> 1] =
            uint8_t((x & 1) ? (row[x >> 1] & 0xF0) | (light ? 15 : 0) : (row[x >> 1] & 0x0F) | (light ? 0xF0 : 0));
        break;
    case 8: row[x] = light ? 255 : 0; break;
    case 24: row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = light ? 255 : 0; break;
    }
}

void draw_rect(DisplayRaster* r, int32_t x, int32_t y, int32_t w, int32_t h, bool light) {
    for (int32_t yy = y; yy < y + h; ++yy)
        for (int32_t xx = x; xx < x + w; ++xx) draw_pixel(r, xx, yy, light);
}

void draw_fill(DisplayRaster* r, bool light) { draw_rect(r, 0, 0, raster_width(r), raster_height(r), light); }

int32_t draw_code128(DisplayRaster* r, int32_t x, int32_t y, int32_t height, double module_px,
                     const std::vector<int>& elements, int bar_bleed) {
    // Edges sit where the modules fall, rounded to whole pixels, so widths of
    // a fractional module vary by a pixel the way a scan's do.
    int modules = 0;
    int32_t end = x;
    for (size_t k = 0; k < elements.size(); ++k) {
        const int32_t from = x + int32_t(std::lround(modules * module_px));
        modules += elements[k];
        end = x + int32_t(std::lround(modules * module_px));
        if (!(k & 1)) draw_rect(r, from, y, end - from + bar_bleed, height, false);
    }
    return end + bar_bleed;
}
