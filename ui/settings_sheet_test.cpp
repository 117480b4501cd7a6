#include "ui/settings_sheet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/error_log.h"
#include "config/message_box.h"
#include "document/document.h"
#include "host/stream_reception.h"
#include "host/viewer_pages.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/viewer_ui.h"
#include "testing/recording_shell.h"
#include "testing/tiff_builder.h"

// ---- How the controls show and read values ----

TEST(SettingsSheetLists, ToolbarPositionListAndUnknownValuesSurvive) {
    EXPECT_EQ(sheet_toolbar_index(1), 0);  // "Top"
    EXPECT_EQ(sheet_toolbar_index(2), 1);  // "Bottom"
    EXPECT_EQ(sheet_toolbar_index(0), 2);  // "No toolbar"
    for (int value = 0; value <= 2; ++value) EXPECT_EQ(sheet_toolbar_value(sheet_toolbar_index(value), 9), value);
    // A stored value no entry stands for selects nothing and is kept.
    EXPECT_EQ(sheet_toolbar_index(7), -1);
    EXPECT_EQ(sheet_toolbar_value(-1, 7), 7);
}

TEST(SettingsSheetLists, ZoomSizeOffersFiveAndCustomOnlyWhenCalledFor) {
    Settings s;
    s.zoomsize = 2;
    EXPECT_EQ(sheet_zoomsize_entries(s), 4);
    s.zoomrect_given = true;  // a custom rectangle brings both
    EXPECT_EQ(sheet_zoomsize_entries(s), 6);
    s.zoomrect_given = false;
    s.zoomsize = 5;
    EXPECT_EQ(sheet_zoomsize_entries(s), 5);
    s.zoomsize = 6;
    EXPECT_EQ(sheet_zoomsize_entries(s), 6);
    // Whatever is shown is an entry that exists.
    for (int z = -3; z <= 12; ++z) {
        s.zoomsize = z;
        EXPECT_LT(sheet_zoomsize_index(z), sheet_zoomsize_entries(s)) << z;
        EXPECT_GE(sheet_zoomsize_index(z), 0) << z;
    }
    EXPECT_EQ(sheet_zoomsize_index(9), 5);
    EXPECT_EQ(sheet_zoomsize_value(5, 9), 6);
    EXPECT_EQ(sheet_zoomsize_value(0, 9), 1);
    EXPECT_EQ(sheet_zoomsize_value(-1, 9), 9);
}

TEST(SettingsSheetLists, ButtonSizeIsClampedWhenRead) {
    Settings s;
    EXPECT_EQ(sheet_button_size_shown(s), 22);  // the toolbar height carries 4 more
    EXPECT_EQ(sheet_toolbar_height_from_typed(7, true), 22 + 4);
    EXPECT_EQ(sheet_toolbar_height_from_typed(250, true), 100 + 4);  // the edit takes three digits
    EXPECT_EQ(sheet_toolbar_height_from_typed(48, true), 48 + 4);
    EXPECT_EQ(sheet_toolbar_height_from_typed(0, false), 22 + 4);  // an empty edit
    EXPECT_EQ(sheet_toolbar_height_from_typed(4000000000u, true), 100 + 4);
}

TEST(SettingsSheetLists, SubImageBoxesKeepOtherBits) {
    EXPECT_EQ(sheet_ignore_bits(0x83, false, true), 0x82u);
    EXPECT_EQ(sheet_ignore_bits(0x80, true, false), 0x81u);
}

// ---- The zoom-window monitor ----

namespace {
SheetMonitors two_monitors() {
    SheetMonitors m;
    sheet_monitors_add(&m, -1280, 0);
    sheet_monitors_add(&m, 1920, -200);
    return m;
}
}  // namespace

TEST(SettingsSheetMonitor, SelectionFollowsZoommonAndZoomloc) {
    const SheetMonitors list = two_monitors();
    Settings s;
    s.zoommon = 1;
    EXPECT_EQ(sheet_monitor_index(s, list), 1);
    s.zoommon = 2;
    s.zoomloc_x = 1920;
    s.zoomloc_y = -200;
    EXPECT_EQ(sheet_monitor_index(s, list), 3);
    s.zoomloc_x = 1024;  // that monitor is gone
    EXPECT_EQ(sheet_monitor_index(s, list), 0);
    EXPECT_EQ(sheet_monitor_index(s, SheetMonitors{}), 0);
    s.zoommon = 5;
    EXPECT_EQ(sheet_monitor_index(s, list), 0);
}

TEST(SettingsSheetMonitor, OkStoresTheChoiceAndOnlyAMonitorMovesZoomloc) {
    const SheetMonitors list = two_monitors();
    Settings s;
    s.zoomloc_x = 5;
    s.zoomloc_y = 6;
    sheet_monitor_store(2, list, &s);
    EXPECT_EQ(s.zoommon, 2);
    EXPECT_EQ(s.zoomloc_x, -1280);
    EXPECT_EQ(s.zoomloc_y, 0);
    sheet_monitor_store(1, list, &s);
    EXPECT_EQ(s.zoommon, 1);
    EXPECT_EQ(s.zoomloc_x, -1280);
    sheet_monitor_store(0, list, &s);
    EXPECT_EQ(s.zoommon, 0);
    // No selection, or an entry beyond the list, changes nothing.
    s.zoommon = 2;
    sheet_monitor_store(-1, list, &s);
    sheet_monitor_store(4, list, &s);
    EXPECT_EQ(s.zoommon, 2);
    EXPECT_EQ(s.zoomloc_x, -1280);
}

TEST(SettingsSheetMonitor, ListHoldsTenAndEntriesNameTheOrigin) {
    SheetMonitors m;
    for (int i = 0; i < kSheetMonitorMax; ++i) sheet_monitors_add(&m, i, i);
    EXPECT_FALSE(sheet_monitors_add(&m, 99, 99));
    EXPECT_EQ(m.count, kSheetMonitorMax);
    EXPECT_EQ(sheet_monitor_entry_text(u"Monitor at", -1280, 0), u"Monitor at (-1280,0)");
}

// ---- "&Defaults" ----

namespace {
// Every value of the sheet away from its default.
Settings everything_changed() {
    Settings s;
    s.toolbar = 0;
    s.zoomsize = 4;
    s.pansens = 5;
    s.toolbar_height = 80;
    s.bgcolor = 0x123456;
    s.mousewheeldir = 1;
    s.printfull = s.printcenter = s.printautorotate = 1;
    s.autoupdate = 0;
    s.zoommon = 2;
    s.zoomloc_x = 100;
    s.zoomloc_y = 200;
    s.tooltips = 0;
    s.fixratio = 0;
    s.ignorespecialimages = 3;
    s.printstretched = 1;
    s.allowscript = 0;
    s.allowautoprint = 1;
    s.localaccess = 2;
    s.supportmultcopies = 0;
    return s;
}

bool general_equal(const Settings& a, const Settings& b) {
    return a.toolbar == b.toolbar && a.zoomsize == b.zoomsize && a.pansens == b.pansens &&
           a.toolbar_height == b.toolbar_height && a.bgcolor == b.bgcolor && a.mousewheeldir == b.mousewheeldir &&
           a.printfull == b.printfull && a.printcenter == b.printcenter && a.printautorotate == b.printautorotate &&
           a.autoupdate == b.autoupdate;
}

bool advanced_equal(const Settings& a, const Settings& b) {
    return a.zoommon == b.zoommon && a.zoomloc_x == b.zoomloc_x && a.zoomloc_y == b.zoomloc_y &&
           a.tooltips == b.tooltips && a.fixratio == b.fixratio && a.ignorespecialimages == b.ignorespecialimages &&
           a.printstretched == b.printstretched && a.allowscript == b.allowscript &&
           a.allowautoprint == b.allowautoprint && a.localaccess == b.localaccess &&
           a.supportmultcopies == b.supportmultcopies;
}
}  // namespace

TEST(SettingsSheetDefaults, EachPageRestoresItsOwnValuesOnly) {
    const Settings fresh, odd = everything_changed();
    ASSERT_FALSE(general_equal(odd, fresh));
    ASSERT_FALSE(advanced_equal(odd, fresh));

    Settings g = odd;
    sheet_general_defaults(&g);
    EXPECT_TRUE(general_equal(g, fresh));
    EXPECT_TRUE(advanced_equal(g, odd));

    Settings a = odd;
    sheet_advanced_defaults(&a);
    EXPECT_TRUE(advanced_equal(a, fresh));
    EXPECT_TRUE(general_equal(a, odd));
}

// ---- What OK changes ----

TEST(SettingsSheetPlan, ToolbarPositionFollowsOnlyWhenThePageLeftItToTheSettings) {
    Settings before, after;
    after.toolbar = 2;
    SheetViewerState follows;
    follows.toolbar_position = 1;
    SheetApplyPlan p = sheet_apply_plan(before, after, follows);
    EXPECT_TRUE(p.set_toolbar_position);
    EXPECT_EQ(p.toolbar_position, 2);
    EXPECT_TRUE(p.layout);
    EXPECT_FALSE(p.rebuild_toolbar);

    SheetViewerState own = follows;  // the page's `toolbar` parameter chose it
    own.toolbar_from_settings = false;
    p = sheet_apply_plan(before, after, own);
    EXPECT_FALSE(p.set_toolbar_position);
    EXPECT_FALSE(p.layout);

    // A new button size rebuilds, which lays out as well.
    after.toolbar_height = 40;
    p = sheet_apply_plan(before, after, follows);
    EXPECT_TRUE(p.rebuild_toolbar);
    EXPECT_FALSE(p.layout);
}

TEST(SettingsSheetPlan, BackgroundFollowsOnlyWhenThePageLeftItToTheSettings) {
    Settings before, after;
    after.bgcolor = 0xFF0000;
    SheetViewerState follows;
    follows.background_color = before.bgcolor;
    SheetApplyPlan p = sheet_apply_plan(before, after, follows);
    EXPECT_TRUE(p.set_background);
    EXPECT_EQ(p.background_color, 0xFF0000u);
    EXPECT_EQ(p.page, SheetPageAction::kRepaintImage);

    SheetViewerState own = follows;
    own.bgcolor_from_settings = false;
    own.background_color = 0x00FF00;
    p = sheet_apply_plan(before, after, own);
    EXPECT_FALSE(p.set_background);
    EXPECT_EQ(p.page, SheetPageAction::kNone);  // the colour on screen did not change
}

TEST(SettingsSheetPlan, PageActionsTakeOneInOrder) {
    Settings before, after;
    SheetViewerState viewer;
    viewer.background_color = before.bgcolor;
    EXPECT_EQ(sheet_apply_plan(before, after, viewer).page, SheetPageAction::kNone);
    after.bgcolor = 1;
    after.fixratio = 0;
    SheetApplyPlan p = sheet_apply_plan(before, after, viewer);
    EXPECT_EQ(p.page, SheetPageAction::kShowPageAgain);
    EXPECT_TRUE(p.set_fix_ratio);
    after.ignorespecialimages = 2;
    p = sheet_apply_plan(before, after, viewer);
    EXPECT_EQ(p.page, SheetPageAction::kRelistPages);
    EXPECT_TRUE(p.set_fix_ratio);  // the relisted page is shown with the new correction
}

TEST(SettingsSheetPlan, FlagsCompareByMeaning) {
    Settings before, after;
    before.fixratio = 5;  // as the registry may hold it
    before.tooltips = 3;
    after.fixratio = 1;
    after.tooltips = 1;
    const SheetApplyPlan p = sheet_apply_plan(before, after, SheetViewerState{});
    EXPECT_FALSE(p.set_fix_ratio);
    EXPECT_FALSE(p.set_tooltips);
    EXPECT_EQ(p.page, SheetPageAction::kNone);
}

// ---- Confirming on a viewer ----

namespace {
std::vector<std::string> g_calls;
std::vector<Text16> g_boxes;

int record_box(const MessageBoxRequest& r, void*) {
    g_boxes.push_back(r.text);
    return kIdOk;
}

// The parts of the screen the sheet's steps reach (the toolbar's states and the
// status line change on every page shown and are left out).
constexpr unsigned kWatched = kShellToolbarBuild | kShellWindowLayout | kShellBrush | kShellTooltips | kShellImage |
                              kShellErase | kShellMagnifier | kShellPageList | kShellFit;

TiffPage small_page(uint32_t subfile_type = 0) {
    TiffPage p;
    p.width = 8;
    p.height = 4;
    p.pixels.assign(32, 0x80);
    p.subfile_type = subfile_type;
    return p;
}

const StoredValue* stored(const MemorySettingsStore& store, const char16_t* name) {
    for (const auto& e : store.entries(SettingsKey::kUser))
        if (e.name == name) return &e.value;
    return nullptr;
}

uint32_t stored_dword(const MemorySettingsStore& store, const char16_t* name) {
    const StoredValue* v = stored(store, name);
    uint32_t out = 0xDEADBEEF;
    if (v && v->bytes.size() == 4)
        out = v->bytes[0] | v->bytes[1] << 8 | v->bytes[2] << 16 | uint32_t(v->bytes[3]) << 24;
    return out;
}

struct SheetApplyTest : ::testing::Test {
    MemorySettingsStore store;
    Viewer* v = nullptr;
    MessageBoxHandler old_box = nullptr;
    void* old_ctx = nullptr;
    int token = 0;

    void SetUp() override {
        settings_forget_low_integrity();
        g_calls.clear();
        g_boxes.clear();
        old_box = msgbox_set_handler(record_box, nullptr, &old_ctx);
        StreamHooks h;
        h.page_change_event = [](Viewer*, int) { g_calls.push_back("page event"); };
        stream_set_hooks(h);
        recording_shell_install(&g_calls, kWatched);
        ViewerCreateArgs a;
        a.store = &store;
        ASSERT_EQ(viewer_create(a, &v), 0);
    }
    void TearDown() override {
        reception_release(v);
        viewer_file_free(v);
        viewer_free(v);
        stream_set_hooks(StreamHooks{});
        recording_shell_remove();
        msgbox_set_handler(old_box, old_ctx);
        settings_forget_low_integrity();
    }
    // The file arrives as the browser sends it and its start page is shown.
    void open(const std::vector<TiffPage>& pages) {
        const std::vector<uint8_t> bytes = tiff_build(pages);
        ASSERT_FALSE(bytes.empty());
        const StreamInfo s{&token, "http://example.test/doc.tif", uint32_t(bytes.size())};
        ASSERT_EQ(reception_new(v, s), 0);
        ASSERT_EQ(reception_write(v, s, 0, int32_t(bytes.size()), bytes.data()), int32_t(bytes.size()));
        reception_end(v, s, 0);
        g_calls.clear();
    }
    void confirm(const Settings& edited) {
        const Settings before = sheet_commit(v, edited, &store);
        sheet_apply(v, before);
    }
};
}  // namespace

TEST_F(SheetApplyTest, OkStoresEverySettingAndAppliesInOrder) {
    Settings edited = v->settings;
    edited.toolbar = 2;
    edited.toolbar_height = 44;
    edited.bgcolor = 0x0000FF;
    edited.tooltips = 0;
    edited.pansens = 4;
    v->view.smooth = 0;  // the live view, not the copy, is what gets saved
    confirm(edited);
    EXPECT_EQ(v->settings.pansens, 4);
    EXPECT_EQ(v->ui.toolbar_position, 2);
    EXPECT_EQ(v->ui.background_color, 0x0000FFu);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"repaint toolbar-build", "repaint brush", "repaint tooltips",
                                                 "repaint image erase magnifier"}));
    EXPECT_EQ(stored_dword(store, u"toolbar"), 2u);
    EXPECT_EQ(stored_dword(store, u"tbbuttonsize"), 40u);
    EXPECT_EQ(stored_dword(store, u"pansens"), 4u);
    EXPECT_EQ(stored_dword(store, u"resample"), 0u);
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(SheetApplyTest, NoSaveAccessStillChangesTheRunningViewer) {
    v->access_flags |= kAccessNoSaveSettings;
    Settings edited = v->settings;
    edited.toolbar = 0;
    confirm(edited);
    EXPECT_TRUE(store.write_log.empty());
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(v->settings.toolbar, 0);
    EXPECT_EQ(v->ui.toolbar_position, 0);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"repaint window-layout"}));
}

TEST_F(SheetApplyTest, SubImageChoiceRelistsAndGoesToPageOne) {
    open({small_page(), small_page(1), small_page()});  // the middle one is a reduced copy
    ASSERT_EQ(v->document.page_count, 3);
    ASSERT_TRUE(viewer_go_to_page(v, 2));
    g_calls.clear();
    Settings edited = v->settings;
    edited.ignorespecialimages = 0x1;
    confirm(edited);
    EXPECT_EQ(v->document.page_count, 2);
    EXPECT_EQ(v->document.current_page, 0);
    EXPECT_EQ(v->document.current_directory, 0);
    EXPECT_EQ(v->document.loaded, 1);
    EXPECT_TRUE(viewer_page_shown(v));
    EXPECT_EQ(document_directory_of_page(&v->document.file->document, 1), 2);
    EXPECT_EQ(g_calls.front(), "repaint page-list");  // refilled before the page is shown

    edited.ignorespecialimages = 0;
    confirm(edited);
    EXPECT_EQ(v->document.page_count, 3);
}

TEST_F(SheetApplyTest, RelistingToNoPagesLeavesNothingShownAndSaysWhy) {
    open({small_page(), small_page(1)});
    ASSERT_EQ(v->document.page_count, 2);
    // The first page counts as a reduced copy too: ignoring those leaves none.
    v->document.file->document.directories[0].kind |= kKindReducedResolution;
    Settings edited = v->settings;
    edited.ignorespecialimages = 0x1;
    confirm(edited);
    EXPECT_EQ(v->document.loaded, 0);
    EXPECT_EQ(v->document.page_count, 1);  // as an opening without pages leaves it
    EXPECT_FALSE(viewer_page_shown(v));
    EXPECT_NE(Text16(errlog_text(&v->logs.error)).find(u"No images found"), Text16::npos);
}

TEST_F(SheetApplyTest, WithoutAFilePageChangesTouchNothing) {
    Settings edited = v->settings;
    edited.ignorespecialimages = 0x1;
    edited.fixratio = 0;
    confirm(edited);
    EXPECT_EQ(v->layout.fix_ratio, 0);
    EXPECT_EQ(v->document.loaded, 0);
    EXPECT_TRUE(btext_empty(&v->shell.status_text));  // no "Unable to display image"
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(SheetApplyTest, AspectCorrectionShowsTheSamePageAgain) {
    open({small_page(), small_page()});
    ASSERT_TRUE(viewer_go_to_page(v, 1));
    g_calls.clear();
    Settings edited = v->settings;
    edited.fixratio = 0;
    confirm(edited);
    EXPECT_EQ(v->layout.fix_ratio, 0);
    EXPECT_EQ(v->document.current_page, 1);
    EXPECT_TRUE(viewer_page_shown(v));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"repaint fit magnifier"}));
}
