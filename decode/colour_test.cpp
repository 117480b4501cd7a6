#include "decode/colour.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/text.h"

TEST(ColourNames, TypesByPhotometricAndDepth) {
    char16_t name[100];
    colour_type_name(0, 1, name, 100);
    EXPECT_EQ(text_to_utf8(name), "BW, min-is-white");
    colour_type_name(1, 8, name, 100);
    EXPECT_EQ(text_to_utf8(name), "Grayscale, min-is-black");
    colour_type_name(32845, 16, name, 100);
    EXPECT_EQ(text_to_utf8(name), "CIE Log2(L) (u',v')");
    colour_type_name(7, 8, name, 100);
    EXPECT_EQ(text_to_utf8(name), "Unknown (7)");
    colour_type_name(5, 8, name, 6);  // cut to the buffer
    EXPECT_EQ(text_to_utf8(name), "Color");
}

TEST(ColourConversions, PixelStepSkipsExtraSamplesAndLeavesThemAlone) {
    std::vector<uint8_t> cmyk = {0, 0, 0, 0, 77, 0, 0, 0, 255, 9};
    colour_cmyk_to_rgb(cmyk.data(), 2, 5);
    EXPECT_EQ(cmyk, (std::vector<uint8_t>{255, 255, 255, 0, 77, 0, 0, 0, 255, 9}));
    std::vector<uint8_t> lab = {0, 0, 0, 50, 100, 60, 0};
    colour_cielab_to_rgb(lab.data(), 2, 4);
    EXPECT_EQ(lab[0] | lab[1] | lab[2], 0);  // L = 0 is black
    EXPECT_EQ(lab[3], 50);
    EXPECT_GT(lab[4], lab[5]);  // positive a* leans red
}

TEST(ColourConversions, TwoBitExpansionOrsIntoNibbles) {
    const uint8_t src[2] = {0xE4, 0x40};  // 3 2 1 0 | 1 0 0 0
    uint8_t dest[3] = {0, 0, 0};
    colour_expand_2bit(src, dest, 5, false);
    EXPECT_EQ(dest[0], 0x32);
    EXPECT_EQ(dest[1], 0x10);
    EXPECT_EQ(dest[2], 0x10);
    uint8_t inverted[3] = {0, 0, 0};
    colour_expand_2bit(src, inverted, 5, true);
    EXPECT_EQ(inverted[0], 0x01);
    EXPECT_EQ(inverted[2], 0x20);
}
