#pragma once
// The records of the view: how the current page is shown (scaled copies for the
// image window and the magnifier) and where the image window stands (displayed
// size, scroll position, the client rectangle of the last layout).
//
//   page raster (already turned and negated)  --scale-->  view (Vw x Vh pixels)
//                                                             |  minus (scroll_x, scroll_y)
//                                                             v
//                                                         window pixels
//
// The shell owns the windows; these records only say what they should show.
#include <cstdint>

#include "config/settings.h"
#include "decode/raster.h"

struct ErrorLog;

// What a Scaled view is for.
enum ScaledViewKind { kViewMain = 1, kViewZoom = 2, kViewPrint = 3, kViewOffscreen = 4 };

// How the page reaches the screen.
enum DrawMethod {
    kDrawScaled = 0,     // paint `scaled_raster`
    kDrawPage = 1,       // paint the page raster 1:1 (same size, or nothing cached)
    kDrawStretched = 2,  // enlarge the page raster while painting, only under the paint rectangle
};

// A display-sized copy of the page raster, kept until the size, page,
// orientation, negative or smoothing changes.
struct ScaledView {
    int32_t kind = kViewMain;
    int32_t target_width = 0, target_height = 0;  // after a build: the size of scaled_raster
    DisplayRaster scaled_raster;
    int32_t orientation = 0;             // copied at every build; the transforms read it here
    int32_t offset_x = 0, offset_y = 0;  // page position on a printed sheet; 0 otherwise
    int32_t draw_method = kDrawPage;
    int32_t ratio_corrected = 0;  // the size was corrected for non-square pixels
};

// What the magnifier keeps while open (its window handle is the viewer's).
struct ZoomWindowState {
    int32_t open = 0;
    int32_t paused = 0;                              // the cursor is free; the view stands still
    int32_t index_at_open = 5;                       // magnifier step when the window opened
    int32_t scroll_x = 0, scroll_y = 0;              // top-left of the visible part of the zoom view
    int16_t saved_cursor_x = 0, saved_cursor_y = 0;  // screen position to return the cursor to
    Rect32 confinement;                              // the client area in screen pixels
};

// The layout half of the View state (the settings half is ViewGroup).
struct ViewLayout {
    int32_t view_width = 1, view_height = 1;  // the whole displayed page
    int32_t scroll_x = 0, scroll_y = 0;       // view pixels at the window's top-left
    // scroll / main_view size, so a re-layout keeps the relative position.
    double scroll_fraction_x = 0, scroll_fraction_y = 0;
    Rect32 client_rect;     // the image window's client area at the last layout
    int32_t fix_ratio = 1;  // correct for non-square pixels ("fixratio")
    ScaledView main_view{kViewMain};
    ScaledView zoom_view{kViewZoom};
    int32_t scrollbar_depth = 0;         // non-zero while the layout itself moves the scroll bars
    ZoomWindowState zoom;                // the magnifier while its window is open
    Rect32 zoom_rect{10, 10, 410, 410};  // the magnifier's window for the custom size choice
};

// Everything a view operation reads or changes, gathered by the shell from its
// viewer so that the view code needs neither the viewer nor a window.
struct ViewContext {
    ViewGroup* view = nullptr;
    ViewLayout* layout = nullptr;
    DisplayRaster* page_raster = nullptr;  // in view orientation, negated when `negative` is set
    bool page_loaded = false;
    ErrorLog* log = nullptr;       // where allocation failures are reported (the page log)
    uint32_t memory_limit_mb = 0;  // "memorylimit"; 0: none
};

// Whether the context has a page to show.
inline bool view_has_page(const ViewContext& c) { return c.page_loaded && !raster_empty(c.page_raster); }
