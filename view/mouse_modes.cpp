#include "view/mouse_modes.h"

namespace {
constexpr uint32_t kAccessNoAnnotation = 0x800;
constexpr uint32_t kMiscIgnoreWheel = 0x4;
constexpr int kModeZoom = 0, kModePan = 1, kModeSelect = 3, kModeCrop = 4, kModeDraw = 5, kModeErase = 6;
constexpr int kSizeBest = 3;
constexpr int kLastZoomIndex = 12;
}  // namespace

ButtonDownDecision mouse_button_down(const ButtonDownInput& in) {
    MouseAction a = MouseAction::kNone;
    switch (in.mouse_mode) {
    case kModePan: a = in.size_mode != kSizeBest ? MouseAction::kPan : MouseAction::kZoomWindow; break;
    case kModeZoom: a = MouseAction::kZoomWindow; break;
    case kModeSelect:
    case kModeCrop: a = in.page_loaded ? MouseAction::kBand : MouseAction::kNone; break;
    case kModeDraw: a = MouseAction::kPen; break;
    case kModeErase: a = MouseAction::kEraser; break;
    default: break;
    }
    if (in.ctrl) a = MouseAction::kPan;
    else if (in.shift)
        a = MouseAction::kZoomWindow;
    else if (in.has_href)
        a = MouseAction::kLink;
    ButtonDownDecision d;
    if (!in.page_loaded && (a == MouseAction::kPan || a == MouseAction::kZoomWindow)) a = MouseAction::kNone;
    if (in.double_click && a == MouseAction::kNone && !in.page_loaded && in.logs_have_messages) d.show_error_log = true;
    if (a == MouseAction::kBand && in.mouse_mode == kModeSelect && !in.allow_select) a = MouseAction::kNone;
    if (a == MouseAction::kBand && (in.access_flags & kAccessNoAnnotation)) a = MouseAction::kNone;
    d.action = a;
    return d;
}

CursorKind mouse_cursor(const CursorInput& in) {
    if (in.pan_active) return CursorKind::kPanGrip;
    if (in.has_href) return CursorKind::kHand;
    if (!in.page_loaded) return CursorKind::kArrow;
    const bool tools = !(in.access_flags & kAccessNoAnnotation);
    switch (in.mouse_mode) {
    case kModePan: return in.size_mode == kSizeBest ? CursorKind::kMagnify : CursorKind::kPanOpen;
    case kModeZoom: return CursorKind::kMagnify;
    case kModeSelect: return in.allow_select && tools ? CursorKind::kCross : CursorKind::kArrow;
    case kModeCrop: return tools ? CursorKind::kCross : CursorKind::kArrow;
    case kModeDraw: return tools ? CursorKind::kPencil : CursorKind::kArrow;
    case kModeErase: return tools ? CursorKind::kEraser : CursorKind::kArrow;
    default: return CursorKind::kArrow;
    }
}

void pan_position(const PanStart& s, int x, int y, int sensitivity, int* sx, int* sy) {
    const long long h = (long long)(s.mouse_x - x) * sensitivity + s.scroll_x;
    const long long v = (long long)s.scroll_y + (long long)(s.mouse_y - y) * sensitivity;
    *sx = h < 0 ? 0 : h > 0x7FFFFFFF ? 0x7FFFFFFF : int(h);
    *sy = v < 0 ? 0 : v > 0x7FFFFFFF ? 0x7FFFFFFF : int(v);
}

WheelResult mouse_wheel(int* acc, const WheelInput& in) {
    WheelResult r;
    r.zoom_index = in.zoom_index;
    if (in.miscflags & kMiscIgnoreWheel) return r;
    if (!in.ctrl) {
        *acc += in.delta;
        while (*acc < -20) {
            ++r.lines_down;
            *acc += 40;
        }
        while (*acc >= 20) {
            ++r.lines_up;
            *acc -= 40;
        }
        return r;
    }
    if (in.size_mode != 0) return r;
    *acc += in.wheel_direction == 1 ? -in.delta : in.delta;
    int index = in.zoom_index;
    while (*acc < -60) {
        *acc += 120;
        --index;
    }
    while (*acc >= 60) {
        *acc -= 120;
        ++index;
    }
    index = index < 0 ? 0 : index > kLastZoomIndex ? kLastZoomIndex : index;
    r.zoom_changed = index != in.zoom_index;
    r.zoom_index = index;
    return r;
}

void band_start(RubberBand* b, int x, int y, int scroll_x, int scroll_y, const BandGeometry& g) {
    b->anchor_vx = x + scroll_x;
    b->anchor_vy = y + scroll_y;
    g.view_to_page(b->anchor_vx, b->anchor_vy, &b->anchor_px, &b->anchor_py);
    b->end_px = b->anchor_px;
    b->end_py = b->anchor_py;
    b->state = 1;
    b->valid = false;
    b->shown = false;
}

BandMove band_move(RubberBand* b, int x, int y, int scroll_x, int scroll_y, const ViewRect& client,
                   const BandGeometry& g) {
    BandMove m;
    if (b->state == 2 && b->shown) {
        m.erase_old = true;
        b->shown = false;
    }
    g.view_to_page(x + scroll_x, y + scroll_y, &b->end_px, &b->end_py);
    const int dx = x + scroll_x - b->anchor_vx, dy = y + scroll_y - b->anchor_vy;
    if (b->state == 1 && dx >= -3 && dx <= 3 && dy >= -3 && dy <= 3) return m;
    b->state = 2;
    b->rect = g.page_to_view(page_rect_normalised(b->anchor_px, b->anchor_py, b->end_px, b->end_py));
    b->valid = true;
    m.draw_new = true;
    b->shown = true;
    if (y >= client.bottom) m.scroll_dy = 1;
    else if (y < client.top)
        m.scroll_dy = -1;
    if (x >= client.right) m.scroll_dx = 1;
    else if (x < client.left)
        m.scroll_dx = -1;
    return m;
}

BandFinish band_finish(RubberBand* b, bool cancel, int mouse_mode) {
    BandFinish f;
    f.erase_old = b->shown;
    b->shown = false;
    const int previous = b->state;
    b->state = 0;
    if (previous == 1 && mouse_mode == kModeCrop) {
        f.outcome = BandOutcome::kClearCrop;
    } else if (previous == 2 && !cancel && b->valid && b->rect.right - b->rect.left + 1 > 2 &&
               b->rect.bottom - b->rect.top + 1 > 2) {
        f.rect = page_rect_normalised(b->anchor_px, b->anchor_py, b->end_px, b->end_py);
        if (mouse_mode == kModeSelect) f.outcome = BandOutcome::kAddWhiteout;
        else if (mouse_mode == kModeCrop)
            f.outcome = BandOutcome::kSetCrop;
    }
    return f;
}
