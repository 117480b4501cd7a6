#pragma once
// The page decoder's record, shared by the files that validate and read pages.
// Callers outside decode/ see only the opaque PageDecoder of page_decoder.h.
#include <tiffio.h>

#include <cstdint>
#include <string>
#include <vector>

#include "decode/page_decoder.h"

// A library message kept back while a read's outcome is unknown.
struct HeldLibraryMessage {
    bool has_module = false;
    std::string module, text;
};

struct PageDecoder {
    int output_layout = 0;
    TIFF* tiff = nullptr;
    DecoderHandlers handlers;
    uint32_t width = 0, height = 0;
    uint16_t photometric = 0;  // as read
    uint16_t planar = 1;
    uint16_t source_bits_per_sample = 0;
    uint16_t compression = 1;
    uint16_t orientation = 1;
    uint16_t bits_per_sample = 0;  // working copy (8 for LogL/LogLuv)
    uint16_t sample_format = 1;
    uint16_t samples_per_pixel = 1;
    uint16_t ycbcr_h = 0, ycbcr_v = 0;
    uint16_t resolution_unit = 1;
    float x_resolution = 1, y_resolution = 1;
    bool resolution_valid = false;
    uint16_t *map_red = nullptr, *map_green = nullptr, *map_blue = nullptr;  // owned by libtiff
    size_t line_buffer_size = 0;
    uint32_t tile_width = 0, tile_length = 0;
    bool is_tiled = false;
    uint16_t colour_model = 0;
    bool invert = false;
    uint8_t* line_buffer = nullptr;
    // The row decoder_read_line handed out, line_buffer_size bytes: line_buffer,
    // or the row's place in strip_buffer (each row is handed out once, so the
    // strategies may change it in place).
    uint8_t* line = nullptr;
    // Scanline strategies decode a whole strip at once when it is small enough
    // (much faster than one libtiff call per row for LZW and Deflate) and hand
    // out its rows; a strip that fails is read again row by row.
    uint8_t* strip_buffer = nullptr;
    size_t strip_buffer_size = 0;
    uint32_t rows_per_strip = 0;
    uint32_t strips_per_plane = 0;
    // The strip in strip_buffer: its plane (UINT16_MAX: none yet) and first row.
    uint16_t cached_plane = UINT16_MAX;
    uint32_t cached_first_row = 0;
    bool cached_strip_ok = false;
    bool is_grey = false, is_four_level = false;
    uint8_t* dest_bits = nullptr;
    uint32_t dest_stride = 0;  // of the upright raster, whichever raster is written
    // Set by decoder_set_unzeroed_dest: the destination's bytes may hold
    // anything, so the strategy zeroes every byte it does not store.
    bool dest_unzeroed = false;
    // Set by decoder_set_turned_dest: the page is stored already turned, pixel
    // (y, x) of TIFF row order at turned_origin + y * turned_row_step +
    // x * turned_column_step (a row of the page becomes a column).
    bool turned = false;
    uint8_t* turned_origin = nullptr;
    int64_t turned_row_step = 0, turned_column_step = 0;
    uint32_t turned_stride = 0;
    // Set by decoder_set_row_sink: no destination raster; rows are written into
    // a band of band_rows rows holding image rows band_first.., and handed to
    // row_sink, in order, once decoding has moved past them.
    void (*row_sink)(void* user, const uint8_t* row) = nullptr;
    void* row_sink_user = nullptr;
    uint8_t* band = nullptr;
    uint8_t* band_scratch = nullptr;  // for a row already handed on
    uint32_t band_rows = 0, band_first = 0;
    int bits_per_component = 0;
    int components = 0;
    uint8_t* palette = nullptr;  // palette_count entries of red, green, blue, 0
    int palette_count = 0;
    uint32_t rows_read = 0;
    uint32_t consecutive_failures = 0;
    bool repair_palette = true;
    int red_offset = 16, green_offset = 8, blue_offset = 0;
    bool validated = false;
    // While set, library messages go to held_messages instead of on_library_message.
    bool hold_library_messages = false;
    std::vector<HeldLibraryMessage> held_messages;
    void* context = nullptr;  // the caller's, given to decoder_attach
};

// Colour models (photometric values after substitution) that share a reading path.
inline bool grey_model(int m) { return m == PHOTOMETRIC_MINISWHITE || m == PHOTOMETRIC_MINISBLACK; }
inline bool one_channel_model(int m) { return grey_model(m) || m == PHOTOMETRIC_PALETTE; }
inline bool interleaved_colour_model(int m) {
    return m == PHOTOMETRIC_RGB || m == PHOTOMETRIC_SEPARATED || m == PHOTOMETRIC_CIELAB;
}

// Reports a formatted message (cut to 1023 units) to on_error or on_warning.
void decoder_error(PageDecoder* d, const char16_t* fmt, ...);
void decoder_warning(PageDecoder* d, const char16_t* fmt, ...);

// Where image row `row` (0 at the top) is written.
uint8_t* decoder_band_row(PageDecoder* d, uint32_t row);
inline uint8_t* decoder_dest_row(PageDecoder* d, uint64_t row) {
    if (d->row_sink) return decoder_band_row(d, uint32_t(row));
    return d->dest_bits + (d->height - 1 - row) * uint64_t(d->dest_stride);
}

// What a scanline read tells the strategy.
enum class LineResult { kContinue, kStop };

// Reads strip or tile `index` into buf (size bytes) with the outcome of filling
// buf with 0xAA first. For codecs that write every byte they report, the fill
// is skipped when the read delivers at least `needed` bytes (all the caller
// will look at); a read that fails or comes short is made again over the fill,
// its first attempt's library messages dropped. Returns the library's result.
tmsize_t decoder_read_chunk(PageDecoder* d, uint32_t index, bool tile, uint8_t* buf, tmsize_t size, tmsize_t needed);
// Passes the kept-back library messages on, in order, and forgets them.
void decoder_release_held_messages(PageDecoder* d);

// Reads one scanline, as if into line_buffer pre-filled with 0xAA, and points
// `line` at it; with reduction 8, deep samples are cut to their most
// significant byte in place.
void decoder_begin_strip_reading(PageDecoder* d);
void decoder_end_strip_reading(PageDecoder* d);
LineResult decoder_read_line(PageDecoder* d, int reduction, uint32_t row, uint16_t plane);

// Copies `count` samples from a source of source_len bytes into image row `row`
// of the destination. Types 1, 2 and 4 copy whole bytes and need unit steps, a
// zero source offset and a byte-aligned destination; type 8 copies one byte per
// sample with the given bit steps and offsets. Never reads or writes outside the
// source or the destination row.
void decoder_store_samples(PageDecoder* d, const uint8_t* source, size_t source_len, uint32_t count, uint32_t row,
                           int type, uint32_t source_step, uint32_t source_offset, uint32_t dest_step,
                           uint64_t dest_offset);

// Stores `count` pixels whose red, green, blue samples start every step bits
// of the source into image row `row` from pixel x0 on.
void decoder_store_rgb(PageDecoder* d, const uint8_t* source, size_t source_len, uint32_t row, uint32_t step,
                       uint32_t count, uint32_t x0);

// Keeps the most significant byte of each of `samples` samples of 2, 3 or 4
// bytes (host order), packed at the start of the line, in place.
void decoder_reduce_to_high_bytes(uint8_t* line, size_t samples, int bytes_per_sample);

// The reading strategies; each returns whether anything could be shown.
bool read_low_depth_scanlines(PageDecoder* d);
bool read_8bit_scanlines(PageDecoder* d);
bool read_contiguous_colour(PageDecoder* d);
// Whether read_contiguous_colour can store this page turned (see decoder_set_turned_dest).
bool contiguous_colour_turns(const PageDecoder* d);
bool read_separate_rgb(PageDecoder* d);
bool read_separate_cmyk(PageDecoder* d);
bool read_16bit_palette(PageDecoder* d);
bool read_whole_strips(PageDecoder* d);
bool read_tiles(PageDecoder* d);
bool read_subsampled_ycbcr(PageDecoder* d, bool single_tile);

// Builds the colour table for grey and palette pages; false after reporting.
bool decoder_build_colour_table(PageDecoder* d);
