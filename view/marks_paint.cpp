#include "view/marks_paint.h"

namespace {
constexpr uint32_t kWhiteoutScreen = 0x00F8F8F8;  // a shade off white, so the mark shows on white paper
constexpr uint32_t kWhite = 0x00FFFFFF;
constexpr uint32_t kBlack = 0x00000000;

Rect32 to_view(const ScaledView& v, int32_t pw, int32_t ph, const PageRect& r) {
    Rect32 out = geometry_page_rect_to_view(v, pw, ph, Rect32{r.left, r.top, r.right, r.bottom});
    out.left += v.offset_x;
    out.right += v.offset_x;
    out.top += v.offset_y;
    out.bottom += v.offset_y;
    return out;
}

void add(std::vector<MarkFill>* out, int32_t l, int32_t t, int32_t r, int32_t b, uint32_t colour) {
    if (r > l && b > t) out->push_back(MarkFill{Rect32{l, t, r, b}, colour});
}
}  // namespace

std::vector<MarkFill> marks_paint_plan(const PageMarks& marks, const ScaledView& view, int32_t pw, int32_t ph,
                                       int32_t view_w, int32_t view_h) {
    std::vector<MarkFill> out;
    const uint32_t white = view.kind == kViewMain ? kWhiteoutScreen : kWhite;
    for (const WhiteoutMark& m : marks.whiteouts) {
        const Rect32 r = to_view(view, pw, ph, m.rect);
        add(&out, r.left, r.top, r.right + 1, r.bottom + 1, white);
    }
    if (marks.crop_set) {
        const Rect32 c = to_view(view, pw, ph, marks.crop);
        const uint32_t shade = view.kind == kViewPrint ? kWhite : kBlack;
        const int32_t x0 = view.offset_x, y0 = view.offset_y;
        const int32_t x1 = view.offset_x + view_w, y1 = view.offset_y + view_h;
        add(&out, x0, y0, x1, c.top, shade);                     // above
        add(&out, x0, c.bottom + 1, x1, y1, shade);              // below
        add(&out, x0, c.top, c.left, c.bottom + 1, shade);       // left
        add(&out, c.right + 1, c.top, x1, c.bottom + 1, shade);  // right
    }
    return out;
}
