#include "decode/raster_ops.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "config/error_log.h"

bool raster_create(ErrorLog* log, DisplayRaster* r, int32_t width, int32_t height, int bits_per_pixel,
                   bool zero_fill, uint32_t memory_limit_mb) {
    *r = DisplayRaster{};
    if (bits_per_pixel != 1 && bits_per_pixel != 4 && bits_per_pixel != 8 && bits_per_pixel != 24) {
        errlog_error(log, u"internal error: incorrect bitcount");
        return false;
    }
    const int64_t stride = raster_row_stride(width, bits_per_pixel);
    if (stride < 0 || height < 0 || double(stride) * double(height) > 2e9) return false;
    const int entries = raster_table_entries(bits_per_pixel);
    const int64_t block = stride * height + 4 * entries + 40;
    // The limit is compared in 64 bits: a 32-bit product would wrap for limits of
    // 4096 MB and more and then refuse every page.
    if (memory_limit_mb && uint64_t(memory_limit_mb) * 1048576u < uint64_t(block)) {
        errlog_error(log, u"Image too large, exceeds configured %uMB memory limit", memory_limit_mb);
        return false;
    }
    uint8_t* p = static_cast<uint8_t*>(zero_fill ? errlog_alloc_zeroed(log, size_t(block))
                                                 : errlog_alloc(log, size_t(block)));
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
template <int kBytes>
void transpose_bytes(const DisplayRaster* src, DisplayRaster* dst, const AxisMap& m) {
    constexpr int32_t kBand = 16;
    for (int32_t i0 = 0; i0 < m.w; i0 += kBand) {
        const int32_t i1 = std::min(m.w, i0 + kBand);
        for (int32_t j = 0; j < m.h; ++j) {
            const uint8_t* in = src->bits + int64_t(m.row_of(j)) * src->stride;
            for (int32_t i = i0; i < i1; ++i)
                memcpy(dst->bits + int64_t(i) * dst->stride + kBytes * int64_t(j), in + kBytes * int64_t(m.column_of(i)),
                       kBytes);
        }
    }
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
// padding bits; rows past the source's end count as 0.
void transpose_1(const DisplayRaster* src, DisplayRaster* dst, const AxisMap& m) {
    const int32_t bytes = (m.w + 7) / 8;
    for (int32_t j0 = 0; j0 < m.h; j0 += 8) {
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
    if (!raster_create(log, dst, h, w, bpp, true, 0)) return false;
    raster_copy_colour_table(src, dst);
    dst->is_four_level = src->is_four_level;
    raster_dib(dst)->x_pels_per_meter = raster_dib(src)->y_pels_per_meter;
    raster_dib(dst)->y_pels_per_meter = raster_dib(src)->x_pels_per_meter;
    const AxisMap m{w, h, reverse_rows, reverse_columns};
    if (bpp == 8) transpose_bytes<1>(src, dst, m);
    else if (bpp == 24) transpose_bytes<3>(src, dst, m);
    else if (bpp == 1) transpose_1(src, dst, m);
    else transpose_4(src, dst, m);
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
    case 3: raster_mirror(r); raster_flip(r); break;
    case 4: raster_flip(r); break;
    }
    return true;
}
