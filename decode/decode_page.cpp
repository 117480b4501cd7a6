#include "decode/decode_page.h"

#include <cstdio>
#include <utility>

#include "base/text.h"
#include "config/error_log.h"
#include "decode/page_decoder.h"
#include "decode/raster_ops.h"

namespace {

ErrorLog* log_of(PageDecoder* d) { return static_cast<ErrorLog*>(decoder_context(d)); }

void on_error(PageDecoder* d, const char16_t* text) { errlog_error(log_of(d), u"%s", text); }
void on_warning(PageDecoder* d, const char16_t* text) { errlog_warning(log_of(d), u"%s", text); }
void on_library_message(PageDecoder* d, const char* module, const char* format, va_list ap) {
    char text[1024];
    vsnprintf(text, sizeof text, format, ap);
    const Text16 wide = text_from_cp1252(text);
    if (module && *module) errlog_error(log_of(d), u"%S: %s", module, wide.c_str());
    else
        errlog_error(log_of(d), u"%s", wide.c_str());
}

int fact(PageDecoder* d, DecoderFact number) {
    int v = 0;
    decoder_get_fact(d, number, &v);
    return v;
}

// What raster_create's memory limit says of the upright raster's block.
bool upright_within_limit(int w, int h, int bpp, uint32_t memory_limit_mb) {
    if (!memory_limit_mb) return true;
    const int64_t stride = raster_row_stride(w, bpp);
    if (stride < 0) return false;
    const int64_t block = stride * h + 4 * raster_table_entries(bpp) + 40;
    return uint64_t(memory_limit_mb) * 1048576u >= uint64_t(block);
}

}  // namespace

bool decode_page_check_limits(PageDecoder* d, ErrorLog* log) {
    const int w = fact(d, DecoderFact::kWidth), h = fact(d, DecoderFact::kHeight);
    if (w < 1 || h < 1 || w > 0xA00000 || h > 0xA00000) {
        errlog_error(log, u"Invalid or unsupported image width or height");
        return false;
    }
    if ((h + 4.0) * (w + 4.0) * fact(d, DecoderFact::kOutputBitsPerPixel) / 8 > 2e9) {
        errlog_error(log, u"Image too large");
        return false;
    }
    const int bytes = fact(d, DecoderFact::kImageBytes);
    if (bytes < 1 || bytes > 2000000000) {
        errlog_error(log, u"Image is invalid or too large");
        return false;
    }
    return true;
}

bool decode_page_check_memory(PageDecoder* d, ErrorLog* log, uint32_t memory_limit_mb) {
    if (upright_within_limit(fact(d, DecoderFact::kWidth), fact(d, DecoderFact::kHeight),
                             fact(d, DecoderFact::kOutputBitsPerPixel), memory_limit_mb))
        return true;
    errlog_error(log, u"Image too large, exceeds configured %uMB memory limit", memory_limit_mb);
    return false;
}

bool decode_page_into_raster(PageDecoder* d, ErrorLog* log, int orientation, uint32_t memory_limit_mb,
                             DisplayRaster* raster, bool* turned_out) {
    *turned_out = false;
    const int w = fact(d, DecoderFact::kWidth), h = fact(d, DecoderFact::kHeight),
              bpp = fact(d, DecoderFact::kOutputBitsPerPixel);
    // Pages that can be stored already turned skip the turn afterwards, with
    // its second raster and its pass over the page. The memory limit still
    // applies to the upright raster, as it does when the page is turned
    // afterwards: where that raster would be refused, the usual path reports it.
    const bool turned = decoder_can_store_turned(d, orientation) && upright_within_limit(w, h, bpp, memory_limit_mb);
    // Zeroing a raster that decoding then writes over again costs a pass over
    // the page; where the decoder zeroes what it leaves itself, it is skipped.
    const bool unzeroed = !turned && decoder_clears_unwritten(d);
    if (turned ? !raster_create(log, raster, h, w, bpp, true, 0)
               : !raster_create(log, raster, w, h, bpp, !unzeroed, memory_limit_mb))
        return false;
    decoder_prepare_raster(d, raster);
    if (turned) {
        DibHeader* header = raster_dib(raster);
        std::swap(header->x_pels_per_meter, header->y_pels_per_meter);
        decoder_set_turned_dest(d, raster->bits, uint32_t(raster->stride), orientation);
    } else if (unzeroed) {
        decoder_set_unzeroed_dest(d, raster->bits);
    } else {
        decoder_set_dest(d, raster->bits);
    }
    *turned_out = turned;
    return decoder_decode(d);
}

bool decode_page(TIFF* tiff, ErrorLog* log, const DecodePageOptions& options, DisplayRaster* raster,
                 DecodedPageFacts* facts) {
    *raster = DisplayRaster{};
    PageDecoder* d = decoder_create();
    if (!d) return false;
    DecoderHandlers handlers;
    handlers.on_error = on_error;
    handlers.on_warning = on_warning;
    handlers.on_library_message = on_library_message;
    decoder_attach(d, tiff, handlers, log);
    decoder_set_option(d, DecoderOption::kOutputLayout, kOutputLayoutDib);
    decoder_set_option(d, DecoderOption::kRepairPalette, options.repair_palette);
    bool ok = decoder_validate(d) && decode_page_check_limits(d, log);
    const int orientation = fact(d, DecoderFact::kOrientation);
    bool turned = false;
    ok = ok && decode_page_into_raster(d, log, options.apply_orientation ? orientation : 1, options.memory_limit_mb,
                                       raster, &turned);
    if (facts) {
        facts->orientation = orientation;
        facts->photometric = fact(d, DecoderFact::kPhotometric);
        facts->compression = fact(d, DecoderFact::kCompression);
        facts->source_bits_per_sample = fact(d, DecoderFact::kSourceBitsPerSample);
        facts->samples_per_pixel = fact(d, DecoderFact::kSamplesPerPixel);
        facts->output_bits_per_pixel = fact(d, DecoderFact::kOutputBitsPerPixel);
    }
    decoder_destroy(d);
    if (ok && options.apply_orientation && !turned) ok = raster_apply_orientation(log, raster, orientation);
    if (!ok) raster_destroy(raster);
    if (facts) {
        facts->width = raster_width(raster);
        facts->height = raster_height(raster);
    }
    return ok;
}
