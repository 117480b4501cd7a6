// make_sample OUT.tif: writes the demo document, a three-page TIFF of our own:
// a scanned-letter-like bilevel page (Group 4), a colour page (LZW) and a grey
// page (Deflate). Deterministic, so every demo run shows the same pages.
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {
struct Lcg {
    uint32_t s = 12345;
    uint32_t next() { return s = s * 1103515245u + 12345u; }
    int range(int lo, int hi) { return lo + int((next() >> 8) % uint32_t(hi - lo + 1)); }
};

void set_common(TIFF* t, uint32_t w, uint32_t h, int page, int pages) {
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(t, TIFFTAG_XRESOLUTION, 200.0f);
    TIFFSetField(t, TIFFTAG_YRESOLUTION, 200.0f);
    TIFFSetField(t, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(t, TIFFTAG_PAGENUMBER, uint16_t(page), uint16_t(pages));
    TIFFSetField(t, TIFFTAG_SOFTWARE, "Vellarion sample maker");
}

// A letter: a dark header band, paragraphs of word-shaped bars, a framed table.
bool write_letter(TIFF* t) {
    const uint32_t w = 1700, h = 2200, stride = (w + 7) / 8;
    std::vector<uint8_t> px(size_t(stride) * h, 0);  // 0 = white (min-is-white)
    auto dot = [&](int x, int y) {
        if (x >= 0 && y >= 0 && uint32_t(x) < w && uint32_t(y) < h)
            px[size_t(y) * stride + x / 8] |= uint8_t(0x80 >> (x % 8));
    };
    auto box = [&](int x0, int y0, int x1, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) dot(x, y);
    };
    Lcg r;
    box(150, 150, 1550, 260);
    for (int para = 0; para < 4; ++para) {
        for (int line = 0; line < 7; ++line) {
            const int y = 360 + para * 330 + line * 42;
            int x = 150;
            const int end = line == 6 ? r.range(500, 1200) : 1550;
            while (x < end) {
                const int word = r.range(30, 150);
                box(x, y, std::min(x + word, end), y + 22);
                x += word + r.range(14, 22);
            }
        }
    }
    for (int i = 0; i <= 5; ++i) box(150, 1700 + i * 70, 1550, 1703 + i * 70);
    for (int i = 0; i <= 4; ++i) box(150 + i * 350, 1700, 153 + i * 350, 2053);
    set_common(t, w, h, 0, 3);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, h);
    for (uint32_t y = 0; y < h; ++y)
        if (TIFFWriteScanline(t, &px[size_t(y) * stride], y, 0) < 0) return false;
    return TIFFWriteDirectory(t) != 0;
}

// Colour bands, a sky-to-grass gradient and a sun.
bool write_colour(TIFF* t) {
    const uint32_t w = 900, h = 600;
    std::vector<uint8_t> row(size_t(w) * 3);
    set_common(t, w, h, 1, 3);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 16);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = &row[size_t(x) * 3];
            const double dx = double(x) - 680, dy = double(y) - 150;
            if (dx * dx + dy * dy < 70.0 * 70.0) {
                p[0] = 250, p[1] = 200, p[2] = 40;
            } else if (y < 380) {
                p[0] = uint8_t(90 + y / 6), p[1] = uint8_t(150 + y / 6), p[2] = 235;
            } else {
                p[0] = uint8_t(40 + (x % 60)), p[1] = uint8_t(120 + (y - 380) / 3), p[2] = 50;
            }
        }
        if (TIFFWriteScanline(t, row.data(), y, 0) < 0) return false;
    }
    return TIFFWriteDirectory(t) != 0;
}

// A grey radial gradient with a ring.
bool write_grey(TIFF* t) {
    const uint32_t w = 600, h = 800;
    std::vector<uint8_t> row(w);
    set_common(t, w, h, 2, 3);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 32);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            const double d = std::hypot(double(x) - 300, double(y) - 400);
            const double v = d > 230 && d < 250 ? 0 : 255 - std::min(255.0, d * 0.6);
            row[x] = uint8_t(v);
        }
        if (TIFFWriteScanline(t, row.data(), y, 0) < 0) return false;
    }
    return TIFFWriteDirectory(t) != 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: make_sample OUT.tif\n");
        return 2;
    }
    TIFF* t = TIFFOpen(argv[1], "w");
    if (!t) return 1;
    const bool ok = write_letter(t) && write_colour(t) && write_grey(t);
    TIFFClose(t);
    if (!ok) fprintf(stderr, "make_sample: could not write %s\n", argv[1]);
    return ok ? 0 : 1;
}
