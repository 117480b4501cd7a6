#include "analysis/raster_load.h"

#include "document/file_document.h"

#include <cstdlib>
#include <cstring>

bool analysis_raster_alloc(int32_t width, int32_t height, int bits_per_pixel, DisplayRaster* out) {
    *out = DisplayRaster{};
    const int64_t stride = raster_row_stride(width, bits_per_pixel);
    const int entries = raster_table_entries(bits_per_pixel);
    if (width <= 0 || height <= 0 || stride < 0) return false;
    const int64_t size = stride * height + 4 * entries + 40;
    if (size > 0x7FFFFFFF) return false;
    auto* block = static_cast<uint8_t*>(calloc(1, size_t(size)));
    if (!block) return false;
    out->header = block;
    out->bits = block + 40 + 4 * entries;
    out->stride = int32_t(stride);
    out->block_size = int32_t(size);
    DibHeader* dib = raster_dib(out);
    dib->size = 40;
    dib->width = width;
    dib->height = height;
    dib->planes = 1;
    dib->bit_count = uint16_t(bits_per_pixel);
    DibColour* table = raster_colours(out);
    for (int i = 0; i < entries; ++i) {
        const uint8_t level = uint8_t(entries == 2 ? i * 255 : i * 255 / (entries - 1));
        table[i] = DibColour{level, level, level, 0};
    }
    out->is_grey = entries > 0;
    return true;
}

void analysis_raster_free(DisplayRaster* raster) {
    free(raster->header);
    *raster = DisplayRaster{};
}

// The viewer's own loader and decoder, so the tools read exactly the raster the
// viewer would show before any view rotation.
bool analysis_raster_load(const char* path, int page, DisplayRaster* out, std::string* error) {
    FileDocument f;
    const FileOpenResult opened = file_document_open(&f, path);
    PageState state;
    if (opened == FileOpenResult::kUnreadable) *error = std::string("cannot open ") + path;
    else if (opened == FileOpenResult::kNoPages)
        *error = text_to_utf8(errlog_text(&f.error_log));
    else if (page < 0 || page >= f.doc.page_count)
        *error = "no such page";
    else if (!file_document_load_page(&f, page, &state, out))
        *error = text_to_utf8(errlog_text(&f.page_log));
    else
        return true;
    return false;
}
