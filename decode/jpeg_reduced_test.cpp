#include "decode/jpeg_reduced.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdlib>

#include "decode/decode_page.h"
#include "decode/page_decoder.h"
#include "decode/raster_ops.h"
#include "testing/tiff_builder.h"

namespace {

// A photo-like page: each channel its own gradient, with a little grain, kept
// away from black and white (clipped colours ring in any JPEG decode).
TiffPage photo_page(uint16_t spp, uint32_t rows_per_strip, uint32_t tile) {
    TiffPage p;
    p.width = 200;
    p.height = 120;
    p.samples_per_pixel = spp;
    p.compression = COMPRESSION_JPEG;
    p.photometric = spp == 3 ? PHOTOMETRIC_YCBCR : PHOTOMETRIC_MINISBLACK;
    p.jpeg_rgb_input = spp == 3;
    p.jpeg_quality = 95;
    p.rows_per_strip = rows_per_strip;
    p.tile_width = p.tile_length = tile;
    for (uint32_t y = 0; y < p.height; ++y)
        for (uint32_t x = 0; x < p.width; ++x)
            for (uint16_t c = 0; c < spp; ++c)
                p.pixels.push_back(uint8_t((c == 0   ? 60 + x / 2
                                            : c == 1 ? 190 - x / 2
                                                     : 50 + y) +
                                           (x * 7 + y * 3) % 5));
    return p;
}

// The page decoded reduced against the whole decode averaged over the same
// blocks: within the codec's rounding of a scaled decode.
TEST(JpegReduced, CloseToTheWholePageAveraged) {
    const struct {
        uint16_t spp;
        uint32_t rows, tile;
        int divisor;
    } cases[] = {{3, 16, 0, 4}, {3, 0, 0, 2}, {1, 8, 0, 8}, {3, 0, 32, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "spp " << c.spp << " rows " << c.rows << " tile " << c.tile);
        const std::vector<uint8_t> file = tiff_build({photo_page(c.spp, c.rows, c.tile)});
        TIFF* tif = tiff_open_memory(file);
        ASSERT_TRUE(tif);
        DisplayRaster whole;
        ASSERT_TRUE(decode_page(tif, nullptr, DecodePageOptions{}, &whole));
        PageDecoder* d = decoder_create();
        decoder_attach(d, tif, DecoderHandlers{}, nullptr);
        decoder_set_option(d, DecoderOption::kOutputLayout, kOutputLayoutDib);
        ASSERT_TRUE(decoder_validate(d));
        const int n = c.divisor;
        ASSERT_EQ(n, jpeg_reduction_divisor(d, 200 / n, 120 / n));
        DisplayRaster small;
        ASSERT_TRUE(jpeg_decode_reduced(tif, d, n, nullptr, 0, &small));
        ASSERT_EQ(200 / n, raster_width(&small));  // 200 / 8: the last partial column left out
        ASSERT_EQ(120 / n, raster_height(&small));
        ASSERT_EQ(raster_bpp(&whole), raster_bpp(&small));
        const int ch = raster_bpp(&small) / 8;
        int worst = 0;
        int64_t total = 0, count = 0;
        for (int32_t y = 0; y < 120 / n; ++y)
            for (int32_t x = 0; x < 200 / n; ++x)
                for (int k = 0; k < ch; ++k) {
                    int sum = 0;
                    for (int dy = 0; dy < n; ++dy)
                        for (int dx = 0; dx < n; ++dx) sum += raster_row(&whole, y * n + dy)[(x * n + dx) * ch + k];
                    const int diff = std::abs(sum / (n * n) - raster_row(&small, y)[x * ch + k]);
                    worst = std::max(worst, diff);
                    total += diff;
                    ++count;
                }
        EXPECT_LE(worst, 12);
        EXPECT_LE(double(total) / double(count), 2.0);
        raster_destroy(&small);
        raster_destroy(&whole);
        decoder_destroy(d);
        TIFFClose(tif);
    }
}

// The divisor keeps the page at or above the asked size.
TEST(JpegReduced, DivisorKeepsAtLeastTheAskedSize) {
    const std::vector<uint8_t> file = tiff_build({photo_page(3, 16, 0)});
    TIFF* tif = tiff_open_memory(file);
    ASSERT_TRUE(tif);
    PageDecoder* d = decoder_create();
    decoder_attach(d, tif, DecoderHandlers{}, nullptr);
    decoder_set_option(d, DecoderOption::kOutputLayout, kOutputLayoutDib);
    ASSERT_TRUE(decoder_validate(d));
    EXPECT_EQ(8, jpeg_reduction_divisor(d, 25, 15));
    EXPECT_EQ(4, jpeg_reduction_divisor(d, 26, 15));  // 200 / 8 = 25 columns
    EXPECT_EQ(2, jpeg_reduction_divisor(d, 51, 30));
    EXPECT_EQ(1, jpeg_reduction_divisor(d, 101, 30));
    decoder_destroy(d);
    TIFFClose(tif);
}

// Damaged data, which the whole decode would report, is left to it.
TEST(JpegReduced, DamagedStripIsLeftToTheWholeDecode) {
    std::vector<uint8_t> file = tiff_build({photo_page(3, 16, 0)});
    {
        TIFF* tif = tiff_open_memory(file);
        ASSERT_TRUE(tif);
        const uint64_t at = TIFFGetStrileOffset(tif, 2) + TIFFGetStrileByteCount(tif, 2) / 2;
        TIFFClose(tif);
        file[at] = 0xFF, file[at + 1] = 0xD9;  // the data ends early
    }
    TIFF* tif = tiff_open_memory(file);
    PageDecoder* d = decoder_create();
    decoder_attach(d, tif, DecoderHandlers{}, nullptr);
    decoder_set_option(d, DecoderOption::kOutputLayout, kOutputLayoutDib);
    ASSERT_TRUE(decoder_validate(d));
    DisplayRaster small;
    EXPECT_FALSE(jpeg_decode_reduced(tif, d, 4, nullptr, 0, &small));
    EXPECT_TRUE(raster_empty(&small));
    raster_destroy(&small);
    decoder_destroy(d);
    TIFFClose(tif);
}

}  // namespace
