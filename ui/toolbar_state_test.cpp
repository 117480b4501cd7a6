#include "ui/toolbar_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/text.h"
#include "ui/commands.h"
#include "ui/toolbar_table.h"

namespace {
ToolbarState loaded(int pages, int current, bool decoded = true) {
    ToolbarState s;
    s.download_state = DownloadState::kFinished;
    s.document_loaded = true;
    s.page_count = pages;
    s.current_page = current;
    s.decoded = decoded;
    return s;
}

bool enabled(const ToolbarState& s, int item) {
    const ToolbarEnable e = toolbar_enabled_states(s);
    EXPECT_TRUE(e.pass.governs[item]) << item;
    return e.pass.on[item];
}

// The toggles a check pass sets, as a list of item indices.
std::vector<int> checked(const ToolbarState& s) {
    const ToolbarChecks c = toolbar_checked_states(s);
    std::vector<int> out;
    for (int i = 0; i < kToolbarItemCount; ++i)
        if (c.pass.governs[i] && c.pass.on[i]) out.push_back(i);
    return out;
}

std::string fixed_tip(int zoom_index) {
    char16_t out[kToolbarTooltipCap];
    toolbar_fixed_size_tooltip(u"Fixed size", zoom_index, out, kToolbarTooltipCap);
    return text_to_utf8(out);
}
}  // namespace

TEST(ToolbarEnablePass, NothingLoadedLeavesOnlyOpenAndTheViewTools) {
    ToolbarState s;
    for (int item : {kItemPrint, kItemQuickPrint, kItemSaveAs, kItemCopy, kItemSend, kItemUpload, kItemPreviousPage,
                     kItemNextPage, kItemPageList})
        EXPECT_FALSE(enabled(s, item)) << item;
    EXPECT_TRUE(enabled(s, kItemOpen));
    EXPECT_TRUE(enabled(s, kItemMenu));
    EXPECT_EQ(toolbar_enabled_states(s).page_selection, -1);
    // The view's own buttons are never touched by this pass.
    const ToolbarEnable e = toolbar_enabled_states(s);
    for (int item : {kItemNegative, kItemZoomMode, kItemAbout, kItemRotateLeft, kItemFixedSize, kItemSpinner})
        EXPECT_FALSE(e.pass.governs[item]) << item;
    s.download_state = DownloadState::kReceiving;  // while a document arrives no other can be opened
    EXPECT_FALSE(enabled(s, kItemOpen));
}

TEST(ToolbarEnablePass, PrintingNeedsADecodedPageOrOtherPages) {
    EXPECT_TRUE(enabled(loaded(1, 0), kItemPrint));
    EXPECT_FALSE(enabled(loaded(1, 0, false), kItemPrint));
    EXPECT_TRUE(enabled(loaded(3, 0, false), kItemQuickPrint));  // the other pages may still print
    EXPECT_FALSE(enabled(loaded(3, 0, false), kItemCopy));       // copying needs this page
    EXPECT_TRUE(enabled(loaded(3, 0, false), kItemSaveAs));
    ToolbarState arriving = loaded(3, 0);
    arriving.download_state = DownloadState::kReceiving;
    EXPECT_FALSE(enabled(arriving, kItemPrint));
    EXPECT_FALSE(enabled(arriving, kItemSend));
}

TEST(ToolbarEnablePass, PageControlsFollowThePage) {
    ToolbarState single = loaded(1, 0);
    EXPECT_FALSE(enabled(single, kItemPreviousPage));
    EXPECT_FALSE(enabled(single, kItemNextPage));
    EXPECT_FALSE(enabled(single, kItemPageList));
    EXPECT_EQ(toolbar_enabled_states(single).page_selection, 0);
    EXPECT_FALSE(enabled(loaded(3, 0), kItemPreviousPage));
    EXPECT_TRUE(enabled(loaded(3, 0), kItemNextPage));
    EXPECT_TRUE(enabled(loaded(3, 1), kItemPreviousPage));
    EXPECT_TRUE(enabled(loaded(3, 1), kItemNextPage));
    EXPECT_FALSE(enabled(loaded(3, 2), kItemNextPage));
    EXPECT_TRUE(enabled(loaded(3, 2), kItemPageList));
    EXPECT_EQ(toolbar_enabled_states(loaded(3, 2)).page_selection, 2);
    // A file without pages: loaded, but no Document to step through.
    ToolbarState empty = loaded(1, 0, false);
    empty.document_loaded = false;
    EXPECT_FALSE(enabled(empty, kItemNextPage));
    EXPECT_EQ(toolbar_enabled_states(empty).page_selection, -1);
}

TEST(ToolbarEnablePass, EachAccessBitTakesAwayExactlyItsButtons) {
    struct Case {
        uint32_t bit;
        std::vector<int> items;
    };
    const Case cases[] = {
        {0x4, {kItemPrint, kItemQuickPrint}},
        {0x8, {kItemSaveAs}},
        {0x10, {kItemOpen}},
        {0x40, {kItemCopy}},
        {0x200, {kItemMenu}},
        {0x400, {kItemSend}},
        {0x800, {kItemWhiteOut, kItemDraw, kItemErase}},
        {0x4000, {kItemUpload}},
    };
    ToolbarState open = loaded(3, 1);
    open.has_upload_url = true;
    const ToolbarEnable all = toolbar_enabled_states(open);
    for (int i = 0; i < kToolbarItemCount; ++i)
        if (all.pass.governs[i]) {
            EXPECT_TRUE(all.pass.on[i]) << i;
        }
    for (const Case& c : cases) {
        ToolbarState s = open;
        s.access_flags = c.bit;
        const ToolbarEnable e = toolbar_enabled_states(s);
        for (int i = 0; i < kToolbarItemCount; ++i) {
            if (!e.pass.governs[i]) continue;
            const bool taken = std::find(c.items.begin(), c.items.end(), i) != c.items.end();
            EXPECT_EQ(e.pass.on[i], !taken) << "bit " << c.bit << " item " << i;
        }
    }
}

TEST(ToolbarEnablePass, UploadNeedsOnlyAnAddress) {
    ToolbarState s;  // nothing loaded: the address alone decides
    EXPECT_FALSE(enabled(s, kItemUpload));
    s.has_upload_url = true;
    EXPECT_TRUE(enabled(s, kItemUpload));
}

TEST(ToolbarCheckPass, OneButtonPerOrientationSizeModeAndMouseMode) {
    ToolbarState s;
    s.size_mode = 3;
    EXPECT_EQ(checked(s), (std::vector<int>{kItemZoomMode, kItemBestFit, kItemOriginal}));
    const int orientation_items[4] = {kItemOriginal, kItemRotatedRight, kItemUpsideDown, kItemRotatedLeft};
    for (int o = 0; o < 4; ++o) {
        s.orientation = o;
        const std::vector<int> on = checked(s);
        EXPECT_NE(std::find(on.begin(), on.end(), orientation_items[o]), on.end()) << o;
        for (int other = 0; other < 4; ++other)
            if (other != o) {
                EXPECT_EQ(std::find(on.begin(), on.end(), orientation_items[other]), on.end());
            }
    }
    s.orientation = 0;
    const int size_items[4] = {kItemFixedSize, kItemFitWidth, kItemFitHeight, kItemBestFit};
    s.zoom_index = 4;  // 200 %
    for (int m = 0; m < 4; ++m) {
        s.size_mode = m;
        const std::vector<int> on = checked(s);
        for (int other = 0; other < 4; ++other)
            EXPECT_EQ(std::find(on.begin(), on.end(), size_items[other]) != on.end(), other == m) << m;
    }
    const int mode_items[7] = {kItemZoomMode, kItemPanMode, -1, kItemWhiteOut, -1, kItemDraw, kItemErase};
    for (int m = 0; m < 7; ++m) {
        s.mouse_mode = m;
        int shown = 0;
        for (int item : checked(s))
            if (item == kItemZoomMode || item == kItemPanMode || item == kItemWhiteOut || item == kItemDraw ||
                item == kItemErase) {
                EXPECT_EQ(item, mode_items[m]);
                ++shown;
            }
        EXPECT_EQ(shown, mode_items[m] < 0 ? 0 : 1) << "mode " << m;  // no button for none and crop select
    }
}

TEST(ToolbarCheckPass, FixedSizeIsCheckedAwayFromOneHundredPercentOnly) {
    ToolbarState s;
    s.size_mode = 0;
    s.zoom_index = 5;
    EXPECT_FALSE(toolbar_checked_states(s).pass.on[kItemFixedSize]);
    s.zoom_index = 6;
    EXPECT_TRUE(toolbar_checked_states(s).pass.on[kItemFixedSize]);
}

TEST(ToolbarCheckPass, SpinnerIsEnabledInFixedSizeAndTheMenuButtonNeverChecked) {
    ToolbarState s;
    s.smooth = s.negative = true;
    for (int mode = 0; mode < 4; ++mode) {
        s.size_mode = mode;
        const ToolbarChecks c = toolbar_checked_states(s);
        EXPECT_EQ(c.spinner_enabled, mode == 0);
        EXPECT_FALSE(c.pass.governs[kItemSpinner]);  // enabled, never checked
        EXPECT_TRUE(c.pass.governs[kItemMenu]);
        EXPECT_FALSE(c.pass.on[kItemMenu]);
        EXPECT_TRUE(c.pass.on[kItemSmooth]);
        EXPECT_TRUE(c.pass.on[kItemNegative]);
    }
}

TEST(ToolbarTooltips, FixedSizeShowsTheRoundedPercentage) {
    EXPECT_EQ(fixed_tip(5), "Fixed size (100%)");
    EXPECT_EQ(fixed_tip(0), "Fixed size (1600%)");
    EXPECT_EQ(fixed_tip(12), "Fixed size (5%)");
}

TEST(ToolbarTooltips, UploadNamesTheAddressAndIsCutToSeventyNineCharacters) {
    char16_t out[kToolbarTooltipCap];
    toolbar_upload_tooltip(u"Upload", u"Upload to", u"", out, kToolbarTooltipCap);
    EXPECT_EQ(text_to_utf8(out), "Upload");
    toolbar_upload_tooltip(u"Upload", u"Upload to", u"http://up.test/in", out, kToolbarTooltipCap);
    EXPECT_EQ(text_to_utf8(out), "Upload to http://up.test/in");
    // An address of any length fits the tooltip's fixed buffer.
    const std::u16string long_url = u"http://up.test/" + std::u16string(1000, u'a');
    char16_t exact[kToolbarTooltipCap];
    toolbar_upload_tooltip(u"Upload", u"Upload to", long_url.c_str(), exact, kToolbarTooltipCap);
    EXPECT_EQ(text_len(exact), 79u);
    EXPECT_EQ(text_to_utf8(exact).substr(0, 25), "Upload to http://up.test/");
}

TEST(ToolbarSpinner, UpArrowZoomsInDownArrowOutAndTheLimitsHold) {
    ToolbarSpinner sp;
    toolbar_spinner_thumb(&sp, kSpinnerUpper);
    SpinnerStep r = toolbar_spinner_end(&sp, 0, 5);
    EXPECT_EQ(r.zoom_index, 4);
    EXPECT_TRUE(r.relayout);
    EXPECT_EQ(fixed_tip(r.zoom_index), "Fixed size (200%)");  // the tooltip follows the step
    toolbar_spinner_thumb(&sp, kSpinnerLower);
    r = toolbar_spinner_end(&sp, 0, 5);
    EXPECT_EQ(r.zoom_index, 6);
    toolbar_spinner_thumb(&sp, kSpinnerUpper);
    r = toolbar_spinner_end(&sp, 0, 0);  // already at 1600 %
    EXPECT_EQ(r.zoom_index, 0);
    EXPECT_FALSE(r.relayout);
    toolbar_spinner_thumb(&sp, kSpinnerLower);
    r = toolbar_spinner_end(&sp, 0, 12);  // already at 5 %
    EXPECT_EQ(r.zoom_index, 12);
    EXPECT_FALSE(r.relayout);
}

TEST(ToolbarSpinner, FirstReportDecidesAndTheEndClearsIt) {
    ToolbarSpinner sp;
    toolbar_spinner_thumb(&sp, kSpinnerUpper);
    toolbar_spinner_thumb(&sp, kSpinnerLower);  // a later report in the same scroll counts for nothing
    EXPECT_EQ(toolbar_spinner_end(&sp, 0, 5).zoom_index, 4);
    const SpinnerStep none = toolbar_spinner_end(&sp, 0, 4);  // an end with no report steps nowhere
    EXPECT_EQ(none.zoom_index, 4);
    EXPECT_FALSE(none.relayout);
}

TEST(ToolbarSpinner, AnyStepSwitchesToFixedSizeAndLaysOut) {
    ToolbarSpinner sp;
    const SpinnerStep r = toolbar_spinner_end(&sp, 3, 5);  // best fit, no direction
    EXPECT_EQ(r.size_mode, 0);
    EXPECT_EQ(r.zoom_index, 5);
    EXPECT_TRUE(r.relayout);
}

TEST(ToolbarTable, ClicksReachRealCommandsAndTooltipsSitAtTheirIds) {
    for (int i = 0; i < kToolbarItemCount; ++i) {
        const ToolbarItemInfo& info = kToolbarItemTable[i];
        if (info.action == ToolbarAction::kCommand) {
            EXPECT_NE(command_decode(info.value).kind, CommandKind::kNone) << i;
        }
        if (info.action == ToolbarAction::kSizeMode) {
            EXPECT_TRUE(info.value >= 0 && info.value <= 3) << i;
        }
        if (i == kItemSeparator) continue;
        EXPECT_EQ(info.tooltip_id, kToolbarTooltipBase + i);
        EXPECT_NE(info.tooltip, nullptr);
        const bool control = info.kind == ToolbarKind::kSpinner || info.kind == ToolbarKind::kPageList;
        EXPECT_EQ(info.icon_id == 0, control) << i;  // every button shows an icon
        for (int j = 0; j < i; ++j)
            if (info.icon_id) {
                EXPECT_NE(info.icon_id, kToolbarItemTable[j].icon_id) << i << " " << j;
            }
    }
    EXPECT_EQ(command_decode(kToolbarItemTable[kItemQuickPrint].value).value, 1);  // no dialog
    EXPECT_EQ(command_decode(kToolbarItemTable[kItemPrint].value).value, 0);
}
