// Scanline strategies: one libtiff scanline at a time into the line buffer,
// then into the raster. The line buffer is filled with 0xAA before each read:
// a read that fails before delivering its first byte leaves it unchanged, and
// bytes a short read never delivered show as 0xAA in the page.
#include <bit>
#include <algorithm>
#include <cstdlib>
#include <utility>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <tmmintrin.h>
#define VL_TURNED_BLOCKS 1
#endif

#include "decode/channel_order.h"
#include "decode/colour.h"
#include "decode/decoder_state.h"

namespace {

constexpr uint8_t kFill = 0xAA;

// Sixteen samples at a time through a small copy: the bytes are all read
// before any is written, so the compiler may use wide loads and stores where
// the in-place loop would have to go byte by byte. Writing block k touches
// bytes below 16(k + 1), and every later read is at 32(k + 1) or beyond.
template <int kBytes>
void reduce_in_blocks(uint8_t* line, size_t samples, int high) {
    size_t i = 0;
#ifdef __SSE2__
    // Two-byte samples on this little-endian processor: shift each high byte
    // down and pack sixteen words to sixteen bytes.
    if constexpr (kBytes == 2) {
        for (; i + 16 <= samples; i += 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + 2 * i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + 2 * i + 16));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(line + i),
                             _mm_packus_epi16(_mm_srli_epi16(a, 8), _mm_srli_epi16(b, 8)));
        }
    }
#endif
    for (; i + 16 <= samples; i += 16) {
        uint8_t block[16];
        const uint8_t* in = line + i * kBytes + high;
        for (int k = 0; k < 16; ++k) block[k] = in[k * kBytes];
        memcpy(line + i, block, 16);
    }
    for (; i < samples; ++i) line[i] = line[i * kBytes + high];
}

}  // namespace

// libtiff hands samples over in host byte order; their most significant byte
// is the last one on a little-endian host.
void decoder_reduce_to_high_bytes(uint8_t* line, size_t samples, int bytes_per_sample) {
    const int high = std::endian::native == std::endian::little ? bytes_per_sample - 1 : 0;
    if (bytes_per_sample == 2) reduce_in_blocks<2>(line, samples, high);
    else if (bytes_per_sample == 4)
        reduce_in_blocks<4>(line, samples, high);
    else
        for (size_t i = 0; i < samples; ++i) line[i] = line[i * bytes_per_sample + high];
}

namespace {

// Reads an uncompressed strip whole; on failure (which the checks before
// reading leave to a failing file) the strips are given up and the rows read
// one by one, into the strip's buffer, the failed read's messages dropped for
// theirs.
bool read_uncompressed_strip(PageDecoder* d, uint32_t strip, uint64_t needed) {
    d->hold_library_messages = true;
    const tmsize_t n = TIFFReadEncodedStrip(d->tiff, strip, d->strip_buffer, tmsize_t(d->strip_buffer_size));
    d->hold_library_messages = false;
    if (n < 0 || uint64_t(n) < needed) {
        d->held_messages.clear();
        std::swap(d->line_buffer, d->strip_buffer);
        decoder_end_strip_reading(d);
        return false;
    }
    decoder_release_held_messages(d);
    return true;
}

// Points `line` at the row inside its strip; false when the row is to be read
// on its own. A strip whose decoding failed still hands out the rows it
// delivered: as with a scanline read, a row whose first byte kept the fill
// delivered nothing.
bool row_from_strip(PageDecoder* d, uint32_t row, uint16_t plane, int* result) {
    if (!d->strip_buffer) return false;
    // Rows are asked for in order, so the strip only changes every so often.
    if (plane != d->cached_plane || row < d->cached_first_row || row - d->cached_first_row >= d->rows_per_strip) {
        const uint32_t index = row / d->rows_per_strip;
        const uint32_t first_row = index * d->rows_per_strip;
        const uint32_t strip = index + (d->planar == 2 ? uint32_t(plane) * d->strips_per_plane : 0);
        d->cached_plane = plane;
        d->cached_first_row = first_row;
        const uint64_t needed = std::min(d->rows_per_strip, d->height - first_row) * uint64_t(d->line_buffer_size);
        if (d->compression == COMPRESSION_NONE) {
            if (!read_uncompressed_strip(d, strip, needed)) return false;
            d->cached_strip_ok = true;
        } else {
            d->cached_strip_ok = decoder_read_chunk(d, strip, false, d->strip_buffer, tmsize_t(d->strip_buffer_size),
                                                    tmsize_t(needed)) > 0;
        }
    }
    d->line = d->strip_buffer + uint64_t(row - d->cached_first_row) * d->line_buffer_size;
    *result = d->cached_strip_ok ? 1 : -1;
    return true;
}

// Whether every uncompressed strip of the page lies in the file with all the
// bytes of its rows. Only then does reading strips whole give what reading
// the rows one by one gives: that way a strip cut short by its byte count or
// by the end of the file still gives the rows before the cut, and libtiff's
// messages about the cut name the row it was reading.
bool uncompressed_strips_whole(PageDecoder* d) {
    const uint64_t file_size = TIFFGetSizeProc(d->tiff)(TIFFClientdata(d->tiff));
    const uint32_t strips = TIFFNumberOfStrips(d->tiff);
    if (uint64_t(d->strips_per_plane) * (d->planar == 2 ? d->samples_per_pixel : 1) != strips) return false;
    for (uint32_t s = 0; s < strips; ++s) {
        const uint64_t first_row = uint64_t(s % d->strips_per_plane) * d->rows_per_strip;
        const uint64_t rows =
            std::min<uint64_t>(d->rows_per_strip, d->height - std::min<uint64_t>(first_row, d->height));
        const uint64_t offset = TIFFGetStrileOffset(d->tiff, s), count = TIFFGetStrileByteCount(d->tiff, s);
        if (count < rows * d->line_buffer_size || offset > file_size || count > file_size - offset) return false;
    }
    return true;
}

}  // namespace

void decoder_begin_strip_reading(PageDecoder* d) {
    constexpr tmsize_t kMaxStripCache = 64 << 20;
    // Uncompressed rows cost libtiff little more than a copy, but one call a
    // row still adds up on short rows; whole strips are only worth the extra
    // pass over memory while they stay in the processor's cache, and the
    // checks before reading them only where a strip has several rows.
    constexpr tmsize_t kMaxUncompressedStrip = 256 << 10;
    if (d->is_tiled) return;
    uint32_t rows = 0;
    const bool uncompressed = d->compression == COMPRESSION_NONE;
    // The default only stands in for uncompressed pages; asking for the tag
    // first spares TIFFGetFieldDefaulted's extra layers where it is present.
    if (!(TIFFGetField(d->tiff, TIFFTAG_ROWSPERSTRIP, &rows) ||
          (uncompressed && TIFFGetFieldDefaulted(d->tiff, TIFFTAG_ROWSPERSTRIP, &rows))) ||
        rows == 0)
        return;
    d->rows_per_strip = std::min(rows, d->height);
    d->strips_per_plane = uint32_t((uint64_t(d->height) + d->rows_per_strip - 1) / d->rows_per_strip);
    if (uncompressed && d->rows_per_strip == 1) return;
    // Outside packed YCbCr, whose subsampled rows libtiff sizes itself, a
    // strip is its rows times the scanline: the same number TIFFStripSize
    // gives, without its second pass through the directory. The scanline is
    // capped by run_strategy, so the product cannot overflow.
    const tmsize_t size = d->photometric == PHOTOMETRIC_YCBCR
                              ? TIFFStripSize(d->tiff)
                              : tmsize_t(uint64_t(d->rows_per_strip) * d->line_buffer_size);
    if (size < 1 || size > (uncompressed ? kMaxUncompressedStrip : kMaxStripCache) ||
        uint64_t(size) < uint64_t(d->rows_per_strip) * d->line_buffer_size)
        return;
    if (uncompressed && !uncompressed_strips_whole(d)) return;
    d->strip_buffer = static_cast<uint8_t*>(malloc(size_t(size)));
    d->strip_buffer_size = d->strip_buffer ? size_t(size) : 0;
    d->cached_plane = UINT16_MAX;
}

void decoder_end_strip_reading(PageDecoder* d) {
    free(d->strip_buffer);
    d->strip_buffer = nullptr;
    d->strip_buffer_size = 0;
}

LineResult decoder_read_line(PageDecoder* d, int reduction, uint32_t row, uint16_t plane) {
    int r = 0;
    if (!row_from_strip(d, row, plane, &r)) {
        // An uncompressed row is copied whole or not at all, so the fill only
        // matters once a read has failed; other codecs may stop part way.
        const bool all_or_nothing = d->compression == COMPRESSION_NONE;
        if (!all_or_nothing) memset(d->line_buffer, kFill, d->line_buffer_size);
        r = TIFFReadScanline(d->tiff, d->line_buffer, row, plane);
        if (r < 0 && all_or_nothing) memset(d->line_buffer, kFill, d->line_buffer_size);
        d->line = d->line_buffer;
    }
    if (r < 0 && d->line[0] == kFill) {
        if (++d->consecutive_failures > uint32_t(kDecoderMaxFailedScanlines)) {
            decoder_error(d, u"Error attempting to read this image");
            return LineResult::kStop;
        }
        return LineResult::kContinue;
    }
    ++d->rows_read;
    d->consecutive_failures = 0;
    const int bps = d->bits_per_sample;
    if (reduction == 8 && (bps == 16 || bps == 24 || bps == 32)) {
        const size_t per_row = size_t(d->width) * (d->planar == 1 ? d->samples_per_pixel : 1);
        const size_t fits = d->line_buffer_size / size_t(bps / 8);
        decoder_reduce_to_high_bytes(d->line, per_row < fits ? per_row : fits, bps / 8);
    }
    return LineResult::kContinue;
}

namespace {

// Which bits of a row's last byte hold samples, for a row of `bits` bits.
uint8_t last_byte_keep(uint64_t bits) { return bits % 8 ? uint8_t(0xFF << (8 - bits % 8)) : 0xFF; }

// Copies whole bytes of packed samples, complemented for min-is-white pages,
// and clears the last byte's bits outside `keep`: they belong to the row's
// padding, which stays zero whatever the complement made of them.
inline void store_packed(uint8_t* dest, const uint8_t* source, size_t bytes, bool invert, uint8_t keep) {
    if (!bytes) return;
    if (!invert) {
        memcpy(dest, source, bytes);
    } else {
        // Rows of low-depth pages are short: a word at a time, without the
        // set-up a vectorised loop would spend on them.
        size_t i = 0;
        for (; i + 8 <= bytes; i += 8) {
            uint64_t w;
            memcpy(&w, source + i, 8);
            w = ~w;
            memcpy(dest + i, &w, 8);
        }
        for (; i < bytes; ++i) dest[i] = uint8_t(~source[i]);
    }
    dest[bytes - 1] &= keep;
}

}  // namespace

void decoder_store_samples(PageDecoder* d, const uint8_t* source, size_t source_len, uint32_t count, uint32_t row,
                           int type, uint32_t source_step, uint32_t source_offset, uint32_t dest_step,
                           uint64_t dest_offset) {
    if (row >= d->height || !count) return;
    uint8_t* dest_row = decoder_dest_row(d, row);
    const uint64_t dest_start = dest_offset / 8;
    if (dest_start >= d->dest_stride) return;
    uint8_t* dest = dest_row + dest_start;
    const uint64_t dest_room = d->dest_stride - dest_start;
    if (type != 8) {
        if (source_step != uint32_t(type) || dest_step != uint32_t(type) || source_offset || dest_offset % 8) return;
        const uint64_t whole = (uint64_t(count) * type + 7) / 8;
        const uint64_t bytes = std::min<uint64_t>({whole, source_len, dest_room});
        store_packed(dest, source, size_t(bytes), d->invert,
                     bytes == whole ? last_byte_keep(uint64_t(count) * type) : 0xFF);
        return;
    }
    const size_t s_step = source_step / 8, d_step = dest_step / 8, s0 = source_offset / 8;
    if (!s_step || !d_step || s0 >= source_len) return;
    size_t n = std::min<size_t>(count, (source_len - s0 + s_step - 1) / s_step);
    n = std::min<size_t>(n, size_t((dest_room + d_step - 1) / d_step));
    const uint8_t* src = source + s0;
    const uint8_t mask = d->invert ? 0xFF : 0x00;
    if (s_step == 1 && d_step == 1) {
        if (!mask) memcpy(dest, src, n);
        else
            for (size_t i = 0; i < n; ++i) dest[i] = uint8_t(~src[i]);
        return;
    }
    if (s_step == 1 && d_step == 3 && !mask) {
        // One plane of a separated colour page, one sample in each pixel.
        channel_store_plane(src, dest, n);
        return;
    }
    for (size_t i = 0; i < n; ++i) dest[i * d_step] = src[i * s_step] ^ mask;
}

bool read_low_depth_scanlines(PageDecoder* d) {
    const int bps = d->bits_per_sample;
    // 1- and 4-bit samples go to the raster as they are packed; every row
    // copies the same number of bytes.
    const uint64_t row_bits = uint64_t(d->width) * bps, whole = (row_bits + 7) / 8;
    const size_t bytes = size_t(std::min<uint64_t>({whole, d->line_buffer_size, d->dest_stride}));
    const uint8_t keep = bytes == whole ? last_byte_keep(row_bits) : 0xFF;
    const bool expand = bps == 2 && d->line_buffer_size * 4 >= d->width && uint64_t(d->dest_stride) * 2 >= d->width;
    for (uint32_t row = 0; row < d->height; ++row) {
        if (decoder_read_line(d, 0, row, 0) == LineResult::kStop) break;
        uint8_t* dest = decoder_dest_row(d, row);
        if (bps != 2) store_packed(dest, d->line, bytes, d->invert, keep);
        else if (expand)
            colour_expand_2bit(d->line, dest, d->width, d->invert);
    }
    return d->rows_read > 0;
}

bool read_8bit_scanlines(PageDecoder* d) {
    const int bps = d->bits_per_sample;
    if (bps != 8 && d->planar != 1) return false;
    // Extra samples (alpha) follow each grey sample or palette index in
    // contiguous data: step over them rather than showing them as pixels.
    const uint32_t step = 8 * (d->planar == 1 ? d->samples_per_pixel : 1);
    for (uint32_t row = 0; row < d->height; ++row) {
        if (decoder_read_line(d, 8, row, 0) == LineResult::kStop) break;
        decoder_store_samples(d, d->line, d->line_buffer_size, d->width, row, 8, step, 0, 8, 0);
    }
    return d->rows_read > 0;
}

// The three colour samples of each pixel into the blue, green, red raster
// row; one pass instead of one per channel, as colour pages are the big ones.
void decoder_store_rgb(PageDecoder* d, const uint8_t* source, size_t len, uint32_t row, uint32_t step, uint32_t count,
                       uint32_t x0) {
    if (d->red_offset != 16 || d->green_offset != 8 || d->blue_offset != 0) {
        const int offsets[3] = {d->red_offset, d->green_offset, d->blue_offset};
        for (uint32_t c = 0; c < 3; ++c)
            decoder_store_samples(d, source, len, count, row, 8, step, 8 * c, 24, uint64_t(offsets[c]) + 24ull * x0);
        return;
    }
    const size_t s_step = step / 8;
    const uint64_t first = 3ull * x0;
    if (row >= d->height || s_step < 3 || len < 3 || first >= d->dest_stride) return;
    size_t n = std::min<size_t>(count, (len - 3) / s_step + 1);
    n = std::min<size_t>(n, size_t((d->dest_stride - first) / 3));
    uint8_t* dest = decoder_dest_row(d, row) + first;
    channel_rgb_to_bgr(source, dest, n, s_step);
}

namespace {

// A page stored turned takes its rows four at a time: four pixels of each
// four rows make one run of four pixels in each of four destination rows, so
// the turned raster is written in runs rather than one pixel at a time.
struct TurnedBand {
    const uint8_t* rows[4] = {};
    uint32_t first_row = 0;
    int count = 0;
    uint8_t* copies = nullptr;  // room for four lines, taken on first need
    bool no_copies = false;     // that room could not be had
};

// Pixels [from, n) of one line, red, green, blue every spp bytes, to their
// places in the turned raster.
void store_turned_pixels(const PageDecoder* d, const uint8_t* line, uint32_t row, size_t from, size_t n, size_t spp) {
    uint8_t* out = d->turned_origin + int64_t(row) * d->turned_row_step + int64_t(from) * d->turned_column_step;
    const uint8_t* in = line + from * spp;
    for (size_t x = from; x < n; ++x, in += spp, out += d->turned_column_step) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
    }
}

#ifdef VL_TURNED_BLOCKS
bool has_byte_shuffle() {
    static const bool yes = __builtin_cpu_supports("ssse3");
    return yes;
}

// Four full rows in blocks of 4 × 4 pixels: each row's four pixels are spread
// to one pixel a 32-bit lane in blue, green, red order, the 4 × 4 words
// transposed so that a vector holds one pixel of each row, and packed to the
// twelve bytes of a destination run, in the rows' order or reversed as the
// rows go forward or backward in the turned raster. Loads are 16 bytes and
// stay within the len bytes of each line. Where the row's bytes allow, runs
// are stored 16 bytes wide, the four spare bytes (zero) landing on pixels of
// later rows, which are still zero and written afterwards, or on the padding.
// Returns the pixels done, a multiple of 4.
__attribute__((target("ssse3"))) size_t store_turned_blocks(const PageDecoder* d, const TurnedBand& b, size_t n,
                                                            size_t spp, size_t len) {
    const __m128i spread = spp == 4 ? _mm_setr_epi8(2, 1, 0, -1, 6, 5, 4, -1, 10, 9, 8, -1, 14, 13, 12, -1)
                                    : _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
    const bool forward = d->turned_row_step > 0;
    // The run starts at the column of the band's first row going forward, of
    // its last going backward.
    uint8_t* out = d->turned_origin + int64_t(b.first_row + (forward ? 0 : 3)) * d->turned_row_step;
    const int64_t start = out - d->turned_origin + (forward ? 0 : 3 * int64_t(d->height - 1));
    const bool wide = forward ? start + 16 <= int64_t(d->turned_stride) : start >= 4;
    const __m128i pack = !forward && wide ? _mm_setr_epi8(-1, -1, -1, -1, 12, 13, 14, 8, 9, 10, 4, 5, 6, 0, 1, 2)
                         : forward        ? _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1)
                                          : _mm_setr_epi8(12, 13, 14, 8, 9, 10, 4, 5, 6, 0, 1, 2, -1, -1, -1, -1);
    const int64_t wide_at = forward ? 0 : -4;
    const int64_t step = d->turned_column_step;
    size_t x = 0;
    for (; x + 4 <= n && spp * x + 16 <= len; x += 4) {
        __m128i r[4];
#pragma GCC unroll 4
        for (int k = 0; k < 4; ++k)
            r[k] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b.rows[k] + spp * x)), spread);
        const __m128i t0 = _mm_unpacklo_epi32(r[0], r[1]), t1 = _mm_unpacklo_epi32(r[2], r[3]);
        const __m128i t2 = _mm_unpackhi_epi32(r[0], r[1]), t3 = _mm_unpackhi_epi32(r[2], r[3]);
        const __m128i col[4] = {_mm_unpacklo_epi64(t0, t1), _mm_unpackhi_epi64(t0, t1), _mm_unpacklo_epi64(t2, t3),
                                _mm_unpackhi_epi64(t2, t3)};
        if (wide) {
#pragma GCC unroll 4
            for (int k = 0; k < 4; ++k, out += step)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + wide_at), _mm_shuffle_epi8(col[k], pack));
        } else {
#pragma GCC unroll 4
            for (int k = 0; k < 4; ++k, out += step) {
                const __m128i v = _mm_shuffle_epi8(col[k], pack);
                _mm_storel_epi64(reinterpret_cast<__m128i*>(out), v);
                const uint32_t tail = uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(v, 8)));
                memcpy(out + 8, &tail, 4);
            }
        }
    }
    return x;
}
#endif

void store_turned_band(const PageDecoder* d, TurnedBand* b, size_t n, size_t spp, size_t len) {
    size_t done = 0;
#ifdef VL_TURNED_BLOCKS
    if (b->count == 4) done = store_turned_blocks(d, *b, n, spp, len);
#endif
    for (int k = 0; k < b->count; ++k) store_turned_pixels(d, b->rows[k], b->first_row + uint32_t(k), done, n, spp);
    b->count = 0;
}

// Adds the row just read (d->line) to the band, storing the band when full.
// A row read into its strip stays there until the band is stored when the
// band ends in the same strip; any other row is copied.
void add_turned_row(PageDecoder* d, TurnedBand* b, uint32_t row, size_t n, size_t spp) {
    const size_t len = d->line_buffer_size;
    if (b->count == 0) b->first_row = row;
    const uint32_t band_last = std::min(b->first_row + 3, d->height - 1);
    const bool stays = d->strip_buffer && d->line != d->line_buffer && band_last >= d->cached_first_row &&
                       band_last - d->cached_first_row < d->rows_per_strip;
    if (stays) {
        b->rows[b->count++] = d->line;
    } else {
        if (!b->copies && !b->no_copies) {
            b->copies = static_cast<uint8_t*>(malloc(4 * len));
            b->no_copies = !b->copies;
        }
        if (!b->copies) {
            store_turned_band(d, b, n, spp, len);
            store_turned_pixels(d, d->line, row, 0, n, spp);
            return;
        }
        uint8_t* copy = b->copies + size_t(b->count) * len;
        memcpy(copy, d->line, len);
        b->rows[b->count++] = copy;
    }
    if (b->count == 4 || row == d->height - 1) store_turned_band(d, b, n, spp, len);
}

// read_contiguous_colour storing the page turned (decoder_set_turned_dest).
bool read_contiguous_colour_turned(PageDecoder* d) {
    const size_t spp = d->samples_per_pixel;
    const int model = d->colour_model;
    const size_t len = d->line_buffer_size;
    const size_t converted = std::min<size_t>(len / spp, d->width);
    // The pixels the upright store would write into each row.
    const size_t stored = len >= 3 ? std::min<size_t>(d->width, (len - 3) / spp + 1) : 0;
    TurnedBand band;
    for (uint32_t row = 0; row < d->height; ++row) {
        if (decoder_read_line(d, 8, row, 0) == LineResult::kStop) break;
        if (model == 5) colour_cmyk_to_rgb(d->line, converted, spp);
        else if (model == 8)
            colour_cielab_to_rgb(d->line, converted, spp);
        if (stored) add_turned_row(d, &band, row, stored, spp);
    }
    // Rows before a stop still show.
    if (band.count) store_turned_band(d, &band, stored, spp, len);
    free(band.copies);
    return d->rows_read > 0;
}

}  // namespace

bool contiguous_colour_turns(const PageDecoder* d) {
#ifdef VL_TURNED_BLOCKS
    // Without byte shuffles the pixel-by-pixel store is slower than the
    // upright store and a turn afterwards.
    return (d->samples_per_pixel == 3 || d->samples_per_pixel == 4) && d->components == 3 &&
           d->bits_per_component == 8 && has_byte_shuffle();
#else
    (void)d;
    return false;
#endif
}

bool read_contiguous_colour(PageDecoder* d) {
    // The turned store writes the raster's usual channel order, which is the
    // only one decoder_decode sets.
    if (d->turned) return read_contiguous_colour_turned(d);
    const uint32_t spp = d->samples_per_pixel;
    const int model = d->colour_model;
    // Every row holds as many pixels as the line has room for, up to the
    // page's width; in the raster's usual channel order they are stored
    // straight into the row.
    const size_t len = d->line_buffer_size;
    const size_t converted = std::min<size_t>(len / spp, d->width);
    const bool usual_order = d->red_offset == 16 && d->green_offset == 8 && d->blue_offset == 0;
    const size_t stored =
        spp >= 3 && len >= 3 ? std::min<size_t>({d->width, (len - 3) / spp + 1, d->dest_stride / 3}) : 0;
    for (uint32_t row = 0; row < d->height; ++row) {
        if (decoder_read_line(d, 8, row, 0) == LineResult::kStop) break;
        if (model == 5) colour_cmyk_to_rgb(d->line, converted, spp);
        else if (model == 8)
            colour_cielab_to_rgb(d->line, converted, spp);
        if (!usual_order) decoder_store_rgb(d, d->line, len, row, 8 * spp, d->width, 0);
        else if (stored)
            channel_rgb_to_bgr(d->line, decoder_dest_row(d, row), stored, spp);
    }
    return d->rows_read > 0;
}

bool read_separate_rgb(PageDecoder* d) {
    const int offsets[3] = {d->red_offset, d->green_offset, d->blue_offset};
    for (uint16_t plane = 0; plane < 3; ++plane) {
        // Each plane's samples go to one byte of every pixel; every row
        // stores as many as the line holds, up to the width and the row's end.
        const uint64_t at = uint64_t(offsets[plane]) / 8;
        const size_t n = at < d->dest_stride
                             ? std::min<size_t>({d->width, d->line_buffer_size, size_t((d->dest_stride - at + 2) / 3)})
                             : 0;
        for (uint32_t row = 0; row < d->height; ++row) {
            if (decoder_read_line(d, 8, row, plane) == LineResult::kStop) return d->rows_read > 0;
            if (n) channel_store_plane(d->line, decoder_dest_row(d, row) + at, n);
        }
    }
    return d->rows_read > 0;
}

bool read_separate_cmyk(PageDecoder* d) {
    // The page is kept as four planes, each row copied in as it arrives, and
    // every row is then converted from the planes into one interleaved row:
    // the same bytes as interleaving the whole page first, in one pass less.
    const uint64_t pixels = uint64_t(d->width) * d->height;
    if (pixels > SIZE_MAX / 4 - d->width) return false;
    uint8_t* page = static_cast<uint8_t*>(malloc(size_t(pixels * 4 + uint64_t(d->width) * 4)));
    if (!page) return false;
    memset(page, kFill, size_t(pixels * 4));
    uint8_t* rgb = page + pixels * 4;
    const size_t usable = d->line_buffer_size < d->width ? d->line_buffer_size : d->width;
    bool stopped = false;
    for (uint16_t p = 0; p < 4 && !stopped; ++p)
        for (uint32_t row = 0; row < d->height; ++row) {
            if (decoder_read_line(d, 8, row, p) == LineResult::kStop) {
                stopped = true;
                break;
            }
            if (usable) memcpy(page + p * pixels + uint64_t(row) * d->width, d->line, usable);
        }
    for (uint32_t row = 0; row < d->height; ++row) {
        const uint64_t at = uint64_t(row) * d->width;
        colour_cmyk_planes_to_rgb(page + at, page + pixels + at, page + 2 * pixels + at, page + 3 * pixels + at, rgb,
                                  d->width, 4);
        decoder_store_rgb(d, rgb, size_t(d->width) * 4, row, 32, d->width, 0);
    }
    free(page);
    return d->rows_read > 0;
}

bool read_16bit_palette(PageDecoder* d) {
    uint8_t* rgb = static_cast<uint8_t*>(malloc(size_t(d->width) * 3));
    if (!rgb) return false;
    const size_t pixel_bytes = 2 * size_t(d->samples_per_pixel);
    const size_t usable = d->line_buffer_size / pixel_bytes < d->width ? d->line_buffer_size / pixel_bytes : d->width;
    memset(rgb, 0, size_t(d->width) * 3);
    for (uint32_t row = 0; row < d->height; ++row) {
        if (decoder_read_line(d, 0, row, 0) == LineResult::kStop) break;
        for (size_t x = 0; x < usable; ++x) {
            uint16_t i;
            memcpy(&i, d->line + x * pixel_bytes, 2);
            rgb[3 * x] = uint8_t(d->map_red[i] >> 8);
            rgb[3 * x + 1] = uint8_t(d->map_green[i] >> 8);
            rgb[3 * x + 2] = uint8_t(d->map_blue[i] >> 8);
        }
        decoder_store_rgb(d, rgb, size_t(d->width) * 3, row, 24, d->width, 0);
    }
    free(rgb);
    return d->rows_read > 0;
}
