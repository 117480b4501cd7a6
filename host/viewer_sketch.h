#pragma once
// The sketch layer's rules on a viewer, without a window: who may change marks,
// where a directory's marks live, and the pen and eraser gestures turned into
// changes of those marks. The shell (annotate/win/) carries the answers out:
// capturing the mouse, drawing at once, repainting, telling the page.
//
//   window pixel --(+ scroll)--> view pixel --(at its centre)--> page point
//   the pen's points are clamped into the page; the eraser's are not, so it
//   still reaches strokes along the edge from just outside the page.
#include <cstdint>

#include "annotate/pen_hit.h"
#include "document/page_marks.h"

struct AnnotateState;
struct Viewer;
struct ViewLayout;

// Access bit 0x800 takes every mark change away: pen and eraser gestures,
// white-outs, the crop rectangle and clearing.
bool sketch_marks_allowed(const Viewer* v);

// The marks of a directory of the open Document, made on first use. Null
// without a Document, for a directory outside it, or when out of memory.
PageMarks* sketch_marks_of(Viewer* v, int directory);
// The same without making a record; null when there is none yet.
const PageMarks* sketch_find_marks(const Viewer* v, int directory);

// For the page values of scripts: whether a directory, or any directory, has
// pen segments.
bool sketch_page_has_pen(const Viewer* v, int directory);
bool sketch_any_page_has_pen(const Viewer* v);
// Whether a directory has marks that copies burn in (white-outs or pen).
bool sketch_page_burn_in(const Viewer* v, int directory);
// The 1-based page number of a directory, as events report it; 0 when the
// directory is not a page.
int sketch_page_number(const Viewer* v, int directory);

// The changes themselves, refused (false) when marks may not change or the
// directory has no record. They only change the data: the shell's versions in
// annotate/win/sketch_commands.h also repaint and tell the page.
bool sketch_store_whiteout(Viewer* v, int directory, const PageRect& r);
// `selected` false clears the crop rectangle.
bool sketch_store_crop(Viewer* v, int directory, const PageRect& r, bool selected);
// True when pen segments were removed.
bool sketch_remove_pen(Viewer* v, int directory);

// The colour of new pen segments (0x00BBGGRR; the top byte is dropped). Not a
// mark change, so access bit 0x800 does not stop it.
void sketch_set_pen_colour(AnnotateState* a, uint32_t colour);

// A window pixel as a page point, at the pixel's centre, through the main view.
PenPoint sketch_window_to_page(const ViewLayout& l, int32_t page_w, int32_t page_h, int x, int y, bool clamp);

// What one mouse event of a gesture asks of the shell.
struct SketchStep {
    bool started = false;  // down: the gesture runs (capture the mouse; the pen gets a surface)
    bool draw = false;     // draw `segment` at once on the stroke's surface
    PenSegment segment;
    int removed = 0;     // the eraser took segments away: repaint
    bool ended = false;  // up: release mouse and surface, raise the annotation event
};

// Button down in mouse mode 5 (pen) or 6 (eraser) at window pixel (x, y). A
// gesture starts only on a shown page whose marks may change.
SketchStep sketch_down(Viewer* v, int x, int y, bool erase);
// The mouse moved while a gesture runs.
SketchStep sketch_move(Viewer* v, int x, int y);
// The button went up: a pen gesture that added nothing leaves a dot.
SketchStep sketch_up(Viewer* v);

// The eraser's outline around window pixel (x, y): an ellipse of 15 page
// pixels at the displayed scale, as a box with right and bottom exclusive.
struct OutlineBox {
    int left = 0, top = 0, right = 0, bottom = 0;
};
OutlineBox sketch_eraser_box(const Viewer* v, int x, int y);
