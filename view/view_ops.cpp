#include "view/view_ops.h"

#include <algorithm>

#include "config/zoom_steps.h"
#include "decode/raster_ops.h"
#include "view/geometry.h"
#include "view/scaled_view.h"

namespace {

int32_t clamp_scroll(int64_t pos, int64_t limit) {
    return int32_t(std::max<int64_t>(0, std::min(pos, std::max<int64_t>(0, limit))));
}

}  // namespace

ModeSize view_layout_size(const ViewGroup& view, bool fix_ratio, const DisplayRaster* page, const LayoutInput& in) {
    const int32_t a = std::max(in.client.right - in.client.left, 1);
    const int32_t b = std::max(in.client.bottom - in.client.top, 1);
    const FactorSize natural = geometry_size_at_factor(page, 1.0, fix_ratio);
    return geometry_mode_size(view.size_mode, view.zoom_index, a, b, natural.width, natural.height, in.vbar_width,
                              in.hbar_height);
}

LayoutResult view_layout(const ViewContext& c, const LayoutInput& in) {
    LayoutResult r;
    ViewLayout* l = c.layout;
    if (!view_has_page(c)) return r;
    r.has_page = true;
    l->client_rect = in.client;
    const int32_t a = std::max(in.client.right - in.client.left, 1);
    const int32_t b = std::max(in.client.bottom - in.client.top, 1);
    const FactorSize natural = geometry_size_at_factor(c.page_raster, 1.0, l->fix_ratio != 0);
    const ModeSize m = view_layout_size(*c.view, l->fix_ratio != 0, c.page_raster, in);
    r.h_bar = m.h_bar;
    r.v_bar = m.v_bar;
    r.visible_width = std::max(m.v_bar ? a - in.vbar_width : a, 1);
    r.visible_height = std::max(m.h_bar ? b - in.hbar_height : b, 1);
    l->view_width = m.size.width;
    l->view_height = m.size.height;
    ScaledView& main = l->main_view;
    if (raster_empty(&main.scaled_raster) || main.draw_method != kDrawScaled || main.target_width != l->view_width ||
        main.target_height != l->view_height)
        r.build_failed = !scaled_view_build(c, &main);
    main.ratio_corrected = natural.corrected;
    if (in.keep_position) {
        l->scroll_x = clamp_scroll(int64_t(main.target_width * l->scroll_fraction_x + 0.5), INT32_MAX);
        l->scroll_y = clamp_scroll(int64_t(main.target_height * l->scroll_fraction_y + 0.5), INT32_MAX);
    }
    l->scroll_x = clamp_scroll(l->scroll_x, int64_t(l->view_width) - r.visible_width);
    l->scroll_y = clamp_scroll(l->scroll_y, int64_t(l->view_height) - r.visible_height);
    r.vertical = {l->view_height - 1, r.visible_height, l->scroll_y};
    r.horizontal = {l->view_width - 1, r.visible_width, l->scroll_x};
    return r;
}

ScrollStep view_scroll_target(const ViewLayout& l, bool vertical, int code, int32_t client_extent, int32_t thumb_pos) {
    ScrollStep s;
    s.from = vertical ? l.scroll_y : l.scroll_x;
    const int64_t size = vertical ? l.main_view.target_height : l.main_view.target_width;
    const int64_t page = client_extent > 10 ? client_extent - 10 : 10;
    int64_t to = s.from;
    switch (code) {
    case kScrollLineUp: to -= kScrollLine; break;
    case kScrollLineDown: to += kScrollLine; break;
    case kScrollPageUp: to -= page; break;
    case kScrollPageDown: to += page; break;
    case kScrollTop: to = 0; break;
    case kScrollBottom: to = size; break;
    case kScrollThumbPosition:
    case kScrollThumbTrack: to = thumb_pos; break;
    default: break;
    }
    s.to = clamp_scroll(to, size - client_extent);
    s.changed = s.to != s.from;
    s.repaint_all = l.main_view.draw_method == kDrawStretched && l.main_view.ratio_corrected;
    return s;
}

void view_scroll_commit(ViewLayout* l, bool vertical, int32_t pos) {
    if (vertical) {
        l->scroll_y = pos;
        if (l->main_view.target_height > 0) l->scroll_fraction_y = double(pos) / l->main_view.target_height;
    } else {
        l->scroll_x = pos;
        if (l->main_view.target_width > 0) l->scroll_fraction_x = double(pos) / l->main_view.target_width;
    }
}

bool view_turn_raster(ErrorLog* log, DisplayRaster* r, int quarter_turns) {
    switch (quarter_turns) {
    case 1:  // transpose and flip: a quarter turn clockwise
        if (!raster_transpose_in_place(log, r)) return false;
        raster_flip(r);
        return true;
    case 2:
        raster_flip(r);
        raster_mirror(r);
        return true;
    case 3:  // transpose and mirror, the same as flip and transpose but nothing to undo on failure
        if (!raster_transpose_in_place(log, r)) return false;
        raster_mirror(r);
        return true;
    default: return true;
    }
}

OrientationChange view_set_orientation(const ViewContext& c, int value) {
    OrientationChange o;
    if (value < 0) value = 3;
    if (value > 3) value = 0;
    const int old = c.view->orientation;
    o.orientation = value;
    if (value == old) return o;
    const int turns = (value - old + 4) % 4;
    const bool page = view_has_page(c);
    // A turn that cannot be made keeps the old orientation: the page raster and
    // the orientation the transforms read must never disagree.
    if (page && !view_turn_raster(c.log, c.page_raster, turns)) {
        o.ok = false;
        o.orientation = old;
        return o;
    }
    o.changed = true;
    o.event_value = value + 1;
    c.layout->scroll_fraction_x = c.layout->scroll_fraction_y = 0;
    c.view->orientation = value;
    if (!page) return o;
    scaled_view_drop(&c.layout->main_view);
    scaled_view_drop(&c.layout->zoom_view);
    if (turns == 2) scaled_view_build(c, &c.layout->main_view);
    else
        o.needs_layout = true;
    return o;
}

int view_toggle_negative(const ViewContext& c) {
    c.view->negative = !c.view->negative;
    if (view_has_page(c)) {
        raster_negative(c.page_raster);
        scaled_view_build(c, &c.layout->main_view);
        scaled_view_drop(&c.layout->zoom_view);
    }
    return c.view->negative;
}

int view_toggle_smoothing(const ViewContext& c) {
    c.view->smooth = !c.view->smooth;
    if (view_has_page(c)) scaled_view_build(c, &c.layout->main_view);
    return c.view->smooth;
}

bool view_set_size_mode(ViewGroup* view, int mode) {
    if (mode < kSizeFixed || mode > kSizeBestFit || mode == view->size_mode) return false;
    view->size_mode = mode;
    return true;
}

void view_zoom_step(ViewGroup* view, bool zoom_in) {
    view->size_mode = kSizeFixed;
    if (zoom_in && view->zoom_index > 0) --view->zoom_index;
    else if (!zoom_in && view->zoom_index < kImageZoomStepCount - 1)
        ++view->zoom_index;
}

bool view_apply_to_raster(ErrorLog* log, const ViewGroup& view, DisplayRaster* raster) {
    if (raster_empty(raster)) return false;
    if (view.negative) raster_negative(raster);
    if (view.orientation < 1 || view.orientation > 3) return true;
    if (view_turn_raster(log, raster, view.orientation)) return true;
    if (view.negative) raster_negative(raster);  // leave the raster as it came
    return false;
}
