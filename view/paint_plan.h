#pragma once
// What the image window paints where, decided without a device context. The
// shell applies a plan with GDI: it copies pixels 1:1 and fills bands with the
// background brush; every scaling decision and every pixel of a stretch is
// made here, so a command-line render gives the same pixels as the window.
#include <cstdint>

#include "config/settings.h"
#include "decode/raster.h"
#include "view/geometry.h"
#include "view/view_state.h"

struct ErrorLog;

// Painting one Scaled view into a paint rectangle; all rectangles are in window
// pixels with right and bottom exclusive, except `source`.
struct PaintImagePlan {
    bool drawn = false;  // false: no picture; fill the paint rectangle with the background
    // true: render `span` with paint_render_stretch and copy it to span's
    // top-left; false: copy `source` of `raster` 1:1 with its top-left at `dest`.
    bool stretched = false;
    const DisplayRaster* raster = nullptr;
    Rect32 source;  // picture coordinates of `raster` (top-down, exclusive)
    Point32 dest;
    Rect32 span;      // where the picture lies in the window
    Rect32 bands[4];  // background around the span, inside the paint rectangle
    int band_count = 0;
};
PaintImagePlan paint_plan_image(const ScaledView& view, const DisplayRaster* page, Rect32 paint, int32_t scroll_x,
                                int32_t scroll_y);
// The pixels of a stretched plan's span: the page raster enlarged to the view's
// target size, cut to the span (a raster of the span's size, the page's depth).
[[nodiscard]] bool paint_render_stretch(ErrorLog* log, const ScaledView& view, const DisplayRaster* page,
                                        const PaintImagePlan& plan, int32_t scroll_x, int32_t scroll_y,
                                        DisplayRaster* out);

// The whole window when no page is loaded: the background, and the logged
// messages in light yellow on dark grey below the status line.
constexpr uint32_t kLogTextColour = 0x00C0FFFF;
constexpr uint32_t kLogBackColour = 0x00606060;
constexpr int32_t kLogTopMargin = 23;
constexpr int32_t kLogLeftMargin = 4;
struct PaintWindowPlan {
    bool paint_page = false;  // paint main_view at (-scroll_x, -scroll_y)
    bool show_logs = false;   // the document log's text, then the page log's below it
    Rect32 log_area;
};
PaintWindowPlan paint_plan_window(bool page_loaded, bool logs_have_entries, Rect32 client);

// Exactly the pixels the image window shows for the page: the whole view at
// main_view's size, in the depth and colour table it is painted with.
[[nodiscard]] bool render_view_pixels(ErrorLog* log, const ViewContext& c, DisplayRaster* out);
