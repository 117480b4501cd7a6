#include "host/module_rules.h"

#include <gtest/gtest.h>

TEST(ModuleRules, InterfaceFontHeightFromTheMessageFont) {
    EXPECT_EQ(module_ui_font_height(-11), 16);  // 11 × 16/11
    EXPECT_EQ(module_ui_font_height(-12), 17);  // 17.45 rounds down
    EXPECT_EQ(module_ui_font_height(-15), 22);  // 21.8 rounds up
    EXPECT_EQ(module_ui_font_height(-5), 16);   // never below 16
    EXPECT_EQ(module_ui_font_height(20), 20);   // a cell height is kept
    EXPECT_EQ(module_ui_font_height(0), 16);
}

TEST(ModuleRules, WheelMessageIsRegisteredOnlyBeforeNt4) {
    EXPECT_TRUE(module_wheel_needs_registered_message(3, true));
    EXPECT_TRUE(module_wheel_needs_registered_message(4, false));
    EXPECT_FALSE(module_wheel_needs_registered_message(4, true));
    EXPECT_FALSE(module_wheel_needs_registered_message(6, true));
}
