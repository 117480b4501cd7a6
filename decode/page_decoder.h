#pragma once
// The page decoder: turns the directory selected in an open libtiff handle into
// the pixels of a Display raster. One decoder serves one page load:
//
//   decoder_create → decoder_attach → decoder_set_option(kOutputLayout, 2)
//   → decoder_set_option(kRepairPalette, …) → decoder_validate
//   → decoder_get_fact… (size, depth, palette) → raster_create
//   → decoder_prepare_raster → decoder_set_dest → decoder_decode → decoder_destroy
//
// Problems are reported through the handlers, never returned as text. While
// decoder_decode runs, libtiff's process-wide error handler is pointed at this
// decoder, so only one page decode may run at a time in the process.
#include <cstdarg>
#include <cstdint>

typedef struct tiff TIFF;
struct PageDecoder;
struct DisplayRaster;

struct DecoderHandlers {
    // Fatal problems with the page ("Missing IMAGEWIDTH tag", "Error reading strip 3", …).
    void (*on_error)(PageDecoder* decoder, const char16_t* text) = nullptr;
    // Only the palette-repair notice arrives here.
    void (*on_warning)(PageDecoder* decoder, const char16_t* text) = nullptr;
    // libtiff errors raised while decoding, unformatted (module may be null).
    void (*on_library_message)(PageDecoder* decoder, const char* module, const char* format, va_list ap) = nullptr;
};

// What decoder_get_fact reads: the page's tags as validation settled them,
// and the output format it chose.
enum class DecoderFact : int {
    kWidth,
    kHeight,
    kSourceBitsPerSample,
    kSamplesPerPixel,
    kSourceBitsPerPixel,  // samples per pixel × source bits per sample
    kOrientation,         // 1..8
    kResolutionUnit,      // 1 none, 2 inch, 3 centimetre
    kResolutionValid,
    kCompression,  // as read (1 when absent)
    kPhotometric,  // as read (0 when absent)
    kDestStride,
    kImageBytes,  // dest stride × height
    kIsGrey,
    kIsFourLevel,
    kOutputBitsPerPixel,  // 1, 4, 8 or 24
    kPaletteCount,
};
// The two resolutions, read with decoder_get_resolution.
enum class DecoderAxis { kX, kY };
// What decoder_set_option sets before validation.
enum class DecoderOption : int {
    kOutputLayout,   // 2 = bottom-up device-independent bitmap
    kRepairPalette,  // 1 at creation
};
constexpr int kOutputLayoutDib = 2;

// Limits that hostile files run into.
constexpr int64_t kDecoderMaxChunkBytes = 0x20000000;  // strip, tile and YCbCr chunk buffers
constexpr int kDecoderMaxFailedScanlines = 50;         // consecutive empty reads before giving up

// A zero-filled decoder with palette repair on; null when out of memory.
PageDecoder* decoder_create();
// `context` is the caller's own, for its handlers: decoder_context gives it back.
void decoder_attach(PageDecoder* decoder, TIFF* tiff, const DecoderHandlers& handlers, void* context);
void* decoder_context(PageDecoder* decoder);
// False for an option the decoder does not know.
bool decoder_set_option(PageDecoder* decoder, DecoderOption option, int value);
// The option's value; 0 for one the decoder does not know.
int decoder_option(PageDecoder* decoder, DecoderOption option);
// Reads the tags of the current directory and fixes the output format and the
// colour table. False after reporting the reason to on_error.
[[nodiscard]] bool decoder_validate(PageDecoder* decoder);
// False (and *out = 0) for a fact the decoder does not know.
bool decoder_get_fact(PageDecoder* decoder, DecoderFact fact, int* out);
float decoder_get_resolution(PageDecoder* decoder, DecoderAxis axis);
// Copies the decoder's flags, colour table and resolution (as pels per metre)
// into a raster just created with the output bits per pixel.
void decoder_prepare_raster(PageDecoder* decoder, DisplayRaster* raster);
// Where decoding writes: the raster's `bits` (stride and size as the facts say).
void decoder_set_dest(PageDecoder* decoder, uint8_t* bits);
// Whether decoding a validated page sets every byte of an upright
// destination itself (zeroing the row padding and the rows it never reaches),
// so that the raster may be handed over without being zeroed first.
bool decoder_clears_unwritten(PageDecoder* decoder);
// Instead of decoder_set_dest, when decoder_clears_unwritten: the raster's
// pixel bytes may hold anything; afterwards they are what decoding into a
// zero-filled raster would have made them.
void decoder_set_unzeroed_dest(PageDecoder* decoder, uint8_t* bits);
// Whether a validated page can be stored already turned as the axis-swapping
// orientation (5..8) asks, sparing the separate turn afterwards. Only some
// reading strategies can; for the others decode upright and turn the raster.
bool decoder_can_store_turned(PageDecoder* decoder, int orientation);
// Instead of decoder_set_dest, when decoder_can_store_turned: decoding writes
// the page turned into a zero-filled raster of height × width pixels, whose
// bits and stride are given, so that it holds what raster_apply_orientation
// would have made of the upright raster.
void decoder_set_turned_dest(PageDecoder* decoder, uint8_t* bits, uint32_t stride, int orientation);
// Instead of a destination raster, for callers that reduce the page as it
// arrives: each row of the page, top first, in the layout of a raster row, is
// handed to on_row once decoding is done with it (rows decoding never reaches
// arrive zeroed, as in a zero-filled raster), so only a band of rows is held.
// Only for pages whose reading finishes rows in order; false (nothing set) for
// the others, which need a raster.
bool decoder_set_row_sink(PageDecoder* decoder, void (*on_row)(void* user, const uint8_t* row), void* user);
// Fills the destination. True when at least part of the page could be shown.
[[nodiscard]] bool decoder_decode(PageDecoder* decoder);
void decoder_destroy(PageDecoder* decoder);
