#pragma once
// The page with its marks burnt in, for saving: a DIB section of the page
// raster's size holding the page 1:1 and the white-out marks in pure white.
#include <windows.h>

struct DisplayRaster;
struct PageMarks;

struct RenderedPage {
    HBITMAP bitmap = nullptr;  // owned by the caller (DeleteObject)
    void* bits = nullptr;      // the section's pixels, bottom-up
    int bits_per_pixel = 0;    // 1 for a black-and-white page, else 24
};

// `page` is the raster as shown (turned to `orientation`); `marks` may be null.
// False when the section cannot be made.
[[nodiscard]] bool render_with_overlays(const DisplayRaster* page, const PageMarks* marks, int orientation,
                                        RenderedPage* out);
