#include "decode/raster_ops.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "config/error_log.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <tmmintrin.h>
#define VL_BYTE_SHUFFLE 1
#endif

bool raster_create(ErrorLog* log, DisplayRaster* r, int32_t width, int32_t height, int bits_per_pixel, bool zero_fill,
                   uint32_t memory_limit_mb) {
    *r = DisplayRaster{};
    if (bits_per_pixel != 1 && bits_per_pixel != 4 && bits_per_pixel != 8 && bits_per_pixel != 24) {
        errlog_error(log, u"internal error: incorrect bitcount");
        return false;
    }
    const int64_t stride = raster_row_stride(width, bits_per_pixel);
    const int entries = raster_table_entries(bits_per_pixel);
    // The limit is compared in 64 bits (a 32-bit product would wrap for limits
    // of 4096 MB and more and then refuse every page), and before the largest
    // raster made at all, so that a request past both says which limit it met.
    const double block_bytes =
        (stride < 0 ? double(width) * bits_per_pixel / 8 : double(stride)) * height + 4 * entries + 40;
    if (memory_limit_mb && height >= 0 && width >= 0 && double(memory_limit_mb) * 1048576.0 < block_bytes) {
        errlog_error(log, u"Image too large, exceeds configured %uMB memory limit", memory_limit_mb);
        return false;
    }
    if (stride < 0 || height < 0 || double(stride) * double(height) > 2e9) return false;
    const int64_t block = stride * height + 4 * entries + 40;
    uint8_t* p =
        static_cast<uint8_t*>(zero_fill ? errlog_alloc_zeroed(log, size_t(block)) : errlog_alloc(log, size_t(block)));
    if (!p) return false;
    if (!zero_fill) memset(p, 0, size_t(40 + 4 * entries));  // header and table start defined
    DibHeader* h = reinterpret_cast<DibHeader*>(p);
    *h = DibHeader{40, width, height, 1, uint16_t(bits_per_pixel), 0, 0, 0, 0, 0, 0};
    r->header = p;
    r->bits = p + 40 + 4 * entries;
    r->stride = int32_t(stride);
    r->block_size = int32_t(block);
    return true;
}

void raster_destroy(DisplayRaster* r) {
    if (!r) return;
    free(r->header);
    *r = DisplayRaster{};
}

namespace {

// Pixel access by stored row and column, for the depths a raster can have.
inline uint32_t get_pixel(const uint8_t* row, int bpp, int32_t x) {
    switch (bpp) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> (x & 1 ? 0 : 4)) & 0xF;
    case 8: return row[x];
    default: return row[3 * x] | row[3 * x + 1] << 8 | uint32_t(row[3 * x + 2]) << 16;
    }
}

inline void set_pixel(uint8_t* row, int bpp, int32_t x, uint32_t v) {
    switch (bpp) {
    case 1: {
        const uint8_t bit = uint8_t(0x80 >> (x & 7));
        row[x >> 3] = uint8_t(v ? row[x >> 3] | bit : row[x >> 3] & ~bit);
        break;
    }
    case 4: {
        const int shift = x & 1 ? 0 : 4;
        row[x >> 1] = uint8_t((row[x >> 1] & ~(0xF << shift)) | (v << shift));
        break;
    }
    case 8: row[x] = uint8_t(v); break;
    default:
        row[3 * x] = uint8_t(v);
        row[3 * x + 1] = uint8_t(v >> 8);
        row[3 * x + 2] = uint8_t(v >> 16);
    }
}

// Where a transpose takes each pixel from, possibly reversed on either axis:
// stored pixel (i, j) of dst is stored pixel (row_of(j), column_of(i)) of src.
// Orientations 5 to 8 are a transpose with a mirror, a flip, both or
// neither; one pass does them all.
struct AxisMap {
    int32_t w, h;  // of src
    bool reverse_rows, reverse_columns;
    int32_t row_of(int32_t j) const { return reverse_rows ? h - 1 - j : j; }
    int32_t column_of(int32_t i) const { return reverse_columns ? w - 1 - i : i; }
};

// Whole-byte pixels, a band of destination rows at a time: each source row is
// read once per band, and every destination row of the band is written in order.
// Columns [from, m.h) of destination rows [i0, i1) only.
template <int kBytes>
void transpose_bytes_range(const DisplayRaster* src, DisplayRaster* dst, const AxisMap& m, int32_t i0, int32_t i1,
                           int32_t from) {
    for (int32_t j = from; j < m.h; ++j) {
        const uint8_t* in = src->bits + int64_t(m.row_of(j)) * src->stride;
        for (int32_t i = i0; i < i1; ++i)
            memcpy(dst->bits + int64_t(i) * dst->stride + kBytes * int64_t(j), in + kBytes * int64_t(m.column_of(i)),
                   kBytes);
    }
}

template <int kBytes>
void transpose_bytes(const DisplayRaster* src, DisplayRaster* dst, const AxisMap& m) {
    constexpr int32_t kBand = 16;
    for (int32_t i0 = 0; i0 < m.w; i0 += kBand)
        transpose_bytes_range<kBytes>(src, dst, m, i0, std::min(m.w, i0 + kBand), 0);
}

#ifdef VL_BYTE_SHUFFLE
// Colour pages in blocks of 4 × 4 pixels: four source rows of four pixels each
// are spread to one pixel a 32-bit lane, transposed as a 4 × 4 word matrix and
// packed back to twelve bytes for each of four destination rows. Loads are 16
// bytes wide and must stay within the source's pixels: the block's twelve bytes
// are the first twelve loaded where two more pixels follow it in the row, else
// the last twelve where two more precede it (rows narrower than that go pixel
// by pixel). Stores are 16 bytes wide where two more pixels follow in the
// destination row, the four spare bytes landing on the next block, which is
// written afterwards; the row's last block stores exactly its twelve bytes.
// Partial blocks at the ends of either axis go pixel by pixel.
__attribute__((target("ssse3"))) void transpose_24_blocks(const DisplayRaster* src, DisplayRaster* dst,
                                                          const AxisMap& m) {
    const __m128i spread_first = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i spread_last = _mm_setr_epi8(4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1);
    const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const int64_t src_step = m.reverse_rows ? -int64_t(src->stride) : int64_t(src->stride);
    int32_t i0 = 0;
    for (; i0 + 4 <= m.w; i0 += 4) {
        // Destination rows i0..i0+3 are source columns c..c+3, in that order or reversed.
        const int32_t c = m.reverse_columns ? m.w - 4 - i0 : i0;
        if (c + 6 > m.w && c < 2) {
            transpose_bytes_range<3>(src, dst, m, i0, i0 + 4, 0);
            continue;
        }
        const bool load_first = c + 6 <= m.w;
        const __m128i spread = load_first ? spread_first : spread_last;
        uint8_t* out[4];
        for (int k = 0; k < 4; ++k) out[m.reverse_columns ? 3 - k : k] = dst->bits + int64_t(i0 + k) * dst->stride;
        const uint8_t* in0 = src->bits + int64_t(m.row_of(0)) * src->stride + 3 * int64_t(c) - (load_first ? 0 : 4);
        int32_t j = 0;
        for (; j + 4 <= m.h; j += 4, in0 += 4 * src_step) {
            __m128i r[4];
#pragma GCC unroll 4
            for (int k = 0; k < 4; ++k)
                r[k] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in0 + k * src_step)), spread);
            const __m128i t0 = _mm_unpacklo_epi32(r[0], r[1]), t1 = _mm_unpacklo_epi32(r[2], r[3]);
            const __m128i t2 = _mm_unpackhi_epi32(r[0], r[1]), t3 = _mm_unpackhi_epi32(r[2], r[3]);
            const __m128i col[4] = {_mm_unpacklo_epi64(t0, t1), _mm_unpackhi_epi64(t0, t1), _mm_unpacklo_epi64(t2, t3),
                                    _mm_unpackhi_epi64(t2, t3)};
            if (j + 6 <= m.h) {
#pragma GCC unroll 4
                for (int k = 0; k < 4; ++k)
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(out[k] + 3 * int64_t(j)),
                                     _mm_shuffle_epi8(col[k], pack));
            } else {
#pragma GCC unroll 4
                for (int k = 0; k < 4; ++k) {
                    const __m128i v = _mm_shuffle_epi8(col[k], pack);
                    uint8_t* o = out[k] + 3 * int64_t(j);
                    _mm_storel_epi64(reinterpret_cast<__m128i*>(o), v);
                    const uint32_t tail = uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(v, 8)));
                    memcpy(o + 8, &tail, 4);
                }
            }
        }
        if (j < m.h) transpose_bytes_range<3>(src, dst, m, i0, i0 + 4, j);
    }
    if (i0 < m.w) transpose_bytes_range<3>(src, dst, m, i0, m.w, 0);
}

// 8-bit pages in blocks of 8 × 8 pixels: eight source rows of eight bytes are
// interleaved in three rounds (bytes, pairs, quads) so that each eight-byte half
// of the result is one destination row's run. Loads and stores are exactly the
// block's bytes; partial blocks at the ends of either axis go pixel by pixel.
__attribute__((target("ssse3"))) void transpose_8_blocks(const DisplayRaster* src, DisplayRaster* dst,
                                                         const AxisMap& m) {
    const int64_t src_step = m.reverse_rows ? -int64_t(src->stride) : int64_t(src->stride);
    int32_t i0 = 0;
    for (; i0 + 8 <= m.w; i0 += 8) {
        // Destination rows i0..i0+7 are source columns c..c+7, in that order or reversed.
        const int32_t c = m.reverse_columns ? m.w - 8 - i0 : i0;
        uint8_t* out[8];
        for (int k = 0; k < 8; ++k) out[m.reverse_columns ? 7 - k : k] = dst->bits + int64_t(i0 + k) * dst->stride;
        const uint8_t* in0 = src->bits + int64_t(m.row_of(0)) * src->stride + c;
        int32_t j = 0;
        for (; j + 8 <= m.h; j += 8, in0 += 8 * src_step) {
            __m128i r[8];
#pragma GCC unroll 8
            for (int k = 0; k < 8; ++k) r[k] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in0 + k * src_step));
            const __m128i a0 = _mm_unpacklo_epi8(r[0], r[1]), a1 = _mm_unpacklo_epi8(r[2], r[3]);
            const __m128i a2 = _mm_unpacklo_epi8(r[4], r[5]), a3 = _mm_unpacklo_epi8(r[6], r[7]);
            const __m128i b0 = _mm_unpacklo_epi16(a0, a1), b1 = _mm_unpackhi_epi16(a0, a1);
            const __m128i b2 = _mm_unpacklo_epi16(a2, a3), b3 = _mm_unpackhi_epi16(a2, a3);
            const __m128i pairs[4] = {_mm_unpacklo_epi32(b0, b2), _mm_unpackhi_epi32(b0, b2),
                                      _mm_unpacklo_epi32(b1, b3), _mm_unpackhi_epi32(b1, b3)};
#pragma GCC unroll 4
            for (int k = 0; k < 4; ++k) {
                _mm_storel_epi64(reinterpret_cast<__m128i*>(out[2 * k] + j), pairs[k]);
                _mm_storel_epi64(reinterpret_cast<__m128i*>(out[2 * k + 1] + j), _mm_srli_si128(pairs[k], 8));
            }
        }
        if (j < m.h) transpose_bytes_range<1>(src, dst, m, i0, i0 + 8, j);
    }
    if (i0 < m.w) transpose_bytes_range<1>(src, dst, m, i0, m.w, 0);
}

bool has_byte_shuffle() {
    static const bool yes = __builtin_cpu_supports("ssse3");
    return yes;
}
#endif

void transpose_24(const DisplayRaster* src, DisplayRaster* dst, const AxisMap& m) {
#ifdef VL_BYTE_SHUFFLE
    if (has_byte_shuffle()) {
        transpose_24_blocks(src, dst, m);
        return;
    }
#endif
    transpose_bytes<3>(src, dst, m);
}

void transpose_8(const DisplayRaster* src, DisplayRaster* dst, const AxisMap& m) {
#ifdef VL_BYTE_SHUFFLE
    if (has_byte_shuffle()) {
        transpose_8_blocks(src, dst, m);
        return;
    }
#endif
    transpose_bytes<1>(src, dst, m);
}

// Transposes an 8 × 8 bit block held one row per byte, row 0 in the top
// byte and bit 0x80 first: afterwards byte t (from the top) holds column t.
inline uint64_t transpose_8x8(uint64_t x) {
    uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
    x ^= t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
    x ^= t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
    return x ^ t ^ (t << 28);
}

// Bilevel pages are the large ones: eight source rows at a time, each source
// byte column becomes one byte in each of eight destination rows. Blocks that
// are all 0 are skipped (the new raster starts zeroed), as are the source's
// padding bits; rows past the source's end count as 0. Starts at source row
// `from`, a multiple of 8.
void transpose_1_rows(const DisplayRaster* src, DisplayRaster* dst, const AxisMap& m, int32_t from) {
    const int32_t bytes = (m.w + 7) / 8;
    for (int32_t j0 = from; j0 < m.h; j0 += 8) {
        const uint8_t* in[8];
        for (int32_t k = 0; k < 8; ++k)
            in[k] = j0 + k < m.h ? src->bits + int64_t(m.row_of(j0 + k)) * src->stride : nullptr;
        uint8_t* column = dst->bits + (j0 >> 3);
        for (int32_t b = 0; b < bytes; ++b) {
            uint64_t x = 0;
            for (int32_t k = 0; k < 8; ++k) x = x << 8 | (in[k] ? in[k][b] : 0);
            if (!x) continue;
            x = transpose_8x8(x);
            const int32_t last = std::min<int32_t>(8, m.w - 8 * b);
            for (int32_t t = 0; t < last; ++t)
                column[int64_t(m.column_of(8 * b + t)) * dst->stride] = uint8_t(x >> (56 - 8 * t));
        }
    }
}

#ifdef VL_BYTE_SHUFFLE
// Transposes 16 × 16 bytes: v[k] holds byte row k; afterwards v[c] holds
// byte column c, byte k of it from row k. Four rounds of interleaving, each
// pairing units twice as wide as the round before.
__attribute__((target("ssse3"))) inline void transpose_16x16(__m128i v[16]) {
    __m128i a[16], b[16];
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) {
        a[i] = _mm_unpacklo_epi8(v[2 * i], v[2 * i + 1]);
        a[i + 8] = _mm_unpackhi_epi8(v[2 * i], v[2 * i + 1]);
    }
#pragma GCC unroll 2
    for (int h = 0; h < 2; ++h) {  // byte columns 0..7, then 8..15
#pragma GCC unroll 4
        for (int i = 0; i < 4; ++i) {
            b[8 * h + i] = _mm_unpacklo_epi16(a[8 * h + 2 * i], a[8 * h + 2 * i + 1]);
            b[8 * h + i + 4] = _mm_unpackhi_epi16(a[8 * h + 2 * i], a[8 * h + 2 * i + 1]);
        }
    }
// b[4g + i]: columns 4g..4g+3, rows 4i..4i+3 of each.
#pragma GCC unroll 4
    for (int g = 0; g < 4; ++g) {
        const __m128i* q = b + 4 * g;
        const __m128i c0 = _mm_unpacklo_epi32(q[0], q[1]), c1 = _mm_unpackhi_epi32(q[0], q[1]);
        const __m128i c2 = _mm_unpacklo_epi32(q[2], q[3]), c3 = _mm_unpackhi_epi32(q[2], q[3]);
        v[4 * g] = _mm_unpacklo_epi64(c0, c2);
        v[4 * g + 1] = _mm_unpackhi_epi64(c0, c2);
        v[4 * g + 2] = _mm_unpacklo_epi64(c1, c3);
        v[4 * g + 3] = _mm_unpackhi_epi64(c1, c3);
    }
}

// Sixteen source rows by sixteen bytes at a time. After the byte transpose
// each vector is one byte column of the sixteen rows, the first row in its
// top byte, so its sign bits are one pixel column: the two bytes that pixel
// column's destination row takes. Doubling every byte brings the next pixel
// column up. Blocks that are all 0 are skipped, as are the source's padding
// bits. A row's last block of bytes is read in full where the block goes on
// (into the next row), through a copy where it ends, and masked to the row's
// bytes. Returns the source rows done, a multiple of 16.
__attribute__((target("ssse3"))) int32_t transpose_1_blocks(const DisplayRaster* src, DisplayRaster* dst,
                                                            const AxisMap& m) {
    const int32_t bytes = (m.w + 7) / 8;
    const int64_t step = m.reverse_columns ? -int64_t(dst->stride) : int64_t(dst->stride);
    const uint8_t* const end = src->header + src->block_size;
    const int32_t last_bytes = bytes - (bytes - 1) / 16 * 16;  // in the last block, 1..16
    const __m128i last_mask = _mm_cmpgt_epi8(_mm_set1_epi8(char(last_bytes)),
                                             _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
    int32_t j0 = 0;
    for (; j0 + 16 <= m.h; j0 += 16) {
        const uint8_t* in[16];
        for (int32_t k = 0; k < 16; ++k) in[k] = src->bits + int64_t(m.row_of(j0 + 15 - k)) * src->stride;
        for (int32_t b0 = 0; b0 < bytes; b0 += 16) {
            const bool last_block = b0 + 16 >= bytes;
            __m128i v[16], any = _mm_setzero_si128();
#pragma GCC unroll 16
            for (int32_t k = 0; k < 16; ++k) {
                if (in[k] + b0 + 16 <= end) {
                    v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in[k] + b0));
                } else {
                    alignas(16) uint8_t tail[16] = {};
                    memcpy(tail, in[k] + b0, size_t(last_bytes));
                    v[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(tail));
                }
                if (last_block) v[k] = _mm_and_si128(v[k], last_mask);
                any = _mm_or_si128(any, v[k]);
            }
            if (_mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) == 0xFFFF) continue;
            transpose_16x16(v);
            for (int32_t c = 0; c < 16 && b0 + c < bytes; ++c) {
                const int32_t b = b0 + c, columns = std::min<int32_t>(8, m.w - 8 * b);
                uint8_t* out = dst->bits + int64_t(m.column_of(8 * b)) * dst->stride + (j0 >> 3);
                __m128i x = v[c];
                for (int32_t t = 0; t < columns; ++t, out += step) {
                    const int bits = _mm_movemask_epi8(x);
                    out[0] = uint8_t(bits >> 8);
                    out[1] = uint8_t(bits);
                    x = _mm_add_epi8(x, x);
                }
            }
        }
    }
    return j0;
}
#endif

void transpose_1(const DisplayRaster* src, DisplayRaster* dst, const AxisMap& m) {
    int32_t from = 0;
#ifdef VL_BYTE_SHUFFLE
    if (has_byte_shuffle()) from = transpose_1_blocks(src, dst, m);
#endif
    transpose_1_rows(src, dst, m, from);
}

void transpose_4(const DisplayRaster* src, DisplayRaster* dst, const AxisMap& m) {
    for (int32_t i = 0; i < m.w; ++i) {
        uint8_t* out = dst->bits + int64_t(i) * dst->stride;
        for (int32_t j = 0; j < m.h; ++j)
            set_pixel(out, 4, j, get_pixel(src->bits + int64_t(m.row_of(j)) * src->stride, 4, m.column_of(i)));
    }
}

// dst (empty on entry) becomes the transpose of src, read through the map.
bool transpose_mapped(ErrorLog* log, const DisplayRaster* src, DisplayRaster* dst, bool reverse_rows,
                      bool reverse_columns) {
    if (raster_empty(src)) return false;
    const int32_t w = raster_width(src), h = raster_height(src);
    const int bpp = raster_bpp(src);
    // Whole-byte pixels are all written below, so only the row padding needs
    // clearing; the other depths rely on the new raster starting zeroed.
    const bool whole_bytes = bpp == 8 || bpp == 24;
    if (!raster_create(log, dst, h, w, bpp, !whole_bytes, 0)) return false;
    const int64_t used = int64_t(h) * (bpp / 8);
    if (whole_bytes && used < dst->stride) {
        for (int32_t i = 0; i < w; ++i)
            memset(dst->bits + int64_t(i) * dst->stride + used, 0, size_t(dst->stride - used));
    }
    raster_copy_colour_table(src, dst);
    dst->is_four_level = src->is_four_level;
    raster_dib(dst)->x_pels_per_meter = raster_dib(src)->y_pels_per_meter;
    raster_dib(dst)->y_pels_per_meter = raster_dib(src)->x_pels_per_meter;
    const AxisMap m{w, h, reverse_rows, reverse_columns};
    if (bpp == 8) transpose_8(src, dst, m);
    else if (bpp == 24)
        transpose_24(src, dst, m);
    else if (bpp == 1)
        transpose_1(src, dst, m);
    else
        transpose_4(src, dst, m);
    return true;
}

// Reverses a 1-bit row of w pixels in place: byte order and bit order, then a
// shift that drops the padding bits back to the end of the row.
void mirror_1(uint8_t* row, int32_t w, uint8_t* tmp) {
    static const auto reversed = [] {
        std::array<uint8_t, 256> t{};
        for (int i = 0; i < 256; ++i)
            for (int b = 0; b < 8; ++b)
                if (i & (1 << b)) t[size_t(i)] |= uint8_t(0x80 >> b);
        return t;
    }();
    const int32_t bytes = (w + 7) / 8;
    const int pad = (8 - w % 8) % 8;
    for (int32_t i = 0; i < bytes; ++i) tmp[i] = reversed[row[bytes - 1 - i]];
    tmp[bytes] = 0;
    for (int32_t i = 0; i < bytes; ++i) row[i] = pad ? uint8_t(tmp[i] << pad | tmp[i + 1] >> (8 - pad)) : tmp[i];
}

}  // namespace

bool raster_transpose(ErrorLog* log, const DisplayRaster* src, DisplayRaster* dst) {
    return transpose_mapped(log, src, dst, false, false);
}

bool raster_transpose_in_place(ErrorLog* log, DisplayRaster* r) {
    DisplayRaster t;
    if (!raster_transpose(log, r, &t)) return false;
    raster_destroy(r);
    *r = t;
    return true;
}

void raster_mirror(DisplayRaster* r) {
    if (raster_empty(r)) return;
    const int32_t w = raster_width(r), h = raster_height(r);
    const int bpp = raster_bpp(r);
    uint8_t* tmp = bpp == 1 ? static_cast<uint8_t*>(malloc(size_t(r->stride) + 1)) : nullptr;
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = r->bits + int64_t(y) * r->stride;
        if (tmp) {
            mirror_1(row, w, tmp);
            continue;
        }
        if (bpp == 8) {
            for (int32_t k = 0; k < w / 2; ++k) std::swap(row[k], row[w - 1 - k]);
            continue;
        }
        if (bpp == 24) {
            for (int32_t k = 0; k < w / 2; ++k)
                for (int c = 0; c < 3; ++c) std::swap(row[3 * k + c], row[3 * (w - 1 - k) + c]);
            continue;
        }
        for (int32_t k = 0; k < w / 2; ++k) {
            const uint32_t a = get_pixel(row, bpp, k), b = get_pixel(row, bpp, w - 1 - k);
            set_pixel(row, bpp, k, b);
            set_pixel(row, bpp, w - 1 - k, a);
        }
    }
    free(tmp);
}

void raster_flip(DisplayRaster* r) {
    if (raster_empty(r)) return;
    const int32_t h = raster_height(r);
    uint8_t* tmp = static_cast<uint8_t*>(malloc(size_t(r->stride ? r->stride : 1)));
    for (int32_t i = 0; i < h / 2; ++i) {
        uint8_t* a = r->bits + int64_t(i) * r->stride;
        uint8_t* b = r->bits + int64_t(h - 1 - i) * r->stride;
        if (tmp) {
            memcpy(tmp, a, size_t(r->stride));
            memcpy(a, b, size_t(r->stride));
            memcpy(b, tmp, size_t(r->stride));
        } else {
            for (int32_t k = 0; k < r->stride; ++k) std::swap(a[k], b[k]);
        }
    }
    free(tmp);
}

void raster_negative(DisplayRaster* r) {
    if (raster_empty(r)) return;
    const int bpp = raster_bpp(r);
    if (bpp == 4 || bpp == 8) {
        DibColour* table = raster_colours(r);
        for (int i = 0; i < raster_table_entries(bpp); ++i) {
            table[i].blue = uint8_t(~table[i].blue);
            table[i].green = uint8_t(~table[i].green);
            table[i].red = uint8_t(~table[i].red);
        }
        return;
    }
    const int64_t n = int64_t(r->stride) * raster_height(r);
    for (int64_t i = 0; i < n; ++i) r->bits[i] = uint8_t(~r->bits[i]);
}

void raster_copy_colour_table(const DisplayRaster* src, DisplayRaster* dst) {
    if (raster_empty(src) || raster_empty(dst)) return;
    const int ns = raster_table_entries(raster_bpp(src)), nd = raster_table_entries(raster_bpp(dst));
    const int n = ns < nd ? ns : nd;
    if (n > 0) memcpy(raster_colours(dst), raster_colours(src), size_t(4 * n));
    if (ns == nd && raster_bpp(src) == raster_bpp(dst)) dst->is_grey = src->is_grey;
}

bool raster_apply_orientation(ErrorLog* log, DisplayRaster* r, int orientation) {
    if (orientation >= 5 && orientation <= 8) {
        // The transpose followed by 5: mirror and flip, 6: flip, 8: mirror, in one pass.
        DisplayRaster t;
        if (!transpose_mapped(log, r, &t, orientation == 5 || orientation == 8, orientation == 5 || orientation == 6))
            return false;
        raster_destroy(r);
        *r = t;
        return true;
    }
    switch (orientation) {
    case 2: raster_mirror(r); break;
    case 3:
        raster_mirror(r);
        raster_flip(r);
        break;
    case 4: raster_flip(r); break;
    }
    return true;
}
