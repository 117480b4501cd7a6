#include "output/bmp_file.h"

#include <cstring>

namespace {
void put16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}
}  // namespace

size_t dib_colour_table_bytes(const DibHeader& h) {
    if (h.clr_used) return size_t(h.clr_used) * sizeof(DibColour);
    if (h.bit_count >= 1 && h.bit_count <= 8) return (size_t(1) << h.bit_count) * sizeof(DibColour);
    return 0;
}

bool bmp_file_header(const uint8_t* block, size_t block_size, uint8_t out[kBmpFileHeaderSize]) {
    if (!block || block_size < sizeof(DibHeader)) return false;
    DibHeader h;
    std::memcpy(&h, block, sizeof h);
    // A header claiming more than 40 bytes (a V4 or V5 header) keeps its own size.
    if (h.size < sizeof(DibHeader)) return false;
    const uint64_t bits_offset = uint64_t(h.size) + dib_colour_table_bytes(h);
    const uint64_t file_size = uint64_t(block_size) + kBmpFileHeaderSize;
    if (bits_offset > block_size || file_size > 0xFFFFFFFFull) return false;
    out[0] = 'B';
    out[1] = 'M';
    put32(out + 2, uint32_t(file_size));
    put16(out + 6, 0);
    put16(out + 8, 0);
    put32(out + 10, uint32_t(bits_offset + kBmpFileHeaderSize));
    return true;
}

std::vector<uint8_t> dib_pack(const DibHeader& header, const DibColour* colours, int colours_count,
                              const uint8_t* rows) {
    const int64_t stride = raster_row_stride(header.width, header.bit_count);
    if (stride < 0 || header.height <= 0 || colours_count < 0 || (colours_count && !colours) || !rows) return {};
    const uint64_t row_bytes = uint64_t(stride) * uint64_t(header.height);
    const uint64_t table = uint64_t(colours_count) * sizeof(DibColour);
    const uint64_t total = sizeof(DibHeader) + table + row_bytes;
    if (total > 0x7FFFFFFFull) return {};
    DibHeader h = header;
    h.size = sizeof(DibHeader);
    h.clr_used = uint32_t(colours_count);
    h.size_image = uint32_t(row_bytes);
    std::vector<uint8_t> out(static_cast<size_t>(total));
    std::memcpy(out.data(), &h, sizeof h);
    if (table) std::memcpy(out.data() + sizeof h, colours, size_t(table));
    std::memcpy(out.data() + sizeof h + table, rows, size_t(row_bytes));
    return out;
}
