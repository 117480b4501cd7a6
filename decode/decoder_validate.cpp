// Validation of a page's tags: decides the colour model, the raster depth
// (1, 4, 8 or 24 bits per pixel) and the colour table before any pixel is read.
#include <cmath>

#include "decode/colour.h"
#include "decode/decoder_state.h"

namespace {

// Resolutions whose pels-per-metre value would not fit the bitmap header are
// treated like nonsense values: no resolution.
constexpr double kMaxResolution = 2.0e7;

bool plausible(double v) { return std::isfinite(v) && v > 0 && v <= kMaxResolution; }

// TIFFGetFieldDefaulted asks TIFFGetField first and only then looks up the
// default; asking directly spares its two extra layers for the usual page,
// where the tag is present.
template <class T>
bool field_or_default(TIFF* tiff, uint32_t tag, T* value) {
    return TIFFGetField(tiff, tag, value) || TIFFGetFieldDefaulted(tiff, tag, value);
}

// The unit only matters, and is only read, once both numbers are plausible.
void read_resolution(PageDecoder* d) {
    float x = 0, y = 0;
    if (!TIFFGetField(d->tiff, TIFFTAG_XRESOLUTION, &x)) x = 0;
    if (plausible(x) && !TIFFGetField(d->tiff, TIFFTAG_YRESOLUTION, &y)) y = 0;
    d->resolution_valid = plausible(x) && plausible(y) && x * 10.0 >= y && y * 10.0 >= x;
    if (d->resolution_valid) {
        uint16_t unit = 2;
        TIFFGetFieldDefaulted(d->tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
        d->resolution_unit = unit == 2 || unit == 3 ? unit : 1;
        d->x_resolution = x;
        d->y_resolution = y;
    } else {
        d->x_resolution = d->y_resolution = 1.0f;
        d->resolution_unit = 1;
    }
}

bool read_dimensions(PageDecoder* d) {
    if (!TIFFGetField(d->tiff, TIFFTAG_IMAGEWIDTH, &d->width)) {
        decoder_error(d, u"Missing IMAGEWIDTH tag");
        return false;
    }
    if (!TIFFGetField(d->tiff, TIFFTAG_IMAGELENGTH, &d->height)) {
        decoder_error(d, u"Missing IMAGELENGTH tag");
        return false;
    }
    if (!d->width || !d->height) {
        decoder_error(d, u"Invalid image width or height");
        return false;
    }
    return true;
}

// LogL/LogLuv arrive from libtiff as 8-bit grey or RGB, and JPEG-compressed
// YCbCr as RGB, when the codec is asked to convert.
void substitute_colour_model(PageDecoder* d) {
    d->colour_model = d->photometric;
    if (d->photometric == PHOTOMETRIC_LOGL || d->photometric == PHOTOMETRIC_LOGLUV) {
        // Only the SGILog codecs know the pseudo-tag; on other data the samples
        // would not be bytes, so the page stays an unsupported colour type.
        const bool sgilog = d->compression == COMPRESSION_SGILOG || d->compression == COMPRESSION_SGILOG24;
        if (sgilog && TIFFSetField(d->tiff, TIFFTAG_SGILOGDATAFMT, SGILOGDATAFMT_8BIT)) {
            d->bits_per_sample = 8;
            d->sample_format = 1;
            d->colour_model = d->photometric == PHOTOMETRIC_LOGL ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB;
        }
    }
    if (d->compression == COMPRESSION_JPEG && d->colour_model == PHOTOMETRIC_YCBCR &&
        TIFFSetField(d->tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB))
        d->colour_model = PHOTOMETRIC_RGB;
}

bool depth_supported(int model, int bps) {
    switch (model) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
        return bps == 1 || bps == 2 || bps == 4 || bps == 8 || bps == 16 || bps == 24 || bps == 32;
    case PHOTOMETRIC_PALETTE: return bps == 1 || bps == 2 || bps == 4 || bps == 8 || bps == 16;
    default: return bps == 8 || bps == 16 || bps == 24 || bps == 32;
    }
}

bool check_model(PageDecoder* d) {
    switch (d->colour_model) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_RGB:
    case PHOTOMETRIC_PALETTE:
    case PHOTOMETRIC_SEPARATED:
    case PHOTOMETRIC_YCBCR:
    case PHOTOMETRIC_CIELAB: break;
    default: {
        char16_t name[100];
        colour_type_name(d->photometric, d->bits_per_sample, name, 100);
        decoder_error(d, u"Unsupported color type (%s)", name);
        return false;
    }
    }
    if (d->sample_format != 1 && d->sample_format != 4) {
        decoder_error(d, u"Unsupported sample format (%d)", d->sample_format);
        return false;
    }
    if (!field_or_default(d->tiff, TIFFTAG_PLANARCONFIG, &d->planar)) d->planar = 1;
    if (d->planar != 1 && d->planar != 2) {
        decoder_error(d, u"Unsupported PLANARCONFIG (%d)", d->planar);
        return false;
    }
    if (!field_or_default(d->tiff, TIFFTAG_SAMPLESPERPIXEL, &d->samples_per_pixel)) {
        decoder_error(d, u"Missing SAMPLESPERPIXEL tag");
        return false;
    }
    return true;
}

bool choose_output(PageDecoder* d) {
    const int m = d->colour_model;
    if (grey_model(m)) d->components = 1;
    else if (m == PHOTOMETRIC_PALETTE)
        d->components = d->bits_per_sample == 16 ? 3 : 1;
    else {
        d->components = 3;
        if (d->samples_per_pixel < (m == PHOTOMETRIC_SEPARATED ? 4 : 3)) {
            decoder_error(d, u"Unsupported samples/pixel");
            return false;
        }
    }
    if (!depth_supported(m, d->bits_per_sample)) {
        decoder_error(d, u"Unsupported bits/sample (%d)", d->bits_per_sample);
        return false;
    }
    if (d->components == 3 || d->bits_per_sample >= 5) d->bits_per_component = 8;
    else
        d->bits_per_component = d->bits_per_sample == 1 ? 1 : 4;
    const uint64_t row_bits = uint64_t(d->components) * d->bits_per_component * d->width;
    const uint64_t stride = ((row_bits + 31) >> 5) * 4;
    d->dest_stride = stride > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(stride);
    return true;
}

}  // namespace

bool decoder_validate(PageDecoder* d) {
    d->validated = false;
    if (!d->tiff || !read_dimensions(d)) return false;
    read_resolution(d);
    if (!TIFFGetField(d->tiff, TIFFTAG_ORIENTATION, &d->orientation) || d->orientation < 1 || d->orientation > 8)
        d->orientation = 1;
    if (!TIFFGetField(d->tiff, TIFFTAG_COMPRESSION, &d->compression)) d->compression = 1;
    if (!TIFFGetField(d->tiff, TIFFTAG_SAMPLEFORMAT, &d->sample_format)) d->sample_format = 1;
    d->is_tiled = TIFFIsTiled(d->tiff);
    if (!field_or_default(d->tiff, TIFFTAG_BITSPERSAMPLE, &d->source_bits_per_sample)) {
        decoder_error(d, u"Missing BITSPERSAMPLE tag");
        return false;
    }
    d->bits_per_sample = d->source_bits_per_sample;
    // libtiff has no default for the photometric tag: asking for one would
    // only add a layer.
    if (!TIFFGetField(d->tiff, TIFFTAG_PHOTOMETRIC, &d->photometric)) d->photometric = 0;
    substitute_colour_model(d);
    if (!check_model(d) || !choose_output(d) || !decoder_build_colour_table(d)) return false;
    d->validated = true;
    return true;
}
