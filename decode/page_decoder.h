#pragma once
// The page decoder: turns the directory selected in an open libtiff handle into
// the pixels of a Display raster. One decoder serves one page load:
//
//   decoder_create → decoder_attach → decoder_set_option(kOptionOutputLayout, 2)
//   → decoder_set_option(kOptionRepairPalette, …) → decoder_validate
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
    void (*on_library_message)(PageDecoder* decoder, const char* module, const char* format,
                               va_list ap) = nullptr;
};

// Numbers of decoder_get_fact / decoder_set_option. Values not listed are refused.
enum DecoderNumber : int {
    kFactWidth = 1,
    kFactHeight = 2,
    kFactSourceBitsPerSample = 3,
    kFactSamplesPerPixel = 4,
    kFactSourceBitsPerPixel = 5,  // samples per pixel × source bits per sample
    kFactOrientation = 6,         // 1..8
    kFactResolutionUnit = 7,      // 1 none, 2 inch, 3 centimetre
    kFactXResolution = 8,         // float: decoder_get_fact_float
    kFactYResolution = 9,         // float: decoder_get_fact_float
    kFactCompression = 13,        // as read (1 when absent)
    kFactPhotometric = 14,        // as read (0 when absent)
    kFactDestStride = 15,
    kFactImageBytes = 16,  // dest stride × height
    kFactIsGrey = 17,
    kFactIsFourLevel = 18,
    kFactOutputBitsPerPixel = 20,  // 1, 4, 8 or 24
    kFactPaletteCount = 21,
    kOptionOutputLayout = 22,   // settable; 2 = bottom-up device-independent bitmap
    kOptionRepairPalette = 23,  // settable; 1 at creation
    kFactResolutionValid = 25,
};
constexpr int kOutputLayoutDib = 2;

// Opaque caller slots, numbered 50..53; attach stores its slot0 argument in 50.
constexpr int kDecoderSlotFirst = 50;
constexpr int kDecoderSlotCount = 4;

// Limits that hostile files run into.
constexpr int64_t kDecoderMaxChunkBytes = 0x20000000;  // strip, tile and YCbCr chunk buffers
constexpr int kDecoderMaxFailedScanlines = 50;         // consecutive empty reads before giving up

// A zero-filled decoder with palette repair on; null when out of memory.
PageDecoder* decoder_create();
void decoder_attach(PageDecoder* decoder, TIFF* tiff, const DecoderHandlers& handlers, void* slot0);
// False for an unknown number or a value the option does not take.
bool decoder_set_option(PageDecoder* decoder, int number, int value);
// Reads the tags of the current directory and fixes the output format and the
// colour table. False after reporting the reason to on_error.
[[nodiscard]] bool decoder_validate(PageDecoder* decoder);
// False (and *out = 0) for a number that is not an integer fact or option.
bool decoder_get_fact(PageDecoder* decoder, int number, int* out);
// The two resolutions; false (and *out = 0) for any other number.
bool decoder_get_fact_float(PageDecoder* decoder, int number, float* out);
// The colour table built by validation: decoder_palette_count() entries of
// red, green, blue, 0. Null (count 0) for pages without one.
const uint8_t* decoder_palette(PageDecoder* decoder);
int decoder_palette_count(PageDecoder* decoder);
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
// Fills the destination. True when at least part of the page could be shown.
[[nodiscard]] bool decoder_decode(PageDecoder* decoder);
void decoder_destroy(PageDecoder* decoder);
// Caller slots 50..53; null for other numbers.
void* decoder_slot(PageDecoder* decoder, int number);
void decoder_set_slot(PageDecoder* decoder, int number, void* value);
