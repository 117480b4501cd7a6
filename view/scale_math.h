#pragma once
// Single-precision steps of the reduction filters, done in integers. The
// filters round some ratios and products to single precision; done in floating
// point, the 32-bit build (x87 registers, wider than single) and the native
// build could round differently and paint different pixels for the same page.
// Here a single-precision value is an integer mantissa and a power of two, and
// every step is exact, so both builds agree to the bit.
#include <cstdint>

// m * 2^exp with m below 2^24 (zero when m is 0).
struct SingleValue {
    uint64_t mantissa = 0;
    int exponent = 0;
};

// num / den rounded to single precision (to nearest, ties to even). den > 0.
SingleValue single_of_ratio(uint64_t num, uint64_t den);

// truncate(v * i + 0.5) for v >= 0 and i >= 0, exact.
int64_t single_scaled_round(SingleValue v, int64_t i);

// truncate(single(x * v)): the exact product rounded to single precision, then
// truncated toward zero. x below 2^32.
uint32_t single_product_trunc(SingleValue v, uint64_t x);
