// Barcode reading, the dark measure and mark recognition over arbitrary
// rasters and script arguments. Input: width (2 bytes), height, depth choice,
// then twelve 32-bit script arguments (scan region, form, box), then pixel
// bytes repeated over the raster.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "analysis/page_analysis.h"
#include "analysis/raster_load.h"

namespace {

int32_t take_int(const uint8_t*& data, size_t& size) {
    uint32_t v = 0;
    for (int k = 0; k < 4 && size; ++k, ++data, --size) v |= uint32_t(*data) << (8 * k);
    return int32_t(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const int32_t width = 1 + ((data[0] | data[1] << 8) % 700);
    const int32_t height = 1 + data[2] % 90;
    static const int kDepths[4] = {1, 4, 8, 24};
    const int bpp = kDepths[data[3] & 3];
    data += 4, size -= 4;
    int32_t args[12];
    for (int32_t& a : args) a = take_int(data, size);
    DisplayRaster r;
    if (!analysis_raster_alloc(width, height, bpp, &r)) return 0;
    const size_t pixels = size_t(r.stride) * size_t(height);
    for (size_t k = 0; size && k < pixels; ++k) r.bits[k] = data[k % size];

    PageAnalysis a;
    analysis_init(&a);
    analysis_detect_barcodes(&a, &r, args[0], args[1], args[2], args[3]);
    if (a.blank_score < 0 || a.blank_score > 1) abort();
    while (!analysis_get_barcode(&a).empty()) {
    }
    analysis_page_changed(&a);
    const double blank = analysis_detect_blank_page(&a, &r);
    if (blank < 0 || blank > 1) abort();
    // Any box, however large or far off, must come back bounded and soon.
    analysis_omr_init(&a, &r, args[4], args[5], args[6], args[7]);
    const double dark = analysis_omr_check(&a, &r, args[8], args[9], args[10], args[11]);
    if (!(dark >= 0 && dark <= 1)) abort();
    analysis_raster_free(&r);
    return 0;
}
