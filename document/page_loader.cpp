#include "document/page_loader.h"

#include <tiffio.h>

#include <climits>

#include "config/error_log.h"
#include "decode/decode_page.h"
#include "decode/page_decoder.h"
#include "decode/raster_ops.h"
#include "document/byte_source.h"
#include "document/compression_names.h"
#include "document/tiff_messages.h"

namespace {
ErrorLog* log_of(PageDecoder* decoder) { return static_cast<ErrorLog*>(decoder_slot(decoder, kDecoderSlotFirst)); }

void on_decoder_error(PageDecoder* decoder, const char16_t* text) { errlog_error(log_of(decoder), u"%s", text); }
void on_decoder_warning(PageDecoder* decoder, const char16_t* text) { errlog_warning(log_of(decoder), u"%s", text); }
void on_decoder_library_message(PageDecoder* decoder, const char* module, const char* format, va_list ap) {
    tiffmsg_log_message(log_of(decoder), true, module, format, ap);
}

// The leading number of an ASCII tag; -1 when the tag is absent.
int leading_number(TIFF* tif, uint32_t tag) {
    const char* text = nullptr;
    if (!TIFFGetField(tif, tag, &text) || !text) return -1;
    const long long n = text_leading_int(text_from_cp1252(text));
    return n > INT_MAX ? INT_MAX : n < INT_MIN ? INT_MIN : int(n);
}

bool compression_disabled(const LoaderContext& context, int code) {
    for (int i = 0; i < context.disabled_compression_count; ++i)
        if (context.disabled_compressions[i] == code) return true;
    return false;
}

int fact(PageDecoder* decoder, int number) {
    int value = 0;
    decoder_get_fact(decoder, number, &value);
    return value;
}

void read_page_facts(TIFF* tif, PageDecoder* decoder, const LoaderContext& context, PageState* page) {
    page->width = fact(decoder, kFactWidth);
    page->height = fact(decoder, kFactHeight);
    page->compression = fact(decoder, kFactCompression);
    page->orientation = fact(decoder, kFactOrientation);
    page->resolution_unit = fact(decoder, kFactResolutionUnit);
    float x = 0, y = 0;
    decoder_get_fact_float(decoder, kFactXResolution, &x);
    decoder_get_fact_float(decoder, kFactYResolution, &y);
    page->x_resolution = x;
    page->y_resolution = y;
    page->resolution_valid = fact(decoder, kFactResolutionValid) != 0;
    page->photometric = fact(decoder, kFactPhotometric);
    page->bits_per_sample = fact(decoder, kFactSourceBitsPerSample);
    page->samples_per_pixel = fact(decoder, kFactSamplesPerPixel);
    page->source_bits_per_pixel = fact(decoder, kFactSourceBitsPerPixel);
    page->output_bits_per_pixel = fact(decoder, kFactOutputBitsPerPixel);
    page->palette_count = fact(decoder, kFactPaletteCount);
    page->is_grey = fact(decoder, kFactIsGrey) != 0;
    uint32_t subfile_type = 0;
    if (TIFFGetField(tif, TIFFTAG_SUBFILETYPE, &subfile_type)) page->subfile_type = subfile_type;
    const char* software = nullptr;
    if (TIFFGetField(tif, TIFFTAG_SOFTWARE, &software) && software) page->software = text_from_cp1252(software);
    // Some document systems name the paper tray and duplex mode of each page
    // in these tags; only the print-hack mode reads them.
    if (context.print_hack) {
        page->hint_page_name = leading_number(tif, TIFFTAG_PAGENAME);
        page->hint_model = leading_number(tif, TIFFTAG_MODEL);
        page->hint_target_printer = leading_number(tif, TIFFTAG_TARGETPRINTER);
    }
}

TIFF* open_reader(const DocumentBytes* bytes, ErrorLog* log, uint64_t directory) {
    if (bytes->memory) return tiffsrc_open_memory(bytes->memory, bytes->size, directory);
    if (bytes->file_path && *bytes->file_path) return tiffsrc_open_file(bytes->file_path, directory);
    errlog_error(log, u"Internal error: No file to load");
    return nullptr;
}

// Steps from a validated decoder to a decoded raster, in TIFF row order or,
// where the decoder can store it so, already turned (*turned).
bool decode_into_raster(PageDecoder* decoder, const LoaderContext& context, PageState* page, DisplayRaster* raster,
                        bool* turned) {
    ErrorLog* log = context.page_log;
    if (compression_disabled(context, page->compression)) {
        char16_t name[64];
        compression_name(page->compression, name, 64);
        errlog_error(log, u"%s compression support is disabled", name);
        return false;
    }
    // Every size limit is checked before the raster takes any memory.
    if (!decode_page_check_limits(decoder, log)) return false;
    return decode_page_into_raster(decoder, log, page->orientation, context.memory_limit_mb, raster, turned);
}

void swap_axes(PageState* page) {
    const int w = page->width;
    page->width = page->height;
    page->height = w;
    const double x = page->x_resolution;
    page->x_resolution = page->y_resolution;
    page->y_resolution = x;
}

bool load_with_reader(TIFF* tif, const LoaderContext& context, PageState* page, DisplayRaster* raster,
                      bool* turned) {
    PageDecoder* decoder = decoder_create();
    if (!decoder) {
        errlog_error(context.page_log, u"Out of memory");
        return false;
    }
    DecoderHandlers handlers;
    handlers.on_error = on_decoder_error;
    handlers.on_warning = on_decoder_warning;
    handlers.on_library_message = on_decoder_library_message;
    decoder_attach(decoder, tif, handlers, context.page_log);
    decoder_set_option(decoder, kOptionOutputLayout, kOutputLayoutDib);
    decoder_set_option(decoder, kOptionRepairPalette, context.palette_repair);
    bool ok = decoder_validate(decoder);
    if (ok) {
        read_page_facts(tif, decoder, context, page);
        ok = decode_into_raster(decoder, context, page, raster, turned);
    }
    decoder_destroy(decoder);
    return ok;
}
}  // namespace

void page_state_clear(PageState* page) { *page = PageState{}; }

bool page_load(const Document* doc, int directory, const DocumentBytes* bytes, const LoaderContext& context,
               PageState* page, DisplayRaster* raster) {
    tiffmsg_attach(context.page_log);
    page_state_clear(page);
    raster_destroy(raster);
    bool ok = false, turned = false;
    if (directory >= 0 && directory < doc->directory_count && doc->directories[directory].offset != 0) {
        const uint64_t offset = doc->directories[directory].offset;
        // Opened straight on the page's directory: page 4,000 costs what page 1 does.
        if (TIFF* tif = open_reader(bytes, context.page_log, offset)) {
            ok = (TIFFCurrentDirOffset(tif) == offset || TIFFSetSubDirectory(tif, offset)) &&
                 load_with_reader(tif, context, page, raster, &turned);
            TIFFClose(tif);
        }
    }
    if (ok) {
        if (!turned) ok = raster_apply_orientation(context.page_log, raster, page->orientation);
        if (ok && orientation_swaps_axes(page->orientation)) swap_axes(page);
    }
    if (!ok) raster_destroy(raster);
    page->shown = ok;
    tiffmsg_attach(nullptr);
    return ok;
}
