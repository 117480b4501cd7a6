#pragma once
// A PNG file written a row at a time, so that no whole picture is ever copied
// for it: begin with the size and kind, hand over every row top to bottom,
// finish. Each kind is written in its own PNG colour type (1-bit grey for
// bilevel pages, 8-bit grey, palette, RGB), with the row filter and zlib level
// chosen for speed.
#include <cstdint>
#include <string>

enum class PngKind {
    kBilevel,  // rows of 1 bit per pixel, first pixel in the high bit, 1 = white
    kGrey,     // rows of 8 (or 1, 2, 4: bit_depth) bits per pixel, 0 = black
    kPalette,  // rows of 1, 2, 4 or 8-bit indexes (bit_depth) into the palette
    kRgb,      // rows of red, green, blue bytes
};

struct PngFormat {
    int32_t width = 0, height = 0;
    PngKind kind = PngKind::kRgb;
    int bit_depth = 8;                 // kGrey and kPalette; kBilevel is 1, kRgb 8
    bool invert = false;               // kBilevel: the rows hold 1 for black
    bool bgr = false;                  // kRgb: the rows hold blue, green, red
    const uint8_t* palette = nullptr;  // kPalette: red, green, blue per entry
    int palette_entries = 0;           // up to 1 << bit_depth
};

constexpr int kPngDefaultLevel = -1;  // the kind's own zlib level

// The zlib level a kind is written with unless the caller asks for another.
int png_default_level(PngKind kind);

struct PngRowWriter;

// Creates the file and writes the header. level: 0 (no compression) to 9
// (smallest), or kPngDefaultLevel. Null on failure, with the reason in *error.
PngRowWriter* png_rows_begin(const char* path, const PngFormat& format, int level, std::string* error);
// The next row, in the layout of the format's kind; the writer does not keep it.
bool png_rows_write(PngRowWriter* writer, const uint8_t* row);
// Ends the file and frees the writer. False (with *error) when any row or the
// end could not be written or fewer rows than the height were given; the
// partial file is then removed.
bool png_rows_finish(PngRowWriter* writer, std::string* error);
