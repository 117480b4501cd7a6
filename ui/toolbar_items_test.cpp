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

TEST(ToolbarLayout, TheLongestLayoutStaysUnderTheItemCap) {
    std::u16string many;
    for (int i = 0; i < 100; ++i) many += u"_,PR,";
    EXPECT_EQ(toolbar_parse_layout(many, {}).size(), 3u);  // _, PR, _ : the rest repeats
    // Far more than 64 tokens: every code between separators, three times
    // over. Only the first of each code and no two separators in a row are
    // kept, which keeps any layout under the cap: 31 items, 32 separators.
    std::u16string longest;
    for (int round = 0; round < 3; ++round)
        for (int i = 1; i < kToolbarItemCount; ++i) longest += u"_,_," + std::u16string(kToolbarCodes[i]) + u",";
    longest += u"_";
    const std::vector<int> items = toolbar_parse_layout(longest, {});
    ASSERT_EQ(items.size(), size_t(2 * kToolbarItemCount - 1));
    for (size_t k = 0; k < items.size(); ++k) EXPECT_EQ(items[k], k % 2 ? int(k / 2) + 1 : kToolbarSeparator) << k;
}

TEST(ToolbarLayout, ChoiceOfSource) {
    EXPECT_EQ(toolbar_choose_layout(u".full", u"PR"), kToolbarLayoutFull);
    EXPECT_EQ(toolbar_choose_layout(u"$none", u"PR"), u"");
    EXPECT_EQ(toolbar_choose_layout(u".Full", u"PR,SA"), u"PR,SA");  // keywords are case-sensitive
    EXPECT_EQ(toolbar_choose_layout(u"", u".bogus"), kToolbarLayoutStandard);
    EXPECT_EQ(toolbar_parse_layout(kToolbarLayoutStandard, {}).size(), 25u);
}
