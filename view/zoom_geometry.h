#pragma once
// The magnifier's geometry, decided without windows: where its window goes on
// the chosen monitor, where the cursor is put when it opens, which part of the
// magnified page the cursor position shows, and the magnifier's own zoom step.
//
//   page raster --(magnifier factor)--> zoom view (Zw x Zh)
//                                           |  minus the zoom scroll
//                                           v
//   cursor c in the client (A x B) ----> zoom scroll = (c - 32) / (A - 64) x
//   (Zw - A)
//
// A 32-pixel band along each edge of the client maps to the ends of the page,
// so the user reaches the page's edges without pressing against the screen's.
#include <cstdint>

#include "config/settings.h"
#include "view/geometry.h"
#include "view/view_state.h"

// The size choices ("zoomsize") as the settings number them.
enum ZoomSizeChoice : int {
    kZoomSizeStrip = 1,         // a strip across the top of the work area
    kZoomSizeWorkArea = 2,      // the work area less 5 pixels each side
    kZoomSizeWorkAreaFull = 3,  // the whole work area
    kZoomSizeMonitor = 4,       // the whole monitor, on top
    kZoomSizeFullScreen = 5,    // the whole monitor, on top, without a frame
    kZoomSizeCustom = 6,        // the page's `zoomrect`
};

// The size choice and what it makes of the window.
struct ZoomSizeStyle {
    int choice = kZoomSizeWorkArea;  // a custom choice without a rectangle is kZoomSizeWorkArea
    bool whole_monitor = false;      // the monitor's whole area rather than its work area
    bool framed = true;              // a dialog frame
    bool topmost = false;
    int margin = 5;
};
ZoomSizeStyle zoom_size_style(int zoomsize, bool zoomrect_given);
// The window rectangle (right and bottom exclusive) inside `area`: the area
// shrunk by the margin, or for the smallest choice a strip across the top.
Rect32 zoom_window_rect(const ZoomSizeStyle& style, const Rect32& area);

// Which monitor the window goes on ("zoommon": 0 nearest, 1 primary, 2 at
// "zoomloc").
enum class ZoomMonitorQuery { kAtPoint, kNearestToPlugin, kPrimary };
struct ZoomMonitorPick {
    ZoomMonitorQuery query = ZoomMonitorQuery::kPrimary;
    Point32 point;  // for kAtPoint, screen pixels
};
ZoomMonitorPick zoom_monitor_pick(int zoommon, Point32 zoomloc, Point32 click_screen, bool centred);
// The area the window is laid into: the found monitor's whole or work area,
// else the desktop for a topmost window and the primary work area otherwise.
struct MonitorArea {
    bool found = false;
    Rect32 monitor, work;
};
Rect32 zoom_placement_area(bool whole_monitor, const MonitorArea& found, const Rect32& desktop,
                           const Rect32& primary_work);

// The clicked point in zoom-view pixels: the click (image-window pixels) plus
// the scroll position, as a fraction of the main view, times the zoom size.
int32_t zoom_page_point(int32_t click, int32_t scroll, int32_t main_size, int32_t zoom_size);
// Where on one axis the cursor must stand (client pixels) so that follow
// shows zoom-view pixel v under it; u is the zoom-view size, a the client size.
int32_t zoom_cursor_axis(int32_t u, int32_t a, int32_t v);
// The zoom scroll for cursor c on one axis.
int32_t zoom_follow_axis(int32_t c, int32_t a, int32_t u);
// The drawing origin of the zoom view on one axis: the scroll's negative when
// the view is larger than the client, else centred.
int32_t zoom_paint_origin(int32_t a, int32_t u, int32_t scroll);

// Magnifier steps run from 1600 % (index 0) to 10 % (index 14).
int zoom_clamp_index(int index);
// A wheel turn of `delta` (120 a notch) through the shared accumulator; a
// reversed wheel direction (1) turns the other way. The new (clamped) index.
int zoom_wheel_index(int* accumulator, int delta, int wheel_direction, int index);

// Whether the zoom view still shows the page at the magnifier step as it is
// now. Other code only drops it (page, orientation or negative changes); the
// magnifier rebuilds it before painting when this says no. A build that
// failed for want of memory counts as current, so it is not retried at every
// paint.
bool zoom_view_current(const ViewContext& c, const ScaledView& zoom_view);
