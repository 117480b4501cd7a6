// Strategies that read whole strips or tiles: JPEG pages (whose codec works a
// strip at a time anyway), tiled pages and raw subsampled YCbCr, whose units
// span several rows. Chunk buffers are capped so that a hostile size field
// cannot ask for an unbounded block.
#include <algorithm>
#include <cstdlib>
#include <utility>
#include <cstring>

#include "decode/colour.h"
#include "decode/decoder_state.h"

namespace {

constexpr uint8_t kFill = 0xAA;

struct Buffer {
    uint8_t* data = nullptr;
    ~Buffer() { free(data); }
};

// A buffer that the JPEG codec decodes rows of `line` bytes into. The codec's
// vectorised colour conversion writes any row that starts on a 32-byte
// boundary with stores that bypass the cache, so reading such a row back
// straight afterwards, as the stores into the raster do, fetches it from
// memory again: a quarter more time for a small page, and whether it happened
// hung on where the allocator put the buffer. Starting the buffer half way
// between two boundaries of the rows' own alignment keeps every row off a
// 32-byte boundary (only a row length of odd bytes cannot avoid one in 32).
struct RowBuffer {
    uint8_t* data = nullptr;
    uint8_t* block = nullptr;
    ~RowBuffer() { free(block); }
};

bool allocate_row_buffer(RowBuffer* b, size_t size, size_t line, bool codec_rows) {
    constexpr size_t kBoundary = 32;
    b->block = static_cast<uint8_t*>(malloc(size + (codec_rows ? kBoundary : 0)));
    b->data = b->block;
    if (!b->block || !codec_rows) return b->block != nullptr;
    size_t row_alignment = kBoundary;
    while (row_alignment > 1 && line % row_alignment) row_alignment /= 2;
    const uintptr_t wanted = row_alignment > 1 ? row_alignment / 2 : kBoundary / 2;
    b->data += (wanted - reinterpret_cast<uintptr_t>(b->block)) & (kBoundary - 1);
    return true;
}

bool chunk_size_ok(PageDecoder* d, tmsize_t size) {
    if (size < 0 || size > kDecoderMaxChunkBytes) {
        decoder_error(d, u"Strip size too large (%u)", unsigned(size));
        return false;
    }
    return true;
}

// On an unzeroed destination, zeroes what the store of a row from `len`
// source bytes leaves: the padding past the last pixel and, should the source
// be too short for the whole width, the rest of the row too.
void clear_unstored_bytes(PageDecoder* d, uint32_t row, size_t len) {
    const uint32_t spp = d->samples_per_pixel;
    const uint64_t pixel_bytes = (uint64_t(d->width) * d->components * d->bits_per_component + 7) / 8;
    // The row stores write every pixel when the source holds them all and,
    // for colour, the channels are in the raster's own order.
    const bool usual_order = d->red_offset == 16 && d->green_offset == 8 && d->blue_offset == 0;
    const bool whole = len >= uint64_t(d->width) * spp && (spp == 1 || usual_order) &&
                       pixel_bytes == uint64_t(d->width) * (spp == 1 ? 1 : 3) && pixel_bytes <= d->dest_stride;
    const uint64_t from = whole ? pixel_bytes : 0;
    uint8_t* dest_row = decoder_dest_row(d, row);
    if (from < d->dest_stride) memset(dest_row + from, 0, size_t(d->dest_stride - from));
}

void store_chunk_rows(PageDecoder* d, const uint8_t* buf, size_t buf_len, size_t line, uint32_t rows,
                      uint32_t* image_row) {
    const uint32_t spp = d->samples_per_pixel;
    for (uint32_t j = 0; j < rows && *image_row < d->height; ++j, ++*image_row) {
        const size_t start = size_t(j) * line;
        if (start >= buf_len) return;
        const uint8_t* src = buf + start;
        const size_t len = buf_len - start;
        if (d->dest_unzeroed) clear_unstored_bytes(d, *image_row, len);
        if (spp == 1) {
            decoder_store_samples(d, src, len, d->width, *image_row, 8, 8, 0, 8, 0);
            continue;
        }
        decoder_store_rgb(d, src, len, *image_row, 8 * spp, d->width, 0);
    }
}

}  // namespace

namespace {

// Codecs whose successful read has written every byte it reports: each fails
// the read when its data runs out before the buffer is full, or (JPEG) goes
// on writing every remaining row when the data ends early. The fax codecs,
// for one, report success for a strip that breaks off part way.
bool read_fills_what_it_reports(uint16_t compression) {
    return compression == COMPRESSION_LZW || compression == COMPRESSION_ADOBE_DEFLATE ||
           compression == COMPRESSION_DEFLATE || compression == COMPRESSION_PACKBITS || compression == COMPRESSION_JPEG;
}

}  // namespace

tmsize_t decoder_read_chunk(PageDecoder* d, uint32_t index, bool tile, uint8_t* buf, tmsize_t size, tmsize_t needed) {
    const auto read = [&] {
        return tile ? TIFFReadEncodedTile(d->tiff, index, buf, size) : TIFFReadEncodedStrip(d->tiff, index, buf, size);
    };
    // Filling a buffer that the read then overwrites costs as much as a fast
    // codec's whole decode; it only shows where a read left bytes alone.
    if (read_fills_what_it_reports(d->compression)) {
        d->hold_library_messages = true;
        const tmsize_t first = read();
        d->hold_library_messages = false;
        if (first >= 1 && first <= size && first >= needed) {
            decoder_release_held_messages(d);
            return first;
        }
        d->held_messages.clear();
    }
    memset(buf, kFill, size_t(size));
    return read();
}

namespace {

// Stores rows from the top, counting them in *image_row.
bool read_whole_strips_from(PageDecoder* d, uint32_t* image_row_out) {
    uint32_t& image_row = *image_row_out;
    const int m = d->colour_model;
    const uint32_t spp = d->samples_per_pixel;
    if (d->bits_per_sample != 8 || d->planar != 1) return false;
    if ((m == PHOTOMETRIC_RGB && spp < 3) || (m != PHOTOMETRIC_RGB && spp != 1)) return false;
    uint32_t rows = 0;
    if (!TIFFGetField(d->tiff, TIFFTAG_ROWSPERSTRIP, &rows) || rows == 0 || rows > d->height) rows = d->height;
    const tmsize_t line = TIFFScanlineSize(d->tiff);
    const uint32_t strips = std::min<uint32_t>(TIFFNumberOfStrips(d->tiff), d->height);
    const tmsize_t size = TIFFStripSize(d->tiff);
    if (!chunk_size_ok(d, size)) return false;
    if (uint64_t(size) < uint64_t(line < 0 ? 0 : line) * rows || line < 1) {
        decoder_error(d, u"Problem with strip size calculation (%u<%u)", unsigned(size),
                      unsigned(uint64_t(line) * rows));
        return false;
    }
    RowBuffer buf;
    if (!allocate_row_buffer(&buf, size_t(size), size_t(line), d->compression == COMPRESSION_JPEG)) return false;
    for (uint32_t t = 0; t < strips; ++t) {
        // The rows this strip gives the page are all that is looked at.
        const uint64_t used_rows = std::min<uint64_t>(rows, d->height - std::min(image_row, d->height));
        const tmsize_t n = decoder_read_chunk(d, t, false, buf.data, size, tmsize_t(used_rows * uint64_t(line)));
        if (n < 1 || n > size) {
            decoder_error(d, u"Error reading strip %d", int(t));
            return t > 0;
        }
        store_chunk_rows(d, buf.data, size_t(size), size_t(line), rows, &image_row);
    }
    return true;
}

}  // namespace

// Rows past the last one stored (a strip that could not be read, too few
// strips) stay black, as in a zero-filled raster: on an unzeroed destination
// they are zeroed here, on every way out.
bool read_whole_strips(PageDecoder* d) {
    uint32_t stored_rows = 0;
    const bool ok = read_whole_strips_from(d, &stored_rows);
    if (d->dest_unzeroed && stored_rows < d->height)
        memset(d->dest_bits, 0, size_t(uint64_t(d->height - stored_rows) * d->dest_stride));
    return ok;
}

namespace {

bool store_tile(PageDecoder* d, const uint8_t* tile, size_t tile_len, uint32_t x0, uint32_t y0) {
    const int m = d->colour_model, bps = d->bits_per_sample;
    const uint32_t spp = d->samples_per_pixel;
    const uint32_t w = std::min(d->tile_width, d->width - x0);
    const uint64_t row_bytes = (uint64_t(spp) * bps * d->tile_width + 7) >> 3;
    const bool index_like = one_channel_model(m) && (bps == 1 || bps == 4 || bps == 8) && spp == 1;
    const bool rgb = m == PHOTOMETRIC_RGB && bps == 8 && spp >= 3;
    if (!index_like && !rgb) {
        decoder_error(d, u"This type of tiled image is not supported");
        return false;
    }
    for (uint32_t r = 0; r < d->tile_length && y0 + r < d->height; ++r) {
        const uint64_t start = r * row_bytes;
        if (start >= tile_len) break;
        const uint8_t* src = tile + start;
        const size_t len = size_t(tile_len - start);
        if (index_like) {
            decoder_store_samples(d, src, len, w, y0 + r, bps, bps, 0, bps, uint64_t(x0) * bps);
            continue;
        }
        decoder_store_rgb(d, src, len, y0 + r, 8 * spp, w, x0);
    }
    return true;
}

}  // namespace

bool read_tiles(PageDecoder* d) {
    if (!TIFFGetField(d->tiff, TIFFTAG_TILEWIDTH, &d->tile_width)) {
        decoder_error(d, u"Missing TILEWIDTH tag");
        return false;
    }
    if (!TIFFGetField(d->tiff, TIFFTAG_TILELENGTH, &d->tile_length)) {
        decoder_error(d, u"Missing TILELENGTH tag");
        return false;
    }
    if (d->colour_model == PHOTOMETRIC_YCBCR && d->planar == 1 && d->tile_width >= d->width &&
        d->tile_length >= d->height)
        return read_subsampled_ycbcr(d, true);
    const tmsize_t size = TIFFTileSize(d->tiff);
    if (size < 1 || size > kDecoderMaxChunkBytes || !d->tile_width || !d->tile_length) {
        decoder_error(d, u"Tile too large");
        return false;
    }
    RowBuffer buf;
    const bool jpeg_rows = d->compression == COMPRESSION_JPEG && d->bits_per_sample == 8;
    if (!allocate_row_buffer(&buf, size_t(size), size_t(TIFFTileRowSize(d->tiff)), jpeg_rows)) return false;
    if (d->planar != 1) {
        decoder_error(d, u"This type of tiled image is not supported");
        return false;
    }
    for (uint32_t y0 = 0; y0 < d->height; y0 += d->tile_length) {
        for (uint32_t x0 = 0; x0 < d->width; x0 += d->tile_width) {
            if (TIFFReadTile(d->tiff, buf.data, x0, y0, 0, 0) < 0) {
                decoder_error(d, u"ReadTile failed");
                return false;
            }
            if (!store_tile(d, buf.data, size_t(size), x0, y0)) return false;
            if (d->width - x0 <= d->tile_width) break;  // the next origin would wrap past 2^32
        }
        if (d->height - y0 <= d->tile_length) break;
    }
    return true;
}

namespace {

struct YcbcrLayout {
    uint32_t h, v;  // subsampling
    uint32_t units_per_row, unit_rows;
    uint32_t unit_bytes;  // h × v luma samples, then Cb and Cr
};

// Converts one unit straight into the raster: its pixels share the chroma
// pair, so the conversion's offsets are worked out once per unit. Units on
// the right or bottom edge may stick out of the page.
void place_edge_unit(PageDecoder* d, const YcbcrLayout& l, const uint8_t* unit, uint64_t ux, uint64_t uy) {
    const uint8_t cb = unit[l.h * l.v], cr = unit[l.h * l.v + 1];
    const YcbcrOffsets o = colour_ycbcr_offsets(cb, cr);
    for (uint32_t s = 0; s < l.v && uy + s < d->height; ++s) {
        uint8_t* row = decoder_dest_row(d, uy + s);
        for (uint32_t m = 0; m < l.h && ux + m < d->width; ++m)
            colour_ycbcr_store_bgr(o, unit[s * l.h + m], cb, cr, row + 3 * (ux + m));
    }
}

// The units of one unit row that lie wholly inside the page, with the
// subsampling fixed at compile time; returns how many it placed.
template <uint32_t H, uint32_t V>
uint32_t place_inner_units(PageDecoder* d, const uint8_t* units, uint32_t count, uint64_t ux, uint64_t uy) {
    uint8_t* rows[V];
    for (uint32_t s = 0; s < V; ++s) rows[s] = decoder_dest_row(d, uy + s) + 3 * ux;
    for (uint32_t i = 0; i < count; ++i, units += H * V + 2) {
        const uint8_t cb = units[H * V], cr = units[H * V + 1];
        const YcbcrOffsets o = colour_ycbcr_offsets(cb, cr);
        for (uint32_t s = 0; s < V; ++s)
            for (uint32_t m = 0; m < H; ++m) colour_ycbcr_store_bgr(o, units[s * H + m], cb, cr, rows[s] + 3 * m);
        for (uint32_t s = 0; s < V; ++s) rows[s] += 3 * H;
    }
    return count;
}

// Places up to `count` consecutive units of one unit row starting at unit
// column `column`: whole ones by the fixed-size loops, edge ones one by one.
void place_row_units(PageDecoder* d, const YcbcrLayout& l, const uint8_t* units, uint32_t count, uint32_t column,
                     uint64_t uy) {
    const uint64_t whole_columns = d->width / l.h;
    uint32_t inner = 0;
    if (uy + l.v <= d->height && column < whole_columns)
        inner = uint32_t(std::min<uint64_t>(count, whole_columns - column));
    const uint64_t ux = uint64_t(column) * l.h;
    uint32_t done = 0;
    switch (l.h * 8 + l.v) {
    case 8 + 1: done = place_inner_units<1, 1>(d, units, inner, ux, uy); break;
    case 8 + 2: done = place_inner_units<1, 2>(d, units, inner, ux, uy); break;
    case 16 + 1: done = place_inner_units<2, 1>(d, units, inner, ux, uy); break;
    case 16 + 2: done = place_inner_units<2, 2>(d, units, inner, ux, uy); break;
    case 32 + 1: done = place_inner_units<4, 1>(d, units, inner, ux, uy); break;
    case 32 + 2: done = place_inner_units<4, 2>(d, units, inner, ux, uy); break;
    }
    for (uint32_t i = done; i < count; ++i)
        place_edge_unit(d, l, units + size_t(i) * l.unit_bytes, uint64_t(column + i) * l.h, uy);
}

// Places the units of one chunk; k counts units across chunks. False once the
// unit rows of the page are used up.
bool place_units(PageDecoder* d, const YcbcrLayout& l, const uint8_t* chunk, size_t n, uint64_t* k) {
    size_t left = n / l.unit_bytes;
    while (left) {
        const uint64_t unit_row = *k / l.units_per_row;
        const uint32_t column = uint32_t(*k % l.units_per_row);
        if (unit_row >= l.unit_rows) return false;
        const uint32_t count = uint32_t(std::min<uint64_t>(left, l.units_per_row - column));
        place_row_units(d, l, chunk, count, column, unit_row * l.v);
        chunk += size_t(count) * l.unit_bytes;
        left -= count;
        *k += count;
    }
    return true;
}

// Pixels of the last unit row that no unit reached are still converted, as
// YCbCr (0, 0, 0) when the raster started zeroed; rows no unit reached stay
// black instead.
void convert_unreached_pixels(PageDecoder* d, const YcbcrLayout& l, uint64_t k) {
    const uint64_t x0 = (k % l.units_per_row) * l.h;
    if (!(k % l.units_per_row) || x0 >= d->width) return;
    const uint64_t y0 = k / l.units_per_row * l.v;
    for (uint64_t y = y0; y < y0 + l.v && y < d->height; ++y) {
        uint8_t* row = decoder_dest_row(d, y);
        for (uint64_t x = x0; x < d->width; ++x) {
            uint8_t* p = row + 3 * x;
            colour_ycbcr_to_rgb(p, 1, 3);
            std::swap(p[0], p[2]);
        }
    }
}

}  // namespace

bool read_subsampled_ycbcr(PageDecoder* d, bool single_tile) {
    uint16_t h = 2, v = 2;
    if (!TIFFGetField(d->tiff, TIFFTAG_YCBCRSUBSAMPLING, &h, &v)) h = v = 2;
    if (h == 0) h = 1;
    if (d->samples_per_pixel != 3 || d->bits_per_sample != 8 || d->planar != 1) return false;
    if ((h != 1 && h != 2 && h != 4) || (v != 1 && v != 2 && v != 4)) {
        decoder_error(d, u"Invalid YCBCRSUBSAMPLING values");
        return false;
    }
    const uint64_t across = single_tile ? d->tile_width : d->width;
    YcbcrLayout l{h, v, uint32_t((across + h - 1) / h), uint32_t((uint64_t(d->height) + v - 1) / v),
                  uint32_t(h * v + 2)};
    const uint32_t chunks = single_tile ? 1 : std::min<uint32_t>(d->height, TIFFNumberOfStrips(d->tiff));
    const tmsize_t size = single_tile ? TIFFTileSize(d->tiff) : TIFFStripSize(d->tiff);
    if (!chunk_size_ok(d, size)) return false;
    Buffer buf;
    buf.data = static_cast<uint8_t*>(malloc(size_t(size ? size : 1)));
    if (!buf.data) return false;
    uint64_t k = 0;
    uint32_t read = 0;
    for (uint32_t c = 0; c < chunks; ++c) {
        // Only the n bytes a read delivered are placed, so any successful read will do.
        const tmsize_t n = decoder_read_chunk(d, c, single_tile, buf.data, size, 1);
        if (n < 1 || n > size) {
            decoder_error(d, u"Error reading strip %d", int(c));
            break;
        }
        ++read;
        if (n % l.unit_bytes)
            decoder_error(d, u"Strip should have a multiple of %d bytes, but doesn't (has %d)", int(l.unit_bytes),
                          int(n));
        if (!place_units(d, l, buf.data, size_t(n), &k)) break;
    }
    if (!read) return false;
    convert_unreached_pixels(d, l, k);
    return true;
}
