#include "decode/channel_order.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// Every count around the vector path's rounds and its six-pixel stop, for the
// steps it takes (3, 4) and one it leaves to the plain loop; guard bytes on
// both sides of dest must survive, and the source ends where its pixels do.
TEST(ChannelOrder, MatchesThePlainReorderAtEveryCount) {
    std::mt19937 rng(5);
    for (size_t step : {3, 4, 5}) {
        for (size_t n = 0; n <= 45; ++n) {
            SCOPED_TRACE("step " + std::to_string(step) + " n " + std::to_string(n));
            const size_t used = n ? (n - 1) * step + 3 : 0;
            std::vector<uint8_t> source(used);
            for (uint8_t& b : source) b = uint8_t(rng());
            std::vector<uint8_t> dest(3 * n + 32, 0x5C), expected(3 * n + 32, 0x5C);
            for (size_t x = 0; x < n; ++x) {
                expected[16 + 3 * x] = source[step * x + 2];
                expected[16 + 3 * x + 1] = source[step * x + 1];
                expected[16 + 3 * x + 2] = source[step * x];
            }
            channel_rgb_to_bgr(source.data(), dest.data() + 16, n, step);
            EXPECT_EQ(dest, expected);
        }
    }
}

}  // namespace
