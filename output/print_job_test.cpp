#include "output/print_job.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/print_hack.h"

namespace {
std::vector<int> flagged(const PageSelection& s) {
    std::vector<int> pages;
    for (int i = 0; i < s.page_count; ++i)
        if (s.flags[i]) pages.push_back(i + 1);
    return pages;
}

std::string narrow(const char16_t* s) {
    std::string out;
    for (; *s; ++s) out += char(*s);
    return out;
}

// Records what the loop asks for; `bad` pages cannot be prepared, the sheet
// numbered `fail_at` (1-based, over the whole request) fails.
struct Recorder {
    std::vector<int> bad;
    int fail_at = 0;
    int sheets = 0;
    std::vector<std::string> log;
    PrintRunSteps steps() {
        PrintRunSteps s;
        s.context = this;
        s.prepare = [](void* c, int page) {
            auto* r = static_cast<Recorder*>(c);
            for (int b : r->bad)
                if (b == page) return false;
            return true;
        };
        s.sheet = [](void* c, int, const char16_t* status) {
            auto* r = static_cast<Recorder*>(c);
            r->log.push_back(narrow(status));
            return ++r->sheets != r->fail_at;
        };
        s.finish = [](void* c, int page) {
            static_cast<Recorder*>(c)->log.push_back("done " + std::to_string(page + 1));
        };
        return s;
    }
};
}  // namespace

TEST(PrintPages, RangesSelectOnlyPagesThatExist) {
    PageSelection s;
    ASSERT_TRUE(print_select_pages({{1, 3}, {5, 5}}, 10, &s));
    EXPECT_EQ(s.total, 4);
    EXPECT_EQ(flagged(s), (std::vector<int>{1, 2, 3, 5}));

    ASSERT_TRUE(print_select_pages({{8, 12}, {2, 2}, {3, 1}, {0, 0}, {-5, 1}}, 10, &s));
    EXPECT_EQ(flagged(s), (std::vector<int>{1, 2, 8, 9, 10}));  // overlaps count once

    ASSERT_TRUE(print_select_pages({{11, 20}}, 10, &s));
    EXPECT_EQ(s.total, 0);

    // An absurd range is clipped before it is walked.
    ASSERT_TRUE(print_select_pages({{1, 2147483647}}, 3, &s));
    EXPECT_EQ(s.total, 3);
}

TEST(PrintPages, TheDialogChoiceBecomesRanges) {
    const PageRange typed[] = {{2, 4}, {7, 7}};
    auto as_pairs = [](const std::vector<PageRange>& r) {
        std::vector<std::pair<int, int>> out;
        for (const PageRange& x : r) out.push_back({x.from, x.to});
        return out;
    };
    using P = std::vector<std::pair<int, int>>;
    EXPECT_EQ(as_pairs(print_ranges(PrintPages::kAll, 4, typed, 2, 9)), (P{{1, 9}}));
    EXPECT_EQ(as_pairs(print_ranges(PrintPages::kCurrent, 4, typed, 2, 9)), (P{{5, 5}}));
    EXPECT_EQ(as_pairs(print_ranges(PrintPages::kRanges, 4, typed, 2, 9)), (P{{2, 4}, {7, 7}}));
    std::vector<PageRange> many(30, PageRange{1, 1});
    EXPECT_EQ(print_ranges(PrintPages::kRanges, 0, many.data(), 30, 9).size(), size_t(kMaxPageRanges));
}

TEST(PrintCopies, CollationDecidesWhichLoopRepeats) {
    const PrintCopies collated = print_copies(3, true, true);
    EXPECT_EQ(collated.inner, 1);
    EXPECT_EQ(collated.outer, 3);
    const PrintCopies grouped = print_copies(3, false, true);
    EXPECT_EQ(grouped.inner, 3);
    EXPECT_EQ(grouped.outer, 1);
    const PrintCopies driver = print_copies(3, true, false);  // the driver makes them
    EXPECT_EQ(driver.inner, 1);
    EXPECT_EQ(driver.outer, 1);
    EXPECT_EQ(print_copies(0, false, true).inner, 1);
}

TEST(PrintRun, CollatedCopiesRestartTheCountAndNameThePass) {
    PageSelection s;
    ASSERT_TRUE(print_select_pages({{1, 3}}, 3, &s));
    Recorder r;
    ASSERT_TRUE(print_run(s, print_copies(2, true, true), r.steps()));
    EXPECT_EQ(r.log, (std::vector<std::string>{
                         "  Printing page 1 of 3 (copy 1 of 2)",
                         "done 1",
                         "  Printing page 2 of 3 (copy 1 of 2)",
                         "done 2",
                         "  Printing page 3 of 3 (copy 1 of 2)",
                         "done 3",
                         "  Printing page 1 of 3 (copy 2 of 2)",
                         "done 1",
                         "  Printing page 2 of 3 (copy 2 of 2)",
                         "done 2",
                         "  Printing page 3 of 3 (copy 2 of 2)",
                         "done 3",
                     }));
}

TEST(PrintRun, UncollatedCopiesRepeatEachPageAndSingleCopiesNameThePage) {
    PageSelection s;
    ASSERT_TRUE(print_select_pages({{2, 2}, {4, 4}}, 5, &s));
    Recorder grouped;
    ASSERT_TRUE(print_run(s, print_copies(2, false, true), grouped.steps()));
    EXPECT_EQ(grouped.log, (std::vector<std::string>{
                               "  Printing page 1 of 2 (copy 1 of 2)",
                               "  Printing page 1 of 2 (copy 2 of 2)",
                               "done 2",
                               "  Printing page 2 of 2 (copy 1 of 2)",
                               "  Printing page 2 of 2 (copy 2 of 2)",
                               "done 4",
                           }));
    Recorder single;
    ASSERT_TRUE(print_run(s, PrintCopies{}, single.steps()));
    EXPECT_EQ(single.log, (std::vector<std::string>{"  Printing page 2 (1 of 2)", "done 2",
                                                    "  Printing page 4 (2 of 2)", "done 4"}));
}

TEST(PrintRun, AnUndecodablePageIsSkippedButCountedAndAFailedSheetStopsEverything) {
    PageSelection s;
    ASSERT_TRUE(print_select_pages({{1, 3}}, 3, &s));
    Recorder skipping;
    skipping.bad = {0};
    ASSERT_TRUE(print_run(s, PrintCopies{}, skipping.steps()));
    EXPECT_EQ(skipping.log, (std::vector<std::string>{"  Printing page 2 (2 of 3)", "done 2",
                                                      "  Printing page 3 (3 of 3)", "done 3"}));
    Recorder failing;
    failing.fail_at = 2;
    EXPECT_FALSE(print_run(s, print_copies(3, false, true), failing.steps()));
    EXPECT_EQ(failing.log, (std::vector<std::string>{"  Printing page 1 of 3 (copy 1 of 3)",
                                                     "  Printing page 1 of 3 (copy 2 of 3)", "done 1"}));
}

TEST(PrintHack, TheDocumentStartsOnceAfterTheFirstPagesSettings) {
    HackSheetState s;
    const HackPageActions first = print_hack_before_page(&s, PrintHints{-1, -1, 4});
    EXPECT_TRUE(first.start_document);
    EXPECT_TRUE(s.source_set);
    EXPECT_EQ(s.source, 4);
    EXPECT_EQ(s.duplex, kDuplexVertical);  // untouched without a request
    print_hack_after_page(&s);
    EXPECT_FALSE(print_hack_before_page(&s, PrintHints{}).start_document);
    EXPECT_EQ(s.source, 4);  // a page without a tray keeps the last one
}

TEST(PrintHack, ADuplexPageWantingANewSheetSkipsTheBackSide) {
    for (bool printer_duplex : {true, false}) {
        HackSheetState s;
        s.printer_duplex = printer_duplex;
        const PrintHints duplex{-1, 1, -1}, new_sheet{0, 1, -1};
        EXPECT_FALSE(print_hack_before_page(&s, duplex).blank_first);  // front of sheet 1
        print_hack_after_page(&s);
        EXPECT_FALSE(s.next_is_front);
        // Would land on the back of sheet 1: an empty back first (when the printer has sides).
        EXPECT_EQ(print_hack_before_page(&s, new_sheet).blank_first, printer_duplex);
        print_hack_after_page(&s);
        EXPECT_FALSE(s.next_is_front);  // that page took a front; its back comes next
        // Already on a front: nothing to skip.
        print_hack_after_page(&s);
        EXPECT_TRUE(s.next_is_front);
        EXPECT_FALSE(print_hack_before_page(&s, new_sheet).blank_first);
        EXPECT_EQ(s.pages, 3);
    }
}

TEST(PrintHack, SimplexPagesAlwaysStartASheetAndNeedNoBlankSide) {
    HackSheetState s;
    s.printer_duplex = true;
    const PrintHints simplex{0, 0, -1};
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(print_hack_before_page(&s, simplex).blank_first);
        EXPECT_EQ(s.duplex, kDuplexSimplex);
        print_hack_after_page(&s);
        EXPECT_TRUE(s.next_is_front);
    }
}
