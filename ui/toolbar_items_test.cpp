#include "ui/toolbar_items.h"

#include <gtest/gtest.h>

TEST(ToolbarLayout, EmptyTokensAndDoubledSeparatorsCollapse) {
    EXPECT_EQ(toolbar_parse_layout(u"_,PR,,_,_,SA", {}), (std::vector<int>{0, 1, 0, 2}));
}

TEST(ToolbarLayout, CodesAreCaseSensitiveUntrimmedAndUnique) {
    EXPECT_EQ(toolbar_parse_layout(u"pr, PR,PRX,PR,SA", {}), (std::vector<int>{1, 2}));
}

TEST(ToolbarLayout, ConditionalItemsFollowTheirSwitches) {
    EXPECT_EQ(toolbar_parse_layout(u"SL?,DR?,ER?,UP?,PR?", {}), std::vector<int>{});
    ToolbarConditions all{true, true, true};
    EXPECT_EQ(toolbar_parse_layout(u"SL?,DR?,ER?,UP?,PR?", all), (std::vector<int>{27, 28, 29, 30}));
    EXPECT_EQ(toolbar_parse_layout(u"SL,DR", {}), (std::vector<int>{27, 28}));  // without "?": always kept
}

TEST(ToolbarLayout, AtMostSixtyFourItems) {
    std::u16string many;
    for (int i = 0; i < 100; ++i) many += u"_,PR,";
    EXPECT_EQ(toolbar_parse_layout(many, {}).size(), 3u);  // _, PR, _ : the rest repeats
    std::u16string separators;
    for (int i = 0; i < 40; ++i) separators += u"_,PR,_,SA,";
    EXPECT_LE(toolbar_parse_layout(separators, {}).size(), 64u);
}

TEST(ToolbarLayout, ChoiceOfSource) {
    EXPECT_EQ(toolbar_choose_layout(u".full", u"PR"), kToolbarLayoutFull);
    EXPECT_EQ(toolbar_choose_layout(u"$none", u"PR"), u"");
    EXPECT_EQ(toolbar_choose_layout(u".Full", u"PR,SA"), u"PR,SA");  // keywords are case-sensitive
    EXPECT_EQ(toolbar_choose_layout(u"", u".bogus"), kToolbarLayoutStandard);
    EXPECT_EQ(toolbar_parse_layout(kToolbarLayoutStandard, {}).size(), 25u);
}
