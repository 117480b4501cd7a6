#include "document/page_loader.h"

#include <tiffio.h>

#include <algorithm>
#include <climits>

#include "config/error_log.h"
#include "decode/decode_page.h"
#include "decode/page_decoder.h"
#include "decode/raster_ops.h"
#include "document/byte_source.h"
#include "document/compression_names.h"
#include "document/tiff_messages.h"

namespace {
ErrorLog* log_of(PageDecoder* decoder) { return static_cast<ErrorLog*>(decoder_context(decoder)); }

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

int fact(PageDecoder* decoder, DecoderFact number) {
    int value = 0;
    decoder_get_fact(decoder, number, &value);
    return value;
}

void read_page_facts(TIFF* tif, PageDecoder* decoder, const LoaderContext& context, PageState* page) {
    page->width = fact(decoder, DecoderFact::kWidth);
    page->height = fact(decoder, DecoderFact::kHeight);
    page->compression = fact(decoder, DecoderFact::kCompression);
    page->orientation = fact(decoder, DecoderFact::kOrientation);
    page->resolution_unit = fact(decoder, DecoderFact::kResolutionUnit);
    page->x_resolution = decoder_get_resolution(decoder, DecoderAxis::kX);
    page->y_resolution = decoder_get_resolution(decoder, DecoderAxis::kY);
    page->resolution_valid = fact(decoder, DecoderFact::kResolutionValid) != 0;
    page->photometric = fact(decoder, DecoderFact::kPhotometric);
    page->bits_per_sample = fact(decoder, DecoderFact::kSourceBitsPerSample);
    page->samples_per_pixel = fact(decoder, DecoderFact::kSamplesPerPixel);
    page->source_bits_per_pixel = fact(decoder, DecoderFact::kSourceBitsPerPixel);
    page->output_bits_per_pixel = fact(decoder, DecoderFact::kOutputBitsPerPixel);
    page->palette_count = fact(decoder, DecoderFact::kPaletteCount);
    page->is_grey = fact(decoder, DecoderFact::kIsGrey) != 0;
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

bool compression_allowed(const LoaderContext& context, const PageState* page) {
    if (!compression_disabled(context, page->compression)) return true;
    char16_t name[64];
    compression_name(page->compression, name, 64);
    errlog_error(context.page_log, u"%s compression support is disabled", name);
    return false;
}

void swap_axes(PageState* page) {
    const int w = page->width;
    page->width = page->height;
    page->height = w;
    const double x = page->x_resolution;
    page->x_resolution = page->y_resolution;
    page->y_resolution = x;
}

// A decoder on the reader's directory, validated, with the page's facts read
// and every refusal that needs no pixel memory made (switched-off
// compressions, absurd sizes): what a page load does before it allocates.
// Null when the page is refused (the page log says why).
PageDecoder* prepare_decoder(TIFF* tif, const LoaderContext& context, PageState* page) {
    PageDecoder* decoder = decoder_create();
    if (!decoder) {
        errlog_error(context.page_log, u"Out of memory");
        return nullptr;
    }
    DecoderHandlers handlers;
    handlers.on_error = on_decoder_error;
    handlers.on_warning = on_decoder_warning;
    handlers.on_library_message = on_decoder_library_message;
    decoder_attach(decoder, tif, handlers, context.page_log);
    decoder_set_option(decoder, DecoderOption::kOutputLayout, kOutputLayoutDib);
    decoder_set_option(decoder, DecoderOption::kRepairPalette, context.palette_repair);
    bool ok = decoder_validate(decoder);
    if (ok) {
        read_page_facts(tif, decoder, context, page);
        // Every size limit is checked before the raster takes any memory.
        ok = compression_allowed(context, page) && decode_page_check_limits(decoder, context.page_log);
    }
    if (!ok) {
        decoder_destroy(decoder);
        return nullptr;
    }
    return decoder;
}

// Steps from a prepared decoder to a decoded raster, in TIFF row order or,
// where the decoder can store it so, already turned (*turned).
// A hook may make the pixels itself (*hook_done) once every refusal is made.
bool load_with_reader(TIFF* tif, const LoaderContext& context, PageState* page, DisplayRaster* raster, bool* turned,
                      const PageDecodeHook& hook, bool* hook_done) {
    PageDecoder* decoder = prepare_decoder(tif, context, page);
    if (!decoder) return false;
    bool ok = false;
    if (hook.decode) {
        const PageHookResult r = hook.decode(tif, decoder, *page, hook.user);
        *hook_done = r != PageHookResult::kDecode;
        ok = r == PageHookResult::kDone;
    }
    if (!*hook_done)
        ok = decode_page_into_raster(decoder, context.page_log, page->orientation, context.memory_limit_mb, raster,
                                     turned);
    decoder_destroy(decoder);
    return ok;
}

// Runs `step` on a reader positioned on the directory's IFD, with libtiff's
// messages going to the page log; false when there is no such reader.
template <class Step>
bool with_page_reader(const Document* doc, int directory, const DocumentBytes* bytes, const LoaderContext& context,
                      Step step) {
    if (directory < 0 || directory >= doc->directory_count || doc->directories[directory].offset == 0) return false;
    const uint64_t offset = doc->directories[directory].offset;
    // Opened straight on the page's directory: page 4,000 costs what page 1 does.
    TIFF* tif = open_reader(bytes, context.page_log, offset);
    if (!tif) return false;
    const bool ok = (TIFFCurrentDirOffset(tif) == offset || TIFFSetSubDirectory(tif, offset)) && step(tif);
    TIFFClose(tif);
    return ok;
}

// Whether reading every strip of the page could add to the page log or fail,
// as far as the directory can tell. Only plain layouts (the common codecs,
// one sample per pixel or whole colour pixels, strips) whose strips are all
// present and lie inside the file are answered from the tags; anything else
// (JPEG, tiles, subsampled YCbCr, strips missing, empty or past the end of
// the file) is decoded to find out. Damage inside a strip's compressed data
// shows only to a decoder.
bool decoding_may_add_messages(TIFF* tif, const DocumentBytes* bytes, const PageState& page) {
    static const int kPlainCompressions[] = {COMPRESSION_NONE,          COMPRESSION_CCITTRLE, COMPRESSION_CCITTFAX3,
                                             COMPRESSION_CCITTFAX4,     COMPRESSION_LZW,      COMPRESSION_PACKBITS,
                                             COMPRESSION_ADOBE_DEFLATE, COMPRESSION_DEFLATE};
    bool plain = false;
    for (int c : kPlainCompressions) plain = plain || page.compression == c;
    const int spp = page.samples_per_pixel, photometric = page.photometric;
    const bool one_sample = photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK ||
                            photometric == PHOTOMETRIC_PALETTE;
    const bool plain_samples = (spp == 1 && one_sample) || (spp >= 3 && photometric == PHOTOMETRIC_RGB) ||
                               (spp >= 4 && photometric == PHOTOMETRIC_SEPARATED);
    if (!plain || !plain_samples || TIFFIsTiled(tif) || !bytes->size_known) return true;
    if (TIFFStripSize64(tif) > uint64_t(kDecoderMaxChunkBytes)) return true;
    const uint32_t chunks = TIFFNumberOfStrips(tif);
    if (chunks == 0) return true;
    const uint64_t file_size = uint64_t(bytes->size);
    // Uncompressed strips must hold all their rows (the last strip only those
    // left); any other codec may pack a strip into as little as a byte.
    uint32_t rows_per_strip = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rows_per_strip);
    const uint64_t height = uint32_t(page.height);  // as stored: the axes are not swapped yet
    const uint64_t rows = std::min<uint64_t>(std::max<uint32_t>(rows_per_strip, 1), height);
    const uint64_t strips_per_plane = (height + rows - 1) / rows;
    const uint64_t scanline = uint64_t(TIFFScanlineSize64(tif));
    for (uint32_t i = 0; i < chunks; ++i) {
        int failed = 0;
        const uint64_t offset = TIFFGetStrileOffsetWithErr(tif, i, &failed);
        const uint64_t count = TIFFGetStrileByteCountWithErr(tif, i, &failed);
        if (failed || offset == 0 || count == 0 || offset > file_size || count > file_size - offset) return true;
        const uint64_t first_row = (i % strips_per_plane) * rows;
        if (page.compression == COMPRESSION_NONE && first_row < height &&
            count < std::min(rows, height - first_row) * scanline)
            return true;
        // The LZW codec warns once when a strip opens with the codes of its
        // early, incompatible variant; the strip's first two bytes say so.
        uint8_t head[2];
        if (page.compression == COMPRESSION_LZW &&
            (TIFFReadRawStrip(tif, i, head, 2) != 2 || (head[0] == 0 && (head[1] & 1))))
            return true;
    }
    return false;
}
}  // namespace

void page_state_clear(PageState* page) { *page = PageState{}; }

bool page_load(const Document* doc, int directory, const DocumentBytes* bytes, const LoaderContext& context,
               PageState* page, DisplayRaster* raster) {
    bool hook_done = false;
    return page_load_with_hook(doc, directory, bytes, context, page, raster, PageDecodeHook{}, &hook_done);
}

bool page_load_with_hook(const Document* doc, int directory, const DocumentBytes* bytes, const LoaderContext& context,
                         PageState* page, DisplayRaster* raster, const PageDecodeHook& hook, bool* hook_done) {
    tiffmsg_attach(context.page_log);
    page_state_clear(page);
    raster_destroy(raster);
    *hook_done = false;
    bool turned = false;
    bool ok = with_page_reader(doc, directory, bytes, context, [&](TIFF* tif) {
        return load_with_reader(tif, context, page, raster, &turned, hook, hook_done);
    });
    // Pixels the hook made are its own: they are neither turned nor kept here.
    if (ok && !*hook_done && !turned) ok = raster_apply_orientation(context.page_log, raster, page->orientation);
    if (ok && orientation_swaps_axes(page->orientation)) swap_axes(page);
    if (!ok) raster_destroy(raster);
    page->shown = ok;
    tiffmsg_attach(nullptr);
    return ok;
}

PageDescription page_describe(const Document* doc, int directory, const DocumentBytes* bytes,
                              const LoaderContext& context, PageState* page) {
    tiffmsg_attach(context.page_log);
    page_state_clear(page);
    bool needs_decoding = false;
    const bool ok = with_page_reader(doc, directory, bytes, context, [&](TIFF* tif) {
        PageDecoder* decoder = prepare_decoder(tif, context, page);
        if (!decoder) return false;
        const bool fits = decode_page_check_memory(decoder, context.page_log, context.memory_limit_mb);
        needs_decoding = fits && decoding_may_add_messages(tif, bytes, *page);
        decoder_destroy(decoder);
        return fits;
    });
    if (ok && orientation_swaps_axes(page->orientation)) swap_axes(page);
    page->shown = ok;
    tiffmsg_attach(nullptr);
    if (!ok) return PageDescription::kRefused;
    return needs_decoding ? PageDescription::kNeedsDecoding : PageDescription::kDescribed;
}
