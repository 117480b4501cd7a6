#pragma once
// What the mouse does in the image window, decided without the window: which
// action a button press starts, the rubber band of the white-out and crop
// tools, panning, the wheel and the cursor. The window procedure feeds events
// in and carries out the answers.
//
//   window pixel p ──(+ scroll)──> view pixel ──(view_to_page, clamped)──> page pixel
//   marks are kept in page pixels; the band is drawn in view pixels.
#include <cstdint>
#include <functional>

#include "config/bounded_text.h"
#include "document/page_marks.h"

// Mouse modes.
enum MouseMode {
    kMouseZoom = 0,
    kMousePan = 1,
    kMouseNone = 2,
    kMouseSelect = 3,
    kMouseCrop = 4,
    kMouseDraw = 5,
    kMouseErase = 6
};

enum class MouseAction { kNone, kLink, kZoomWindow, kPan, kBand, kPen, kEraser };

struct ButtonDownInput {
    int mouse_mode = 0;
    int size_mode = 0;
    bool page_loaded = false;
    bool ctrl = false;
    bool shift = false;
    bool has_href = false;
    bool allow_select = false;
    bool double_click = false;
    bool logs_have_messages = false;
    uint32_t access_flags = 0;
};

struct ButtonDownDecision {
    MouseAction action = MouseAction::kNone;
    bool show_error_log = false;  // a double click on an empty viewer with messages
};

ButtonDownDecision mouse_button_down(const ButtonDownInput& in);

enum class CursorKind { kArrow, kCross, kMagnify, kPanOpen, kPanGrip, kHand, kPencil, kEraser };

struct CursorInput {
    bool pan_active = false;
    bool has_href = false;
    bool page_loaded = false;
    int mouse_mode = 0;
    int size_mode = 0;
    bool allow_select = false;
    uint32_t access_flags = 0;
};

CursorKind mouse_cursor(const CursorInput& in);

// Panning: the scroll position for mouse position (x, y), each at least 0.
struct PanStart {
    int mouse_x = 0, mouse_y = 0;
    int scroll_x = 0, scroll_y = 0;
};
void pan_position(const PanStart& start, int x, int y, int sensitivity, int* scroll_x, int* scroll_y);

// The wheel. One notch is 120.
struct WheelInput {
    int delta = 0;
    bool ctrl = false;
    int size_mode = 0;
    int zoom_index = 0;
    int wheel_direction = 0;  // 1 reverses Ctrl+wheel zooming
    uint32_t miscflags = 0;
};
struct WheelResult {
    int lines_up = 0;    // scroll line-up messages to post
    int lines_down = 0;  // scroll line-down messages to post
    int zoom_index = 0;
    bool zoom_changed = false;
};
WheelResult mouse_wheel(int* accumulator, const WheelInput& in);

// The rubber band.
struct ViewRect {
    int left = 0, top = 0, right = 0, bottom = 0;  // inclusive view pixels
};
struct BandGeometry {
    // View pixel → page pixel, clamped into the page.
    std::function<void(int vx, int vy, int* px, int* py)> view_to_page;
    // Page rectangle → view rectangle.
    std::function<ViewRect(const PageRect&)> page_to_view;
};

struct RubberBand {
    int state = 0;  // 0 idle, 1 pressed but not dragged, 2 dragging
    int anchor_vx = 0, anchor_vy = 0;
    int anchor_px = 0, anchor_py = 0;
    int end_px = 0, end_py = 0;
    ViewRect rect;
    bool valid = false;
    bool shown = false;
};

void band_start(RubberBand* b, int x, int y, int scroll_x, int scroll_y, const BandGeometry& g);

struct BandMove {
    bool erase_old = false;  // draw the old rectangle again (XOR) before anything else
    bool draw_new = false;   // then draw b->rect
    int scroll_dx = 0;       // -1, 0, 1: one line left/right
    int scroll_dy = 0;       // -1, 0, 1: one line up/down
};
// p is in window pixels; client is the window's client rectangle (right and
// bottom exclusive, as the platform's RECT).
BandMove band_move(RubberBand* b, int x, int y, int scroll_x, int scroll_y, const ViewRect& client,
                   const BandGeometry& g);

enum class BandOutcome { kNothing, kClearCrop, kAddWhiteout, kSetCrop };
struct BandFinish {
    bool erase_old = false;
    BandOutcome outcome = BandOutcome::kNothing;
    PageRect rect;  // for kAddWhiteout and kSetCrop
};
BandFinish band_finish(RubberBand* b, bool cancel, int mouse_mode);

// What the image window keeps between mouse messages, with the page's link
// and which selection tools the page allows.
struct ImageMouse {
    int link_press = 0;  // the button went down on the page's link
    int pan_active = 0;
    PanStart pan_start;
    int wheel_accumulator = 0;
    RubberBand band;
    int menu_suppressed = 0;  // a right-button pan ended: no context menu for this release
    int allow_select = 0;
    int crop_select = 0;
    int has_href = 0;
    BoundedText href;    // text(1024)
    BoundedText target;  // text(64)
};
