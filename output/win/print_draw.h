#pragma once
// Drawing a page onto a printer's device context: the raster stretched into
// its place, then the page's marks over it, turned and scaled the same way.
// The sheets of a print request and the browser's own page print both draw
// through here.
#include <windows.h>

#include "output/print_placement.h"
#include "output/win/output_source.h"

struct DisplayRaster;
struct PageMarks;

// The marks of the page being drawn, in page coordinates.
struct PrintMarks {
    const PageMarks* marks = nullptr;         // null: the page has none
    bool whiteouts_shown = false;             // the viewer's `annotations_shown`: white-outs and crop
    int32_t page_width = 0, page_height = 0;  // the page before the raster's turn
    int orientation = 0;                      // quarter turns clockwise from the page to the raster drawn
};

// Stretches `raster` into `at` with colour-on-colour scaling, then fills the
// white-outs (and the area outside a crop) in white and draws the pen
// segments. The DC's stretch mode is put back. False when the raster could not
// be drawn.
bool print_draw_page(HDC dc, const DisplayRaster* raster, const PrintRect& at, const PrintMarks& marks);

// The browser prints the page that embeds the viewer: the current page goes
// into `box`, shrunk to its proportions unless "printstretched" is on.
// Nothing is drawn when no page is shown; the caller has checked that
// printing is allowed.
bool print_draw_embedded(const OutputSource& s, HDC dc, const PrintRect& box);
