// The page decoder's life: creation, options and facts, validation of the
// page's tags (which fixes the raster format and the colour table), and the
// choice of reading strategy.
#include "decode/page_decoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "base/text.h"
#include "decode/channel_order.h"
#include "decode/colour.h"
#include "decode/decoder_state.h"
#include "decode/library_messages.h"
#include "decode/raster.h"

namespace {

constexpr int kMessageUnits = 1024;

void hold_library_message(PageDecoder* d, const char* module, const char* fmt, va_list ap) {
    HeldLibraryMessage m;
    m.has_module = module != nullptr;
    if (module) m.module = module;
    if (!fmt) fmt = "";
    va_list again;
    va_copy(again, ap);
    const int n = vsnprintf(nullptr, 0, fmt, again);
    va_end(again);
    if (n > 0) {
        m.text.resize(size_t(n) + 1);
        vsnprintf(m.text.data(), m.text.size(), fmt, ap);
        m.text.resize(size_t(n));
    }
    d->held_messages.push_back(std::move(m));
}

// libtiff's error handler is process-wide; while a page decodes, its errors are
// forwarded to that decoder, which is why decoding is not re-entrant.
void forward_library_error(void* decoder, bool, const char* module, const char* fmt, va_list ap) {
    auto* d = static_cast<PageDecoder*>(decoder);
    if (!d->handlers.on_library_message) return;
    if (d->hold_library_messages) hold_library_message(d, module, fmt, ap);
    else
        d->handlers.on_library_message(d, module, fmt, ap);
}

// The handler formats what it is given; a held message is already formatted
// in full, so "%s" gives it the same text it would have made itself.
void replay_library_message(PageDecoder* d, const char* module, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    d->handlers.on_library_message(d, module, fmt, ap);
    va_end(ap);
}

void report(PageDecoder* d, bool is_error, const char16_t* fmt, va_list ap) {
    char16_t text[kMessageUnits];
    text_vformat(text, kMessageUnits, fmt, ap);
    auto handler = is_error ? d->handlers.on_error : d->handlers.on_warning;
    if (handler) handler(d, text);
}

}  // namespace

void decoder_error(PageDecoder* d, const char16_t* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    report(d, true, fmt, ap);
    va_end(ap);
}

void decoder_warning(PageDecoder* d, const char16_t* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    report(d, false, fmt, ap);
    va_end(ap);
}

void decoder_release_held_messages(PageDecoder* d) {
    for (const HeldLibraryMessage& m : d->held_messages)
        replay_library_message(d, m.has_module ? m.module.c_str() : nullptr, "%s", m.text.c_str());
    d->held_messages.clear();
}

PageDecoder* decoder_create() {
    auto* d = static_cast<PageDecoder*>(malloc(sizeof(PageDecoder)));
    if (d) new (d) PageDecoder();
    return d;
}

void decoder_attach(PageDecoder* d, TIFF* tiff, const DecoderHandlers& handlers, void* context) {
    d->tiff = tiff;
    d->handlers = handlers;
    d->context = context;
}

void* decoder_context(PageDecoder* d) { return d->context; }

bool decoder_set_option(PageDecoder* d, DecoderOption option, int value) {
    switch (option) {
    case DecoderOption::kOutputLayout: d->output_layout = value; return true;
    case DecoderOption::kRepairPalette: d->repair_palette = value != 0; return true;
    }
    return false;
}

int decoder_option(PageDecoder* d, DecoderOption option) {
    switch (option) {
    case DecoderOption::kOutputLayout: return d->output_layout;
    case DecoderOption::kRepairPalette: return d->repair_palette;
    }
    return 0;
}

bool decoder_get_fact(PageDecoder* d, DecoderFact fact, int* out) {
    int v = 0;
    bool ok = true;
    // Sizes derived from a hostile width can exceed an int: saturate, so that the
    // caller's "too large" checks refuse the page instead of seeing a wrapped value.
    const auto saturate = [](uint64_t x) { return x > 0x7FFFFFFF ? 0x7FFFFFFF : int(x); };
    using F = DecoderFact;
    switch (fact) {
    case F::kWidth: v = saturate(d->width); break;
    case F::kHeight: v = saturate(d->height); break;
    case F::kSourceBitsPerSample: v = d->source_bits_per_sample; break;
    case F::kSamplesPerPixel: v = d->samples_per_pixel; break;
    case F::kSourceBitsPerPixel: v = d->samples_per_pixel * d->source_bits_per_sample; break;
    case F::kOrientation: v = d->orientation; break;
    case F::kResolutionUnit: v = d->resolution_unit; break;
    case F::kCompression: v = d->compression; break;
    case F::kPhotometric: v = d->photometric; break;
    case F::kDestStride: v = saturate(d->dest_stride); break;
    case F::kImageBytes: v = saturate(uint64_t(d->dest_stride) * d->height); break;
    case F::kIsGrey: v = d->is_grey; break;
    case F::kIsFourLevel: v = d->is_four_level; break;
    case F::kOutputBitsPerPixel: v = d->components * d->bits_per_component; break;
    case F::kPaletteCount: v = d->palette_count; break;
    case F::kResolutionValid: v = d->resolution_valid; break;
    default: ok = false;
    }
    *out = v;
    return ok;
}

float decoder_get_resolution(PageDecoder* d, DecoderAxis axis) {
    return axis == DecoderAxis::kX ? d->x_resolution : d->y_resolution;
}

void decoder_prepare_raster(PageDecoder* d, DisplayRaster* raster) {
    if (raster_empty(raster)) return;
    raster->is_grey = d->is_grey;
    raster->is_four_level = d->is_four_level;
    DibHeader* h = raster_dib(raster);
    const double x = d->x_resolution, y = d->y_resolution;
    if (d->resolution_unit == 2) {
        h->x_pels_per_meter = int32_t(x * 39.37 + 0.5);
        h->y_pels_per_meter = int32_t(y * 39.37 + 0.5);
    } else if (d->resolution_unit == 3) {
        h->x_pels_per_meter = int32_t(x * 100 + 0.5);
        h->y_pels_per_meter = int32_t(y * 100 + 0.5);
    } else if (x != y) {  // no unit: the numbers still give the pixel aspect ratio
        h->x_pels_per_meter = int32_t(x + 0.5);
        h->y_pels_per_meter = int32_t(y + 0.5);
    } else {
        h->x_pels_per_meter = h->y_pels_per_meter = 0;
    }
    const int entries = std::min(d->palette_count, raster_table_entries(raster_bpp(raster)));
    if (entries > 0)
        channel_rgbx_to_bgr0(d->palette, reinterpret_cast<uint8_t*>(raster_colours(raster)), size_t(entries));
}

namespace {

// The pages run_strategy hands to read_whole_strips.
bool reads_whole_strips(const PageDecoder* d) {
    const int m = d->colour_model;
    if (d->is_tiled || d->bits_per_sample != 8 || d->planar != 1) return false;
    if (m == PHOTOMETRIC_RGB) return d->compression == COMPRESSION_JPEG;
    return grey_model(m) && (d->compression == COMPRESSION_JPEG || d->compression == COMPRESSION_OJPEG);
}

}  // namespace

bool decoder_set_row_sink(PageDecoder* d, void (*on_row)(void* user, const uint8_t* row), void* user) {
    if (!d->validated || !on_row || d->planar != 1) return false;
    const int m = d->colour_model;
    // Subsampled colour comes in blocks of rows; 16-bit palettes are read twice.
    if (m == 6 || (m == 3 && d->bits_per_sample == 16)) return false;
    // A tile row writes its rows once per tile across the page.
    uint32_t rows = 1;
    if (d->is_tiled && !TIFFGetField(d->tiff, TIFFTAG_TILELENGTH, &rows)) return false;
    if (!rows || rows > d->height || uint64_t(rows) * d->dest_stride > uint64_t(kDecoderMaxChunkBytes)) return false;
    const size_t bytes = size_t(rows) * d->dest_stride;
    free(d->band);
    free(d->band_scratch);
    d->band = static_cast<uint8_t*>(calloc(bytes, 1));
    d->band_scratch = static_cast<uint8_t*>(calloc(d->dest_stride, 1));
    if (!d->band || !d->band_scratch) return false;
    d->band_rows = rows;
    d->band_first = 0;
    d->row_sink = on_row;
    d->row_sink_user = user;
    d->dest_bits = nullptr;
    d->turned = d->dest_unzeroed = false;
    return true;
}

namespace {

// Hands on the band's rows below `end` (and zeroed rows for any the band never held).
void flush_band_to(PageDecoder* d, uint32_t end) {
    while (d->band_first < end) {
        const uint32_t n = std::min(d->band_rows, d->height - d->band_first);
        for (uint32_t i = 0; i < n; ++i) d->row_sink(d->row_sink_user, d->band + size_t(i) * d->dest_stride);
        memset(d->band, 0, size_t(n) * d->dest_stride);
        d->band_first += n;
    }
}

}  // namespace

uint8_t* decoder_band_row(PageDecoder* d, uint32_t row) {
    if (row >= d->band_first + d->band_rows) flush_band_to(d, row - row % d->band_rows);
    if (row < d->band_first) {  // handed on already: the write goes nowhere
        memset(d->band_scratch, 0, d->dest_stride);
        return d->band_scratch;
    }
    return d->band + size_t(row - d->band_first) * d->dest_stride;
}

void decoder_set_dest(PageDecoder* d, uint8_t* bits) {
    d->dest_bits = bits;
    d->turned = false;
    d->dest_unzeroed = false;
}

bool decoder_clears_unwritten(PageDecoder* d) {
    // Only read_whole_strips keeps count of the rows it stored; the other
    // strategies count on the zeroed raster for rows and bytes they skip.
    return d->validated && reads_whole_strips(d);
}

void decoder_set_unzeroed_dest(PageDecoder* d, uint8_t* bits) {
    decoder_set_dest(d, bits);
    d->dest_unzeroed = true;
}

bool decoder_can_store_turned(PageDecoder* d, int orientation) {
    if (!d->validated || orientation < 5 || orientation > 8 || d->is_tiled || d->planar != 1) return false;
    // Only pages that run_strategy hands to read_contiguous_colour.
    const int m = d->colour_model;
    if (!interleaved_colour_model(m)) return false;
    if (m == PHOTOMETRIC_RGB && d->compression == COMPRESSION_JPEG && d->bits_per_sample == 8) return false;
    return contiguous_colour_turns(d);
}

void decoder_set_turned_dest(PageDecoder* d, uint8_t* bits, uint32_t stride, int orientation) {
    // As raster_apply_orientation turns: a transpose, then for 5 a mirror and
    // a flip, for 6 a flip, for 8 a mirror. The turned raster's stored row i
    // is column i of the page (counted from the right when flipped), its
    // column j row j of the page (counted from the bottom unless mirrored,
    // the upright raster being stored bottom row first).
    const bool rows_forward = orientation == 5 || orientation == 8;
    const bool columns_backward = orientation == 5 || orientation == 6;
    d->dest_bits = bits;
    d->turned = true;
    d->dest_unzeroed = false;
    d->turned_stride = stride;
    d->turned_column_step = columns_backward ? -int64_t(stride) : int64_t(stride);
    d->turned_row_step = rows_forward ? 3 : -3;
    d->turned_origin = bits + (columns_backward ? int64_t(d->width - 1) * stride : 0) +
                       (rows_forward ? 0 : 3 * int64_t(d->height - 1));
}

void decoder_destroy(PageDecoder* d) {
    if (!d) return;
    free(d->palette);
    free(d->line_buffer);
    free(d->strip_buffer);
    free(d->band);
    free(d->band_scratch);
    d->~PageDecoder();
    free(d);
}

namespace {

bool choose_scanline_strategy(PageDecoder* d, bool* result) {
    const int m = d->colour_model;
    if (d->planar == 1 && interleaved_colour_model(m)) *result = read_contiguous_colour(d);
    else if (d->planar == 2 && m == PHOTOMETRIC_RGB)
        *result = read_separate_rgb(d);
    else if (d->planar == 2 && m == PHOTOMETRIC_SEPARATED)
        *result = read_separate_cmyk(d);
    else if (m == PHOTOMETRIC_PALETTE && d->bits_per_sample == 16)
        *result = read_16bit_palette(d);
    else if (grey_model(m) && d->bits_per_sample >= 8)
        *result = read_8bit_scanlines(d);
    else if (one_channel_model(m) && d->bits_per_sample < 5 && d->samples_per_pixel == 1)
        *result = read_low_depth_scanlines(d);
    else if (one_channel_model(m) && d->bits_per_sample == 8)
        *result = read_8bit_scanlines(d);
    else
        return false;
    return true;
}

bool run_strategy(PageDecoder* d) {
    if ((!d->dest_bits && !d->row_sink) || !d->validated) return false;
    if (reads_whole_strips(d)) return read_whole_strips(d);
    // The other strategies count on a zeroed raster for the bytes they skip.
    if (d->dest_unzeroed) memset(d->dest_bits, 0, size_t(uint64_t(d->dest_stride) * d->height));
    if (d->is_tiled) return read_tiles(d);
    const int m = d->colour_model;
    const bool plain8 = d->bits_per_sample == 8 && d->planar == 1;
    if (m == PHOTOMETRIC_YCBCR && d->samples_per_pixel == 3 && plain8) return read_subsampled_ycbcr(d, false);
    // A scanline is one row of the page: one beyond the chunk cap can only come
    // from hostile sample counts, and would be refused by the allocator anyway.
    const tmsize_t size = TIFFScanlineSize(d->tiff);
    if (size < 1 || size > kDecoderMaxChunkBytes) return false;
    d->line_buffer_size = size_t(size);
    // Rows handed out from whole strips need no line of their own.
    decoder_begin_strip_reading(d);
    if (!d->strip_buffer) d->line_buffer = static_cast<uint8_t*>(malloc(d->line_buffer_size));
    if (!d->strip_buffer && !d->line_buffer) return false;
    bool result = false;
    if (!choose_scanline_strategy(d, &result)) decoder_error(d, u"This type of image is not supported");
    decoder_end_strip_reading(d);
    free(d->line_buffer);
    d->line_buffer = nullptr;
    return result;
}

}  // namespace

bool decoder_decode(PageDecoder* d) {
    const LibraryErrorDiversion diversion(forward_library_error, d);
    d->rows_read = d->consecutive_failures = 0;
    d->red_offset = 16;
    d->green_offset = 8;
    d->blue_offset = 0;
    const bool ok = run_strategy(d);
    if (d->row_sink && ok) flush_band_to(d, d->height);
    return ok;
}
