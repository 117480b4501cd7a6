#include "analysis/raster_load.h"

#include <tiffio.h>

#include <cstdlib>
#include <cstring>
#include <memory>

bool analysis_raster_alloc(int32_t width, int32_t height, int bits_per_pixel, DisplayRaster* out) {
    *out = DisplayRaster{};
    const int64_t stride = raster_row_stride(width, bits_per_pixel);
    const int entries = raster_table_entries(bits_per_pixel);
    if (width <= 0 || height <= 0 || stride < 0) return false;
    const int64_t size = stride * height + 4 * entries + 40;
    if (size > 0x7FFFFFFF) return false;
    auto* block = static_cast<uint8_t*>(calloc(1, size_t(size)));
    if (!block) return false;
    out->header = block;
    out->bits = block + 40 + 4 * entries;
    out->stride = int32_t(stride);
    out->block_size = int32_t(size);
    DibHeader* dib = raster_dib(out);
    dib->size = 40;
    dib->width = width;
    dib->height = height;
    dib->planes = 1;
    dib->bit_count = uint16_t(bits_per_pixel);
    DibColour* table = raster_colours(out);
    for (int i = 0; i < entries; ++i) {
        const uint8_t level = uint8_t(entries == 2 ? i * 255 : i * 255 / (entries - 1));
        table[i] = DibColour{level, level, level, 0};
    }
    out->is_grey = entries > 0;
    return true;
}

void analysis_raster_free(DisplayRaster* raster) {
    free(raster->header);
    *raster = DisplayRaster{};
}

namespace {

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};

void set_resolution(TIFF* tif, DisplayRaster* r) {
    uint16_t unit = RESUNIT_INCH;
    float x = 0, y = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x);
    TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y);
    if (unit != RESUNIT_INCH && unit != RESUNIT_CENTIMETER) unit = RESUNIT_NONE;
    if (!(x > 0 && y > 0 && x * 10 >= y && y * 10 >= x)) x = y = 1, unit = RESUNIT_NONE;
    const double scale = unit == RESUNIT_INCH ? 39.37 : unit == RESUNIT_CENTIMETER ? 100 : 1;
    const bool keep = unit != RESUNIT_NONE || x != y;
    raster_dib(r)->x_pels_per_meter = keep ? int32_t(x * scale + 0.5) : 0;
    raster_dib(r)->y_pels_per_meter = keep ? int32_t(y * scale + 0.5) : 0;
}

// 1-bit and 8-bit single-sample strips, read line by line; min-is-white
// samples are turned round so that bit 1 and high grey are white.
bool load_lines(TIFF* tif, int bits, bool min_is_white, DisplayRaster* r, std::string* error) {
    const int32_t w = raster_width(r), h = raster_height(r);
    const tmsize_t line_size = TIFFScanlineSize(tif);
    const int64_t used = bits == 1 ? (int64_t(w) + 7) / 8 : w;
    if (line_size < used) return *error = "unexpected scanline size", false;
    std::unique_ptr<uint8_t[]> line(new (std::nothrow) uint8_t[size_t(line_size)]);
    if (!line) return *error = "out of memory", false;
    for (int32_t y = 0; y < h; ++y) {
        if (TIFFReadScanline(tif, line.get(), uint32_t(y)) < 0) return *error = "cannot read the page data", false;
        uint8_t* row = raster_row(r, y);
        memcpy(row, line.get(), size_t(used));
        if (min_is_white)
            for (int64_t k = 0; k < used; ++k) row[k] = uint8_t(~row[k]);
        if (bits == 1 && (w & 7)) row[used - 1] &= uint8_t(0xFF << (8 - (w & 7)));
    }
    return true;
}

bool load_rgba(TIFF* tif, DisplayRaster* r, std::string* error) {
    const int32_t w = raster_width(r), h = raster_height(r);
    std::unique_ptr<uint32_t[]> pixels(new (std::nothrow) uint32_t[size_t(w) * size_t(h)]);
    if (!pixels) return *error = "out of memory", false;
    if (!TIFFReadRGBAImageOriented(tif, uint32_t(w), uint32_t(h), pixels.get(), ORIENTATION_TOPLEFT, 0))
        return *error = "cannot read the page data", false;
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = raster_row(r, y);
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t p = pixels[size_t(y) * size_t(w) + size_t(x)];
            row[3 * x] = uint8_t(TIFFGetB(p));
            row[3 * x + 1] = uint8_t(TIFFGetG(p));
            row[3 * x + 2] = uint8_t(TIFFGetR(p));
        }
    }
    return true;
}

}  // namespace

bool analysis_raster_load(const char* path, int page, DisplayRaster* out, std::string* error) {
    *out = DisplayRaster{};
    std::unique_ptr<TIFF, TiffCloser> tif(TIFFOpen(path, "r"));
    if (!tif) return *error = "cannot open the file as TIFF", false;
    if (page < 0 || !TIFFSetDirectory(tif.get(), tdir_t(page))) return *error = "no such page", false;
    uint32_t w = 0, h = 0;
    uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISWHITE;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric);
    if (w == 0 || h == 0 || w > 0x7FFFFFFF || h > 0x7FFFFFFF) return *error = "bad page size", false;
    const bool grey = samples == 1 && photometric <= PHOTOMETRIC_MINISBLACK && !TIFFIsTiled(tif.get());
    const int depth = grey && (bits == 1 || bits == 8) ? bits : 24;
    if (!analysis_raster_alloc(int32_t(w), int32_t(h), depth, out)) return *error = "page too large", false;
    set_resolution(tif.get(), out);
    const bool ok = depth == 24 ? load_rgba(tif.get(), out, error)
                                : load_lines(tif.get(), depth, photometric == PHOTOMETRIC_MINISWHITE, out, error);
    if (!ok) analysis_raster_free(out);
    return ok;
}
