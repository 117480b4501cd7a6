// Colour tables for grey and palette pages. Tables always ascend from black:
// min-is-white pages are complemented while their samples are stored, and a
// two-colour palette whose light colour comes first is swapped the same way,
// so that index 0 is the darker colour for everything that reads the raster.
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

#include "decode/channel_order.h"
#include "decode/decoder_state.h"

namespace {

bool alloc_palette(PageDecoder* d, int count) {
    if (count < 1 || count > 256) return false;
    free(d->palette);
    d->palette = static_cast<uint8_t*>(calloc(size_t(count), 4));
    d->palette_count = d->palette ? count : 0;
    if (!d->palette) decoder_error(d, u"Failed to allocate memory for palette");
    return d->palette != nullptr;
}

void set_entry(PageDecoder* d, int i, unsigned r, unsigned g, unsigned b) {
    uint8_t* e = d->palette + 4 * i;
    e[0] = uint8_t(r);
    e[1] = uint8_t(g);
    e[2] = uint8_t(b);
}

bool build_grey_table(PageDecoder* d) {
    d->invert = d->colour_model == PHOTOMETRIC_MINISWHITE;
    if (!alloc_palette(d, 1 << d->bits_per_component)) return false;
    if (d->bits_per_component == 1) {
        d->is_grey = true;
        set_entry(d, 1, 255, 255, 255);
    } else if (d->bits_per_sample == 2) {
        d->is_four_level = true;
        for (int k = 0; k < 4; ++k) set_entry(d, k, 85 * k, 85 * k, 85 * k);
    } else if (d->bits_per_component == 4) {
        d->is_grey = true;
        for (int k = 0; k < 16; ++k) set_entry(d, k, 17 * k, 17 * k, 17 * k);
    } else {
        d->is_grey = true;
        // The same three bytes in every entry: one word each, the fourth byte 0.
        constexpr uint32_t kGrey = std::endian::native == std::endian::little ? 0x010101u : 0x01010100u;
        for (uint32_t k = 0; k < 256; ++k) {
            const uint32_t entry = k * kGrey;
            memcpy(d->palette + 4 * k, &entry, 4);
        }
    }
    return true;
}

// A palette written with 8-bit values (every entry at most 255) would show as
// black; such files are common enough that we read the low bytes instead.
bool palette_needs_repair(const PageDecoder* d, int n) {
    bool any_nonzero = false;
    for (int i = 0; i < n; ++i) {
        const uint16_t v[3] = {d->map_red[i], d->map_green[i], d->map_blue[i]};
        for (uint16_t c : v) {
            if (c > 255) return false;
            if (c) any_nonzero = true;
        }
    }
    return any_nonzero;
}

void normalise_two_colours(PageDecoder* d) {
    uint8_t* e0 = d->palette;
    uint8_t* e1 = d->palette + 4;
    if (e1[0] + e1[1] + e1[2] < e0[0] + e0[1] + e0[2]) {
        for (int c = 0; c < 4; ++c) {
            const uint8_t t = e0[c];
            e0[c] = e1[c];
            e1[c] = t;
        }
        d->invert = true;
    }
    if (!e0[0] && !e0[1] && !e0[2] && e1[0] == 255 && e1[1] == 255 && e1[2] == 255) d->is_grey = true;
}

bool build_palette(PageDecoder* d) {
    if (!TIFFGetField(d->tiff, TIFFTAG_COLORMAP, &d->map_red, &d->map_green, &d->map_blue) || !d->map_red ||
        !d->map_green || !d->map_blue) {
        decoder_error(d, u"Missing required COLORMAP tag");
        return false;
    }
    if (d->bits_per_sample == 16) return true;  // indices are expanded to RGB while reading
    const int n = std::min(1 << d->bits_per_sample, 1 << d->bits_per_component);
    if (!alloc_palette(d, n)) return false;
    const bool repair = d->repair_palette && palette_needs_repair(d, n);
    if (repair)
        decoder_warning(d,
                        u"All colors are indistinguishable from black. Assuming palette is incorrect, "
                        u"and attempting to repair.");
    channel_table_from_maps(d->map_red, d->map_green, d->map_blue, repair ? 0 : 8, d->palette, size_t(n));
    if (n == 2) normalise_two_colours(d);
    return true;
}

}  // namespace

bool decoder_build_colour_table(PageDecoder* d) {
    if (d->colour_model == PHOTOMETRIC_PALETTE) return build_palette(d);
    if (grey_model(d->colour_model)) return build_grey_table(d);
    return true;
}
