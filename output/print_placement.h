#pragma once
// Where a page lands on a printed sheet. Everything is in the printer's device
// pixels, relative to the printable area (the origin of a printer DC):
//
//   physical sheet (PHYSICALWIDTH x PHYSICALHEIGHT)
//   +-----------------------------------------+
//   |  offset_y                               |
//   |  +-----------------------------+        |
//   |  | printable area              |        |  right margin R
//   |  |  (HORZRES x VERTRES)        |        |
//   |  |   (x, y) +---------+        |        |
//   |  |          |  page   | height |        |
//   |  |          +---------+        |        |
//   |  |            width            |        |
//   |  +-----------------------------+        |
//   |  bottom margin B                        |
//   +-----------------------------------------+
//
// A page with a usable resolution prints at its natural size when it fits,
// otherwise (or when asked to fill the page) it is fitted keeping its physical
// proportions. The sheet may also be used turned when that prints the page
// noticeably larger.
#include <cstdint>

// What GetDeviceCaps tells of the printer, read per printed page.
struct PrinterMetrics {
    int32_t printable_width = 0, printable_height = 0;  // HORZRES, VERTRES
    int32_t physical_width = 0, physical_height = 0;    // PHYSICALWIDTH, PHYSICALHEIGHT
    int32_t offset_x = 0, offset_y = 0;                 // PHYSICALOFFSETX, PHYSICALOFFSETY
    double dpi_x = 0, dpi_y = 0;                        // LOGPIXELSX, LOGPIXELSY
};

// The page as far as placement cares.
struct PrintImage {
    int32_t width = 1, height = 1;  // pixels
    int32_t x_ppm = 0, y_ppm = 0;   // pixels per metre, from the raster's header
    bool unit_none = false;         // the TIFF resolution unit says "no absolute unit"
};

struct PlacementOptions {
    bool fill = false;    // "printfull": always enlarge to the printable area
    bool centre = false;  // "printcenter": centre on the physical sheet
};

struct PrintPlacement {
    int32_t x = 0, y = 0;           // never negative
    int32_t width = 1, height = 1;  // never below 1
    double width_mm = 0, height_mm = 0;
    bool turned = false;  // the page is printed a quarter turn clockwise
};

// The placement of the page as it is.
PrintPlacement print_place(const PrintImage& image, const PrinterMetrics& printer, const PlacementOptions& options);

// With auto_rotate the page is also placed turned (sizes and resolutions
// exchanged) and the turned placement wins when it is more than 1 % larger.
PrintPlacement print_choose_placement(const PrintImage& image, const PrinterMetrics& printer,
                                      const PlacementOptions& options, bool auto_rotate);

// The browser's embedded print gives a rectangle; unless stretching is asked
// for, the page is shrunk into it with its pixel proportions, anchored at the
// top-left corner. Sizes are at least 1.
struct PrintRect {
    int32_t x = 0, y = 0, width = 1, height = 1;
};
PrintRect print_fit_rect(const PrintRect& box, int32_t raster_width, int32_t raster_height, bool stretch);
