#pragma once
// The Annotated page image: a DIB section of the page raster's size holding
// the page 1:1 with its white-outs (pure white) and pen strokes burnt in, for
// copying, saving and uploading. The crop rectangle is not burnt in.
#include <windows.h>

#include "base/win/handles.h"

struct DisplayRaster;
struct PageMarks;

struct RenderedPage {
    UniqueBitmap bitmap;
    void* bits = nullptr;    // the section's pixels, bottom-up
    int bits_per_pixel = 0;  // 1 (table black, white) for a black-and-white page, else 24
};

// `page` is the decoded raster as it will be handed on, turned to
// `orientation` (the view's for a copy of what is shown, 0 for a page decoded
// afresh); the marks, in page coordinates, are turned with it. `marks` may be
// null. False, with nothing left over, when any step fails.
[[nodiscard]] bool render_with_overlays(const DisplayRaster* page, const PageMarks* marks, int orientation,
                                        RenderedPage* out);
