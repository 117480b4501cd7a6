#include "output/print_job.h"

#include <algorithm>
#include <new>

std::vector<PageRange> print_ranges(PrintPages choice, int current_page, const PageRange* ranges, int range_count,
                                    int page_count) {
    switch (choice) {
    case PrintPages::kCurrent: return {PageRange{current_page + 1, current_page + 1}};
    case PrintPages::kRanges:
        if (ranges && range_count > 0)
            return std::vector<PageRange>(ranges, ranges + std::min(range_count, kMaxPageRanges));
        return {};
    case PrintPages::kAll: break;
    }
    return {PageRange{1, page_count}};
}

bool print_select_pages(const std::vector<PageRange>& ranges, int page_count, PageSelection* out) {
    *out = PageSelection{};
    const int n = std::max(page_count, 0);
    out->flags.reset(new (std::nothrow) uint8_t[size_t(n) + 1]());
    if (!out->flags) return false;
    out->page_count = n;
    for (const PageRange& r : ranges) {
        // Only the part inside the document is walked: a range typed as
        // 1 - 4000000000 must not take forever.
        const int from = std::max(r.from, 1), to = std::min(r.to, n);
        for (int page = from; page <= to; ++page) out->flags[page - 1] = 1;
    }
    for (int i = 0; i < n; ++i) out->total += out->flags[i];
    return true;
}

PrintCopies print_copies(int copies, bool collate, bool viewer_makes_copies) {
    if (!viewer_makes_copies) return {};
    const int n = std::max(copies, 1);
    return collate ? PrintCopies{1, n} : PrintCopies{n, 1};
}

Text16 print_status_text(int page, int printed, int total, int copy, const PrintCopies& copies, int pass) {
    if (copies.inner > 1)
        return text_printf(u"  Printing page %d of %d (copy %d of %d)", printed, total, copy, copies.inner);
    if (copies.outer > 1)
        return text_printf(u"  Printing page %d of %d (copy %d of %d)", printed, total, pass, copies.outer);
    return text_printf(u"  Printing page %d (%d of %d)", page, printed, total);
}

bool print_run(const PageSelection& selection, const PrintCopies& copies, const PrintRunSteps& steps) {
    for (int pass = 1; pass <= copies.outer; ++pass) {
        int printed = 0;
        for (int page = 0; page < selection.page_count; ++page) {
            if (!selection.flags[page]) continue;
            ++printed;
            if (!steps.prepare(steps.context, page)) continue;
            bool ok = true;
            for (int copy = 1; copy <= copies.inner && ok; ++copy) {
                const Text16 status = print_status_text(page + 1, printed, selection.total, copy, copies, pass);
                ok = steps.sheet(steps.context, page, status.c_str());
            }
            steps.finish(steps.context, page);
            if (!ok) return false;
        }
    }
    return true;
}
