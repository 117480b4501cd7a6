#include "testing/tiff_builder.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>

namespace {

// A growable file for libtiff's client procedures: writes past the end extend it.
struct MemFile {
    std::vector<uint8_t> bytes;
    const uint8_t* data = nullptr;  // read-only view when reading
    size_t size = 0;
    uint64_t pos = 0;
    bool writable = false;
};

tmsize_t mem_read(thandle_t h, void* buf, tmsize_t n) {
    auto* f = static_cast<MemFile*>(h);
    const uint8_t* d = f->writable ? f->bytes.data() : f->data;
    const size_t size = f->writable ? f->bytes.size() : f->size;
    if (f->pos >= size || n <= 0) return 0;
    const size_t k = std::min<size_t>(size_t(n), size - size_t(f->pos));
    memcpy(buf, d + f->pos, k);
    f->pos += k;
    return tmsize_t(k);
}

tmsize_t mem_write(thandle_t h, void* buf, tmsize_t n) {
    auto* f = static_cast<MemFile*>(h);
    if (!f->writable || n < 0) return -1;
    if (f->pos + uint64_t(n) > f->bytes.size()) f->bytes.resize(size_t(f->pos + n));
    memcpy(f->bytes.data() + f->pos, buf, size_t(n));
    f->pos += uint64_t(n);
    return n;
}

toff_t mem_seek(thandle_t h, toff_t off, int whence) {
    auto* f = static_cast<MemFile*>(h);
    const uint64_t size = f->writable ? f->bytes.size() : f->size;
    uint64_t base = whence == SEEK_CUR ? f->pos : whence == SEEK_END ? size : 0;
    f->pos = base + off;
    return f->pos;
}

int mem_close(thandle_t) { return 0; }
int mem_close_owned(thandle_t h) {
    delete static_cast<MemFile*>(h);
    return 0;
}
toff_t mem_size(thandle_t h) {
    auto* f = static_cast<MemFile*>(h);
    return f->writable ? f->bytes.size() : f->size;
}
int mem_map(thandle_t, void**, toff_t*) { return 0; }
void mem_unmap(thandle_t, void*, toff_t) {}

size_t row_bytes(const TiffPage& p) {
    const uint64_t samples = p.planar == 2 ? 1 : p.samples_per_pixel;
    return size_t((uint64_t(p.width) * samples * p.bits_per_sample + 7) / 8);
}

void set_tags(TIFF* t, const TiffPage& p) {
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, p.width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, p.height);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, p.bits_per_sample);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, p.samples_per_pixel);
    if (p.photometric >= 0) TIFFSetField(t, TIFFTAG_PHOTOMETRIC, p.photometric);
    TIFFSetField(t, TIFFTAG_COMPRESSION, p.compression);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, p.planar);
    if (p.subfile_type) TIFFSetField(t, TIFFTAG_SUBFILETYPE, p.subfile_type);
    if (p.sample_format) TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, p.sample_format);
    if (p.extra_samples) {
        std::vector<uint16_t> kinds(p.extra_samples, EXTRASAMPLE_UNASSALPHA);
        TIFFSetField(t, TIFFTAG_EXTRASAMPLES, p.extra_samples, kinds.data());
    }
    if (!p.colormap.empty())
        TIFFSetField(t, TIFFTAG_COLORMAP, p.colormap.data(), p.colormap.data() + p.colormap.size() / 3,
                     p.colormap.data() + 2 * p.colormap.size() / 3);
    if (p.orientation) TIFFSetField(t, TIFFTAG_ORIENTATION, p.orientation);
    if (p.resolution_unit) TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, p.resolution_unit);
    if (p.x_resolution) TIFFSetField(t, TIFFTAG_XRESOLUTION, double(p.x_resolution));
    if (p.y_resolution) TIFFSetField(t, TIFFTAG_YRESOLUTION, double(p.y_resolution));
    if (p.ycbcr_h) TIFFSetField(t, TIFFTAG_YCBCRSUBSAMPLING, p.ycbcr_h, p.ycbcr_v);
    if (p.compression == COMPRESSION_JPEG) {
        if (p.jpeg_quality) TIFFSetField(t, TIFFTAG_JPEGQUALITY, p.jpeg_quality);
        if (p.jpeg_rgb_input) TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
    for (const auto& [tag, value] : p.number_tags) TIFFSetField(t, tag, value);
    for (const auto& [tag, value] : p.text_tags) TIFFSetField(t, tag, value.c_str());
    if (p.tile_width && p.tile_length) {
        TIFFSetField(t, TIFFTAG_TILEWIDTH, p.tile_width);
        TIFFSetField(t, TIFFTAG_TILELENGTH, p.tile_length);
    } else {
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, p.rows_per_strip ? p.rows_per_strip : std::max(p.height, 1u));
    }
}

bool write_raw(TIFF* t, const TiffPage& p) {
    const bool tiled = p.tile_width && p.tile_length;
    for (size_t i = 0; i < p.raw_chunks.size(); ++i) {
        auto& c = const_cast<std::vector<uint8_t>&>(p.raw_chunks[i]);
        const tmsize_t n = tiled ? TIFFWriteRawTile(t, uint32_t(i), c.data(), tmsize_t(c.size()))
                                 : TIFFWriteRawStrip(t, uint32_t(i), c.data(), tmsize_t(c.size()));
        if (n < 0) return false;
    }
    return true;
}

bool write_strips(TIFF* t, const TiffPage& p, const std::vector<uint8_t>& pixels) {
    const size_t rb = TIFFScanlineSize(t) > 0 ? size_t(TIFFScanlineSize(t)) : row_bytes(p);
    const uint32_t rps = p.rows_per_strip ? std::min(p.rows_per_strip, p.height) : p.height;
    const uint32_t per_plane = (p.height + rps - 1) / rps;
    const int planes = p.planar == 2 ? p.samples_per_pixel : 1;
    for (int plane = 0; plane < planes; ++plane) {
        for (uint32_t s = 0; s < per_plane; ++s) {
            const uint32_t rows = std::min(rps, p.height - s * rps);
            const size_t off = (size_t(plane) * p.height + size_t(s) * rps) * rb;
            std::vector<uint8_t> strip(rows * rb);
            if (off < pixels.size())
                memcpy(strip.data(), pixels.data() + off, std::min(strip.size(), pixels.size() - off));
            if (TIFFWriteEncodedStrip(t, uint32_t(plane) * per_plane + s, strip.data(), tmsize_t(strip.size())) < 0)
                return false;
        }
    }
    return true;
}

bool write_tiles(TIFF* t, const TiffPage& p, const std::vector<uint8_t>& pixels) {
    const size_t rb = row_bytes(p);
    const size_t pixel_bits = size_t(p.bits_per_sample) * (p.planar == 2 ? 1 : p.samples_per_pixel);
    const size_t tile_row = (p.tile_width * pixel_bits + 7) / 8;
    const int planes = p.planar == 2 ? p.samples_per_pixel : 1;
    for (int plane = 0; plane < planes; ++plane)
        for (uint32_t y0 = 0; y0 < p.height; y0 += p.tile_length)
            for (uint32_t x0 = 0; x0 < p.width; x0 += p.tile_width) {
                std::vector<uint8_t> tile(tile_row * p.tile_length);
                const size_t x_bytes = x0 * pixel_bits / 8;  // tests use byte-aligned tile origins
                for (uint32_t r = 0; r < p.tile_length && y0 + r < p.height; ++r) {
                    const size_t off = (size_t(plane) * p.height + y0 + r) * rb + x_bytes;
                    if (off >= pixels.size()) continue;
                    const size_t n = std::min({tile_row, rb - x_bytes, pixels.size() - off});
                    memcpy(tile.data() + r * tile_row, pixels.data() + off, n);
                }
                if (TIFFWriteTile(t, tile.data(), x0, y0, 0, uint16_t(plane)) < 0) return false;
            }
    return true;
}

bool write_page(TIFF* t, const TiffPage& p) {
    set_tags(t, p);
    if (!p.sub_ifds.empty()) {
        std::vector<uint64_t> offsets(p.sub_ifds.size(), 0);
        TIFFSetField(t, TIFFTAG_SUBIFD, uint16_t(offsets.size()), offsets.data());
    }
    bool ok;
    if (!p.raw_chunks.empty()) ok = write_raw(t, p);
    else if (p.tile_width && p.tile_length)
        ok = write_tiles(t, p, p.pixels);
    else
        ok = write_strips(t, p, p.pixels);
    if (!ok || !TIFFWriteDirectory(t)) return false;
    for (const TiffPage& sub : p.sub_ifds)
        if (!write_page(t, sub)) return false;
    return true;
}

}  // namespace

std::vector<uint8_t> tiff_build(const std::vector<TiffPage>& pages, const TiffBuildOptions& options) {
    MemFile f;
    f.writable = true;
    std::string mode = "w";
    mode += options.big_endian ? "b" : "l";
    if (options.bigtiff) mode += "8";
    TIFF* t = TIFFClientOpen("built", mode.c_str(), &f, mem_read, mem_write, mem_seek, mem_close, mem_size, mem_map,
                             mem_unmap);
    if (!t) return {};
    bool ok = true;
    for (const TiffPage& p : pages)
        if (ok) ok = write_page(t, p);
    TIFFClose(t);
    if (!ok) return {};
    return std::move(f.bytes);
}

std::vector<uint16_t> tiff_colormap(const std::vector<uint32_t>& rgb_colours, int entries, bool eight_bit_values) {
    std::vector<uint16_t> map(size_t(entries) * 3, 0);
    for (size_t i = 0; i < rgb_colours.size() && i < size_t(entries); ++i) {
        const uint32_t c = rgb_colours[i];  // 0xRRGGBB
        const uint16_t scale = eight_bit_values ? 1 : 257;
        map[i] = uint16_t(((c >> 16) & 0xFF) * scale);
        map[entries + i] = uint16_t(((c >> 8) & 0xFF) * scale);
        map[2 * entries + i] = uint16_t((c & 0xFF) * scale);
    }
    return map;
}

bool tiff_rename_tag(std::vector<uint8_t>* file, uint16_t tag, uint16_t new_tag) {
    auto& b = *file;
    if (b.size() < 8 || b[0] != 'I') return false;
    const uint32_t ifd = b[4] | b[5] << 8 | b[6] << 16 | uint32_t(b[7]) << 24;
    if (ifd + 2 > b.size()) return false;
    const unsigned count = b[ifd] | b[ifd + 1] << 8;
    for (unsigned i = 0; i < count && ifd + 2 + 12 * (i + 1) <= b.size(); ++i) {
        uint8_t* e = &b[ifd + 2 + 12 * i];
        if ((e[0] | e[1] << 8) == tag) {
            e[0] = uint8_t(new_tag);
            e[1] = uint8_t(new_tag >> 8);
            return true;
        }
    }
    return false;
}

TIFF* tiff_open_memory(const std::vector<uint8_t>& bytes, const char* name) {
    auto* f = new MemFile;
    f->data = bytes.data();
    f->size = bytes.size();
    TIFF* t =
        TIFFClientOpen(name, "rm", f, mem_read, mem_write, mem_seek, mem_close_owned, mem_size, mem_map, mem_unmap);
    if (!t) delete f;  // a failed open does not call the close procedure
    return t;
}
