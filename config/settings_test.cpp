#include "config/settings.h"

#include <gtest/gtest.h>

#include <vector>

#include "config/message_box.h"
#include "config/zoom_steps.h"

namespace {
using K = SettingsKey;

struct Fixture : ::testing::Test {
    MemorySettingsStore store;
    Settings s;
    void SetUp() override { settings_forget_low_integrity(); }
    void TearDown() override { settings_forget_low_integrity(); }
    void load() { settings_load(&store, &s); }
};

std::vector<Text16> g_boxes;
int record_box(const MessageBoxRequest& r, void*) {
    g_boxes.push_back(r.text);
    return kIdOk;
}
}  // namespace

TEST(ZoomSteps, NearestStepWithLaterStepWinningTies) {
    EXPECT_EQ(zoom_nearest_step(ZoomTable::kImage, 150), 5);  // 200 and 100 tie: 100 %
    EXPECT_EQ(zoom_step_percent(ZoomTable::kImage, zoom_nearest_step(ZoomTable::kImage, 60)), 50);
    EXPECT_EQ(zoom_step_percent(ZoomTable::kMagnifier, zoom_nearest_step(ZoomTable::kMagnifier, 60)), 60);
    EXPECT_EQ(zoom_nearest_step(ZoomTable::kImage, 100000), 0);
    EXPECT_EQ(zoom_nearest_step(ZoomTable::kImage, -5), 12);
    EXPECT_EQ(zoom_index_of_100(ZoomTable::kImage), 5);
    EXPECT_EQ(zoom_index_of_100(ZoomTable::kMagnifier), 5);
    EXPECT_EQ(zoom_step_percent(ZoomTable::kImage, -3), 1600);
    EXPECT_EQ(zoom_step_percent(ZoomTable::kImage, 99), 5);
}

TEST_F(Fixture, DefaultsWhenNothingIsStored) {
    load();
    EXPECT_EQ(s.view.smooth, 1);
    EXPECT_EQ(s.view.size_mode, 1);
    EXPECT_EQ(s.view.zoom_index, 5);
    EXPECT_EQ(s.toolbar_height, 26);
    EXPECT_EQ(s.bgcolor, 0x404040u);
    EXPECT_EQ(s.localaccess, 1);
    EXPECT_EQ(s.sendmethod, 2);
    EXPECT_EQ(s.zoomrect.right, 410);
    EXPECT_FALSE(s.zoomrect_given);
    EXPECT_EQ(s.palette_repair, 1);
}

TEST_F(Fixture, ReadOrderOverridesAndOrsAccessBits) {
    store.set_dword(K::kMachine, u"access", 0x4);
    store.set_dword(K::kUser, u"access", 0x8);
    store.set_dword(K::kMachine, u"miscflags", 0x2);
    store.set_dword(K::kMachine, u"pansens", 1);
    store.set_dword(K::kUser, u"pansens", 3);
    store.set_dword(K::kLowIntegrity, u"pansens", 4);
    load();
    EXPECT_EQ(s.access, 0xCu);
    EXPECT_EQ(s.pansens, 4);      // the low-integrity key is read last
    EXPECT_EQ(s.localaccess, 2);  // default follows miscflags 0x2
}

TEST_F(Fixture, NormalisesOnReading) {
    store.set_dword(K::kUser, u"tbbuttonsize", 10);
    store.set_dword(K::kUser, u"scalepct", 150);
    store.set_dword(K::kUser, u"zscalepct", 60);
    store.set_text(K::kUser, u"zoomloc", u"12");  // one number: ignored
    store.set_text(K::kUser, u"zoomrect", u"5,6,100,50");
    store.set_dword(K::kUser, u"localaccess", 0);
    load();
    EXPECT_EQ(s.toolbar_height, 26);
    EXPECT_EQ(zoom_step_percent(ZoomTable::kImage, s.view.zoom_index), 100);
    EXPECT_EQ(zoom_step_percent(ZoomTable::kMagnifier, s.view.zoom_window_index), 60);
    EXPECT_EQ(s.zoomloc_x, 0);
    EXPECT_TRUE(s.zoomrect_given);
    EXPECT_EQ(s.zoomrect.right, 105);
    EXPECT_EQ(s.zoomrect.bottom, 56);
    EXPECT_EQ(s.localaccess, 0);
    store.set_dword(K::kUser, u"tbbuttonsize", 500);
    store.set_text(K::kUser, u"zoomloc", u"-3, 40");
    load();
    EXPECT_EQ(s.toolbar_height, 104);
    EXPECT_EQ(s.zoomloc_x, -3);
    EXPECT_EQ(s.zoomloc_y, 40);
}

TEST_F(Fixture, WrongTypesAndSizesAreIgnored) {
    store.set_text(K::kUser, u"pansens", u"7");                                // text where a number belongs
    store.set_raw(K::kUser, u"bgcolor", StoredValue{kValueDword, {1, 2, 3}});  // 3-byte DWORD
    store.set_dword(K::kUser, u"zoomloc", 5);
    const Text16 long_items(600, u'A');
    store.set_text(K::kUser, u"toolbaritems", long_items.c_str());
    load();
    EXPECT_EQ(s.pansens, 2);
    EXPECT_EQ(s.bgcolor, 0x404040u);
    EXPECT_EQ(text_len(s.toolbaritems), 199u);
}

TEST_F(Fixture, SaveWritesGroupsInOrderToTheUserKey) {
    load();
    s.view.zoom_index = 7;
    ASSERT_TRUE(settings_save(&store, s, s.view, 0, 0x3, nullptr));
    const std::vector<Text16> expected = {u"resample",
                                          u"negative",
                                          u"orientation",
                                          u"scalepct",
                                          u"sizemode",
                                          u"zscalepct",
                                          u"mousemode",
                                          u"toolbar",
                                          u"zoomsize",
                                          u"pansens",
                                          u"tbbuttonsize",
                                          u"bgcolor",
                                          u"tooltips",
                                          u"zoommon",
                                          u"zoomloc",
                                          u"fixratio",
                                          u"ignorespecialimages",
                                          u"printfull",
                                          u"printcenter",
                                          u"printautorotate",
                                          u"printstretched",
                                          u"allowscript",
                                          u"allowautoprint",
                                          u"autoupdate",
                                          u"mousewheeldir",
                                          u"localaccess",
                                          u"supportmultcopies"};
    EXPECT_EQ(store.write_log, expected);
    uint32_t v = 0;
    ASSERT_TRUE(store_read_dword(&store, K::kUser, u"scalepct", &v));
    EXPECT_EQ(v, 50u);
    ASSERT_TRUE(store_read_dword(&store, K::kUser, u"tbbuttonsize", &v));
    EXPECT_EQ(v, 22u);  // saved minus 4
    char16_t text[16];
    ASSERT_TRUE(store_read_text(&store, K::kUser, u"zoomloc", text, 16));
    EXPECT_EQ(Text16(text), u"0,0");
}

TEST_F(Fixture, SaveOnlyTheDialogGroup) {
    load();
    ASSERT_TRUE(settings_save(&store, s, s.view, 0, 0x2, nullptr));
    EXPECT_EQ(store.write_log.front(), u"toolbar");
    EXPECT_EQ(store.write_log.size(), 20u);
}

TEST_F(Fixture, AccessBitTwoSavesNothingSilently) {
    load();
    g_boxes.clear();
    void* old_ctx;
    auto old = msgbox_set_handler(record_box, nullptr, &old_ctx);
    EXPECT_FALSE(settings_save(&store, s, s.view, kAccessNoSaveSettings, 0x3, nullptr));
    EXPECT_TRUE(store.write_log.empty());
    EXPECT_TRUE(g_boxes.empty());
    store.fail_writes(true);
    EXPECT_FALSE(settings_save(&store, s, s.view, 0, 0x3, nullptr));
    msgbox_set_handler(old, old_ctx);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0], u"Unable to save settings!");
}

TEST_F(Fixture, LowIntegrityKeyTakesTheWritesAndIsDecidedOnce) {
    store.create_key(K::kLowIntegrity);
    store.set_dword(K::kUser, u"pansens", 3);
    load();
    ASSERT_TRUE(settings_save(&store, s, s.view, 0, 0x3, nullptr));
    uint32_t v;
    EXPECT_FALSE(store_read_dword(&store, K::kUser, u"resample", &v));
    EXPECT_TRUE(store_read_dword(&store, K::kLowIntegrity, u"resample", &v));
    // The decision is kept even if the key goes away later in the module's life.
    MemorySettingsStore other;
    EXPECT_TRUE(settings_low_integrity(&other));
}

TEST_F(Fixture, UserValuesPreferTheLowIntegrityCopy) {
    store.create_key(K::kLowIntegrity);
    store.set_dword(K::kUser, u"updatelastchecked", 100);
    uint32_t v = 0;
    bool from_low = true;
    EXPECT_TRUE(settings_read_user_dword(&store, u"updatelastchecked", &v, &from_low));
    EXPECT_EQ(v, 100u);
    EXPECT_FALSE(from_low);
    EXPECT_EQ(settings_write_user_dword(&store, u"updatelastchecked", 200), 0);
    EXPECT_TRUE(settings_read_user_dword(&store, u"updatelastchecked", &v, &from_low));
    EXPECT_EQ(v, 200u);
    EXPECT_TRUE(from_low);
    settings_delete_user_value(&store, u"updatelastchecked");
    EXPECT_FALSE(settings_read_user_dword(&store, u"updatelastchecked", &v, &from_low));
}

TEST_F(Fixture, ProcessValuesComeFromTheMachineKeyAndLargestTime) {
    store.set_dword(K::kMachine, u"updateinterval", 3);
    store.set_dword(K::kUser, u"updateretry", 9);  // user key is not read for these
    store.set_text(K::kMachine, u"updateserver", Text16(300, u's').c_str());
    store.set_dword(K::kMachine, u"updatelastchecked", 50);
    store.set_dword(K::kUser, u"updatelastchecked", 70);
    store.set_dword(K::kMachine, u"updatelastattempt", 90);
    store.set_dword(K::kUser, u"updatelastattempt", 80);
    store.set_text(K::kMachine, u"disable_compression", u"5,7");
    ProcessSettings p;
    settings_load_process(&store, &p);
    EXPECT_EQ(p.update_interval, 3u);
    EXPECT_EQ(p.update_retry, 2u);
    EXPECT_EQ(text_len(p.update_server), 127u);
    EXPECT_EQ(Text16(p.update_resource), u"/vellarion/version-pl-w32.txt");
    EXPECT_EQ(p.update_last_checked, 70u);
    EXPECT_EQ(p.update_last_attempt, 90u);
    EXPECT_EQ(Text16(p.disable_compression), u"5,7");
}
