#include "view/scale_math.h"

#include <bit>

namespace {

// Rounds m * 2^e to 24 significant bits, ties to even; `sticky` says that
// non-zero bits below m were already dropped.
SingleValue round_to_single(uint64_t m, int e, bool sticky) {
    if (m == 0) return {};
    const int bits = 64 - std::countl_zero(m);
    if (bits <= 24) return {m, e};
    const int shift = bits - 24;
    const uint64_t half = uint64_t(1) << (shift - 1);
    const uint64_t rest = m & ((half << 1) - 1);
    uint64_t q = m >> shift;
    if (rest > half || (rest == half && (sticky || (q & 1)))) ++q;
    if (q >> 24) return {q >> 1, e + shift + 1};  // rounding carried into a 25th bit
    return {q, e + shift};
}

// floor(m * 2^e) for m below 2^63.
uint64_t floor_scaled(uint64_t m, int e) {
    if (e >= 0) return e >= 64 ? 0 : m << e;
    return e <= -64 ? 0 : m >> -e;
}

}  // namespace

SingleValue single_of_ratio(uint64_t num, uint64_t den) {
    if (num == 0 || den == 0 || den >> 62) return {};
    // Long division until the quotient has 26 bits; the remainder becomes the sticky bit.
    uint64_t q = num / den, r = num % den;
    int e = 0;
    while (q >> 26 == 0) {
        r <<= 1;
        q <<= 1;
        if (r >= den) {
            r -= den;
            q |= 1;
        }
        --e;
    }
    return round_to_single(q, e, r != 0);
}

int64_t single_scaled_round(SingleValue v, int64_t i) {
    if (i <= 0 || v.mantissa == 0) return 0;
    const uint64_t p = v.mantissa * uint64_t(i);  // below 2^55 for i below 2^31
    if (v.exponent >= 0) return int64_t(floor_scaled(p, v.exponent));
    if (v.exponent <= -62) return 0;  // v * i is far below one half
    // v * i + 0.5 = (2 p + 2^-e) * 2^(e - 1)
    return int64_t(floor_scaled((p << 1) + (uint64_t(1) << -v.exponent), v.exponent - 1));
}

uint32_t single_product_trunc(SingleValue v, uint64_t x) {
    const SingleValue p = round_to_single(v.mantissa * x, v.exponent, false);
    return uint32_t(floor_scaled(p.mantissa, p.exponent));
}
