#pragma once
// Marks a user puts on pages: one crop rectangle, a list of white-out
// rectangles and the pen segments of the sketch layer, all in page coordinates
// (after the file's own orientation, before the view's rotation). Rectangles
// are whole page pixels, inclusive on all four sides; pen end points are
// doubles, so a stroke keeps its place at any zoom. A record exists per
// directory of the Document, made on first use and dropped with the Document.
#include <cstdint>
#include <vector>

struct PageRect {
    int left = 0, top = 0, right = 0, bottom = 0;  // inclusive
};

// Kind of a white-out mark; the only kind the viewer makes.
constexpr int kWhiteoutKind = 1;

struct WhiteoutMark {
    PageRect rect;
    int kind = kWhiteoutKind;
};

// One straight piece of a pen stroke; a segment whose ends are equal is a dot.
struct PenSegment {
    double x0 = 0, y0 = 0;  // start
    double x1 = 0, y1 = 0;  // end
    uint32_t colour = 0;    // 0x00BBGGRR
};

struct PageMarks {
    bool crop_set = false;
    PageRect crop;
    std::vector<WhiteoutMark> whiteouts;  // in the order they were made
    std::vector<PenSegment> pen;          // in the order they were drawn
};

struct MarkTable {
    std::vector<PageMarks> by_directory;
};

// The record of a directory, made on first use; null for an index outside
// 0 .. directory_count - 1, or when the table cannot grow.
PageMarks* marks_for(MarkTable* table, int directory, int directory_count);
const PageMarks* marks_find(const MarkTable* table, int directory);
void marks_clear_all(MarkTable* table);

// A rectangle with its corners in order.
PageRect page_rect_normalised(int x0, int y0, int x1, int y1);

bool marks_add_whiteout(PageMarks* m, const PageRect& r);
// Removes the newest mark; false when there is none.
bool marks_remove_last_whiteout(PageMarks* m);
void marks_clear_whiteouts(PageMarks* m);
bool marks_has_whiteouts(const PageMarks* m);
void marks_set_crop(PageMarks* m, const PageRect& r);
void marks_clear_crop(PageMarks* m);

// Pen segments. Adding fails (and drops the segment) only when out of memory.
bool marks_add_pen(PageMarks* m, const PenSegment& s);
// Removes every segment; true when there was one.
bool marks_clear_pen(PageMarks* m);
bool marks_has_pen(const PageMarks* m);
bool marks_any_page_has_pen(const MarkTable* table);
// White-outs or pen segments: what is burnt into copies, saves and uploads
// (the crop is not).
bool marks_burn_in(const PageMarks* m);
