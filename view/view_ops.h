#pragma once
// The operations that change the View state. The toolbar, menu, keys and
// scripts change the view only through these. They decide and update the
// records; the shell then moves scroll bars, invalidates, refreshes the
// toolbar and raises the page events these results name.
#include <cstdint>

#include "decode/raster.h"
#include "view/geometry.h"
#include "view/view_state.h"

struct ErrorLog;

// Scroll bar settings for one axis: range 0..max, page, position.
struct ScrollBarSpec {
    int32_t max = 1, page = 2, pos = 0;  // the "no scrolling" setting
};

struct LayoutInput {
    // The image window's client area with both scroll bars switched off.
    Rect32 client;
    // System metrics: width of a vertical bar, height of a horizontal bar.
    int32_t vbar_width = 0, hbar_height = 0;
    bool keep_position = false;
};
struct LayoutResult {
    bool has_page = false;  // false: hide both bars and erase the window
    bool h_bar = false, v_bar = false;
    int32_t visible_width = 1, visible_height = 1;
    ScrollBarSpec horizontal, vertical;
    bool build_failed = false;  // main_view could not be made (the log says why)
};
// Displayed size, scroll bars and scroll position for the current size mode;
// rebuilds main_view when its size changes.
LayoutResult view_layout(const ViewContext& c, const LayoutInput& in);

// The displayed size and scroll bars view_layout gives a page raster; only the
// page's header (size, resolution) is read, so a page not decoded yet can be sized.
ModeSize view_layout_size(const ViewGroup& view, bool fix_ratio, const DisplayRaster* page, const LayoutInput& in);

// Scroll codes, as the platform numbers them (for both axes).
enum ScrollCode {
    kScrollLineUp = 0,
    kScrollLineDown = 1,
    kScrollPageUp = 2,
    kScrollPageDown = 3,
    kScrollThumbPosition = 4,
    kScrollThumbTrack = 5,
    kScrollTop = 6,
    kScrollBottom = 7,
    kScrollEnd = 8,
};
constexpr int32_t kScrollLine = 30;
struct ScrollStep {
    bool changed = false;
    int32_t from = 0, to = 0;
    // The view is ratio-corrected and stretched while painting: scrolled bits
    // would not line up with freshly painted ones, so repaint everything.
    bool repaint_all = false;
};
// Where a scroll code leads. client_extent is the client height (vertical) or
// width; thumb_pos the explicit position, or the bar's track position.
ScrollStep view_scroll_target(const ViewLayout& l, bool vertical, int code, int32_t client_extent, int32_t thumb_pos);
// Stores a position (after the shell has erased its XOR overlays) and the
// fraction that a later layout restores.
void view_scroll_commit(ViewLayout* l, bool vertical, int32_t pos);

struct OrientationChange {
    bool changed = false;       // false: the same value again; no event
    bool ok = true;             // false: the page could not be turned (log); nothing changed
    bool needs_layout = false;  // a quarter turn: lay out with keep-position
    int orientation = 0;        // the value the four toolbar buttons show
    int event_value = 0;        // OnOrientationChange: 1..4
};
// Turns the page raster to a new orientation; -1 means 3 and 4 means 0.
OrientationChange view_set_orientation(const ViewContext& c, int value);

// Flips `negative`, negates the page raster and rebuilds main_view. Returns the
// new value for the toolbar and OnNegativeChange.
int view_toggle_negative(const ViewContext& c);
// Flips `smooth` and rebuilds main_view. Returns the new value.
int view_toggle_smoothing(const ViewContext& c);
// True when the mode changed (then lay out with keep-position and raise OnSizeModeChange).
bool view_set_size_mode(ViewGroup* view, int mode);
// Zoom in (towards 1600 %) or out by one step; switches to the fixed mode.
void view_zoom_step(ViewGroup* view, bool zoom_in);
// Negative, then the quarter turns of the view: for freshly decoded pages and
// for copies that are printed or saved.
[[nodiscard]] bool view_apply_to_raster(ErrorLog* log, const ViewGroup& view, DisplayRaster* raster);
// Turns a raster by quarter turns clockwise (0..3). On failure it is unchanged.
[[nodiscard]] bool view_turn_raster(ErrorLog* log, DisplayRaster* raster, int quarter_turns);
