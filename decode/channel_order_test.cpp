#include "decode/channel_order.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// Every count around the vector paths' rounds (eight and five or four pixels)
// and their stops, for the steps they take (3, 4) and one they leave to the
// plain loop; guard bytes on both sides of dest must survive, and the source
// ends where its pixels do.
TEST(ChannelOrder, MatchesThePlainReorderAtEveryCount) {
    std::mt19937 rng(5);
    for (size_t step : {3, 4, 5}) {
        for (size_t n = 0; n <= 70; ++n) {
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

// One plane of a separated page into every third byte: the bytes between
// keep what the other planes put there, and nothing before the first sample's
// byte or after the last sample's is touched (dest ends there), at every
// count around the sixteen-sample rounds and the final moved-back round.
TEST(ChannelOrder, PlaneSamplesLandInEveryThirdByteAndNowhereElse) {
    std::mt19937 rng(7);
    for (size_t n = 1; n <= 70; ++n) {
        SCOPED_TRACE("n " + std::to_string(n));
        std::vector<uint8_t> source(n), dest(3 * (n - 1) + 1);
        for (uint8_t& b : source) b = uint8_t(rng());
        for (uint8_t& b : dest) b = uint8_t(rng());
        std::vector<uint8_t> expected = dest;
        for (size_t i = 0; i < n; ++i) expected[3 * i] = source[i];
        channel_store_plane(source.data(), dest.data(), n);
        EXPECT_EQ(dest, expected);
    }
}

// Colour tables: the high or low byte of each 16-bit map entry, red, green,
// blue, 0; and the raster's order of the same entries. Counts around the
// vector rounds (eight and four entries), both shifts, guard bytes after.
TEST(ChannelOrder, ColourTablesFromMapsAndIntoTheRasterOrder) {
    std::mt19937 rng(11);
    for (size_t n : {0u, 1u, 2u, 3u, 4u, 7u, 8u, 9u, 15u, 16u, 17u, 255u, 256u}) {
        for (int shift : {0, 8}) {
            SCOPED_TRACE("n " + std::to_string(n) + " shift " + std::to_string(shift));
            std::vector<uint16_t> red(n), green(n), blue(n);
            for (size_t i = 0; i < n; ++i)
                red[i] = uint16_t(rng()), green[i] = uint16_t(rng()), blue[i] = uint16_t(rng());
            std::vector<uint8_t> rgb0(4 * n + 8, 0x5C), expected(4 * n + 8, 0x5C);
            for (size_t i = 0; i < n; ++i) {
                expected[4 * i] = uint8_t(red[i] >> shift);
                expected[4 * i + 1] = uint8_t(green[i] >> shift);
                expected[4 * i + 2] = uint8_t(blue[i] >> shift);
                expected[4 * i + 3] = 0;
            }
            channel_table_from_maps(red.data(), green.data(), blue.data(), shift, rgb0.data(), n);
            EXPECT_EQ(rgb0, expected);

            for (size_t i = 0; i < n; ++i) rgb0[4 * i + 3] = uint8_t(rng());  // the fourth byte is not carried over
            std::vector<uint8_t> bgr0(4 * n + 8, 0x5C), swapped(4 * n + 8, 0x5C);
            for (size_t i = 0; i < n; ++i) {
                swapped[4 * i] = rgb0[4 * i + 2];
                swapped[4 * i + 1] = rgb0[4 * i + 1];
                swapped[4 * i + 2] = rgb0[4 * i];
                swapped[4 * i + 3] = 0;
            }
            channel_rgbx_to_bgr0(rgb0.data(), bgr0.data(), n);
            EXPECT_EQ(bgr0, swapped);
        }
    }
}

}  // namespace
