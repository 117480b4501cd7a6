#pragma once
// Sizes and coordinates of the view.
//
//   page coordinates      the decoded page after its TIFF orientation, before
//                         the view turns it; marks are stored in these
//        |  scale by (Vw / Pw, Vh / Ph), then turn by `orientation`
//        v
//   view pixels           the whole displayed page, (0, 0) at its top-left
//        |  minus (scroll_x, scroll_y)
//        v
//   window pixels         the image window's client area
//
// Page points are doubles so that a mark keeps its place across zooms; a view
// pixel maps back to the page at its centre.
#include <cstdint>

#include "config/settings.h"
#include "config/zoom_steps.h"
#include "decode/raster.h"
#include "view/view_state.h"

struct Size32 {
    int32_t width = 0, height = 0;
};
struct Point32 {
    int32_t x = 0, y = 0;
};
struct PagePoint {
    double x = 0, y = 0;
};

// The zoom factor of a table index (clamped to the table): 1600 % is 16.0.
double zoom_factor(ZoomTable table, int index);

// The page raster's size at a factor. With fix_ratio, pixels that are not
// square (resolutions differing by at most a factor of 10) are first stretched
// along the coarser axis; `corrected` says so.
struct FactorSize {
    int32_t width = 1, height = 1;
    bool corrected = false;
};
FactorSize geometry_size_at_factor(const DisplayRaster* raster, double factor, bool fix_ratio);

// The largest size of the image's shape inside avail_w x avail_h (it may enlarge).
Size32 geometry_best_fit(int32_t avail_w, int32_t avail_h, int32_t w, int32_t h);

// The displayed size for a size mode and whether it needs scroll bars, given
// the client size A x B, the page size w x h at 100 %, and the widths of a
// vertical and a horizontal scroll bar.
struct ModeSize {
    Size32 size;
    bool h_bar = false, v_bar = false;
};
enum SizeMode { kSizeFixed = 0, kSizeFitWidth = 1, kSizeFitHeight = 2, kSizeBestFit = 3 };
ModeSize geometry_mode_size(int size_mode, int zoom_index, int32_t avail_w, int32_t avail_h, int32_t w, int32_t h,
                            int32_t vbar_width, int32_t hbar_height);

// Page point to view pixel, clamped into the view.
Point32 geometry_page_to_view(const ScaledView& view, int32_t page_w, int32_t page_h, PagePoint p);
// View pixel to page point at the pixel's centre; with clamp the point stays
// inside the page, so its floor is a valid page pixel.
PagePoint geometry_view_to_page(const ScaledView& view, int32_t page_w, int32_t page_h, Point32 v, bool clamp);
Point32 geometry_view_to_page_pixel(const ScaledView& view, int32_t page_w, int32_t page_h, Point32 v, bool clamp);
// Inclusive page rectangle to the inclusive view rectangle that shows it.
Rect32 geometry_page_rect_to_view(const ScaledView& view, int32_t page_w, int32_t page_h, Rect32 page);
// Two corners in any order to a rectangle with left <= right and top <= bottom.
Rect32 geometry_normalise_rect(Point32 a, Point32 b);
Rect32 geometry_page_corners_to_view(const ScaledView& view, int32_t page_w, int32_t page_h, Point32 a, Point32 b);

// Window pixels and view pixels differ by the scroll position.
inline Point32 geometry_window_to_view(const ViewLayout& l, Point32 p) { return {p.x + l.scroll_x, p.y + l.scroll_y}; }
inline Point32 geometry_view_to_window(const ViewLayout& l, Point32 p) { return {p.x - l.scroll_x, p.y - l.scroll_y}; }
// A window pixel to the page pixel under it (through main_view), and back.
Point32 geometry_window_to_page_pixel(const ViewLayout& l, int32_t page_w, int32_t page_h, Point32 p, bool clamp);
Point32 geometry_page_to_window(const ViewLayout& l, int32_t page_w, int32_t page_h, PagePoint p);

// The plug-in window's children: the toolbar at the top or bottom (or none),
// the image window in the rest, and the full-width status line and progress bar.
enum ToolbarPosition { kToolbarNone = 0, kToolbarTop = 1, kToolbarBottom = 2 };
struct PluginAreaLayout {
    bool toolbar_shown = false;
    Rect32 toolbar;  // right and bottom exclusive
    Rect32 image;
    Size32 status{0, 19};
    Size32 progress{0, 10};
};
PluginAreaLayout geometry_plugin_area(int32_t client_w, int32_t client_h, int toolbar_position, int32_t toolbar_height);
