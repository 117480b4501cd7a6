#pragma once
// The bookkeeping of a print request that needs no printer: which pages the
// dialog's answer selects, how copies are made, the status texts, and the loop
// that walks the selected pages in document order, pass after pass. The shell
// supplies the printer through the steps and draws each sheet.
#include <cstdint>
#include <memory>
#include <vector>

#include "base/text.h"

// 1-based, inclusive, as the print dialog gives them.
struct PageRange {
    int from = 1, to = 1;
};
constexpr int kMaxPageRanges = 20;

// What the user chose in the dialog's page group.
enum class PrintPages { kAll, kCurrent, kRanges };

// The ranges a choice stands for: the current page (0-based), the dialog's
// ranges (at most kMaxPageRanges are looked at), or every page.
std::vector<PageRange> print_ranges(PrintPages choice, int current_page, const PageRange* ranges, int range_count,
                                    int page_count);

// One flag per page of the Document.
struct PageSelection {
    std::unique_ptr<uint8_t[]> flags;
    int page_count = 0;
    int total = 0;  // flagged pages
};
// Flags every page a range covers that lies within 1 .. page_count. False only
// when the flags cannot be allocated; nothing is printed then.
[[nodiscard]] bool print_select_pages(const std::vector<PageRange>& ranges, int page_count, PageSelection* out);

// inner: each page so many times in a row; outer: passes over all pages.
struct PrintCopies {
    int inner = 1, outer = 1;
};
// viewer_makes_copies is "supportmultcopies": when it is off the driver makes
// the copies from its device mode and every page goes out once.
PrintCopies print_copies(int copies, bool collate, bool viewer_makes_copies);

// The status line while a sheet goes out. page is 1-based; printed counts the
// pages of this pass so far (this one included); copy and pass are 1-based.
Text16 print_status_text(int page, int printed, int total, int copy, const PrintCopies& copies, int pass);

// What the loop asks of the shell.
struct PrintRunSteps {
    void* context = nullptr;
    // Makes page `page` (0-based) ready; false: it cannot be printed and is
    // skipped (it still counts as printed).
    bool (*prepare)(void* context, int page) = nullptr;
    // One sheet of the prepared page, with the status line to show. False
    // stops the whole request: the spooler failed or the viewer went away.
    bool (*sheet)(void* context, int page, const char16_t* status) = nullptr;
    // After the copies of a prepared page, also when a sheet failed.
    void (*finish)(void* context, int page) = nullptr;
};
// Outer passes over the selected pages in document order, each page `inner`
// times. False when a sheet failed.
bool print_run(const PageSelection& selection, const PrintCopies& copies, const PrintRunSteps& steps);
