#include "output/bmp_file.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

DibHeader header(int32_t w, int32_t h, uint16_t bits) {
    DibHeader d{};
    d.size = 40;
    d.width = w;
    d.height = h;
    d.planes = 1;
    d.bit_count = bits;
    return d;
}
}  // namespace

TEST(BmpFile, HeaderPointsPastTheColourTableOfEachDepth) {
    struct Case {
        uint16_t bits;
        uint32_t clr_used;
        uint32_t table;
    } cases[] = {{1, 0, 8}, {4, 0, 64}, {8, 0, 1024}, {8, 16, 64}, {24, 0, 0}, {1, 2, 8}};
    for (const Case& c : cases) {
        DibHeader h = header(3, 2, c.bits);
        h.clr_used = c.clr_used;
        EXPECT_EQ(dib_colour_table_bytes(h), c.table) << c.bits;
        const size_t rows = size_t(raster_row_stride(3, c.bits)) * 2;
        std::vector<uint8_t> block(40 + c.table + rows);
        std::memcpy(block.data(), &h, sizeof h);
        uint8_t out[kBmpFileHeaderSize] = {};
        ASSERT_TRUE(bmp_file_header(block.data(), block.size(), out));
        EXPECT_EQ(out[0], 'B');
        EXPECT_EQ(out[1], 'M');
        EXPECT_EQ(le32(out + 2), block.size() + 14);
        EXPECT_EQ(le32(out + 6), 0u);  // both reserved words
        EXPECT_EQ(le32(out + 10), 14 + 40 + c.table);
    }
}

TEST(BmpFile, ABlockTooShortForItsOwnTableIsRefused) {
    DibHeader h = header(1, 1, 8);
    std::vector<uint8_t> block(40 + 100);  // 256 entries need 1024 bytes
    std::memcpy(block.data(), &h, sizeof h);
    uint8_t out[kBmpFileHeaderSize];
    EXPECT_FALSE(bmp_file_header(block.data(), block.size(), out));
    EXPECT_FALSE(bmp_file_header(block.data(), 39, out));
    EXPECT_FALSE(bmp_file_header(nullptr, 0, out));
    h.size = 12;  // not a header we know how to measure
    std::memcpy(block.data(), &h, sizeof h);
    EXPECT_FALSE(bmp_file_header(block.data(), block.size(), out));
}

TEST(BmpFile, PackedBlockHoldsHeaderTableAndPaddedRows) {
    // 9 pixels at 1 bit: 2 bytes of data, padded to 4.
    const DibHeader h = header(9, 2, 1);
    const DibColour table[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    const uint8_t rows[8] = {0xAA, 0x80, 0, 0, 0x55, 0x00, 0, 0};
    const std::vector<uint8_t> block = dib_pack(h, table, 2, rows);
    ASSERT_EQ(block.size(), 40u + 8 + 8);
    DibHeader back;
    std::memcpy(&back, block.data(), sizeof back);
    EXPECT_EQ(back.clr_used, 2u);
    EXPECT_EQ(back.size_image, 8u);
    EXPECT_EQ(std::memcmp(block.data() + 40, table, 8), 0);
    EXPECT_EQ(std::memcmp(block.data() + 48, rows, 8), 0);
    uint8_t file[kBmpFileHeaderSize];
    ASSERT_TRUE(bmp_file_header(block.data(), block.size(), file));
    EXPECT_EQ(le32(file + 10), 14u + 48);

    EXPECT_TRUE(dib_pack(header(0x7FFFFFFF, 2, 24), nullptr, 0, rows).empty());
    EXPECT_TRUE(dib_pack(header(4, -2, 24), nullptr, 0, rows).empty());
}
