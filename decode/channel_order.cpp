// Colour pages are the big ones, and this reordering is most of what the
// decoder adds to the codec's own work; it gets a vector path where the
// processor has a byte shuffle, chosen once at run time.
#include "decode/channel_order.h"

#include <bit>
#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <tmmintrin.h>
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
// pixels' bytes and every store inside dest. Returns the pixels done.
template <size_t kStep>
__attribute__((target("ssse3"))) size_t rgb_to_bgr_shuffled(const uint8_t* source, uint8_t* dest, size_t n) {
    constexpr size_t kPixels = kStep == 3 ? 5 : 4;
    const __m128i order = kStep == 3 ? _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15)
                                     : _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    size_t x = 0;
    for (; x + 6 <= n; x += kPixels) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + kStep * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + 3 * x), _mm_shuffle_epi8(v, order));
    }
    return x;
}

bool has_byte_shuffle() {
    static const bool yes = __builtin_cpu_supports("ssse3");
    return yes;
}
#endif

}  // namespace

void channel_rgb_to_bgr(const uint8_t* source, uint8_t* dest, size_t n, size_t step) {
    if (step != 3 && step != 4) {
        rgb_to_bgr_any_step(source, dest, n, step);
        return;
    }
    size_t x = 0;
#ifdef VL_BYTE_SHUFFLE
    if (has_byte_shuffle())
        x = step == 3 ? rgb_to_bgr_shuffled<3>(source, dest, n) : rgb_to_bgr_shuffled<4>(source, dest, n);
#endif
    if (step == 3) rgb_to_bgr<3>(source, dest, x, n);
    else rgb_to_bgr<4>(source, dest, x, n);
}
