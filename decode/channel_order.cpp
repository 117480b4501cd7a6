// Colour pages are the big ones, and this reordering is most of what the
// decoder adds to the codec's own work; it gets a vector path where the
// processor has a byte shuffle, chosen once at run time.
#include "decode/channel_order.h"

#include <bit>
#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define VL_BYTE_SHUFFLE 1
#endif

namespace {

// The source is a line or strip buffer, never the raster, so the two never
// overlap; saying so lets the compiler work on many pixels at once.
template <size_t kStep>
void rgb_to_bgr(const uint8_t* __restrict source, uint8_t* __restrict dest, size_t x, size_t n) {
    if constexpr (std::endian::native == std::endian::little) {
        // Four bytes at a time: the byte-reversed word holds blue, green, red
        // in its low bytes once shifted. The fourth byte written is overwritten
        // by the next pixel, and the source's fourth byte read is within the
        // next pixel, so the last pixel goes byte by byte.
        for (; x + 1 < n; ++x) {
            uint32_t v;
            memcpy(&v, source + kStep * x, 4);
            v = __builtin_bswap32(v) >> 8;
            memcpy(dest + 3 * x, &v, 4);
        }
    }
    for (; x < n; ++x) {
        dest[3 * x] = source[kStep * x + 2];
        dest[3 * x + 1] = source[kStep * x + 1];
        dest[3 * x + 2] = source[kStep * x];
    }
}

void rgb_to_bgr_any_step(const uint8_t* __restrict source, uint8_t* __restrict dest, size_t n, size_t step) {
    for (size_t x = 0; x < n; ++x, dest += 3, source += step) {
        dest[0] = source[2];
        dest[1] = source[1];
        dest[2] = source[0];
    }
}

#ifdef VL_BYTE_SHUFFLE
// Sixteen bytes in, sixteen out, of which 15 (step 3: five pixels) or 12
// (step 4: four pixels) are finished pixels; the rest is overwritten by the
// next round. Stopping six pixels before the end keeps every load inside the
// pixels' bytes and every store inside dest. Starts at pixel x; returns the
// pixels done.
template <size_t kStep>
__attribute__((target("ssse3"))) inline size_t rgb_to_bgr_shuffled(const uint8_t* source, uint8_t* dest, size_t x,
                                                                   size_t n) {
    constexpr size_t kPixels = kStep == 3 ? 5 : 4;
    const __m128i order = kStep == 3 ? _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15)
                                     : _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    for (; x + 6 <= n; x += kPixels) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + kStep * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + 3 * x), _mm_shuffle_epi8(v, order));
    }
    return x;
}

// Eight pixels a round in 32 bytes. The byte shuffle works within each
// 16-byte half, so each half first gets four whole pixels (step 3 moves the
// second four up from byte 12), has them reordered into its first twelve
// bytes, and the two twelves are then packed together. The store's last eight
// bytes are overwritten by the next round; stopping eleven pixels before the
// end keeps the 32-byte loads and stores inside the pixels' bytes and dest.
// Returns the pixels done; the narrower rounds finish the row.
template <size_t kStep>
__attribute__((target("avx2"))) inline size_t rgb_to_bgr_wide(const uint8_t* source, uint8_t* dest, size_t n) {
    const __m256i order =
        _mm256_setr_epi8(2, 1, 0, 2 + kStep, 1 + kStep, kStep, 2 + 2 * kStep, 1 + 2 * kStep, 2 * kStep, 2 + 3 * kStep,
                         1 + 3 * kStep, 3 * kStep, -1, -1, -1, -1, 2, 1, 0, 2 + kStep, 1 + kStep, kStep, 2 + 2 * kStep,
                         1 + 2 * kStep, 2 * kStep, 2 + 3 * kStep, 1 + 3 * kStep, 3 * kStep, -1, -1, -1, -1);
    const __m256i spread = _mm256_setr_epi32(0, 1, 2, 3, 3, 4, 5, 6);
    const __m256i pack = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
    size_t x = 0;
    for (; x + 11 <= n; x += 8) {
        __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + kStep * x));
        if constexpr (kStep == 3) v = _mm256_permutevar8x32_epi32(v, spread);
        v = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(v, order), pack);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dest + 3 * x), v);
    }
    return x;
}

// Sixteen samples into the 48 bytes they land in: each of the three 16-byte
// parts takes the samples shuffled into its plane's places and keeps its
// other bytes.
__attribute__((target("ssse3"))) inline void store_plane_round(const uint8_t* source, uint8_t* dest) {
    const __m128i to[3] = {_mm_setr_epi8(0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1, -1, 5),
                           _mm_setr_epi8(-1, -1, 6, -1, -1, 7, -1, -1, 8, -1, -1, 9, -1, -1, 10, -1),
                           _mm_setr_epi8(-1, 11, -1, -1, 12, -1, -1, 13, -1, -1, 14, -1, -1, 15, -1, -1)};
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
#pragma GCC unroll 3
    for (int k = 0; k < 3; ++k) {
        __m128i* part = reinterpret_cast<__m128i*>(dest + 16 * k);
        // The shuffle's unused places (index -1) are the bytes to keep.
        const __m128i keep = _mm_cmplt_epi8(to[k], _mm_setzero_si128());
        const __m128i kept = _mm_and_si128(keep, _mm_loadu_si128(part));
        _mm_storeu_si128(part, _mm_or_si128(kept, _mm_shuffle_epi8(v, to[k])));
    }
}

// Stopping seventeen samples before the end keeps the last part inside dest,
// whose last byte is the last sample's. (A last round moved back to end there
// would load bytes the round before has just stored, at another offset, which
// costs more than the plain loop saves.) Returns the samples done.
__attribute__((target("ssse3"))) size_t store_plane_shuffled(const uint8_t* source, uint8_t* dest, size_t n) {
    size_t x = 0;
    for (; x + 17 <= n; x += 16) store_plane_round(source + x, dest + 3 * x);
    return x;
}

// Eight map entries shifted down to bytes, in the low half. (A named function,
// not a lambda: a lambda would not take the target attribute, which 32-bit
// builds need for these instructions.)
__attribute__((target("ssse3"))) inline __m128i map_bytes(const uint16_t* map, int shift) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(map));
    return _mm_packus_epi16(_mm_and_si128(_mm_srl_epi16(v, _mm_cvtsi32_si128(shift)), _mm_set1_epi16(0xFF)),
                            _mm_setzero_si128());
}

// Eight entries a round: the three maps' bytes interleaved with a zero byte
// into four-byte entries.
__attribute__((target("ssse3"))) size_t table_from_maps_shuffled(const uint16_t* red, const uint16_t* green,
                                                                 const uint16_t* blue, int shift, uint8_t* rgb0,
                                                                 size_t n) {
    const __m128i zero = _mm_setzero_si128();
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i rg = _mm_unpacklo_epi8(map_bytes(red + i, shift), map_bytes(green + i, shift));
        const __m128i b0 = _mm_unpacklo_epi8(map_bytes(blue + i, shift), zero);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rgb0 + 4 * i), _mm_unpacklo_epi16(rg, b0));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rgb0 + 4 * i + 16), _mm_unpackhi_epi16(rg, b0));
    }
    return i;
}

__attribute__((target("ssse3"))) size_t rgbx_to_bgr0_shuffled(const uint8_t* source, uint8_t* dest, size_t n) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, -1, 6, 5, 4, -1, 10, 9, 8, -1, 14, 13, 12, -1);
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 4 * i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + 4 * i), _mm_shuffle_epi8(v, order));
    }
    return i;
}

// The pixels from x on that the rounds above left, at most five: the row's
// last four in one round, which loads the sixteen bytes ending where the
// pixels' bytes do (the shuffle skips those before them) and stores exactly
// their twelve, the one before them, if any, on its own. Rows too short for
// that load go pixel by pixel.
template <size_t kStep>
__attribute__((target("ssse3"))) inline void rgb_to_bgr_finish(const uint8_t* source, uint8_t* dest, size_t x,
                                                               size_t n) {
    constexpr size_t kSkip = 16 - (3 * kStep + 3);
    if (x >= n || n < 4 || kStep * (n - 4) < kSkip) {
        rgb_to_bgr<kStep>(source, dest, x, n);
        return;
    }
    if (x < n - 4) rgb_to_bgr<kStep>(source, dest, x, n - 4);
    constexpr char k = char(kSkip);
    const __m128i order =
        _mm_setr_epi8(k + 2, k + 1, k, k + 2 + kStep, k + 1 + kStep, k + kStep, k + 2 + 2 * kStep, k + 1 + 2 * kStep,
                      k + 2 * kStep, k + 2 + 3 * kStep, k + 1 + 3 * kStep, k + 3 * kStep, -1, -1, -1, -1);
    const __m128i v =
        _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(source + kStep * (n - 4) - kSkip)), order);
    uint8_t* out = dest + 3 * (n - 4);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), v);
    const uint32_t last = uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(v, 8)));
    memcpy(out + 8, &last, 4);
}

// Whole rows: the widest rounds the processor has, the narrower ones for what
// they leave, then the last few pixels.
template <size_t kStep>
__attribute__((target("avx2"))) void rgb_to_bgr_avx2(const uint8_t* source, uint8_t* dest, size_t n) {
    size_t x = rgb_to_bgr_wide<kStep>(source, dest, n);
    x = rgb_to_bgr_shuffled<kStep>(source, dest, x, n);
    rgb_to_bgr_finish<kStep>(source, dest, x, n);
}

template <size_t kStep>
__attribute__((target("ssse3"))) void rgb_to_bgr_ssse3(const uint8_t* source, uint8_t* dest, size_t n) {
    rgb_to_bgr_finish<kStep>(source, dest, rgb_to_bgr_shuffled<kStep>(source, dest, 0, n), n);
}

bool has_byte_shuffle() {
    static const bool yes = __builtin_cpu_supports("ssse3");
    return yes;
}

bool has_wide_shuffle() {
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes;
}
#endif

}  // namespace

void channel_rgb_to_bgr(const uint8_t* source, uint8_t* dest, size_t n, size_t step) {
    if (step != 3 && step != 4) {
        rgb_to_bgr_any_step(source, dest, n, step);
        return;
    }
#ifdef VL_BYTE_SHUFFLE
    if (has_wide_shuffle())
        return step == 3 ? rgb_to_bgr_avx2<3>(source, dest, n) : rgb_to_bgr_avx2<4>(source, dest, n);
    if (has_byte_shuffle())
        return step == 3 ? rgb_to_bgr_ssse3<3>(source, dest, n) : rgb_to_bgr_ssse3<4>(source, dest, n);
#endif
    if (step == 3) rgb_to_bgr<3>(source, dest, 0, n);
    else
        rgb_to_bgr<4>(source, dest, 0, n);
}

void channel_store_plane(const uint8_t* __restrict source, uint8_t* __restrict dest, size_t n) {
    size_t x = 0;
#ifdef VL_BYTE_SHUFFLE
    if (has_byte_shuffle()) x = store_plane_shuffled(source, dest, n);
#endif
    for (; x < n; ++x) dest[3 * x] = source[x];
}

void channel_table_from_maps(const uint16_t* red, const uint16_t* green, const uint16_t* blue, int shift, uint8_t* rgb0,
                             size_t n) {
    size_t i = 0;
#ifdef VL_BYTE_SHUFFLE
    if (has_byte_shuffle()) i = table_from_maps_shuffled(red, green, blue, shift, rgb0, n);
#endif
    for (; i < n; ++i) {
        uint8_t* e = rgb0 + 4 * i;
        e[0] = uint8_t(red[i] >> shift);
        e[1] = uint8_t(green[i] >> shift);
        e[2] = uint8_t(blue[i] >> shift);
        e[3] = 0;
    }
}

void channel_rgbx_to_bgr0(const uint8_t* __restrict source, uint8_t* __restrict dest, size_t n) {
    size_t i = 0;
#ifdef VL_BYTE_SHUFFLE
    if (has_byte_shuffle()) i = rgbx_to_bgr0_shuffled(source, dest, n);
#endif
    for (; i < n; ++i) {
        dest[4 * i] = source[4 * i + 2];
        dest[4 * i + 1] = source[4 * i + 1];
        dest[4 * i + 2] = source[4 * i];
        dest[4 * i + 3] = 0;
    }
}
