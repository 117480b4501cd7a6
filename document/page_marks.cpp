#include "document/page_marks.h"

#include <algorithm>
#include <new>

PageMarks* marks_for(MarkTable* t, int directory, int directory_count) {
    if (!t || directory < 0 || directory >= directory_count) return nullptr;
    if (size_t(directory) >= t->by_directory.size()) {
        // A gesture on a page whose record cannot be made simply does not start.
        try {
            t->by_directory.resize(size_t(directory) + 1);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    return &t->by_directory[size_t(directory)];
}

const PageMarks* marks_find(const MarkTable* t, int directory) {
    if (!t || directory < 0 || size_t(directory) >= t->by_directory.size()) return nullptr;
    return &t->by_directory[size_t(directory)];
}

void marks_clear_all(MarkTable* t) { t->by_directory.clear(); }

PageRect page_rect_normalised(int x0, int y0, int x1, int y1) {
    return PageRect{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
}

bool marks_add_whiteout(PageMarks* m, const PageRect& r) {
    if (!m) return false;
    m->whiteouts.push_back(WhiteoutMark{r, kWhiteoutKind});
    return true;
}

bool marks_remove_last_whiteout(PageMarks* m) {
    if (!m || m->whiteouts.empty()) return false;
    m->whiteouts.pop_back();
    return true;
}

void marks_clear_whiteouts(PageMarks* m) {
    if (m) m->whiteouts.clear();
}

bool marks_has_whiteouts(const PageMarks* m) { return m && !m->whiteouts.empty(); }

void marks_set_crop(PageMarks* m, const PageRect& r) {
    if (!m) return;
    m->crop = r;
    m->crop_set = true;
}

void marks_clear_crop(PageMarks* m) {
    if (!m) return;
    m->crop = PageRect{};
    m->crop_set = false;
}

bool marks_add_pen(PageMarks* m, const PenSegment& s) {
    if (!m) return false;
    // A long scribble makes many segments; running out of memory drops the
    // newest one rather than the viewer.
    try {
        m->pen.push_back(s);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool marks_clear_pen(PageMarks* m) {
    if (!m || m->pen.empty()) return false;
    m->pen.clear();
    m->pen.shrink_to_fit();
    return true;
}

bool marks_has_pen(const PageMarks* m) { return m && !m->pen.empty(); }

bool marks_any_page_has_pen(const MarkTable* t) {
    if (!t) return false;
    return std::any_of(t->by_directory.begin(), t->by_directory.end(),
                       [](const PageMarks& m) { return !m.pen.empty(); });
}

bool marks_burn_in(const PageMarks* m) { return m && (!m->whiteouts.empty() || !m->pen.empty()); }
