#include "output/tiff_page_writer.h"

#include <tiffio.h>

#include <vector>

namespace {
bool image_is_sane(const PageImage& im) {
    if (!im.bits || im.width <= 0 || im.height <= 0) return false;
    if (im.bits_per_pixel != 1 && im.bits_per_pixel != 24) return false;
    const int64_t need = (int64_t(im.width) * im.bits_per_pixel + 7) / 8;
    return im.stride >= need;
}

const uint8_t* row_from_top(const PageImage& im, int32_t y) { return im.bits + int64_t(im.height - 1 - y) * im.stride; }

bool row_is_grey(const uint8_t* row, int32_t width) {
    for (int32_t x = 0; x < width; ++x, row += 3)
        if (row[0] != row[1] || row[1] != row[2]) return false;
    return true;
}

// One row as the file stores it.
void convert_row(PageKind kind, const uint8_t* in, int32_t width, uint8_t* out) {
    switch (kind) {
    case PageKind::kColour:
        for (int32_t x = 0; x < width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
        break;
    case PageKind::kGrey:
        for (int32_t x = 0; x < width; ++x, in += 3) *out++ = in[0];
        break;
    case PageKind::kBilevel:
        // Drawn with 0 black; WhiteIsZero wants 1 black.
        for (int32_t i = 0, n = (width + 7) / 8; i < n; ++i) out[i] = uint8_t(~in[i]);
        break;
    }
}

void set_tags(TIFF* tif, PageKind kind, const PageImage& im, const PageTags& tags) {
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, tags.subfile_type);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(im.width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(im.height));
    if (kind == PageKind::kBilevel) {
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 128);
    } else {
        const bool colour = kind == PageKind::kColour;
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, colour ? 3 : 1);
        if (colour) TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, colour ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 64);
    }
    if (tags.x_resolution > 0 && tags.y_resolution > 0) {
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, uint16_t(tags.resolution_unit));
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(tags.x_resolution));
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(tags.y_resolution));
    }
}
}  // namespace

PageKind page_image_kind(const PageImage& im) {
    if (im.bits_per_pixel != 24) return PageKind::kBilevel;
    for (int32_t y = 0; y < im.height; ++y)
        if (!row_is_grey(row_from_top(im, y), im.width)) return PageKind::kColour;
    return PageKind::kGrey;
}

bool tiffwrite_page(TIFF* tif, const PageImage& im, const PageTags& tags) {
    if (!tif || !image_is_sane(im)) return false;
    const PageKind kind = page_image_kind(im);
    set_tags(tif, kind, im, tags);
    const size_t row_bytes = kind == PageKind::kColour ? size_t(im.width) * 3
                             : kind == PageKind::kGrey ? size_t(im.width)
                                                       : size_t(im.width + 7) / 8;
    std::vector<uint8_t> row(row_bytes);
    for (int32_t y = 0; y < im.height; ++y) {
        convert_row(kind, row_from_top(im, y), im.width, row.data());
        if (TIFFWriteScanline(tif, row.data(), uint32_t(y), 0) < 0) return false;
    }
    return TIFFWriteDirectory(tif) != 0;
}
