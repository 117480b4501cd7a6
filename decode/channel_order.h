#pragma once
// Reordering colour samples into the raster's blue, green, red pixels.
#include <cstddef>
#include <cstdint>

// Writes n pixels of blue, green, red to dest (3 n bytes) from red, green, blue
// samples that start every `step` bytes of source (step >= 3). Reads only the
// (n - 1) × step + 3 bytes the pixels use. Source and dest must not overlap.
void channel_rgb_to_bgr(const uint8_t* source, uint8_t* dest, size_t n, size_t step);
// Writes n samples of one colour plane into every third byte of dest:
// source[i] to dest[3 i]. The bytes between belong to the other planes and
// keep their values. Source and dest must not overlap.
void channel_store_plane(const uint8_t* source, uint8_t* dest, size_t n);
// Colour-table entries from 16-bit colour maps: entry i (four bytes at
// rgb0 + 4 i) is the low byte of map[i] >> shift for red, green and blue,
// then 0.
void channel_table_from_maps(const uint16_t* red, const uint16_t* green, const uint16_t* blue, int shift, uint8_t* rgb0,
                             size_t n);
// n four-byte entries of red, green, blue, anything into blue, green, red, 0
// (the raster's colour table). Source and dest must not overlap.
void channel_rgbx_to_bgr0(const uint8_t* source, uint8_t* dest, size_t n);
