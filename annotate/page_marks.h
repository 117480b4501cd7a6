#pragma once
// Marks a user puts on pages: one crop rectangle and a list of white-out
// rectangles per page, all in page pixels (after the file's own orientation,
// before the view's rotation), inclusive on all four sides. A record exists per
// directory of the Document, made on first use and dropped with the Document.
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

struct PageMarks {
    bool crop_set = false;
    PageRect crop;
    std::vector<WhiteoutMark> whiteouts;  // in the order they were made
};

struct MarkTable {
    std::vector<PageMarks> by_directory;
};

// The record of a directory, made on first use; null for an index outside
// 0 .. directory_count - 1.
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
