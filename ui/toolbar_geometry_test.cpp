#include "ui/toolbar_geometry.h"

#include <gtest/gtest.h>

#include "ui/toolbar_items.h"
#include "ui/toolbar_table.h"

namespace {
ToolbarGeometry standard(int toolbar_height, int font_height = 16, int vscroll = 17) {
    return toolbar_geometry(toolbar_parse_layout(kToolbarLayoutStandard, {}), {toolbar_height, font_height, vscroll});
}

int width_of(const ToolbarGeometry& g, int item) {
    for (const ToolbarSlot& s : g.slots)
        if (s.item == item) return s.width;
    return -1;
}
}  // namespace

TEST(ToolbarGeometry, ItemsFollowEachOtherFromXThreeAndTheTotalEndsOnePast) {
    for (int h : {26, 27, 48, 104}) {
        const ToolbarGeometry g = standard(h);
        ASSERT_FALSE(g.slots.empty());
        EXPECT_EQ(g.slots.front().x, 3);
        for (size_t i = 1; i < g.slots.size(); ++i)
            EXPECT_EQ(g.slots[i].x, g.slots[i - 1].x + g.slots[i - 1].width) << "height " << h << " slot " << i;
        EXPECT_EQ(g.total_width, g.slots.back().x + g.slots.back().width + 1);
    }
    EXPECT_EQ(toolbar_geometry({}, {}).total_width, 4);  // an empty strip still starts at 3
}

TEST(ToolbarGeometry, DefaultStripUsesTheDesignWidthsAndSharedIcons) {
    const ToolbarGeometry g = standard(26);
    EXPECT_EQ(g.button_height, 22);
    EXPECT_EQ(g.icon_side, 0);
    EXPECT_EQ(width_of(g, kItemPrint), 23);
    EXPECT_EQ(width_of(g, kItemSeparator), 6);
    EXPECT_EQ(width_of(g, kItemSpinner), 12);
    EXPECT_EQ(width_of(g, kItemPreviousPage), 17);
    EXPECT_EQ(width_of(g, kItemNextPage), 17);
    // The page list: 26 units of its own height (22 here) plus a scroll bar.
    EXPECT_EQ(g.page_list_height, 22);
    EXPECT_EQ(width_of(g, kItemPageList), 26 + 17);
}

TEST(ToolbarGeometry, LargerButtonsScaleWidthsAndIconsWithRounding) {
    const ToolbarGeometry big = standard(48);  // `tbbuttonsize` 44
    EXPECT_EQ(big.button_height, 44);
    EXPECT_EQ(width_of(big, kItemPrint), 46);
    EXPECT_EQ(width_of(big, kItemSeparator), 12);
    EXPECT_EQ(width_of(big, kItemSpinner), 24);
    EXPECT_EQ(width_of(big, kItemNextPage), 34);
    EXPECT_EQ(big.icon_side, 64);
    // B = 23: 23 x 23 / 22 = 24.05 down, 17 x 23 / 22 = 17.77 up, 23 x 16 / 11 = 33.45 down.
    const ToolbarGeometry odd = standard(27);
    EXPECT_EQ(width_of(odd, kItemPrint), 24);
    EXPECT_EQ(width_of(odd, kItemNextPage), 18);
    EXPECT_EQ(width_of(odd, kItemSeparator), 6);
    EXPECT_EQ(odd.icon_side, 33);
    // B = 29: 6 x 29 / 22 = 7.909 and 12 x 29 / 22 = 15.8 both round up; 29 x 16 / 11 = 42.2.
    const ToolbarGeometry up = standard(33);
    EXPECT_EQ(width_of(up, kItemSeparator), 8);
    EXPECT_EQ(width_of(up, kItemSpinner), 16);
    EXPECT_EQ(up.icon_side, 42);
}

TEST(ToolbarGeometry, PageListFollowsTheFontUpToTheButtonHeight) {
    // A tall interface font is held to the button height.
    EXPECT_EQ(standard(26, 40).page_list_height, 22);
    // Large buttons with the smallest font: 16 + 8 = 24, 26 x 24 / 22 = 28.36.
    const ToolbarGeometry g = standard(104, 16, 20);
    EXPECT_EQ(g.page_list_height, 24);
    EXPECT_EQ(width_of(g, kItemPageList), 28 + 20);
}

TEST(ToolbarGeometry, UnknownItemIndicesTakeNoSpace) {
    const ToolbarGeometry g = toolbar_geometry({kItemPrint, -1, 32, kItemSaveAs}, {});
    ASSERT_EQ(g.slots.size(), 2u);
    EXPECT_EQ(g.slots[1].x, 26);
}

TEST(ToolbarLogo, SitsAtTheRightEndButNeverOverTheItems) {
    EXPECT_EQ(toolbar_logo_x(474, 800, 0), 733);
    EXPECT_EQ(toolbar_logo_x(474, 800, 2), 733);
    EXPECT_EQ(toolbar_logo_x(474, 400, 0), 474);  // a narrow window pushes it past the items
    EXPECT_EQ(toolbar_logo_x(474, 800, 3), 797);  // not drawn: only the edge margin is kept
    EXPECT_EQ(toolbar_logo_x(474, 0, 0), 474);
}

TEST(ToolbarLogo, HitRectangleIsSixtyFourWideAndCoversRowsTwoToTwentyThree) {
    const int x = 733;
    EXPECT_TRUE(toolbar_logo_hit(x, x, 2));
    EXPECT_TRUE(toolbar_logo_hit(x, x + 63, 23));
    EXPECT_FALSE(toolbar_logo_hit(x, x - 1, 10));
    EXPECT_FALSE(toolbar_logo_hit(x, x + 64, 10));
    EXPECT_FALSE(toolbar_logo_hit(x, x + 10, 1));
    EXPECT_FALSE(toolbar_logo_hit(x, x + 10, 24));
}
