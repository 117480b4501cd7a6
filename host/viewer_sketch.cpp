#include "host/viewer_sketch.h"

#include "decode/raster_ops.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "view/geometry.h"

namespace {
PenPoint last_point(const SketchStroke& s) { return {s.last_x, s.last_y}; }

void set_last(SketchStroke* s, PenPoint p) {
    s->last_x = p.x;
    s->last_y = p.y;
}

PenPoint to_page(const Viewer* v, int x, int y, bool clamp) {
    return sketch_window_to_page(v->layout, v->document.file->page.width, v->document.file->page.height, x, y, clamp);
}

int rounded(double d) { return int(d + 0.5); }
}  // namespace

bool sketch_marks_allowed(const Viewer* v) { return v && !(v->access_flags & kAccessNoAnnotation); }

PageMarks* sketch_marks_of(Viewer* v, int directory) {
    if (!v || !v->document.file || !v->document.loaded) return nullptr;
    return marks_for(&v->document.file->marks, directory, v->document.file->document.directory_count);
}

const PageMarks* sketch_find_marks(const Viewer* v, int directory) {
    if (!v || !v->document.file || !v->document.loaded) return nullptr;
    return marks_find(&v->document.file->marks, directory);
}

bool sketch_page_has_pen(const Viewer* v, int directory) { return marks_has_pen(sketch_find_marks(v, directory)); }

bool sketch_any_page_has_pen(const Viewer* v) {
    return v && v->document.file && v->document.loaded && marks_any_page_has_pen(&v->document.file->marks);
}

bool sketch_page_burn_in(const Viewer* v, int directory) { return marks_burn_in(sketch_find_marks(v, directory)); }

int sketch_page_number(const Viewer* v, int directory) {
    if (!v || !v->document.file || directory < 0 || directory >= v->document.file->document.directory_count) return 0;
    const int page = v->document.file->document.directories[directory].page;
    return page >= 0 ? page + 1 : 0;
}

bool sketch_store_whiteout(Viewer* v, int directory, const PageRect& r) {
    if (!sketch_marks_allowed(v)) return false;
    PageMarks* m = sketch_marks_of(v, directory);
    if (!m || !marks_add_whiteout(m, r)) return false;
    v->annotate.annotations_shown = 1;
    return true;
}

bool sketch_store_crop(Viewer* v, int directory, const PageRect& r, bool selected) {
    if (!sketch_marks_allowed(v)) return false;
    PageMarks* m = sketch_marks_of(v, directory);
    if (!m) return false;
    if (selected) marks_set_crop(m, page_rect_normalised(r.left, r.top, r.right, r.bottom));
    else
        marks_clear_crop(m);
    v->annotate.annotations_shown = 1;
    return true;
}

bool sketch_remove_pen(Viewer* v, int directory) {
    // Nothing to clear needs no record: do not make one.
    if (!sketch_marks_allowed(v) || !sketch_page_has_pen(v, directory)) return false;
    return marks_clear_pen(sketch_marks_of(v, directory));
}

void sketch_set_pen_colour(AnnotateState* a, uint32_t colour) {
    if (a) a->pen_color = colour & 0x00FFFFFF;
}

PenPoint sketch_window_to_page(const ViewLayout& l, int32_t page_w, int32_t page_h, int x, int y, bool clamp) {
    const PagePoint p = geometry_view_to_page(l.main_view, page_w, page_h, geometry_window_to_view(l, {x, y}), clamp);
    return {p.x, p.y};
}

SketchStep sketch_down(Viewer* v, int x, int y, bool erase) {
    SketchStep step;
    // Without a page on screen the window's pixels stand for no page point.
    if (!sketch_marks_allowed(v) || v->annotate.stroke.active || !viewer_page_shown(v)) return step;
    PageMarks* m = sketch_marks_of(v, v->document.current_directory);
    if (!m) return step;
    const PenPoint p = to_page(v, x, y, !erase);
    v->annotate.stroke = SketchStroke{};
    v->annotate.stroke.active = 1;
    v->annotate.stroke.kind = kStrokePen;
    v->annotate.stroke.erase = erase;
    set_last(&v->annotate.stroke, p);
    step.started = true;
    if (erase) step.removed = pen_erase(m, p, p);
    return step;
}

SketchStep sketch_move(Viewer* v, int x, int y) {
    SketchStep step;
    if (!v->annotate.stroke.active || !sketch_marks_allowed(v) || !viewer_page_shown(v)) return step;
    PageMarks* m = sketch_marks_of(v, v->document.current_directory);
    if (!m) return step;
    const PenPoint from = last_point(v->annotate.stroke);
    const PenPoint to = to_page(v, x, y, !v->annotate.stroke.erase);
    set_last(&v->annotate.stroke, to);
    if (v->annotate.stroke.erase) {
        step.removed = pen_erase(m, from, to);
        return step;
    }
    if (from.x == to.x && from.y == to.y) return step;
    const PenSegment s{from.x, from.y, to.x, to.y, v->annotate.pen_color};
    if (!marks_add_pen(m, s)) return step;
    ++v->annotate.stroke.segments_added;
    step.draw = true;
    step.segment = s;
    return step;
}

SketchStep sketch_up(Viewer* v) {
    SketchStep step;
    if (!v->annotate.stroke.active) return step;
    const SketchStroke s = v->annotate.stroke;
    v->annotate.stroke.active = 0;
    step.ended = true;
    if (s.erase || s.segments_added > 0 || !sketch_marks_allowed(v)) return step;
    PageMarks* m = sketch_marks_of(v, v->document.current_directory);
    const PenSegment dot{s.last_x, s.last_y, s.last_x, s.last_y, v->annotate.pen_color};
    if (viewer_page_shown(v) && marks_add_pen(m, dot)) {
        step.draw = true;
        step.segment = dot;
    }
    return step;
}

OutlineBox sketch_eraser_box(const Viewer* v, int x, int y) {
    const DisplayRaster* r = v->document.file ? &v->document.file->raster : nullptr;
    const int rw = r ? raster_width(r) : 0, rh = r ? raster_height(r) : 0;
    const int a = rw > 0 ? rounded(kEraserRadius * v->layout.view_width / rw) : 0;
    const int b = rh > 0 ? rounded(kEraserRadius * v->layout.view_height / rh) : 0;
    return {x - a + 1, y - b + 1, x + a, y + b};
}
