#include "host/viewer.h"

#include <gtest/gtest.h>

#include <vector>

#include "config/message_box.h"
#include "config/zoom_steps.h"

namespace {
struct Made {
    Viewer* v = nullptr;
    int result = -1;
    ~Made() { viewer_free(v); }
};

struct ViewerTest : ::testing::Test {
    MemorySettingsStore store;
    void SetUp() override { settings_forget_low_integrity(); }
    void TearDown() override { settings_forget_low_integrity(); }

    void make(Made* m, std::vector<std::pair<const char16_t*, const char16_t*>> pairs, int mode = kModeEmbed) {
        std::vector<const char16_t*> names, values;
        for (auto& p : pairs) {
            names.push_back(p.first);
            values.push_back(p.second);
        }
        ViewerCreateArgs a;
        a.mode = mode;
        a.count = int(pairs.size());
        a.names = names.data();
        a.values = values.data();
        a.store = &store;
        m->result = viewer_create(a, &m->v);
        ASSERT_EQ(m->result, 0);
    }
};

std::vector<Text16> g_boxes;
int record_box(const MessageBoxRequest& r, void*) {
    g_boxes.push_back(r.text);
    return kIdOk;
}
}  // namespace

TEST_F(ViewerTest, DefaultsFromSettings) {
    store.set_dword(SettingsKey::kUser, u"bgcolor", 0x112233);
    store.set_dword(SettingsKey::kUser, u"toolbar", 2);
    Made m;
    make(&m, {});
    EXPECT_EQ(m.v->ui.background_color, 0x112233u);
    EXPECT_EQ(m.v->ui.toolbar_position, 2);
    EXPECT_EQ(Text16(btext_get(&m.v->mouse.target)), u"_self");
    EXPECT_EQ(m.v->events.mask, 8195u);
    EXPECT_EQ(m.v->stream.start_page, 0);
    EXPECT_TRUE(m.v->logs.error.unknown_tag_filter);
    EXPECT_FALSE(m.v->logs.page.unknown_tag_filter);
    EXPECT_EQ(m.v->ui.toolbar_items.size(), 25u);  // the standard layout
}

TEST_F(ViewerTest, YesNoWordsAndFirstLetters) {
    Made a;
    make(&a, {{u"negative", u"YES"}, {u"smooth", u"no"}, {u"allowselect", u"yep"}, {u"enablesketchbuttons", u"Y"}});
    EXPECT_EQ(a.v->view.negative, 1);
    EXPECT_EQ(a.v->view.smooth, 0);
    EXPECT_EQ(a.v->mouse.allow_select, 1);
    EXPECT_EQ(a.v->annotate.sketch_buttons, 1);
    Made b;
    make(&b, {{u"negative", u"y"}, {u"smooth", u"nope"}, {u"zebprinthack", u"no"}});
    EXPECT_EQ(b.v->view.negative, 0);  // a lone y is not the word
    EXPECT_EQ(b.v->view.smooth, 1);
    EXPECT_EQ(b.v->document.print_hack, 0);
}

TEST_F(ViewerTest, BackgroundColourDigits) {
    Made red;
    make(&red, {{u"bgcolor", u"#FF0000"}});
    EXPECT_EQ(red.v->ui.background_color, 0x000000FFu);
    EXPECT_EQ(red.v->ui.bgcolor_from_settings, 0);
    Made gg;
    make(&gg, {{u"bgcolor", u"#GG0000"}});  // G counts 16: 16*16+16 = 272, low byte 0x10
    EXPECT_EQ(gg.v->ui.background_color, 0x10u);
    Made bad;
    make(&bad, {{u"bgcolor", u"red"}, {u"bgcolor", u"#F00"}, {u"bgcolor", u"FF00000"}});
    EXPECT_EQ(bad.v->ui.background_color, 0x404040u);
    EXPECT_EQ(bad.v->ui.bgcolor_from_settings, 1);
}

TEST_F(ViewerTest, ToolbarOnKeepsAnEarlierPosition) {
    Made m;
    make(&m, {{u"toolbar", u"bottom"}, {u"toolbar", u"on"}});
    EXPECT_EQ(m.v->ui.toolbar_position, 2);
    EXPECT_EQ(m.v->ui.toolbar_from_settings, 0);
    Made off;
    make(&off, {{u"toolbar", u"off"}, {u"toolbar", u"ON"}});
    EXPECT_EQ(off.v->ui.toolbar_position, 1);
}

TEST_F(ViewerTest, FitAndPage) {
    Made m;
    make(&m, {{u"fit", u"150"}, {u"page", u"0"}});
    EXPECT_EQ(m.v->view.size_mode, 0);
    EXPECT_EQ(zoom_step_percent(ZoomTable::kImage, m.v->view.zoom_index), 100);
    EXPECT_EQ(m.v->stream.start_page, -1);
    Made unchanged;
    make(&unchanged, {{u"fit", u"0"}, {u"fit", u"huge"}, {u"fit", u"-20"}});
    EXPECT_EQ(unchanged.v->view.size_mode, 1);
    Made words;
    make(&words, {{u"fit", u"BEST"}, {u"orient", u"Left"}, {u"page", u"3rd"}});
    EXPECT_EQ(words.v->view.size_mode, 3);
    EXPECT_EQ(words.v->view.orientation, 3);
    EXPECT_EQ(words.v->stream.start_page, 2);
}

TEST_F(ViewerTest, MouseModesAndSelection) {
    Made crop;
    make(&crop, {{u"mousemode", u"cropselect"}, {u"allowselect", u"no"}});
    EXPECT_EQ(crop.v->view.mouse_mode, kMouseCrop);
    EXPECT_EQ(crop.v->mouse.crop_select, 1);
    EXPECT_EQ(crop.v->mouse.allow_select, 0);
    Made erase;
    make(&erase, {{u"mousemode", u"whiteout"}, {u"mousemode", u"erase"}, {u"mousemode", u"fly"}});
    EXPECT_EQ(erase.v->view.mouse_mode, kMouseErase);
    EXPECT_EQ(erase.v->mouse.allow_select, 1);
    EXPECT_EQ(erase.v->annotate.eraser_shown, 1);
}

TEST_F(ViewerTest, AccessBits) {
    store.set_dword(SettingsKey::kMachine, u"access", 0x4);
    Made m;
    make(&m, {{u"access", u"16"}});
    EXPECT_EQ(m.v->access_flags, 0x14u);
    store.set_dword(SettingsKey::kMachine, u"miscflags", 0x8);
    Made ignored;
    make(&ignored, {{u"access", u"16"}});
    EXPECT_EQ(ignored.v->access_flags, 0x4u);
}

TEST_F(ViewerTest, FullPageWithAccessAllRestrictsEverything) {
    store.set_dword(SettingsKey::kUser, u"access", 0x1);
    Made full;
    make(&full, {}, kModeFull);
    EXPECT_EQ(full.v->access_flags, 0x7FFFFFFFu);
    EXPECT_EQ(full.v->settings.access, 0x7FFFFFFFu);
    Made embedded;
    make(&embedded, {}, kModeEmbed);
    EXPECT_EQ(embedded.v->access_flags, 0x1u);
}

TEST_F(ViewerTest, ToolbarItemsFromPageThenSettings) {
    store.set_text(SettingsKey::kUser, u"toolbaritems", u"PR,SA");
    Made fromSettings;
    make(&fromSettings, {});
    EXPECT_EQ(fromSettings.v->ui.toolbar_items, (std::vector<int>{1, 2}));
    Made page;
    make(&page, {{u"toolbaritems", u".none"}});
    EXPECT_TRUE(page.v->ui.toolbar_items.empty());
    Made select;
    make(&select, {{u"toolbaritems", u"ZO,SL"}});
    EXPECT_EQ(select.v->mouse.allow_select, 1);                  // a plain SL item turns the selection tools on
    EXPECT_TRUE(btext_empty(&select.v->ui.page_toolbar_items));  // used once, then freed
}

TEST_F(ViewerTest, BadInputIsSkippedOrCut) {
    std::vector<const char16_t*> names(150, u"page"), values(150, u"7");
    names[0] = nullptr;
    values[1] = nullptr;
    values[120] = u"99";  // beyond the first 100 pairs: never looked at
    const Text16 long_href(5000, u'h');
    names[2] = u"href";
    values[2] = long_href.c_str();
    Viewer* v = nullptr;
    ViewerCreateArgs a;
    a.count = 150;
    a.names = names.data();
    a.values = values.data();
    a.store = &store;
    ASSERT_EQ(viewer_create(a, &v), 0);
    EXPECT_EQ(v->stream.start_page, 6);
    EXPECT_EQ(v->mouse.href.length, 1023);
    EXPECT_EQ(v->mouse.has_href, 1);
    viewer_free(v);
}

TEST_F(ViewerTest, RefusedBeforeModuleStartUp) {
    g_boxes.clear();
    void* ctx;
    auto old = msgbox_set_handler(record_box, nullptr, &ctx);
    Viewer* v = nullptr;
    ViewerCreateArgs a;
    a.store = &store;
    a.module_started = false;
    EXPECT_EQ(viewer_create(a, &v), 1);
    msgbox_set_handler(old, ctx);
    EXPECT_EQ(v, nullptr);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0], u"Browser failed to properly initialize the Vellarion plug-in");
}

TEST(ViewerKeys, PageKeysNeedCtrlArrowsDoNot) {
    EXPECT_EQ(viewer_key_command(0x22, false).scroll_code, 3);
    EXPECT_EQ(viewer_key_command(0x22, true).action, KeyAction::kPage);
    EXPECT_EQ(viewer_key_command(0x24, true).page, PageStep::kFirst);
    EXPECT_EQ(viewer_key_command(0x23, false).scroll_code, 7);
    const KeyCommand left = viewer_key_command(0x25, true);
    EXPECT_EQ(left.action, KeyAction::kScroll);
    EXPECT_FALSE(left.vertical);
    EXPECT_EQ(left.scroll_code, 0);
    EXPECT_EQ(viewer_key_command('A', false).action, KeyAction::kNone);
}
