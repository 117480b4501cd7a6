#include "decode/page_decoder.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/text.h"
#include "config/error_log.h"
#include "decode/decode_page.h"
#include "decode/decoder_state.h"
#include "decode/raster_ops.h"
#include "decode/raster_rgb.h"
#include "testing/tiff_builder.h"

namespace {

struct Decoded {
    bool ok = false;
    DisplayRaster raster;
    std::string log;  // the log text, UTF-8
    int warnings = 0;
    int errors = 0;
    std::vector<uint8_t> rgb;
    ~Decoded() { raster_destroy(&raster); }
};

void quiet(const char*, const char*, va_list) {}

// Decodes the current directory of an open handle, which stays open.
void decode_handle(TIFF* t, Decoded* out, DecodePageOptions options = {}) {
    ErrorLog log;
    errlog_init(&log, false);
    out->ok = decode_page(t, &log, options, &out->raster);
    out->log = text_to_utf8(errlog_text(&log));
    out->warnings = log.warning_count;
    out->errors = log.error_count;
    out->rgb = raster_to_rgb(&out->raster);
    errlog_free(&log);
}

void decode_bytes(const std::vector<uint8_t>& file, Decoded* out, DecodePageOptions options = {}) {
    ASSERT_FALSE(file.empty()) << "the builder refused the page";
    TIFFErrorHandler old_warning = TIFFSetWarningHandler(quiet);
    TIFF* t = tiff_open_memory(file);
    ASSERT_NE(t, nullptr);
    decode_handle(t, out, options);
    TIFFClose(t);
    TIFFSetWarningHandler(old_warning);
}

TiffPage grey_page(uint32_t w, uint32_t h, uint16_t bps, std::vector<uint8_t> pixels) {
    TiffPage p;
    p.width = w;
    p.height = h;
    p.bits_per_sample = bps;
    p.pixels = std::move(pixels);
    return p;
}

uint8_t grey_at(const Decoded& d, int x, int y) { return d.rgb[(size_t(y) * raster_width(&d.raster) + x) * 3]; }

}  // namespace

TEST(PageDecoderGrey, MissingPhotometricIsMinIsWhite) {
    TiffPage p = grey_page(2, 1, 8, {0, 200});
    p.photometric = -1;
    Decoded d;
    decode_bytes(tiff_build({p}), &d);
    ASSERT_TRUE(d.ok) << d.log;
    EXPECT_EQ(grey_at(d, 0, 0), 255);
    EXPECT_EQ(grey_at(d, 1, 0), 55);
    EXPECT_TRUE(d.raster.is_grey);
}

TEST(PageDecoderGrey, BilevelRowsNotAMultipleOf8KeepPaddingZero) {
    // 11 pixels, min-is-white: stored bits are complemented, the table is black, white.
    TiffPage p = grey_page(11, 2, 1, {0x0F, 0x00, 0xF0, 0xE0});
    p.photometric = 0;
    Decoded d;
    decode_bytes(tiff_build({p}), &d);
    ASSERT_TRUE(d.ok) << d.log;
    ASSERT_EQ(raster_bpp(&d.raster), 1);
    EXPECT_TRUE(d.raster.is_grey);
    const uint8_t* top = raster_row(&d.raster, 0);
    EXPECT_EQ(top[0], 0xF0);
    EXPECT_EQ(top[1], 0xE0);  // 3 picture bits, then zero padding
    EXPECT_EQ(top[2] | top[3], 0);
    const uint8_t* bottom = raster_row(&d.raster, 1);
    EXPECT_EQ(bottom[0], 0x0F);
    EXPECT_EQ(bottom[1], 0x00);
    EXPECT_EQ(grey_at(d, 0, 0), 255);
    EXPECT_EQ(grey_at(d, 4, 0), 0);
}

TEST(PageDecoderGrey, TwoBitGreyBecomesFourLevelNibbles) {
    // Pixels 0, 1, 2, 3, 3 (min-is-black) and the same min-is-white.
    for (int photometric : {1, 0}) {
        TiffPage p = grey_page(5, 1, 2, {0x1B, 0xC0});
        p.photometric = photometric;
        Decoded d;
        decode_bytes(tiff_build({p}), &d);
        ASSERT_TRUE(d.ok) << d.log;
        ASSERT_EQ(raster_bpp(&d.raster), 4);
        EXPECT_TRUE(d.raster.is_four_level);
        EXPECT_FALSE(d.raster.is_grey);
        const uint8_t* row = raster_row(&d.raster, 0);
        if (photometric == 1) {
            EXPECT_EQ(row[0], 0x01);
            EXPECT_EQ(row[1], 0x23);
            EXPECT_EQ(row[2], 0x30);
            EXPECT_EQ(grey_at(d, 1, 0), 85);
            EXPECT_EQ(grey_at(d, 2, 0), 170);
        } else {
            EXPECT_EQ(row[0], 0x32);
            EXPECT_EQ(row[1], 0x10);
            EXPECT_EQ(row[2], 0x00);
        }
    }
}

TEST(PageDecoderGrey, DeepSamplesKeepTheirHighByte) {
    std::vector<uint8_t> px(4);
    const uint16_t v[2] = {0x12FF, 0xAB01};
    memcpy(px.data(), v, 4);  // host order, as libtiff hands it back
    Decoded d;
    decode_bytes(tiff_build({grey_page(2, 1, 16, px)}), &d);
    ASSERT_TRUE(d.ok) << d.log;
    ASSERT_EQ(raster_bpp(&d.raster), 8);
    EXPECT_EQ(raster_row(&d.raster, 0)[0], 0x12);
    EXPECT_EQ(raster_row(&d.raster, 0)[1], 0xAB);
}

TEST(PageDecoderGrey, ExtraSamplesAfterGreyOrIndexAreSkipped) {
    TiffPage p = grey_page(3, 1, 8, {10, 255, 20, 0, 30, 128});
    p.samples_per_pixel = 2;
    p.extra_samples = 1;
    Decoded d;
    decode_bytes(tiff_build({p}), &d);
    ASSERT_TRUE(d.ok) << d.log;
    const uint8_t* row = raster_row(&d.raster, 0);
    EXPECT_EQ(row[0], 10);
    EXPECT_EQ(row[1], 20);
    EXPECT_EQ(row[2], 30);
    // Palette indices with alpha are read the same way.
    p.photometric = 3;
    p.colormap = tiff_colormap({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x0A0B0C}, 256);
    Decoded q;
    decode_bytes(tiff_build({p}), &q);
    ASSERT_TRUE(q.ok) << q.log;
    EXPECT_EQ(q.rgb[0], 0x0A);
    EXPECT_EQ(q.rgb[2], 0x0C);
}

TEST(PageDecoderPalette, EightBitValuesAreRepairedWithOneNotice) {
    TiffPage p = grey_page(2, 1, 8, {1, 2});
    p.photometric = 3;
    p.colormap = tiff_colormap({0, 0x102030, 0xFFFFFF}, 256, true);
    Decoded d;
    decode_bytes(tiff_build({p}), &d);
    ASSERT_TRUE(d.ok) << d.log;
    EXPECT_EQ(d.warnings, 1);
    EXPECT_NE(d.log.find("All colors are indistinguishable from black"), std::string::npos);
    EXPECT_EQ(d.rgb, (std::vector<uint8_t>{0x10, 0x20, 0x30, 255, 255, 255}));

    Decoded off;
    DecodePageOptions no_repair;
    no_repair.repair_palette = false;
    decode_bytes(tiff_build({p}), &off, no_repair);
    ASSERT_TRUE(off.ok);
    EXPECT_EQ(off.warnings, 0);
    EXPECT_EQ(off.rgb, std::vector<uint8_t>(6, 0));
}

TEST(PageDecoderPalette, AllZeroPaletteIsLeftBlack) {
    TiffPage p = grey_page(2, 1, 8, {1, 2});
    p.photometric = 3;
    p.colormap = tiff_colormap({}, 256);
    Decoded d;
    decode_bytes(tiff_build({p}), &d);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.warnings, 0);
    EXPECT_EQ(d.rgb, std::vector<uint8_t>(6, 0));
}

TEST(PageDecoderPalette, LightFirstTwoColourPaletteIsSwappedAndLooksTheSame) {
    TiffPage p = grey_page(8, 1, 1, {0xF0});  // four pixels of index 1 (black), four of index 0 (white)
    p.photometric = 3;
    p.colormap = tiff_colormap({0xFFFFFF, 0x000000}, 2);
    Decoded d;
    decode_bytes(tiff_build({p}), &d);
    ASSERT_TRUE(d.ok) << d.log;
    EXPECT_TRUE(d.raster.is_grey);
    EXPECT_EQ(raster_row(&d.raster, 0)[0], 0x0F);
    EXPECT_EQ(grey_at(d, 0, 0), 0);
    EXPECT_EQ(grey_at(d, 7, 0), 255);
}

TEST(PageDecoderPalette, SixteenBitIndicesBecomeRgb) {
    std::vector<uint8_t> px(4);
    const uint16_t idx[2] = {3, 40000};
    memcpy(px.data(), idx, 4);
    TiffPage p = grey_page(2, 1, 16, px);
    p.photometric = 3;
    p.colormap.assign(3 * 65536, 0);
    p.colormap[3] = 0x1100;
    p.colormap[65536 + 3] = 0x2200;
    p.colormap[2 * 65536 + 40000] = 0xFF00;
    Decoded d;
    decode_bytes(tiff_build({p}), &d);
    ASSERT_TRUE(d.ok) << d.log;
    EXPECT_EQ(raster_bpp(&d.raster), 24);
    EXPECT_EQ(d.rgb, (std::vector<uint8_t>{0x11, 0x22, 0, 0, 0, 0xFF}));
}

TEST(PageDecoderColour, CmykContiguousAndSeparatePlanesAgree) {
    const std::vector<uint8_t> contig = {0, 0, 0, 0, 0, 0, 0, 255, 0, 255, 255, 0, 0, 0, 0, 11};
    TiffPage p = grey_page(4, 1, 8, contig);
    p.photometric = 5;
    p.samples_per_pixel = 4;
    Decoded a;
    decode_bytes(tiff_build({p}), &a);
    ASSERT_TRUE(a.ok) << a.log;
    // White, black, red, and the rounding case K = 11 that gives 243 rather than 244.
    EXPECT_EQ(a.rgb, (std::vector<uint8_t>{255, 255, 255, 0, 0, 0, 255, 0, 0, 243, 243, 243}));
    std::vector<uint8_t> planes(16);
    for (int x = 0; x < 4; ++x)
        for (int c = 0; c < 4; ++c) planes[c * 4 + x] = contig[x * 4 + c];
    p.planar = 2;
    p.pixels = planes;
    Decoded b;
    decode_bytes(tiff_build({p}), &b);
    ASSERT_TRUE(b.ok) << b.log;
    EXPECT_EQ(a.rgb, b.rgb);
}

TEST(PageDecoderColour, RgbPlanarAndExtraSamplesLandInBgrOrder) {
    TiffPage p = grey_page(2, 1, 8, {1, 2, 3, 99, 4, 5, 6, 99});
    p.photometric = 2;
    p.samples_per_pixel = 4;
    p.extra_samples = 1;
    Decoded a;
    decode_bytes(tiff_build({p}), &a);
    ASSERT_TRUE(a.ok) << a.log;
    EXPECT_EQ(a.rgb, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(raster_row(&a.raster, 0)[0], 3);  // blue first in the raster
    TiffPage q = grey_page(2, 1, 8, {1, 4, 2, 5, 3, 6});
    q.photometric = 2;
    q.samples_per_pixel = 3;
    q.planar = 2;
    Decoded b;
    decode_bytes(tiff_build({q}), &b);
    ASSERT_TRUE(b.ok) << b.log;
    EXPECT_EQ(b.rgb, a.rgb);
}

TEST(PageDecoderColour, CieLabWhiteAndSignedChroma) {
    TiffPage p = grey_page(2, 1, 8, {255, 0, 0, 128, 128, 128});
    p.photometric = 8;
    p.samples_per_pixel = 3;
    Decoded d;
    decode_bytes(tiff_build({p}), &d);
    ASSERT_TRUE(d.ok) << d.log;
    EXPECT_EQ(d.rgb[0], 255);
    EXPECT_EQ(d.rgb[1], 255);
    EXPECT_EQ(d.rgb[2], 254);
    // a* = b* = -128 at mid lightness: strongly green-blue, so red is the smallest.
    EXPECT_LT(d.rgb[3], d.rgb[4]);
}

TEST(PageDecoderColour, JpegYcbcrIsConvertedByTheCodec) {
    TiffPage p;
    p.width = 16;
    p.height = 16;
    p.samples_per_pixel = 3;
    p.photometric = 6;
    p.compression = 7;
    p.jpeg_rgb_input = true;
    p.jpeg_quality = 100;
    p.rows_per_strip = 16;
    p.pixels.resize(16 * 16 * 3);
    for (size_t i = 0; i < p.pixels.size(); i += 3) {
        p.pixels[i] = 200;
        p.pixels[i + 1] = 40;
        p.pixels[i + 2] = 90;
    }
    Decoded d;
    decode_bytes(tiff_build({p}), &d);
    ASSERT_TRUE(d.ok) << d.log;
    for (size_t i = 0; i < d.rgb.size(); i += 3) {
        ASSERT_NEAR(d.rgb[i], 200, 4);
        ASSERT_NEAR(d.rgb[i + 1], 40, 4);
        ASSERT_NEAR(d.rgb[i + 2], 90, 4);
    }
}

TEST(PageDecoderYcbcr, OddWidthTwoByTwoUnitsFillTheEdgeFromTheFirstLumaColumn) {
    // 3 × 2 pixels in 2 × 2 units: two units per row, the second half outside.
    TiffPage p;
    p.width = 3;
    p.height = 2;
    p.samples_per_pixel = 3;
    p.photometric = 6;
    p.ycbcr_h = p.ycbcr_v = 2;
    p.raw_chunks = {{10, 20, 30, 40, 128, 128, 50, 60, 70, 80, 128, 128}};
    Decoded d;
    decode_bytes(tiff_build({p}), &d);
    ASSERT_TRUE(d.ok) << d.log;
    const uint8_t expect[2][3] = {{10, 20, 50}, {30, 40, 70}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(grey_at(d, x, y), expect[y][x]) << x << "," << y;
}

TEST(PageDecoderYcbcr, NeutralChromaGivesGreysAndExtremesClamp) {
    TiffPage p;
    p.width = 2;
    p.height = 1;
    p.samples_per_pixel = 3;
    p.photometric = 6;
    p.ycbcr_h = p.ycbcr_v = 1;
    p.raw_chunks = {{0, 128, 128, 255, 255, 255}};
    Decoded d;
    decode_bytes(tiff_build({p}), &d);
    ASSERT_TRUE(d.ok) << d.log;
    EXPECT_EQ(d.rgb, (std::vector<uint8_t>{0, 0, 0, 255, 120, 255}));
}

TEST(PageDecoderTiles, RgbaTilesArePlacedAtTheirPixelColumn) {
    TiffPage p;
    p.width = 20;
    p.height = 17;
    p.samples_per_pixel = 4;
    p.extra_samples = 1;
    p.photometric = 2;
    p.tile_width = p.tile_length = 16;
    p.pixels.resize(20 * 17 * 4);
    for (uint32_t y = 0; y < 17; ++y)
        for (uint32_t x = 0; x < 20; ++x) {
            uint8_t* px = &p.pixels[(y * 20 + x) * 4];
            px[0] = uint8_t(x);
            px[1] = uint8_t(y);
            px[2] = uint8_t(x + y);
            px[3] = 7;
        }
    Decoded d;
    decode_bytes(tiff_build({p}), &d);
    ASSERT_TRUE(d.ok) << d.log;
    for (uint32_t y = 0; y < 17; ++y)
        for (uint32_t x = 0; x < 20; ++x) {
            const uint8_t* px = &d.rgb[(y * 20 + x) * 3];
            ASSERT_EQ(px[0], x);
            ASSERT_EQ(px[1], y);
            ASSERT_EQ(px[2], x + y);
        }
}

TEST(PageDecoderTiles, BilevelTilesKeepMinIsWhiteInversion) {
    TiffPage p = grey_page(40, 3, 1, {});
    p.photometric = 0;
    p.tile_width = p.tile_length = 16;
    p.pixels.assign(5 * 3, 0);
    p.pixels[4] = 0x80;  // pixel 32 of row 0 is black
    Decoded d;
    decode_bytes(tiff_build({p}), &d);
    ASSERT_TRUE(d.ok) << d.log;
    EXPECT_EQ(grey_at(d, 32, 0), 0);
    EXPECT_EQ(grey_at(d, 31, 0), 255);
    EXPECT_EQ(grey_at(d, 39, 2), 255);
}

TEST(PageDecoderDamage, ManyUnreadableScanlinesStopButEarlierRowsShow) {
    // 60 rows in one-row LZW strips; strips 3.. are cut to garbage so their reads fail.
    TiffPage p = grey_page(4, 60, 8, std::vector<uint8_t>(240, 9));
    p.compression = 5;
    p.rows_per_strip = 1;
    std::vector<uint8_t> file = tiff_build({p});
    ASSERT_FALSE(file.empty());
    {
        TIFF* t = tiff_open_memory(file);
        uint64_t* offsets = nullptr;
        ASSERT_TRUE(TIFFGetField(t, TIFFTAG_STRIPOFFSETS, &offsets));
        std::vector<uint64_t> at(offsets + 3, offsets + 60);
        TIFFClose(t);
        for (uint64_t off : at) file[off] = 0xFF, file[off + 1] = 0xFF;  // an invalid LZW code
    }
    Decoded d;
    decode_bytes(file, &d);
    ASSERT_TRUE(d.ok) << d.log;
    EXPECT_NE(d.log.find("Error attempting to read this image"), std::string::npos);
    EXPECT_EQ(grey_at(d, 0, 0), 9);
    EXPECT_EQ(grey_at(d, 3, 2), 9);
    EXPECT_EQ(grey_at(d, 0, 3), 0xAA);  // failed reads keep the fill pattern
    EXPECT_EQ(grey_at(d, 0, 55), 0);    // never read after giving up: black
}

TEST(PageDecoderDamage, UnreadableJpegStripKeepsTheStripsBefore) {
    TiffPage p;
    p.width = 8;
    p.height = 16;
    p.photometric = 2;
    p.samples_per_pixel = 3;
    p.compression = 7;
    p.rows_per_strip = 8;
    p.pixels.assign(8 * 16 * 3, 200);
    std::vector<uint8_t> file = tiff_build({p});
    ASSERT_FALSE(file.empty());
    {
        TIFF* t = tiff_open_memory(file);
        uint64_t* offsets = nullptr;
        ASSERT_TRUE(TIFFGetField(t, TIFFTAG_STRIPOFFSETS, &offsets));
        const uint64_t second = offsets[1];
        TIFFClose(t);
        file[second] = file[second + 1] = 0;  // no JPEG start marker
    }
    Decoded d;
    decode_bytes(file, &d);
    ASSERT_TRUE(d.ok) << d.log;
    EXPECT_NE(d.log.find("Error reading strip 1"), std::string::npos) << d.log;
    EXPECT_NEAR(grey_at(d, 3, 7), 200, 3);
    EXPECT_EQ(grey_at(d, 3, 8), 0);  // never stored: black
}

namespace {

std::vector<std::string> g_reference_messages;

void capture(const char* module, const char* fmt, va_list ap) {
    char text[1024];
    vsnprintf(text, sizeof text, fmt, ap);
    g_reference_messages.push_back(std::string(module ? module : "") + ": " + text);
}

size_t occurrences(const std::string& haystack, const std::string& needle) {
    size_t n = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++n;
    return n;
}

}  // namespace

// Strips of fast codecs are read without filling the buffer first, and again
// over the fill when a read fails or comes short. The page must come out as
// if every strip had been read into a filled buffer, each library message
// logged once, whether the strip is whole, cut short or cut to a few bytes.
TEST(PageDecoderDamage, CutStripsShowAsIfReadIntoTheFill) {
    for (uint16_t compression : {5, 8, 32946, 32773}) {
        SCOPED_TRACE("compression " + std::to_string(compression));
        TiffPage p;
        p.width = 13;
        p.height = 11;
        p.photometric = 2;
        p.samples_per_pixel = 4;
        p.extra_samples = 1;
        p.compression = compression;
        p.rows_per_strip = 4;
        for (uint32_t i = 0; i < 13 * 11 * 4; ++i) p.pixels.push_back(uint8_t(i * 37 % 251 ^ (i >> 3)));
        const std::vector<uint8_t> whole = tiff_build({p});
        ASSERT_FALSE(whole.empty());
        TIFF* t = tiff_open_memory(whole);
        ASSERT_NE(t, nullptr);
        for (uint32_t s = 0; s < TIFFNumberOfStrips(t); ++s) {
            std::vector<uint8_t> raw(size_t(TIFFRawStripSize(t, s)));
            ASSERT_GT(TIFFReadRawStrip(t, s, raw.data(), tmsize_t(raw.size())), 0);
            if (s == 1) raw.resize(raw.size() / 2);
            if (s == 2) raw.resize(3);
            p.raw_chunks.push_back(raw);
        }
        TIFFClose(t);
        const std::vector<uint8_t> file = tiff_build({p});
        ASSERT_FALSE(file.empty());

        // The plain computation: each strip read into a buffer filled with 0xAA.
        g_reference_messages.clear();
        TIFFErrorHandler old = TIFFSetErrorHandler(capture);
        t = tiff_open_memory(file);
        ASSERT_NE(t, nullptr);
        const tmsize_t strip_size = TIFFStripSize(t);
        std::vector<uint8_t> expected(size_t(13 * 11 * 4));
        for (uint32_t s = 0; s < 3; ++s) {
            std::vector<uint8_t> buf(size_t(strip_size), 0xAA);
            TIFFReadEncodedStrip(t, s, buf.data(), strip_size);
            const size_t rows = s < 2 ? 4 : 3;
            std::copy(buf.begin(), buf.begin() + long(rows * 13 * 4), expected.begin() + long(s * 4 * 13 * 4));
        }
        TIFFClose(t);
        TIFFSetErrorHandler(old);
        ASSERT_FALSE(g_reference_messages.empty()) << "the cut strips should have failed";

        Decoded d;
        decode_bytes(file, &d);
        ASSERT_TRUE(d.ok) << d.log;
        for (uint32_t y = 0; y < 11; ++y)
            for (uint32_t x = 0; x < 13; ++x)
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(d.rgb[(y * 13 + x) * 3 + c], expected[(y * 13 + x) * 4 + c]) << x << "," << y << " " << c;
        // The log folds a line repeated at once into one, but counts it each time.
        EXPECT_EQ(size_t(d.errors), g_reference_messages.size()) << d.log;
        for (const std::string& m : g_reference_messages) {
            const auto times = size_t(std::count(g_reference_messages.begin(), g_reference_messages.end(), m));
            EXPECT_EQ(occurrences(d.log, m), times) << m << "\n" << d.log;
        }
    }
}

namespace {

// The bytes of a file as libtiff sees them through a mapping, so that strips
// are checked against the file's size instead of being read in part.
struct MappedBytes {
    const std::vector<uint8_t>* bytes;
    uint64_t at = 0;
};
tmsize_t mapped_read(thandle_t h, void* buf, tmsize_t n) {
    auto* f = static_cast<MappedBytes*>(h);
    const uint64_t size = f->bytes->size();
    const uint64_t k = f->at >= size || n <= 0 ? 0 : std::min<uint64_t>(uint64_t(n), size - f->at);
    if (k) memcpy(buf, f->bytes->data() + f->at, size_t(k));
    f->at += k;
    return tmsize_t(k);
}
tmsize_t mapped_write(thandle_t, void*, tmsize_t) { return 0; }
toff_t mapped_seek(thandle_t h, toff_t off, int whence) {
    auto* f = static_cast<MappedBytes*>(h);
    f->at = (whence == SEEK_CUR ? f->at : whence == SEEK_END ? f->bytes->size() : 0) + off;
    return f->at;
}
int mapped_close(thandle_t) { return 0; }
toff_t mapped_size(thandle_t h) { return static_cast<MappedBytes*>(h)->bytes->size(); }
int mapped_map(thandle_t h, void** base, toff_t* size) {
    auto* f = static_cast<MappedBytes*>(h);
    *base = const_cast<uint8_t*>(f->bytes->data());
    *size = f->bytes->size();
    return 1;
}
void mapped_unmap(thandle_t, void*, toff_t) {}

TIFF* open_handle(const std::vector<uint8_t>& file, bool mapped, MappedBytes* m) {
    if (!mapped) return tiff_open_memory(file);
    *m = MappedBytes{&file};
    return TIFFClientOpen("mapped", "rm", m, mapped_read, mapped_write, mapped_seek, mapped_close, mapped_size,
                          mapped_map, mapped_unmap);
}

// Sets the byte count of strip `index` in a classic little-endian file.
bool set_strip_byte_count(std::vector<uint8_t>* file, uint32_t index, uint32_t count) {
    auto& b = *file;
    const auto u16 = [&b](size_t at) { return uint32_t(b[at] | b[at + 1] << 8); };
    const auto u32 = [&b](size_t at) {
        return uint32_t(b[at] | b[at + 1] << 8 | b[at + 2] << 16) | uint32_t(b[at + 3]) << 24;
    };
    const uint32_t ifd = u32(4);
    for (uint32_t i = 0; i < u16(ifd); ++i) {
        const size_t e = ifd + 2 + 12 * size_t(i);
        if (u16(e) != TIFFTAG_STRIPBYTECOUNTS) continue;
        const uint32_t type = u16(e + 2), n = u32(e + 4), width = type == TIFF_SHORT ? 2 : 4;
        if (index >= n || (type != TIFF_SHORT && type != TIFF_LONG)) return false;
        const size_t at = (n * width <= 4 ? e + 8 : u32(e + 8)) + size_t(index) * width;
        for (uint32_t k = 0; k < width; ++k) b[at + k] = uint8_t(count >> (8 * k));
        return width == 4 || count <= 0xFFFF;
    }
    return false;
}

}  // namespace

// Uncompressed strips are read whole where the file holds all their rows, and
// row by row otherwise. Either way the page must come out as reading every
// row on its own into a filled line gives it, with the same messages: whole,
// with a strip whose byte count stops part way, and with one that runs past
// the end of the file; mapped or read through the file procedures; with the
// samples of a pixel together or in planes.
TEST(PageDecoderDamage, UncompressedStripsShowAsIfReadRowByRow) {
    for (uint16_t planar : {1, 2})
        for (bool mapped : {false, true})
            for (int damage : {0, 1, 2}) {
                SCOPED_TRACE("planar " + std::to_string(planar) + (mapped ? " mapped" : " read") + " damage " +
                             std::to_string(damage));
                TiffPage p;
                p.width = 13;
                p.height = 11;
                p.photometric = 2;
                p.samples_per_pixel = planar == 1 ? 4 : 3;
                p.extra_samples = planar == 1 ? 1 : 0;
                p.planar = planar;
                p.rows_per_strip = 4;
                for (uint32_t i = 0; i < 13 * 11 * 4; ++i) p.pixels.push_back(uint8_t(i * 37 % 251 ^ (i >> 3)));
                const uint32_t row_bytes = planar == 1 ? 13 * 4 : 13;
                if (damage == 1) {
                    // Strip 1 (of each plane) stops after a row and a half.
                    std::vector<uint8_t> file = tiff_build({p});
                    TIFF* t = tiff_open_memory(file);
                    ASSERT_NE(t, nullptr);
                    for (uint32_t s = 0; s < TIFFNumberOfStrips(t); ++s) {
                        std::vector<uint8_t> raw(size_t(TIFFRawStripSize(t, s)));
                        ASSERT_GT(TIFFReadRawStrip(t, s, raw.data(), tmsize_t(raw.size())), 0);
                        if (s % 3 == 1) raw.resize(row_bytes * 3 / 2);
                        p.raw_chunks.push_back(raw);
                    }
                    TIFFClose(t);
                }
                std::vector<uint8_t> file = tiff_build({p});
                ASSERT_FALSE(file.empty());
                if (damage == 2) {  // the last strip (of the second plane) runs past the end of the file
                    ASSERT_TRUE(set_strip_byte_count(&file, planar == 1 ? 2 : 5, uint32_t(file.size())));
                }

                // The plain computation: every row read on its own into a line filled with 0xAA.
                g_reference_messages.clear();
                TIFFErrorHandler old = TIFFSetErrorHandler(capture);
                MappedBytes m{};
                TIFF* t = open_handle(file, mapped, &m);
                ASSERT_NE(t, nullptr);
                ASSERT_EQ(TIFFScanlineSize(t), tmsize_t(row_bytes));
                std::vector<uint8_t> rows;
                for (uint16_t plane = 0; plane < (planar == 1 ? 1 : 3); ++plane)
                    for (uint32_t y = 0; y < 11; ++y) {
                        std::vector<uint8_t> line(row_bytes, 0xAA);
                        TIFFReadScanline(t, line.data(), y, plane);
                        rows.insert(rows.end(), line.begin(), line.end());
                    }
                TIFFClose(t);
                TIFFSetErrorHandler(old);
                EXPECT_EQ(g_reference_messages.empty(), damage == 0);

                t = open_handle(file, mapped, &m);
                ASSERT_NE(t, nullptr);
                Decoded d;
                decode_handle(t, &d);
                TIFFClose(t);
                ASSERT_TRUE(d.ok) << d.log;
                for (uint32_t y = 0; y < 11; ++y)
                    for (uint32_t x = 0; x < 13; ++x)
                        for (uint32_t c = 0; c < 3; ++c) {
                            const size_t at =
                                planar == 1 ? size_t(y) * row_bytes + 4 * x + c : (size_t(c) * 11 + y) * row_bytes + x;
                            ASSERT_EQ(d.rgb[(y * 13 + x) * 3 + c], rows[at]) << x << "," << y << " " << c;
                        }
                // The log writes a line repeated back to back once, but counts it each time.
                EXPECT_EQ(size_t(d.errors), g_reference_messages.size()) << d.log;
                for (const std::string& msg : g_reference_messages) {
                    size_t runs = 0;
                    for (size_t i = 0; i < g_reference_messages.size(); ++i)
                        runs += g_reference_messages[i] == msg && (i == 0 || g_reference_messages[i - 1] != msg);
                    EXPECT_EQ(occurrences(d.log, msg), runs) << msg << "\n" << d.log;
                }
            }
}

TEST(PageDecoderValidation, RefusalsNameTheProblem) {
    struct Case {
        TiffPage page;
        const char* message;
    };
    std::vector<Case> cases;
    TiffPage rgb2 = grey_page(1, 1, 8, {1, 2});
    rgb2.photometric = 2;
    rgb2.samples_per_pixel = 2;
    cases.push_back({rgb2, "Unsupported samples/pixel"});
    TiffPage mask = grey_page(1, 1, 1, {0});
    mask.photometric = 4;
    cases.push_back({mask, "Unsupported color type (Holdout mask)"});
    TiffPage floats = grey_page(1, 1, 32, {0, 0, 0, 0});
    floats.sample_format = 3;
    cases.push_back({floats, "Unsupported sample format (3)"});
    TiffPage rgb4 = grey_page(2, 1, 4, {0, 0, 0});
    rgb4.photometric = 2;
    rgb4.samples_per_pixel = 3;
    cases.push_back({rgb4, "Unsupported bits/sample (4)"});
    // LogL samples arrive as bytes only through the SGILog codec; raw ones are refused.
    TiffPage logl = grey_page(1, 1, 16, {0, 0});
    logl.photometric = 32844;
    cases.push_back({logl, "Unsupported color type (CIE Log2(L))"});
    TiffPage grey12 = grey_page(2, 1, 12, {0, 0, 0});
    cases.push_back({grey12, "Unsupported bits/sample (12)"});
    for (const Case& c : cases) {
        Decoded d;
        decode_bytes(tiff_build({c.page}), &d);
        EXPECT_FALSE(d.ok) << c.message;
        EXPECT_NE(d.log.find(c.message), std::string::npos) << d.log;
    }
}

TEST(PageDecoderValidation, FactsAndOptions) {
    TiffPage p = grey_page(10, 3, 4, std::vector<uint8_t>(15, 0x12));
    p.resolution_unit = 3;
    p.x_resolution = 100;
    p.y_resolution = 50;
    std::vector<uint8_t> file = tiff_build({p});
    TIFF* t = tiff_open_memory(file);
    PageDecoder* d = decoder_create();
    int context = 0;
    decoder_attach(d, t, DecoderHandlers{}, &context);
    EXPECT_EQ(decoder_context(d), &context);
    EXPECT_EQ(decoder_option(d, DecoderOption::kRepairPalette), 1);
    int v = -1;
    EXPECT_FALSE(decoder_get_fact(d, DecoderFact(-1), &v));  // a value no fact has
    EXPECT_EQ(v, 0);
    EXPECT_FALSE(decoder_set_option(d, DecoderOption(-1), 5));
    ASSERT_TRUE(decoder_validate(d));
    const std::pair<DecoderFact, int> expected[] = {{DecoderFact::kWidth, 10},
                                                    {DecoderFact::kHeight, 3},
                                                    {DecoderFact::kOrientation, 1},
                                                    {DecoderFact::kDestStride, 8},
                                                    {DecoderFact::kImageBytes, 24},
                                                    {DecoderFact::kIsGrey, 1},
                                                    {DecoderFact::kOutputBitsPerPixel, 4},
                                                    {DecoderFact::kPaletteCount, 16},
                                                    {DecoderFact::kResolutionUnit, 3},
                                                    {DecoderFact::kResolutionValid, 1}};
    for (auto [number, value] : expected) {
        EXPECT_TRUE(decoder_get_fact(d, number, &v));
        EXPECT_EQ(v, value) << int(number);
    }
    EXPECT_EQ(decoder_get_resolution(d, DecoderAxis::kY), 50.0f);
    decoder_destroy(d);
    TIFFClose(t);
}

TEST(PageDecoderValidation, ImplausibleResolutionIsDropped) {
    for (float y : {1001.0f, 0.0f, 1e30f}) {
        TiffPage p = grey_page(1, 1, 8, {0});
        p.resolution_unit = 2;
        p.x_resolution = 100;
        p.y_resolution = y ? y : 0.001f;
        std::vector<uint8_t> file = tiff_build({p});
        TIFF* t = tiff_open_memory(file);
        PageDecoder* d = decoder_create();
        decoder_attach(d, t, DecoderHandlers{}, nullptr);
        ASSERT_TRUE(decoder_validate(d));
        int valid = -1, unit = -1;
        decoder_get_fact(d, DecoderFact::kResolutionValid, &valid);
        decoder_get_fact(d, DecoderFact::kResolutionUnit, &unit);
        EXPECT_EQ(valid, 0) << y;
        EXPECT_EQ(unit, 1) << y;
        decoder_destroy(d);
        TIFFClose(t);
    }
}

TEST(PageDecoderOrientation, SixIsAQuarterTurnClockwise) {
    // 3 × 2 picture with distinct pixels; stored with Orientation 6.
    TiffPage p = grey_page(3, 2, 8, {1, 2, 3, 4, 5, 6});
    p.orientation = 6;
    Decoded d;
    decode_bytes(tiff_build({p}), &d);
    ASSERT_TRUE(d.ok) << d.log;
    ASSERT_EQ(raster_width(&d.raster), 2);
    ASSERT_EQ(raster_height(&d.raster), 3);
    // Turning the stored rows clockwise puts the stored bottom row on the left.
    const uint8_t expect[3][2] = {{4, 1}, {5, 2}, {6, 3}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(grey_at(d, x, y), expect[y][x]);
}

namespace {

// Colour pages with an axis-swapping orientation are stored turned while
// they decode. What they show must be exactly what decoding upright and
// turning afterwards shows: every byte of the block (header, resolutions,
// row padding), the outcome and the log.
void expect_same_as_turned_afterwards(const std::vector<uint8_t>& file, uint32_t memory_limit_mb = 0) {
    DecodePageOptions upright_options;
    upright_options.apply_orientation = false;
    upright_options.memory_limit_mb = memory_limit_mb;
    Decoded upright;
    decode_bytes(file, &upright, upright_options);
    uint16_t orientation = 1;
    {
        TIFF* t = tiff_open_memory(file);
        ASSERT_NE(t, nullptr);
        TIFFGetFieldDefaulted(t, TIFFTAG_ORIENTATION, &orientation);
        TIFFClose(t);
    }
    if (upright.ok) {
        ASSERT_TRUE(raster_apply_orientation(nullptr, &upright.raster, orientation));
    }
    DecodePageOptions options;
    options.memory_limit_mb = memory_limit_mb;
    Decoded turned;
    decode_bytes(file, &turned, options);
    ASSERT_EQ(turned.ok, upright.ok) << turned.log;
    EXPECT_EQ(turned.log, upright.log);
    if (!turned.ok) return;
    ASSERT_EQ(turned.raster.block_size, upright.raster.block_size);
    const uint8_t* a = turned.raster.header;
    const uint8_t* b = upright.raster.header;
    for (int32_t i = 0; i < turned.raster.block_size; ++i) ASSERT_EQ(a[i], b[i]) << "block byte " << i;
    EXPECT_EQ(turned.raster.is_grey, upright.raster.is_grey);
}

TiffPage colour_page(uint32_t w, uint32_t h, uint16_t spp, uint16_t orientation) {
    TiffPage p;
    p.width = w;
    p.height = h;
    p.photometric = 2;
    p.samples_per_pixel = spp;
    p.extra_samples = uint16_t(spp - 3);
    p.orientation = orientation;
    p.x_resolution = 300;
    p.y_resolution = 150;
    p.resolution_unit = 2;
    for (uint32_t i = 0; i < w * h * spp; ++i) p.pixels.push_back(uint8_t(i * 37 % 251 ^ (i >> 5)));
    return p;
}

}  // namespace

// Sizes around the four-row, four-pixel blocks, and heights that leave the
// turned rows with and without padding, so that runs are stored both wide
// and exactly, going forward (5, 8) and backward (6, 7) along them.
TEST(PageDecoderTurnedStore, EveryOrientationAndSizeMatchesTurningAfterwards) {
    for (uint16_t orientation : {5, 6, 7, 8})
        for (uint16_t spp : {3, 4})
            for (uint32_t w : {1u, 3u, 4u, 5u, 8u, 13u})
                for (uint32_t h : {1u, 2u, 4u, 5u, 7u, 8u, 12u, 17u}) {
                    SCOPED_TRACE("orientation " + std::to_string(orientation) + " spp " + std::to_string(spp) + " " +
                                 std::to_string(w) + "x" + std::to_string(h));
                    expect_same_as_turned_afterwards(tiff_build({colour_page(w, h, spp, orientation)}));
                }
}

// Rows come from whole strips that hold a multiple of four rows, from strips
// that do not (rows copied aside), one scanline at a time, and from
// compressed strips; CMYK and deep samples are converted in the line first.
TEST(PageDecoderTurnedStore, EveryWayOfReadingRowsMatchesTurningAfterwards) {
    for (uint16_t orientation : {5, 6}) {
        for (uint32_t rows : {0u, 1u, 3u, 4u, 6u})
            for (uint16_t compression : {1, 5}) {
                SCOPED_TRACE("rows per strip " + std::to_string(rows) + " compression " + std::to_string(compression));
                TiffPage p = colour_page(21, 19, 4, orientation);
                p.rows_per_strip = rows;
                p.compression = compression;
                expect_same_as_turned_afterwards(tiff_build({p}));
            }
        TiffPage cmyk = colour_page(9, 10, 4, orientation);
        cmyk.photometric = 5;
        cmyk.extra_samples = 0;
        expect_same_as_turned_afterwards(tiff_build({cmyk}));
        TiffPage deep = colour_page(11, 6, 3, orientation);
        deep.bits_per_sample = 16;
        deep.pixels.resize(deep.pixels.size() * 2, 0x5C);
        expect_same_as_turned_afterwards(tiff_build({deep}));
    }
}

// A page that stops part way shows its rows before the stop, those that
// failed with the fill, and black for the rest, as the upright page would.
TEST(PageDecoderTurnedStore, DamagedPageStopsAsTurningAfterwards) {
    TiffPage p = colour_page(6, 60, 3, 8);
    p.compression = 5;
    p.rows_per_strip = 1;
    std::vector<uint8_t> file = tiff_build({p});
    ASSERT_FALSE(file.empty());
    {
        TIFF* t = tiff_open_memory(file);
        uint64_t* offsets = nullptr;
        ASSERT_TRUE(TIFFGetField(t, TIFFTAG_STRIPOFFSETS, &offsets));
        std::vector<uint64_t> at(offsets + 3, offsets + 60);
        TIFFClose(t);
        for (uint64_t off : at) file[off] = 0xFF, file[off + 1] = 0xFF;  // an invalid LZW code
    }
    expect_same_as_turned_afterwards(file);
    Decoded d;
    decode_bytes(file, &d);
    ASSERT_TRUE(d.ok);
    EXPECT_NE(d.log.find("Error attempting to read this image"), std::string::npos);
}

// The memory limit is the upright raster's, whose rows pad differently:
// one page fits upright only, the other turned only.
TEST(PageDecoderTurnedStore, MemoryLimitJudgesTheUprightRaster) {
    TiffPage wide = colour_page(300000, 1, 3, 6);
    wide.rows_per_strip = 1;
    expect_same_as_turned_afterwards(tiff_build({wide}), 1);
    Decoded shown;
    DecodePageOptions limited;
    limited.memory_limit_mb = 1;
    decode_bytes(tiff_build({wide}), &shown, limited);
    EXPECT_TRUE(shown.ok) << shown.log;
    TiffPage tall = colour_page(1, 300000, 3, 6);
    tall.rows_per_strip = 4096;
    expect_same_as_turned_afterwards(tiff_build({tall}), 1);
    Decoded refused;
    decode_bytes(tiff_build({tall}), &refused, limited);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.log.find("memory limit"), std::string::npos) << refused.log;
}

namespace {

constexpr uint8_t kDirty = 0xCD;

// Decodes the page through the unzeroed destination into a raster whose pixel
// bytes are all kDirty, as an allocator may hand back a block without zeroing
// it; *offered: whether the decoder offers that destination for the page.
void decode_into_dirty_raster(const std::vector<uint8_t>& file, Decoded* out, bool* offered) {
    ASSERT_FALSE(file.empty());
    TIFFErrorHandler old_warning = TIFFSetWarningHandler(quiet);
    TIFF* t = tiff_open_memory(file);
    ASSERT_NE(t, nullptr);
    ErrorLog log;
    errlog_init(&log, false);
    PageDecoder* d = decoder_create();
    DecoderHandlers handlers;
    decoder_attach(d, t, handlers, &log);
    decoder_set_option(d, DecoderOption::kOutputLayout, kOutputLayoutDib);
    out->ok = decoder_validate(d);
    *offered = out->ok && decoder_clears_unwritten(d);
    if (out->ok) {
        int w = 0, h = 0, bpp = 0;
        decoder_get_fact(d, DecoderFact::kWidth, &w);
        decoder_get_fact(d, DecoderFact::kHeight, &h);
        decoder_get_fact(d, DecoderFact::kOutputBitsPerPixel, &bpp);
        out->ok = raster_create(nullptr, &out->raster, w, h, bpp, false, 0);
    }
    if (out->ok) {
        memset(out->raster.bits, kDirty, size_t(out->raster.stride) * size_t(raster_height(&out->raster)));
        decoder_prepare_raster(d, &out->raster);
        decoder_set_unzeroed_dest(d, out->raster.bits);
        out->ok = decoder_decode(d);
    }
    decoder_destroy(d);
    errlog_free(&log);
    TIFFClose(t);
    TIFFSetWarningHandler(old_warning);
}

// Every byte of the block, padding included, as decode_page (zero-filled
// raster) makes it.
void expect_same_as_zero_filled(const std::vector<uint8_t>& file, bool expect_offered) {
    Decoded zeroed;
    DecodePageOptions options;
    options.apply_orientation = false;
    decode_bytes(file, &zeroed, options);
    ASSERT_TRUE(zeroed.ok) << zeroed.log;
    Decoded dirty;
    bool offered = false;
    decode_into_dirty_raster(file, &dirty, &offered);
    EXPECT_EQ(offered, expect_offered);
    ASSERT_TRUE(dirty.ok);
    ASSERT_EQ(dirty.raster.block_size, zeroed.raster.block_size);
    for (int32_t i = 0; i < dirty.raster.block_size; ++i)
        ASSERT_EQ(dirty.raster.header[i], zeroed.raster.header[i]) << "block byte " << i;
}

// A JPEG page whose second strip cannot be read: its rows are never stored.
std::vector<uint8_t> jpeg_page_without_second_strip(uint16_t spp, int photometric, uint32_t w) {
    TiffPage p;
    p.width = w;
    p.height = 16;
    p.photometric = photometric;
    p.samples_per_pixel = spp;
    p.compression = 7;
    p.rows_per_strip = 8;
    for (uint32_t i = 0; i < w * 16 * spp; ++i) p.pixels.push_back(uint8_t(60 + i % 7 * 20));
    std::vector<uint8_t> file = tiff_build({p});
    if (file.empty()) return file;
    TIFF* t = tiff_open_memory(file);
    uint64_t* offsets = nullptr;
    if (!TIFFGetField(t, TIFFTAG_STRIPOFFSETS, &offsets)) return {};
    const uint64_t second = offsets[1];
    TIFFClose(t);
    file[second] = file[second + 1] = 0;  // no JPEG start marker
    return file;
}

}  // namespace

// A raster the decoder may take unzeroed must still end with zero row padding
// and black rows where no strip was stored, whatever the allocator left there.
TEST(PageDecoderUnzeroedRaster, PaddingAndUnstoredRowsComeOutZero) {
    for (uint32_t w : {4u, 5u, 6u, 7u}) {
        SCOPED_TRACE("width " + std::to_string(w));
        const std::vector<uint8_t> colour = jpeg_page_without_second_strip(3, 2, w);
        expect_same_as_zero_filled(colour, true);
        Decoded dirty;
        bool offered = false;
        decode_into_dirty_raster(colour, &dirty, &offered);
        ASSERT_TRUE(dirty.ok);
        const int32_t stride = dirty.raster.stride;
        for (int32_t y = 0; y < 16; ++y) {
            const uint8_t* row = raster_row(&dirty.raster, y);
            const int32_t from = y < 8 ? int32_t(3 * w) : 0;  // rows 8.. were never stored
            for (int32_t i = from; i < stride; ++i) ASSERT_EQ(row[i], 0) << "row " << y << " byte " << i;
        }
        // Grey pages, min-is-black and min-is-white, go the same way.
        expect_same_as_zero_filled(jpeg_page_without_second_strip(1, 1, w), true);
        expect_same_as_zero_filled(jpeg_page_without_second_strip(1, 0, w), true);
    }
}

// Pages whose strategies count on a zeroed raster are not offered the
// unzeroed one; handed one all the same, the decoder zeroes it first.
TEST(PageDecoderUnzeroedRaster, OtherStrategiesZeroItFirst) {
    TiffPage p = colour_page(5, 7, 3, 0);
    p.compression = 5;
    expect_same_as_zero_filled(tiff_build({p}), false);
    TiffPage bilevel = grey_page(11, 2, 1, {0x0F, 0x00, 0xF0, 0xE0});
    bilevel.photometric = 0;
    expect_same_as_zero_filled(tiff_build({bilevel}), false);
}

TEST(PageDecoderResolution, PelsPerMetreFollowTheUnit) {
    struct Case {
        uint16_t unit;
        float x, y;
        int32_t px, py;
    } cases[] = {{2, 300, 300, 11811, 11811}, {3, 118.1f, 59, 11810, 5900}, {1, 4, 3, 4, 3}, {1, 72, 72, 0, 0}};
    for (const Case& c : cases) {
        TiffPage p = grey_page(1, 1, 8, {0});
        p.resolution_unit = c.unit;
        p.x_resolution = c.x;
        p.y_resolution = c.y;
        Decoded d;
        decode_bytes(tiff_build({p}), &d);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(raster_dib(&d.raster)->x_pels_per_meter, c.px) << c.unit;
        EXPECT_EQ(raster_dib(&d.raster)->y_pels_per_meter, c.py) << c.unit;
    }
}

// Deep samples are cut to their high byte in place, sixteen at a time where a
// whole block remains; compare with the byte picked out one sample at a time,
// for every sample width and at lengths around the block size.
TEST(PageDecoderLines, HighByteReductionMatchesSampleBySample) {
    const bool little = std::endian::native == std::endian::little;
    for (int bytes : {2, 3, 4}) {
        for (size_t samples : {0u, 1u, 7u, 15u, 16u, 17u, 31u, 32u, 33u, 157u, 1000u}) {
            std::vector<uint8_t> line(samples * size_t(bytes) + 5);
            for (size_t i = 0; i < line.size(); ++i) line[i] = uint8_t(i * 29 + 3 + (i >> 8));
            const std::vector<uint8_t> original = line;
            decoder_reduce_to_high_bytes(line.data(), samples, bytes);
            for (size_t i = 0; i < samples; ++i)
                ASSERT_EQ(line[i], original[i * size_t(bytes) + (little ? size_t(bytes) - 1 : 0)])
                    << bytes << " bytes, " << samples << " samples, at " << i;
            // Bytes past the packed samples are only ever the old ones.
            for (size_t i = samples * size_t(bytes); i < line.size(); ++i) ASSERT_EQ(line[i], original[i]);
        }
    }
}

namespace {

struct SinkRows {
    std::vector<std::vector<uint8_t>> rows;
    size_t stride = 0;
    static void take(void* user, const uint8_t* row) {
        auto* s = static_cast<SinkRows*>(user);
        s->rows.emplace_back(row, row + s->stride);
    }
};

// Whether the page can be handed out row by row, and if so the rows.
bool decode_to_rows(const std::vector<uint8_t>& file, SinkRows* out) {
    TIFF* t = tiff_open_memory(file);
    PageDecoder* d = decoder_create();
    decoder_attach(d, t, DecoderHandlers{}, nullptr);
    decoder_set_option(d, DecoderOption::kOutputLayout, kOutputLayoutDib);
    int stride = 0;
    const bool sink = decoder_validate(d) && decoder_get_fact(d, DecoderFact::kDestStride, &stride) &&
                      decoder_set_row_sink(d, SinkRows::take, out);
    out->stride = size_t(stride);
    const bool ok = sink && decoder_decode(d);
    decoder_destroy(d);
    TIFFClose(t);
    return ok;
}

}  // namespace

// Row by row the decoder hands out exactly the rows of the raster it would
// fill: scanline strips of every depth, tiles, whole JPEG strips, and a page
// whose later strips cannot be read (those rows arrive as the raster has them).
TEST(PageDecoderRowSink, RowsAreThoseOfTheWholeRaster) {
    std::vector<std::vector<uint8_t>> files;
    TiffPage g4 = grey_page(37, 23, 1, {});
    for (int i = 0; i < 5 * 23; ++i) g4.pixels.push_back(uint8_t(i * 37 + 11));
    g4.photometric = 0, g4.compression = 4, g4.rows_per_strip = 5;
    files.push_back(tiff_build({g4}));
    TiffPage lzw = grey_page(19, 17, 8, {});
    for (int i = 0; i < 19 * 17; ++i) lzw.pixels.push_back(uint8_t(i * 7));
    lzw.compression = 5, lzw.rows_per_strip = 3;
    files.push_back(tiff_build({lzw}));
    TiffPage tiled = lzw;
    tiled.width = 40, tiled.height = 35, tiled.samples_per_pixel = 3, tiled.photometric = 2;
    tiled.tile_width = tiled.tile_length = 16;
    tiled.pixels.clear();
    for (int i = 0; i < 40 * 35 * 3; ++i) tiled.pixels.push_back(uint8_t(i * 13));
    files.push_back(tiff_build({tiled}));
    TiffPage jpeg = lzw;
    jpeg.compression = 7, jpeg.rows_per_strip = 8;
    files.push_back(tiff_build({jpeg}));
    TiffPage cut = grey_page(4, 60, 8, std::vector<uint8_t>(240, 9));
    cut.compression = 5, cut.rows_per_strip = 1;
    files.push_back(tiff_build({cut}));
    {
        TIFF* t = tiff_open_memory(files.back());
        uint64_t* offsets = nullptr;
        ASSERT_TRUE(TIFFGetField(t, TIFFTAG_STRIPOFFSETS, &offsets));
        std::vector<uint64_t> at(offsets + 3, offsets + 60);
        TIFFClose(t);
        for (uint64_t off : at) files.back()[off] = 0xFF, files.back()[off + 1] = 0xFF;
    }
    TIFFErrorHandler old_error = TIFFSetErrorHandler(quiet);
    for (size_t f = 0; f < files.size(); ++f) {
        SCOPED_TRACE(f);
        DecodePageOptions upright;
        upright.apply_orientation = false;
        Decoded whole;
        decode_bytes(files[f], &whole, upright);
        ASSERT_TRUE(whole.ok);
        SinkRows rows;
        ASSERT_TRUE(decode_to_rows(files[f], &rows));
        ASSERT_EQ(rows.rows.size(), size_t(raster_height(&whole.raster)));
        ASSERT_EQ(rows.stride, size_t(whole.raster.stride));
        for (int32_t y = 0; y < raster_height(&whole.raster); ++y)
            ASSERT_EQ(0, memcmp(rows.rows[size_t(y)].data(), raster_row(&whole.raster, y), rows.stride)) << "row " << y;
    }
    // Separate planes are read plane after plane: they need the whole raster.
    TiffPage planar = tiled;
    planar.tile_width = planar.tile_length = 0, planar.planar = 2;
    SinkRows none;
    EXPECT_FALSE(decode_to_rows(tiff_build({planar}), &none));
    TIFFSetErrorHandler(old_error);
}
