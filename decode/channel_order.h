#pragma once
// Reordering colour samples into the raster's blue, green, red pixels.
#include <cstddef>
#include <cstdint>

// Writes n pixels of blue, green, red to dest (3 n bytes) from red, green, blue
// samples that start every `step` bytes of source (step >= 3). Reads only the
// (n - 1) × step + 3 bytes the pixels use. Source and dest must not overlap.
void channel_rgb_to_bgr(const uint8_t* source, uint8_t* dest, size_t n, size_t step);
