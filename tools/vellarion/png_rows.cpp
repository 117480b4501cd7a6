#include "tools/vellarion/png_rows.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

struct PngRowWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    FILE* file = nullptr;
    std::string path;
    int32_t rows_left = 0;
    bool failed = false;
    char message[256] = "";
};

namespace {

void on_png_error(png_structp png, png_const_charp text) {
    auto* w = static_cast<PngRowWriter*>(png_get_error_ptr(png));
    snprintf(w->message, sizeof w->message, "%s", text ? text : "PNG error");
    png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {}

// One filter for the whole file: trying every filter on every row (libpng's
// default) costs more than the bytes it saves. Bilevel and palette rows do not
// gain from prediction at all; grey and colour rows gain most from the cheap
// difference with the pixel to the left.
int filter_of(PngKind kind) {
    return kind == PngKind::kRgb ? PNG_FILTER_UP : kind == PngKind::kGrey ? PNG_FILTER_SUB : PNG_FILTER_NONE;
}

void release(PngRowWriter* w, bool remove_file) {
    png_destroy_write_struct(&w->png, &w->info);
    if (w->file) fclose(w->file);
    if (remove_file) remove(w->path.c_str());
    delete w;
}

bool fail(PngRowWriter* w, std::string* error) {
    if (error) *error = "cannot write " + w->path + ": " + w->message;
    release(w, true);
    return false;
}

// The libpng calls of png_rows_begin, under their own jump buffer; no C++
// object with a destructor lives in this frame.
bool write_header(PngRowWriter* w, const PngFormat& f, int level) {
    if (setjmp(png_jmpbuf(w->png))) return false;
    png_init_io(w->png, w->file);
    const int colour = f.kind == PngKind::kRgb       ? PNG_COLOR_TYPE_RGB
                       : f.kind == PngKind::kPalette ? PNG_COLOR_TYPE_PALETTE
                                                     : PNG_COLOR_TYPE_GRAY;
    const int depth = f.kind == PngKind::kBilevel ? 1 : f.kind == PngKind::kRgb ? 8 : f.bit_depth;
    png_set_IHDR(w->png, w->info, png_uint_32(f.width), png_uint_32(f.height), depth, colour, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (f.kind == PngKind::kPalette) {
        png_color entries[256];
        const int n = f.palette_entries < 0 ? 0 : f.palette_entries > 256 ? 256 : f.palette_entries;
        for (int i = 0; i < n; ++i)
            entries[i] = png_color{f.palette[3 * i], f.palette[3 * i + 1], f.palette[3 * i + 2]};
        png_set_PLTE(w->png, w->info, entries, n);
    }
    png_set_filter(w->png, PNG_FILTER_TYPE_BASE, filter_of(f.kind));
    png_set_compression_level(w->png, level);
    png_write_info(w->png, w->info);
    // Transformations of the rows as they are written, after the header.
    if (f.kind == PngKind::kBilevel && f.invert) png_set_invert_mono(w->png);
    if (f.kind == PngKind::kRgb && f.bgr) png_set_bgr(w->png);
    return true;
}

bool valid_format(const PngFormat& f, int level) {
    if (f.width < 1 || f.height < 1 || level < 0 || level > 9) return false;
    const int d = f.bit_depth;
    switch (f.kind) {
    case PngKind::kBilevel:
    case PngKind::kRgb: return true;
    case PngKind::kGrey: return d == 1 || d == 2 || d == 4 || d == 8;
    case PngKind::kPalette:
        return (d == 1 || d == 2 || d == 4 || d == 8) && f.palette && f.palette_entries >= 1 &&
               f.palette_entries <= (1 << d);
    }
    return false;
}

}  // namespace

int png_default_level(PngKind kind) {
    // Colour and grey rows are the large ones: a moderate level keeps zlib from
    // dominating the run; bilevel and palette rows are few bytes and compress
    // well and fast at the usual level.
    return kind == PngKind::kRgb ? 2 : kind == PngKind::kGrey ? 3 : 6;
}

PngRowWriter* png_rows_begin(const char* path, const PngFormat& format, int level, std::string* error) {
    if (level == kPngDefaultLevel) level = png_default_level(format.kind);
    if (!valid_format(format, level)) {
        if (error) *error = "internal error: no PNG of that kind";
        return nullptr;
    }
    auto* w = new (std::nothrow) PngRowWriter;
    if (!w) {
        if (error) *error = "out of memory";
        return nullptr;
    }
    w->path = path;
    w->rows_left = format.height;
    w->file = fopen(path, "wb");
    if (!w->file) {
        if (error) *error = "cannot write " + w->path + ": " + strerror(errno);
        release(w, false);
        return nullptr;
    }
    w->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, w, on_png_error, on_png_warning);
    w->info = w->png ? png_create_info_struct(w->png) : nullptr;
    if (!w->info) snprintf(w->message, sizeof w->message, "out of memory");
    if (!w->info || !write_header(w, format, level)) {
        fail(w, error);
        return nullptr;
    }
    return w;
}

bool png_rows_write(PngRowWriter* w, const uint8_t* row) {
    if (w->failed) return false;
    if (w->rows_left <= 0) {
        snprintf(w->message, sizeof w->message, "more rows than the picture has");
        w->failed = true;
        return false;
    }
    if (setjmp(png_jmpbuf(w->png))) {
        w->failed = true;
        return false;
    }
    png_write_row(w->png, row);
    --w->rows_left;
    return true;
}

bool png_rows_finish(PngRowWriter* w, std::string* error) {
    if (!w->failed && w->rows_left > 0) {
        snprintf(w->message, sizeof w->message, "%d rows missing", int(w->rows_left));
        w->failed = true;
    }
    if (!w->failed) {
        if (setjmp(png_jmpbuf(w->png))) w->failed = true;
        else
            png_write_end(w->png, nullptr);
    }
    if (!w->failed) {
        const bool flushed = fflush(w->file) == 0 && !ferror(w->file);
        if (!flushed) {
            snprintf(w->message, sizeof w->message, "%s", strerror(errno));
            w->failed = true;
        }
    }
    if (w->failed) return fail(w, error);
    const bool closed = fclose(w->file) == 0;
    w->file = nullptr;
    if (!closed) {
        snprintf(w->message, sizeof w->message, "%s", strerror(errno));
        return fail(w, error);
    }
    release(w, false);
    return true;
}
