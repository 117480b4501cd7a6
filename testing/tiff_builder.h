#pragma once
// Writes small TIFF files in memory with libtiff, so that tests describe the
// page they need in a few lines instead of keeping binary fixtures.
//
//   TiffPage p;  p.width = 9;  p.height = 3;  p.bits_per_sample = 1;
//   p.photometric = 0;  p.pixels = {...};
//   std::vector<uint8_t> file = tiff_build({p});
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct TiffPage {
    uint32_t width = 1;
    uint32_t height = 1;
    uint16_t bits_per_sample = 8;
    uint16_t samples_per_pixel = 1;
    int photometric = 1;       // -1: the tag is left out
    uint16_t compression = 1;  // any scheme libtiff can write (1, 4, 5, 7, 8, 32773, ...)
    uint16_t planar = 1;
    uint32_t rows_per_strip = 0;  // 0: one strip for the whole page
    uint32_t tile_width = 0;      // both non-zero: a tiled page
    uint32_t tile_length = 0;
    uint16_t extra_samples = 0;  // trailing unassociated-alpha samples
    uint16_t sample_format = 0;  // 0: the tag is left out
    // red[n], green[n], blue[n] for n = 1 << bits_per_sample; empty: no COLORMAP.
    std::vector<uint16_t> colormap;
    uint16_t orientation = 0;      // 0: the tag is left out
    uint16_t resolution_unit = 0;  // 0: the tag is left out
    float x_resolution = 0;        // 0: the tag is left out
    float y_resolution = 0;
    uint16_t ycbcr_h = 0, ycbcr_v = 0;  // YCBCRSUBSAMPLING when non-zero
    bool jpeg_rgb_input = false;        // YCbCr JPEG: the pixels given are RGB for libtiff to convert
    int jpeg_quality = 0;               // 0: libtiff's default
    uint32_t subfile_type = 0;          // NEWSUBFILETYPE when non-zero
    // Samples as libtiff decodes them: rows of ceil(width × spp × bps / 8) bytes,
    // or for planar 2 one such block of height rows per sample plane. Shorter
    // data is padded with zeros.
    std::vector<uint8_t> pixels;
    // When non-empty, written as they are (TIFFWriteRawStrip / TIFFWriteRawTile)
    // instead of encoding the pixels: subsampled YCbCr units, short strips.
    std::vector<std::vector<uint8_t>> raw_chunks;
    std::vector<std::pair<uint32_t, uint32_t>> number_tags;   // SHORT or LONG tags libtiff knows
    std::vector<std::pair<uint32_t, std::string>> text_tags;  // ASCII tags libtiff knows
    std::vector<TiffPage> sub_ifds;                           // written as SubIFDs of this page
};

struct TiffBuildOptions {
    bool big_endian = false;
    bool bigtiff = false;
};

// The file's bytes; empty when libtiff refused the description (its messages
// go to stderr).
std::vector<uint8_t> tiff_build(const std::vector<TiffPage>& pages, const TiffBuildOptions& options = {});

// A grey ramp (or any 16-bit colour map) helper: 3 × n entries, red then green then blue.
std::vector<uint16_t> tiff_colormap(const std::vector<uint32_t>& rgb_colours, int entries,
                                    bool eight_bit_values = false);

// Renames the first occurrence of `tag` in the first directory of a classic
// little-endian file, so that a test can make libtiff miss a tag it insists on
// writing. False when the tag is not found.
bool tiff_rename_tag(std::vector<uint8_t>* file, uint16_t tag, uint16_t new_tag);

// Opens bytes for reading with libtiff (the buffer must outlive the handle).
typedef struct tiff TIFF;
TIFF* tiff_open_memory(const std::vector<uint8_t>& bytes, const char* name = "memory");
