#include "analysis/barcode_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "analysis/barcode_row.h"
#include "analysis/code128_draw.h"
#include "analysis/code128_table.h"
#include "analysis/raster_load.h"

namespace {

using Texts = std::vector<std::string>;

struct Page {
    DisplayRaster r;
    Page(int32_t w, int32_t h, int bpp = 1) {
        EXPECT_TRUE(analysis_raster_alloc(w, h, bpp, &r));
        draw_fill(&r, true);
    }
    ~Page() { analysis_raster_free(&r); }
};

Texts scan(const DisplayRaster* r, ScanRegion region = {}, double* fraction = nullptr) {
    BarcodeList list;
    double f = -5;
    barcode_scan(r, region, &list, &f);
    if (fraction) *fraction = f;
    Texts out;
    for (const Text16& t : list.texts) out.push_back(text_to_utf8(t));
    return out;
}

std::vector<int> set_b(std::string_view s) { return code128_elements(104, code128_set_b(s)); }

}  // namespace

TEST(BarcodeScan, ReadsSetBTextsAtEveryModuleWidthAndDepth) {
    std::string alphabet;
    for (char ch = ' '; ch < 127; ++ch) alphabet += ch;
    for (int bpp : {1, 8, 24}) {
        for (int module = 1; module <= 4; ++module) {
            for (size_t len : {1u, 2u, 7u, 16u, 30u}) {
                std::string text;
                for (size_t k = 0; k < len; ++k)
                    text += alphabet[(k * 37 + len * 11 + size_t(module)) % alphabet.size()];
                const std::vector<int> elements = set_b(text);
                Page page(int32_t((elements.size() * 4 + 40) * size_t(module) + 30), 12, bpp);
                draw_code128(&page.r, 13 * module + 3, 2, 8, module, elements);
                EXPECT_EQ(scan(&page.r), Texts{text}) << bpp << "-bit, module " << module << ", '" << text << "'";
            }
        }
    }
}

TEST(BarcodeScan, FractionalModulesNeedTheCarriedRoundingError) {
    // With 1.7 pixels per module a three-module element is 5 or 6 pixels:
    // read alone, 6 pixels round to four modules, and only the error carried
    // from the elements before it puts it right.
    for (double module : {1.7, 2.3, 2.6, 3.4}) {
        const std::string text = "Carry 0123456789 carry";
        const std::vector<int> elements = set_b(text);
        Page page(int32_t(double(elements.size() * 4 + 40) * module) + 60, 3);
        draw_code128(&page.r, 40, 0, 3, module, elements);
        EXPECT_EQ(scan(&page.r), Texts{text}) << module;
    }
}

TEST(BarcodeScan, OnlyStartBIsRecognised) {
    const std::vector<int> digits{12, 34, 56};
    for (int start : {103, 105}) {
        Page page(400, 6);
        draw_code128(&page.r, 30, 0, 6, 2, code128_elements(start, digits));
        EXPECT_EQ(scan(&page.r), Texts{}) << "start " << start;
    }
    Page page(400, 6);
    draw_code128(&page.r, 30, 0, 6, 2, code128_elements(104, digits));
    EXPECT_EQ(scan(&page.r), Texts{",BX"});
}

TEST(BarcodeScan, EveryValueIsReadAsASetBCharacterThroughTheAnsiCodePage) {
    // A code-set switch (99) is not followed: its byte 131 is the florin sign.
    Page page(500, 4);
    draw_code128(&page.r, 30, 0, 4, 2, code128_elements(104, {33, 34, 99, 12}));
    EXPECT_EQ(scan(&page.r), Texts{"AB\u0192,"});
}

TEST(BarcodeScan, QuietZoneRules) {
    const std::vector<int> elements = set_b("Quiet");
    const int module = 3;
    // A light gap of one pixel at the region's left edge is enough: the first
    // two light runs of a row need no quiet zone.
    {
        Page page(400, 4);
        draw_code128(&page.r, 1, 0, 4, module, elements);
        EXPECT_EQ(scan(&page.r), Texts{"Quiet"});
        // A first bar right on the edge may have been cut by the region, so the
        // start cannot be measured: nothing is read.
        EXPECT_EQ(scan(&page.r, {1, 0, 399, 4}), Texts{});
    }
    // Behind two other marks the code needs five modules of light.
    for (int gap_modules : {4, 5}) {
        Page page(500, 4);
        draw_rect(&page.r, 5, 0, 3, 4, false);
        draw_rect(&page.r, 20, 0, 3, 4, false);
        draw_code128(&page.r, 23 + gap_modules * module, 0, 4, module, elements);
        EXPECT_EQ(scan(&page.r), gap_modules == 5 ? Texts{"Quiet"} : Texts{}) << gap_modules;
    }
    // Dark clutter right after the stop makes the stop a lookalike.
    {
        Page page(500, 4);
        const int32_t end = draw_code128(&page.r, 30, 0, 4, module, elements);
        draw_rect(&page.r, end + 2 * module, 0, 2, 4, false);
        EXPECT_EQ(scan(&page.r), Texts{});
    }
}

TEST(BarcodeScan, ManyRowsAndTwoCodesPerRow) {
    Page page(900, 60);
    const int32_t end = draw_code128(&page.r, 20, 10, 40, 2, set_b("LEFT-1"));
    // The light run after the first stop is the second code's quiet zone.
    draw_code128(&page.r, end + 10 * 2, 10, 40, 2, set_b("RIGHT-2"));
    BarcodeList list;
    double fraction = 0;
    ASSERT_TRUE(barcode_scan(&page.r, {}, &list, &fraction));
    ASSERT_EQ(list.texts.size(), 2u);  // 40 rows cross each code; each is listed once
    EXPECT_EQ(barcode_list_next(&list), u"LEFT-1");
    EXPECT_EQ(barcode_list_next(&list), u"RIGHT-2");
    EXPECT_EQ(barcode_list_next(&list), u"");
    EXPECT_EQ(barcode_list_next(&list), u"");
}

TEST(BarcodeScan, SurvivesNoiseAndPrintGain) {
    std::mt19937 rng(11);
    Page page(700, 80);
    draw_code128(&page.r, 40, 5, 70, 3, set_b("NOISY-42"), 1);  // every bar one pixel fat
    for (int k = 0; k < 900; ++k) draw_pixel(&page.r, int32_t(rng() % 700), int32_t(rng() % 80), rng() & 1);
    EXPECT_EQ(scan(&page.r), Texts{"NOISY-42"});

    Page specks(700, 80);
    for (int k = 0; k < 6000; ++k) draw_pixel(&specks.r, int32_t(rng() % 700), int32_t(rng() % 80), false);
    EXPECT_EQ(scan(&specks.r), Texts{});
}

TEST(BarcodeScan, ABadCheckSymbolIsNotABarcode) {
    std::vector<int> elements = set_b("CHECK");
    int wrong[6];
    code128_widths(7, wrong);  // replace the check symbol
    std::copy(wrong, wrong + 6, elements.end() - 13);
    Page page(400, 4);
    draw_code128(&page.r, 20, 0, 4, 2, elements);
    EXPECT_EQ(scan(&page.r), Texts{});
}

TEST(BarcodeScan, ShortRowsAreNotSearchedButAnEmptyCodeIsAText) {
    // Start, check and stop alone are 19 runs: with its margins 21, too few.
    const std::vector<int> empty = code128_elements(104, {});
    Page page(300, 2);
    draw_code128(&page.r, 30, 0, 2, 2, empty);
    BarcodeList list;
    double fraction = 0;
    barcode_scan(&page.r, {}, &list, &fraction);
    EXPECT_TRUE(list.texts.empty());
    // Specks to the right raise the row above 24 runs.
    for (int k = 0; k < 4; ++k) draw_pixel(&page.r, 200 + 6 * k, 0, false);
    barcode_scan(&page.r, {}, &list, &fraction);
    EXPECT_EQ(list.texts, std::vector<Text16>{u""});
}

TEST(BarcodeScan, TextsLongerThan199CharactersAreDropped) {
    for (size_t len : {199u, 200u}) {
        const std::string text(len, 'x');
        const std::vector<int> elements = set_b(text);
        Page page(int32_t(elements.size() * 3 + 60), 2);
        draw_code128(&page.r, 20, 0, 2, 1, elements);
        EXPECT_EQ(scan(&page.r).size(), len <= kBarcodeMaxText ? 1u : 0u) << len;
    }
}

TEST(BarcodeScan, RegionsAndTheDarkFraction) {
    Page page(100, 10);
    draw_rect(&page.r, 0, 0, 10, 10, false);
    draw_rect(&page.r, 99, 0, 1, 10, false);  // the last column is never read
    double f = 0;
    scan(&page.r, {}, &f);
    EXPECT_DOUBLE_EQ(f, 10.0 / 99);
    scan(&page.r, {0, 0, 0, 5}, &f);  // a zero size means the whole raster
    EXPECT_DOUBLE_EQ(f, 10.0 / 99);
    scan(&page.r, {5, 3, 11, 4}, &f);  // columns 5..14, 5 of them dark
    EXPECT_DOUBLE_EQ(f, 0.5);
    scan(&page.r, {120, 0, 10, 10}, &f);
    EXPECT_EQ(f, 0.0);
    scan(&page.r, {-5, 0, 15, 10}, &f);  // clipped to columns 0..8
    EXPECT_EQ(f, 1.0);

    Page four(100, 10, 4);
    draw_fill(&four.r, true);
    scan(&four.r, {}, &f);
    EXPECT_EQ(f, 1.0);

    BarcodeList list;
    list.texts.push_back(u"old");
    f = 0.25;
    EXPECT_FALSE(barcode_scan(nullptr, {}, &list, &f));
    EXPECT_TRUE(list.texts.empty());
    EXPECT_EQ(f, 0.25);
}

TEST(BarcodeScan, ACodeCutByTheRegionIsNotRead) {
    const std::vector<int> elements = set_b("CUT");
    Page page(400, 4);
    const int32_t end = draw_code128(&page.r, 20, 0, 4, 2, elements);
    EXPECT_EQ(scan(&page.r, {0, 0, end - 10, 4}), Texts{});
    // The region's last column is not read, so the stop's last bar needs one
    // column of margin.
    EXPECT_EQ(scan(&page.r, {0, 0, end + 1, 4}), Texts{"CUT"});
}
