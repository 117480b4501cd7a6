// Any bytes: open them as TIFF and decode every directory of the main chain
// under the viewer's limits.
#include <tiffio.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "config/error_log.h"
#include "decode/decode_page.h"
#include "decode/raster_ops.h"

namespace {
struct Bytes {
    const uint8_t* data;
    size_t size;
    uint64_t pos;
};
tmsize_t read_proc(thandle_t h, void* buf, tmsize_t n) {
    auto* b = static_cast<Bytes*>(h);
    if (n <= 0 || b->pos >= b->size) return 0;
    const size_t k = size_t(n) < b->size - b->pos ? size_t(n) : size_t(b->size - b->pos);
    memcpy(buf, b->data + b->pos, k);
    b->pos += k;
    return tmsize_t(k);
}
tmsize_t write_proc(thandle_t, void*, tmsize_t) { return -1; }
toff_t seek_proc(thandle_t h, toff_t off, int whence) {
    auto* b = static_cast<Bytes*>(h);
    b->pos = (whence == SEEK_CUR ? b->pos : whence == SEEK_END ? b->size : 0) + off;
    return b->pos;
}
int close_proc(thandle_t) { return 0; }
toff_t size_proc(thandle_t h) { return static_cast<Bytes*>(h)->size; }
int map_proc(thandle_t, void**, toff_t*) { return 0; }
void unmap_proc(thandle_t, void*, toff_t) {}
void quiet(const char*, const char*, va_list) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TIFFSetWarningHandler(quiet);
    TIFFSetErrorHandler(quiet);
    Bytes bytes{data, size, 0};
    TIFF* tiff = TIFFClientOpen("fuzz", "rm", &bytes, read_proc, write_proc, seek_proc, close_proc, size_proc, map_proc,
                                unmap_proc);
    if (!tiff) return 0;
    ErrorLog log;
    errlog_init(&log, false);
    DecodePageOptions options;
    options.memory_limit_mb = 256;  // the fuzzer's own allocation cap sits above this
    for (int page = 0; page < 8; ++page) {
        // A page decodes or says why not, and leaves the handle on its directory.
        const uint64_t at = TIFFCurrentDirOffset(tiff);
        DisplayRaster raster;
        errlog_clear(&log);
        const bool shown = decode_page(tiff, &log, options, &raster);
        if (shown == raster_empty(&raster) || !(shown || errlog_has_entries(&log)) || TIFFCurrentDirOffset(tiff) != at)
            abort();
        raster_destroy(&raster);
        if (!TIFFReadDirectory(tiff)) break;
    }
    TIFFClose(tiff);
    errlog_free(&log);
    return 0;
}
