#pragma once
// The per-viewer log of problems with the document or the page. It is shown in
// the image area when no page can be drawn, so it must stay short and readable:
// a line repeated back to back is counted but written once, and the text
// restarts rather than growing past its cap.
#include <cstdarg>
#include <cstddef>

#include "config/bounded_text.h"

struct ErrorLog {
    int error_count = 0;
    int warning_count = 0;
    BoundedText last_line;            // cap 2048
    BoundedText text;                 // cap 8000
    bool unknown_tag_filter = false;  // drop libtiff's "unknown field with tag" warnings
};

constexpr int kErrorLogTextCap = 8000;
constexpr int kErrorLogLastLineCap = 2048;

void errlog_init(ErrorLog* log, bool unknown_tag_filter);
void errlog_free(ErrorLog* log);
void errlog_clear(ErrorLog* log);  // counts and texts; the filter flag stays
void errlog_error(ErrorLog* log, const char16_t* fmt, ...);
void errlog_warning(ErrorLog* log, const char16_t* fmt, ...);
bool errlog_has_entries(const ErrorLog* log);  // any error or warning counted
const char16_t* errlog_text(const ErrorLog* log);

// Allocation that reports its failure into a log (when one is given):
// "Out of memory (failed to allocate %u bytes)". Returns null on failure.
void* errlog_alloc(ErrorLog* log, size_t size);
void* errlog_alloc_zeroed(ErrorLog* log, size_t size);

// "#rrggbb" for a 0x00BBGGRR colour. Always terminates; false when cap is too small.
bool colour_to_text(unsigned colour, char16_t* out, int cap);

// A viewer's two logs: the viewer's own messages and the current page's.
struct ViewerLogs {
    ErrorLog error;
    ErrorLog page;
};
