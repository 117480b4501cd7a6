#include "tools/vellarion/raster_png.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "decode/raster_ops.h"
#include "decode/raster_rgb.h"

namespace {
struct Decoded {
    bool ok = false;
    png_uint_32 width = 0, height = 0;
    int colour_type = -1, bit_depth = 0;
    std::vector<uint8_t> rgb;
};

Decoded read_png(const std::string& path) {
    Decoded d;
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return d;
    image.format = PNG_FORMAT_RGB;
    d.width = image.width;
    d.height = image.height;
    d.rgb.resize(PNG_IMAGE_SIZE(image));
    d.ok = png_image_finish_read(&image, nullptr, d.rgb.data(), 0, nullptr);
    // The header's own colour type and depth: bytes 24 and 25 of the file.
    if (FILE* f = fopen(path.c_str(), "rb")) {
        uint8_t head[26];
        if (fread(head, 1, 26, f) == 26) d.bit_depth = head[24], d.colour_type = head[25];
        fclose(f);
    }
    return d;
}

std::string scratch_path(const char* name) { return std::string(P_tmpdir) + "/vl_raster_png_" + name + ".png"; }

// A 13 x 5 raster (rows not a whole number of bytes) with every index used.
DisplayRaster make_raster(int bpp, const std::vector<DibColour>& table) {
    DisplayRaster r;
    EXPECT_TRUE(raster_create(nullptr, &r, 13, 5, bpp, true, 0));
    for (size_t i = 0; i < table.size(); ++i) raster_colours(&r)[i] = table[i];
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x) {
            uint8_t* row = raster_row(&r, y);
            const int v = (x * 7 + y * 3) & ((1 << std::min(bpp, 8)) - 1);
            if (bpp == 1) row[x >> 3] |= uint8_t(v << (7 - (x & 7)));
            else if (bpp == 4)
                row[x >> 1] |= uint8_t(v << (x & 1 ? 0 : 4));
            else if (bpp == 8)
                row[x] = uint8_t(v);
            else
                row[3 * x] = uint8_t(x * 19), row[3 * x + 1] = uint8_t(y * 50), row[3 * x + 2] = uint8_t(x + y);
        }
    return r;
}

std::vector<DibColour> grey_table(int entries, int step, bool reversed = false) {
    std::vector<DibColour> t;
    for (int i = 0; i < entries; ++i) {
        const uint8_t v = uint8_t(reversed ? 255 - i * step : i * step);
        t.push_back({v, v, v, 0});
    }
    return t;
}
}  // namespace

TEST(RasterPng, EachKindDecodesToTheRastersColours) {
    std::vector<DibColour> colours;
    for (int i = 0; i < 256; ++i) colours.push_back({uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), 0});
    struct Case {
        const char* name;
        int bpp;
        std::vector<DibColour> table;
        int colour_type, bit_depth;  // what the PNG should be
    } cases[] = {
        {"black_is_0", 1, grey_table(2, 255), PNG_COLOR_TYPE_GRAY, 1},
        {"white_is_0", 1, grey_table(2, 255, true), PNG_COLOR_TYPE_GRAY, 1},
        {"two_colours", 1, {{0, 0, 255, 0}, {0, 255, 0, 0}}, PNG_COLOR_TYPE_PALETTE, 1},
        {"grey16", 4, grey_table(16, 17), PNG_COLOR_TYPE_GRAY, 4},
        {"palette16", 4, std::vector<DibColour>(colours.begin(), colours.begin() + 16), PNG_COLOR_TYPE_PALETTE, 4},
        {"grey256", 8, grey_table(256, 1), PNG_COLOR_TYPE_GRAY, 8},
        {"negative_grey", 8, grey_table(256, 1, true), PNG_COLOR_TYPE_GRAY, 8},
        {"palette256", 8, colours, PNG_COLOR_TYPE_PALETTE, 8},
        {"rgb", 24, {}, PNG_COLOR_TYPE_RGB, 8},
    };
    for (const Case& c : cases) {
        DisplayRaster r = make_raster(c.bpp, c.table);
        const std::string path = scratch_path(c.name);
        std::string error;
        ASSERT_TRUE(png_write_raster(&r, path.c_str(), kPngDefaultLevel, &error)) << c.name << ": " << error;
        const Decoded d = read_png(path);
        remove(path.c_str());
        ASSERT_TRUE(d.ok) << c.name;
        EXPECT_EQ(d.colour_type, c.colour_type) << c.name;
        EXPECT_EQ(d.bit_depth, c.bit_depth) << c.name;
        EXPECT_EQ(d.width, 13u);
        EXPECT_EQ(d.rgb, raster_to_rgb(&r)) << c.name;
        raster_destroy(&r);
    }
}

TEST(RasterPng, AnIncompleteOrUnwritableFileIsAFailure) {
    std::string error;
    PngFormat grey;
    grey.width = 4;
    grey.height = 3;
    grey.kind = PngKind::kGrey;
    EXPECT_EQ(png_rows_begin("/nonexistent-folder/x.png", grey, 6, &error), nullptr);
    EXPECT_NE(error.find("cannot write /nonexistent-folder/x.png"), std::string::npos) << error;

    const std::string path = scratch_path("short");
    PngRowWriter* w = png_rows_begin(path.c_str(), grey, 6, &error);
    ASSERT_NE(w, nullptr) << error;
    const uint8_t row[4] = {1, 2, 3, 4};
    EXPECT_TRUE(png_rows_write(w, row));
    EXPECT_FALSE(png_rows_finish(w, &error));  // two rows short: no file is left behind
    EXPECT_NE(error.find("2 rows missing"), std::string::npos) << error;
    EXPECT_EQ(fopen(path.c_str(), "rb"), nullptr);
}
