#include "annotate/annotated_page.h"

#include <algorithm>

namespace {
constexpr uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF;

bool is_black(const DibColour& c) { return c.red == 0 && c.green == 0 && c.blue == 0; }
bool is_white(const DibColour& c) { return c.red == 255 && c.green == 255 && c.blue == 255; }
}  // namespace

bool annotated_page_is_bilevel(const DisplayRaster* page, const PageMarks* marks) {
    if (raster_empty(page) || raster_bpp(page) != 1) return false;
    // Either order: a negative page holds its table the other way round.
    const DibColour* t = raster_colours(page);
    if (!((is_black(t[0]) && is_white(t[1])) || (is_white(t[0]) && is_black(t[1])))) return false;
    if (!marks) return true;
    return std::all_of(marks->pen.begin(), marks->pen.end(), [](const PenSegment& s) {
        const uint32_t c = s.colour & 0x00FFFFFF;
        return c == kBlack || c == kWhite;
    });
}
