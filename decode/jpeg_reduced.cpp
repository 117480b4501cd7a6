#include "decode/jpeg_reduced.h"

#include <tiffio.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "decode/library_messages.h"

#include "decode/decoder_state.h"
#include "decode/raster_ops.h"

namespace {

// The page kinds whose samples reach the raster unchanged but for the
// colour conversion the codec itself does: 8-bit contiguous YCbCr or RGB
// (24 bits), and grey with black at 0 whose table is the plain ramp (8 bits).
bool reducible_kind(const PageDecoder* d) {
    if (d->compression != COMPRESSION_JPEG || d->bits_per_sample != 8 || d->planar != 1 || d->invert) return false;
    if ((d->photometric == PHOTOMETRIC_YCBCR || d->photometric == PHOTOMETRIC_RGB) && d->samples_per_pixel == 3)
        return d->components * d->bits_per_component == 24 && d->red_offset == 16 && d->blue_offset == 0;
    if (d->photometric != PHOTOMETRIC_MINISBLACK || d->samples_per_pixel != 1 || !d->is_grey) return false;
    if (d->components * d->bits_per_component != 8 || d->palette_count != 256 || !d->palette) return false;
    for (int i = 0; i < 256; ++i)
        if (d->palette[4 * i] != i || d->palette[4 * i + 1] != i || d->palette[4 * i + 2] != i) return false;
    return true;
}

struct Failure {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};

[[noreturn]] void on_fatal(j_common_ptr cinfo) { longjmp(reinterpret_cast<Failure*>(cinfo->err)->jump, 1); }
// A warning means damaged data: the page is then decoded as usual, whose
// messages the log shows.
void on_message(j_common_ptr cinfo, int level) {
    if (level < 0) ++cinfo->err->num_warnings;
}

// One strip or tile: the shared tables (without their end marker) before the
// chunk's own data (without its start marker), as one stream.
bool read_stream(TIFF* tif, uint32_t index, bool tile, const uint8_t* tables, uint32_t tables_len,
                 std::vector<uint8_t>* out) {
    const uint64_t size = TIFFGetStrileByteCount(tif, index);
    if (size < 4 || size > uint64_t(kDecoderMaxChunkBytes)) return false;
    std::vector<uint8_t> chunk(static_cast<size_t>(size));
    const tmsize_t got = tile ? TIFFReadRawTile(tif, index, chunk.data(), tmsize_t(size))
                              : TIFFReadRawStrip(tif, index, chunk.data(), tmsize_t(size));
    if (got < 4) return false;
    chunk.resize(size_t(got));
    out->clear();
    if (tables_len >= 4 && tables[0] == 0xFF && tables[1] == 0xD8 && chunk[0] == 0xFF && chunk[1] == 0xD8) {
        out->assign(tables, tables + tables_len - 2);
        out->insert(out->end(), chunk.begin() + 2, chunk.end());
    } else {
        out->swap(chunk);
    }
    return true;
}

// Decodes one chunk of cw x ch pixels at 1/divisor and stores its rows from
// (x0, y0) of the reduced raster on, cut to the raster.
bool decode_chunk(const PageDecoder* d, const std::vector<uint8_t>& stream, int divisor, uint32_t cw, uint32_t ch,
                  int32_t x0, int32_t y0, DisplayRaster* out) {
    jpeg_decompress_struct cinfo;
    Failure failure;
    cinfo.err = jpeg_std_error(&failure.mgr);
    failure.mgr.error_exit = on_fatal;
    failure.mgr.emit_message = on_message;
    std::vector<uint8_t> line;
    if (setjmp(failure.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, stream.data(), static_cast<unsigned long>(stream.size()));
    const bool grey = d->samples_per_pixel == 1;
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK || cinfo.num_components != (grey ? 1 : 3) ||
        cinfo.image_width < cw || cinfo.image_height < ch) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    // As the full decode reads them: YCbCr converted by the codec, RGB taken as stored.
    if (grey) cinfo.jpeg_color_space = cinfo.out_color_space = JCS_GRAYSCALE;
    else if (d->photometric == PHOTOMETRIC_YCBCR)
        cinfo.jpeg_color_space = JCS_YCbCr, cinfo.out_color_space = JCS_RGB;
    else
        cinfo.jpeg_color_space = cinfo.out_color_space = JCS_RGB;
    cinfo.scale_num = 1;
    cinfo.scale_denom = unsigned(divisor);
    jpeg_start_decompress(&cinfo);
    const int channels = grey ? 1 : 3;
    line.resize(size_t(cinfo.output_width) * channels);
    const int32_t out_w = raster_width(out), out_h = raster_height(out);
    const int32_t rows = int32_t((ch + divisor - 1) / divisor), cols = int32_t((cw + divisor - 1) / divisor);
    const int32_t n = std::min<int32_t>(std::min<int32_t>(cols, int32_t(cinfo.output_width)), out_w - x0);
    for (int32_t r = 0; r < rows && int32_t(cinfo.output_scanline) < int32_t(cinfo.output_height); ++r) {
        JSAMPROW row = line.data();
        jpeg_read_scanlines(&cinfo, &row, 1);
        if (y0 + r >= out_h || n <= 0) continue;
        uint8_t* dest = raster_row(out, y0 + r) + int64_t(x0) * channels;
        if (grey) {
            memcpy(dest, line.data(), size_t(n));
        } else {
            for (int32_t x = 0; x < n; ++x) {
                dest[3 * x] = line[3 * size_t(x) + 2];
                dest[3 * x + 1] = line[3 * size_t(x) + 1];
                dest[3 * x + 2] = line[3 * size_t(x)];
            }
        }
    }
    const bool clean = failure.mgr.num_warnings == 0;
    jpeg_abort_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return clean;
}

// The chunk size: tile width and length, or the page width and rows per strip.
bool chunk_size(PageDecoder* d, uint32_t* w, uint32_t* h) {
    if (d->is_tiled) {
        return TIFFGetField(d->tiff, TIFFTAG_TILEWIDTH, w) && TIFFGetField(d->tiff, TIFFTAG_TILELENGTH, h) && *w &&
               *h && *w % 16 == 0 && *h % 16 == 0;
    }
    *w = d->width;
    if (!TIFFGetField(d->tiff, TIFFTAG_ROWSPERSTRIP, h) || *h == 0 || *h > d->height) *h = d->height;
    return true;
}

}  // namespace

int jpeg_reduction_divisor(PageDecoder* d, int64_t min_w, int64_t min_h) {
    if (!d->validated || !reducible_kind(d)) return 1;
    uint32_t cw = 0, rows = 0;
    if (!chunk_size(d, &cw, &rows)) return 1;
    for (int divisor = 8; divisor >= 2; divisor /= 2) {
        const bool even = rows % uint32_t(divisor) == 0 && cw % uint32_t(divisor) == 0;
        // A single strip may end anywhere: its rows start at the top.
        if ((even || (!d->is_tiled && rows >= d->height)) && d->width / divisor >= min_w &&
            d->height / divisor >= min_h)
            return divisor;
    }
    return 1;
}

bool jpeg_decode_reduced(TIFF* tif, PageDecoder* d, int divisor, ErrorLog* log, uint32_t memory_limit_mb,
                         DisplayRaster* out) {
    *out = DisplayRaster{};
    const int bpp = d->samples_per_pixel == 1 ? 8 : 24;
    // A last column or row of the reduced page made of fewer than `divisor`
    // pixels is left out: kept, it would stand for a whole reduced pixel and
    // stretch the picture slightly in the reduction that follows.
    const int32_t w = int32_t(d->width / divisor), h = int32_t(d->height / divisor);
    if (!raster_create(log, out, w, h, bpp, true, memory_limit_mb)) return false;
    decoder_prepare_raster(d, out);
    uint32_t tables_len = 0;
    const uint8_t* tables = nullptr;
    void* data = nullptr;
    if (TIFFGetField(tif, TIFFTAG_JPEGTABLES, &tables_len, &data)) tables = static_cast<const uint8_t*>(data);
    std::vector<uint8_t> stream;
    // A chunk that cannot be read sends the page to the usual decode, which
    // reports it; the library's messages are not wanted twice.
    const LibraryMessagesSilenced silenced;
    uint32_t cw = 0, rows = 0;
    bool ok = chunk_size(d, &cw, &rows);
    if (ok && d->is_tiled) {
        const uint32_t across = (d->width + cw - 1) / cw, down = (d->height + rows - 1) / rows;
        ok = uint64_t(across) * down <= TIFFNumberOfTiles(tif);
        for (uint32_t ty = 0; ok && ty < down; ++ty)
            for (uint32_t tx = 0; ok && tx < across; ++tx)
                ok = read_stream(tif, ty * across + tx, true, tables, tables_len, &stream) &&
                     decode_chunk(d, stream, divisor, cw, rows, int32_t(tx * cw / divisor),
                                  int32_t(ty * rows / divisor), out);
    } else if (ok) {
        const uint32_t strips = (d->height + rows - 1) / rows;
        ok = strips <= TIFFNumberOfStrips(tif);
        for (uint32_t s = 0; ok && s < strips; ++s) {
            const uint32_t first = s * rows, count = std::min(rows, d->height - first);
            ok = read_stream(tif, s, false, tables, tables_len, &stream) &&
                 decode_chunk(d, stream, divisor, d->width, count, 0, int32_t(first / divisor), out);
        }
    }
    if (!ok) raster_destroy(out);
    return ok;
}
