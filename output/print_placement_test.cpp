#include "output/print_placement.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace {
// Letter paper at 600 dpi, as a PostScript driver reports it.
PrinterMetrics letter600() { return PrinterMetrics{4800, 6300, 5100, 6600, 150, 150, 600, 600}; }

int32_t ppm(double dpi) { return int32_t(dpi / 0.0254); }  // what the decoder stores for a dpi value

PrintImage image(int32_t w, int32_t h, double dpi_x, double dpi_y) { return PrintImage{w, h, ppm(dpi_x), ppm(dpi_y)}; }
}  // namespace

TEST(PrintPlacement, PageWithAResolutionPrintsAtItsNaturalSizeUnlessAskedToFill) {
    const PrintImage page = image(1500, 1500, 300, 300);
    const PrintPlacement natural = print_place(page, letter600(), {});
    EXPECT_EQ(natural.x, 0);
    EXPECT_EQ(natural.y, 0);
    EXPECT_EQ(natural.width, 3000);
    EXPECT_EQ(natural.height, 3000);
    EXPECT_NEAR(natural.width_mm, 127.0, 0.01);
    EXPECT_FALSE(natural.turned);

    const PrintPlacement full = print_place(page, letter600(), PlacementOptions{true, false});
    EXPECT_EQ(full.width, 4800);
    EXPECT_NEAR(full.height, 4800, 1);

    // A page marked as having no absolute unit is fitted too.
    PrintImage unitless = page;
    unitless.unit_none = true;
    EXPECT_EQ(print_place(unitless, letter600(), {}).width, 4800);
}

TEST(PrintPlacement, FaxKeepsItsPhysicalProportionsAndAnAbsurdResolutionFallsBackToPixels) {
    // 1728 x 2200 at 204 x 196 would be plain; 204 x 98 makes every pixel twice as tall as wide.
    const PrintPlacement fax = print_place(image(1728, 1100, 204, 98), letter600(), {});
    const double mm_ratio = (1100 / 98.0) / (1728 / 204.0);
    EXPECT_EQ(fax.height, 6300);  // larger than the printable area: fitted
    EXPECT_NEAR(double(fax.height) / fax.width, mm_ratio, 0.001);
    EXPECT_GT(fax.height, fax.width);  // by pixels it would be wider than tall

    // 2000 x 100 dpi: more than a factor of ten apart, so the square pixel grid is what counts.
    const PrintPlacement odd = print_place(image(1000, 1000, 2000, 100), letter600(), {});
    EXPECT_EQ(odd.width, 4800);
    EXPECT_NEAR(odd.height, 4800, 1);
    // Exactly a factor of ten is still believed.
    const PrintPlacement ten = print_place(PrintImage{100, 100, 10000, 1000}, letter600(), PlacementOptions{true});
    EXPECT_EQ(ten.height, 6300);
    EXPECT_NEAR(ten.width, 630, 1);
}

TEST(PrintPlacement, ResolutionsAtTheEdgesOfTheIntegerRangeDoNotOverflow) {
    const PrintPlacement p = print_place(PrintImage{10, 10, INT32_MAX, INT32_MAX / 3}, letter600(), {});
    EXPECT_GE(p.width, 1);  // a factor of 3 apart: believed, and tiny
    const PrintPlacement zero = print_place(PrintImage{10, 20, 0, ppm(300)}, letter600(), {});
    EXPECT_EQ(zero.height, 6300);  // no usable resolution: fitted by pixels
    const PrintPlacement negative = print_place(PrintImage{10, 20, -5, -5}, letter600(), {});
    EXPECT_EQ(negative.height, 6300);
}

TEST(PrintPlacement, AutoRotateTurnsOnlyWhenThePageGetsNoticeablyLarger) {
    // 254 x 127 mm on portrait letter: upright it shrinks to the area's width, turned it fits whole.
    const PrintImage landscape = image(3000, 1500, 300, 300);
    const PrintPlacement upright = print_choose_placement(landscape, letter600(), {}, false);
    EXPECT_FALSE(upright.turned);
    EXPECT_EQ(upright.width, 4800);
    const PrintPlacement turned = print_choose_placement(landscape, letter600(), {}, true);
    EXPECT_TRUE(turned.turned);
    EXPECT_EQ(turned.width, 3000);
    EXPECT_NEAR(upright.height, 2400, 1);
    EXPECT_EQ(turned.height, 6000);

    // Square in millimetres though not in pixels: turning gains nothing.
    EXPECT_FALSE(print_choose_placement(image(2000, 1000, 200, 100), letter600(), {}, true).turned);
    // A 200 x 100 dpi fax page, 10 x 5 in: turned, its resolutions turn with it
    // and it prints whole at 5 x 10 in (left unswapped it would be 2.5 x 20 in).
    const PrintPlacement fax = print_choose_placement(image(2000, 500, 200, 100), letter600(), {}, true);
    EXPECT_TRUE(fax.turned);
    EXPECT_EQ(fax.width, 3000);
    EXPECT_EQ(fax.height, 6000);
    EXPECT_TRUE(print_choose_placement(image(2000, 500, 200, 100), letter600(), PlacementOptions{true}, true).turned);

    // On a sheet slightly taller than wide: turning a nearly square page gains
    // 0.4 % (stays upright), a little less square one 1.2 % (turned).
    const PrinterMetrics sheet{1000, 1010, 1000, 1010, 0, 0, 100, 100};
    EXPECT_FALSE(print_choose_placement(PrintImage{1001, 999, 0, 0}, sheet, {}, true).turned);
    EXPECT_TRUE(print_choose_placement(PrintImage{1003, 997, 0, 0}, sheet, {}, true).turned);
}

TEST(PrintPlacement, CentringUsesThePhysicalSheetWhenTheMarginsDiffer) {
    // Left margin 50, right 100; top 40, bottom 60 (device pixels at 100 dpi).
    const PrinterMetrics p{850, 1300, 1000, 1400, 50, 40, 100, 100};
    const PlacementOptions centre{false, true};
    const PrintPlacement small = print_place(PrintImage{200, 300, ppm(100), ppm(100)}, p, centre);
    EXPECT_EQ(small.width, 200);
    EXPECT_EQ(small.height, 300);
    // Equal gaps on the sheet to the left and to the right, above and below.
    EXPECT_EQ(p.offset_x + small.x, 1000 - (p.offset_x + small.x + small.width));
    EXPECT_EQ(p.offset_y + small.y, 1400 - (p.offset_y + small.y + small.height));

    // Filling: the area loses the wider side margin on both sides (850 - 2 x 100)
    // and the bottom margin top and bottom (1300 - 2 x 60).
    const PrintPlacement full = print_place(PrintImage{3, 1, 0, 0}, p, PlacementOptions{true, true});
    EXPECT_EQ(full.width, 650);
    EXPECT_EQ(full.height, 216);
    EXPECT_EQ(full.x, 125);
    EXPECT_EQ(full.y, 552);
}

TEST(PrintPlacement, DegenerateMarginsAndTinyPagesStillGiveAPositiveSize) {
    const PrinterMetrics broken{100, 100, 100, 100, 200, 200, 0, 0};  // margins wider than the sheet, no dpi
    const PrintPlacement p = print_place(PrintImage{3000, 10, 0, 0}, broken, PlacementOptions{false, true});
    EXPECT_GE(p.width, 1);
    EXPECT_GE(p.height, 1);
    EXPECT_GE(p.x, 0);
    EXPECT_GE(p.y, 0);
    EXPECT_TRUE(std::isfinite(p.width_mm));
    const PrintPlacement sliver = print_place(PrintImage{100000, 1, 0, 0}, letter600(), {});
    EXPECT_EQ(sliver.height, 1);
}

TEST(PrintFitRect, ShrinksToThePageProportionsAtTheTopLeftUnlessStretching) {
    const PrintRect box{10, 20, 400, 300};
    const PrintRect tall = print_fit_rect(box, 100, 200, false);
    EXPECT_EQ(tall.x, 10);
    EXPECT_EQ(tall.y, 20);
    EXPECT_EQ(tall.width, 150);
    EXPECT_EQ(tall.height, 300);
    const PrintRect wide = print_fit_rect(box, 200, 100, false);
    EXPECT_EQ(wide.width, 400);
    EXPECT_EQ(wide.height, 200);
    const PrintRect same = print_fit_rect(box, 4, 3, false);
    EXPECT_EQ(same.width, 400);
    EXPECT_EQ(same.height, 300);
    const PrintRect stretched = print_fit_rect(box, 100, 200, true);
    EXPECT_EQ(stretched.width, 400);
    EXPECT_EQ(stretched.height, 300);
    // A hair-thin page keeps one pixel, and a big raster does not overflow.
    EXPECT_EQ(print_fit_rect(box, 100000, 1, false).height, 1);
    EXPECT_EQ(print_fit_rect(PrintRect{0, 0, 60000, 60000}, 60000, 30000, false).height, 30000);
}
