#pragma once
// What a viewer keeps for the sketch tools between messages: the gesture in
// progress, the eraser's outline on the screen, and the pen last made for
// drawing. Plain records; the shell owns the handles they name.
#include <cstdint>

#include "annotate/upload_fields.h"

constexpr int kStrokePen = 1;  // the only kind of stroke

// Exists from button down to button up.
struct SketchStroke {
    int active = 0;
    int kind = 0;                   // kStrokePen while active
    int erase = 0;                  // the eraser, not the pen
    int segments_added = 0;         // by this gesture; none at the release leaves a dot
    double last_x = 0, last_y = 0;  // the last mouse point in page coordinates
    void* surface = nullptr;        // HDC of the image window while the pen draws
};

// The eraser's outline is drawn inverted, so drawing it again takes it away.
// The box is remembered as drawn: the view may change size between drawing
// and removing, and only the same box removes it.
struct EraserOutline {
    int x = 0, y = 0;                              // centre, in image-window pixels
    int position_known = 0;                        // the mouse was seen inside since it last left
    int drawn = 0;                                 // on the screen now, at `box`
    int left = 0, top = 0, right = 0, bottom = 0;  // the box drawn (right, bottom exclusive)
    int leave_tracking = 0;                        // leave notification requested for the image window
};

// One pen kept for drawing segments; a new one only for a new colour.
struct PenCache {
    void* pen = nullptr;  // HPEN, owned
    uint32_t colour = 0;  // 0x00BBGGRR it was made for
};

// The annotation tools of one viewer: the pen and eraser, whether marks are
// shown, and the upload that sends the marked document away.
struct AnnotateState {
    int annotations_shown = 0;
    int sketch_buttons = 0;  // the page asked for the pen and eraser buttons
    int eraser_shown = 0;    // mouse mode 6: the eraser's outline follows the mouse
    uint32_t pen_color = 0;  // colour of new pen segments, 0x00BBGGRR
    SketchStroke stroke;     // the pen or eraser gesture in progress
    EraserOutline eraser;
    PenCache pen_cache;
    UploadState upload;
};
