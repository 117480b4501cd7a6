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

// The whole-number offsets must reproduce the floating-point rule for every
// Y, Cb, Cr triple, the awkward pairs included.
TEST(ColourConversions, YcbcrOffsetsMatchTheFormulaForEveryTriple) {
    std::vector<uint8_t> reference(256 * 3);
    int mismatches = 0;
    for (int cb = 0; cb < 256; ++cb)
        for (int cr = 0; cr < 256; ++cr) {
            for (int y = 0; y < 256; ++y) {
                reference[3 * y] = uint8_t(y);
                reference[3 * y + 1] = uint8_t(cb);
                reference[3 * y + 2] = uint8_t(cr);
            }
            colour_ycbcr_to_rgb(reference.data(), 256, 3);
            const YcbcrOffsets o = colour_ycbcr_offsets(uint8_t(cb), uint8_t(cr));
            for (int y = 0; y < 256; ++y) {
                uint8_t bgr[3];
                colour_ycbcr_store_bgr(o, uint8_t(y), uint8_t(cb), uint8_t(cr), bgr);
                const uint8_t* rgb = &reference[3 * y];
                if (bgr[0] != rgb[2] || bgr[1] != rgb[1] || bgr[2] != rgb[0]) {
                    if (++mismatches < 5) ADD_FAILURE() << "y " << y << " cb " << cb << " cr " << cr;
                }
            }
        }
    EXPECT_EQ(mismatches, 0);
}

// Only the two pairs whose green sum is whole need the floating-point rule
// (with 64-bit doubles it lands one below -37 for most luma values there).
TEST(ColourConversions, YcbcrOffsetsLeaveTheWholeGreenPairsToTheFormula) {
    int inexact = 0;
    for (int cb = 0; cb < 256; ++cb)
        for (int cr = 0; cr < 256; ++cr) inexact += !colour_ycbcr_offsets(uint8_t(cb), uint8_t(cr)).exact;
    EXPECT_EQ(inexact, 2);
    EXPECT_FALSE(colour_ycbcr_offsets(28, 228).exact);
    EXPECT_FALSE(colour_ycbcr_offsets(228, 28).exact);
    EXPECT_EQ(colour_ycbcr_offsets(28, 228).green, -37);
}

// Whole bytes take a table; every width and both polarities must agree with
// expanding one value at a time.
TEST(ColourConversions, TwoBitExpansionMatchesOneValueAtATime) {
    std::vector<uint8_t> src(9);
    for (size_t i = 0; i < src.size(); ++i) src[i] = uint8_t(0x1B * (i + 1) + 0x40 * i);
    for (bool invert : {false, true})
        for (uint32_t width = 0; width <= 4 * src.size(); ++width) {
            std::vector<uint8_t> fast((width + 1) / 2 + 1, 0x00), slow = fast;
            colour_expand_2bit(src.data(), fast.data(), width, invert);
            for (uint32_t j = 0; j < width; ++j) {
                unsigned v = (src[j / 4] >> (2 * (3 - j % 4))) & 3;
                if (invert) v = 3 - v;
                slow[j / 2] |= uint8_t(j % 2 ? v : v << 4);
            }
            EXPECT_EQ(fast, slow) << width << (invert ? " inverted" : "");
        }
}

// CMYK goes through a table filled once; every (ink, K) pair and the pixel
// step must give what the plain conversion gives, and extra samples stay put.
TEST(ColourConversions, CmykTableMatchesPlainConversion) {
    for (size_t step : {4u, 5u, 7u}) {
        std::vector<uint8_t> fast(step * 65536), plain;
        for (size_t i = 0; i < 65536; ++i) {
            uint8_t* p = fast.data() + step * i;
            p[0] = uint8_t(i);
            p[1] = uint8_t(255 - i);
            p[2] = uint8_t(i * 37);
            p[3] = uint8_t(i >> 8);
            for (size_t e = 4; e < step; ++e) p[e] = uint8_t(i + e);
        }
        plain = fast;
        colour_cmyk_to_rgb(fast.data(), 65536, step);
        colour_cmyk_to_rgb_plain(plain.data(), 65536, step);
        ASSERT_EQ(fast, plain) << "step " << step;
    }
}

// Separated CMYK pages convert straight from the four planes; the result must
// be what interleaving the samples and converting in place gives, K included,
// at every (ink, K) pair and with bytes beyond the fourth left alone.
TEST(ColourConversions, CmykPlanesMatchInterleavedConversion) {
    constexpr size_t kPixels = 65536 + 3;
    std::vector<uint8_t> planes[4];
    for (auto& p : planes) p.resize(kPixels);
    for (size_t i = 0; i < kPixels; ++i) {
        planes[0][i] = uint8_t(i);
        planes[1][i] = uint8_t(i * 7 + 1);
        planes[2][i] = uint8_t(255 - i);
        planes[3][i] = uint8_t(i >> 8);
    }
    for (size_t step : {4u, 6u}) {
        std::vector<uint8_t> in_place(step * kPixels, 0x5A), from_planes(step * kPixels, 0x5A);
        for (size_t i = 0; i < kPixels; ++i)
            for (int c = 0; c < 4; ++c) in_place[step * i + size_t(c)] = planes[c][i];
        colour_cmyk_to_rgb_plain(in_place.data(), kPixels, step);
        colour_cmyk_planes_to_rgb(planes[0].data(), planes[1].data(), planes[2].data(), planes[3].data(),
                                  from_planes.data(), kPixels, step);
        ASSERT_EQ(from_planes, in_place) << "step " << step;
    }
}
