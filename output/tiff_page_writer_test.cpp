#include "output/tiff_page_writer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
PageImage image24(std::vector<uint8_t>& bits, int w, int h) {
    const int stride = ((w * 24 + 31) / 32) * 4;
    bits.assign(size_t(stride) * h, 0x80);
    return PageImage{w, h, 24, stride, bits.data(), nullptr};
}
}  // namespace

TEST(TiffPageWriter, OneNonGreyPixelAnywhereMakesTheImageColour) {
    std::vector<uint8_t> bits;
    PageImage im = image24(bits, 5, 3);  // stride 16: one padding byte per row
    EXPECT_EQ(page_image_kind(im), PageKind::kGrey);
    bits[15] = 0x00;  // padding is not a pixel
    EXPECT_EQ(page_image_kind(im), PageKind::kGrey);
    bits[2 * 16 + 4 * 3 + 1] = 0x81;  // the last pixel of the stored top row
    EXPECT_EQ(page_image_kind(im), PageKind::kColour);
    im.bits_per_pixel = 1;
    EXPECT_EQ(page_image_kind(im), PageKind::kBilevel);
}
