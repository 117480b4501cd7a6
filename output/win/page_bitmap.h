#pragma once
// The current-page bitmap: the page as shown (view orientation and negative
// applied) as one packed DIB, with white-outs and pen strokes burnt in when the
// page has any. Copy, Save As (BMP) and the wallpaper all take this one block.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "output/win/output_source.h"

struct PageBitmap {
    const uint8_t* data = nullptr;  // the viewer's own raster, or `owned`
    size_t size = 0;
    std::vector<uint8_t> owned;
};

enum class PageBitmapResult { kOk, kNoPage, kOutOfMemory };

// Valid until the page or its marks change.
PageBitmapResult page_bitmap_current(const OutputSource& s, PageBitmap* out);

// Writes the packed block as a BMP file (created anew, not shared). Failures
// tell the user "Could not save file ‘…’" over `owner`.
bool bmp_write_file(HWND owner, const char16_t* path, const uint8_t* block, size_t size);
