#include "analysis/page_analysis.h"

#include <gtest/gtest.h>

#include "analysis/code128_draw.h"
#include "analysis/raster_load.h"

namespace {

struct Page {
    DisplayRaster r;
    Page(int32_t w, int32_t h, int bpp, bool light) {
        EXPECT_TRUE(analysis_raster_alloc(w, h, bpp, &r));
        draw_fill(&r, light);
    }
    ~Page() { analysis_raster_free(&r); }
};

}  // namespace

TEST(BlankPage, WhiteIsZeroAndBlackIsOneAtEveryDepth) {
    for (int bpp : {1, 8, 24}) {
        Page white(61, 9, bpp, true), black(61, 9, bpp, false);
        PageAnalysis a;
        analysis_init(&a);
        EXPECT_EQ(analysis_detect_blank_page(&a, &white.r), 0.0) << bpp;
        analysis_page_changed(&a);
        EXPECT_EQ(analysis_detect_blank_page(&a, &black.r), 1.0) << bpp;
    }
}

TEST(BlankPage, MeasuredOncePerPage) {
    Page page(40, 40, 1, true);
    PageAnalysis a;
    analysis_init(&a);
    EXPECT_EQ(a.blank_score, -1);
    EXPECT_EQ(analysis_detect_blank_page(&a, &page.r), 0.0);
    // Were it scanned again, the second call would see the black page.
    draw_fill(&page.r, false);
    EXPECT_EQ(analysis_detect_blank_page(&a, &page.r), 0.0);
    analysis_page_changed(&a);
    EXPECT_EQ(analysis_detect_blank_page(&a, &page.r), 1.0);
}

TEST(BlankPage, WithoutAPageItIsMinusOneAndTheTextsAreGone) {
    PageAnalysis a;
    analysis_init(&a);
    a.barcodes.texts.push_back(u"from another page");
    EXPECT_EQ(analysis_detect_blank_page(&a, nullptr), -1.0);
    DisplayRaster empty;
    EXPECT_EQ(analysis_detect_blank_page(&a, &empty), -1.0);
    EXPECT_EQ(analysis_get_barcode(&a), u"");
}

TEST(BlankPage, DetectBarcodesLeavesItsRegionsMeasure) {
    Page page(100, 100, 8, true);
    draw_rect(&page.r, 0, 0, 50, 100, false);
    PageAnalysis a;
    analysis_init(&a);
    analysis_detect_barcodes(&a, &page.r, 0, 0, 26, 10);  // reads columns 0..24: all dark
    EXPECT_EQ(analysis_detect_blank_page(&a, &page.r), 1.0);
    // No page: the measure stays.
    analysis_detect_barcodes(&a, nullptr, 0, 0, 0, 0);
    EXPECT_EQ(a.blank_score, 1.0);
    analysis_page_changed(&a);
    EXPECT_NEAR(analysis_detect_blank_page(&a, &page.r), 50.0 / 99, 1e-12);
}

TEST(BarcodeCursor, TextsAreHandedOutOnceAndReplacedByTheNextScan) {
    Page page(600, 20, 1, true);
    const int32_t end = draw_code128(&page.r, 20, 0, 10, 2, code128_elements(104, code128_set_b("ONE")));
    draw_code128(&page.r, end + 30, 0, 20, 2, code128_elements(104, code128_set_b("TWO")));
    PageAnalysis a;
    analysis_init(&a);
    EXPECT_EQ(analysis_get_barcode(&a), u"");
    analysis_detect_barcodes(&a, &page.r, 0, 0, 0, 0);
    EXPECT_EQ(analysis_get_barcode(&a), u"ONE");
    analysis_detect_barcodes(&a, &page.r, 0, 10, 0, 0);  // only TWO reaches below row 10
    EXPECT_EQ(analysis_get_barcode(&a), u"TWO");
    EXPECT_EQ(analysis_get_barcode(&a), u"");
    EXPECT_EQ(analysis_get_barcode(&a), u"");
    // A page change keeps the texts; a whole-page measure replaces them.
    analysis_page_changed(&a);
    analysis_detect_blank_page(&a, &page.r);
    EXPECT_EQ(analysis_get_barcode(&a), u"ONE");
    EXPECT_EQ(analysis_get_barcode(&a), u"TWO");
}
