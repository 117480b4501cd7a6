#include "output/wallpaper_rules.h"

#include <gtest/gtest.h>

TEST(WallpaperRules, PlacementsFollowTheMenuOrder) {
    const WallpaperPlacement centred = wallpaper_placement(0), tiled = wallpaper_placement(1),
                             stretched = wallpaper_placement(2), odd = wallpaper_placement(7);
    EXPECT_EQ(Text16(centred.tile) + centred.style, u"00");
    EXPECT_EQ(Text16(tiled.tile) + tiled.style, u"10");
    EXPECT_EQ(Text16(stretched.tile) + stretched.style, u"02");
    EXPECT_EQ(Text16(odd.tile) + odd.style, u"00");
}
