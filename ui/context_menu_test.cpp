#include "ui/context_menu.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/text.h"
#include "config/settings_store.h"
#include "config/zoom_steps.h"
#include "host/viewer.h"
#include "host/viewer_ui.h"
#include "ui/commands.h"

namespace {
// One line per entry: the text without '&', "-" for a separator, "> " before a
// submenu title, then " [grey]" and " [check]".
std::string outline(const ContextMenu& m, int menu) {
    std::string out;
    for (const MenuEntry& e : m.menus[menu]) {
        if (e.kind == MenuEntryKind::kSeparator) {
            out += "-\n";
            continue;
        }
        std::string text = text_to_utf8(command_text(e.id));
        std::erase(text, '&');
        if (e.kind == MenuEntryKind::kSubmenu) text = "> " + text;
        if (e.greyed) text += " [grey]";
        if (e.checked) text += " [check]";
        out += text + "\n";
    }
    return out;
}

MenuState loaded_state() {
    MenuState s;
    s.download_state = DownloadState::kFinished;
    s.decoded = true;
    s.document_loaded = true;
    s.page_count = 3;
    s.current_page = 1;
    s.has_download_url = true;
    s.error_log_has_text = true;
    return s;
}

TEST(ContextMenu, MainMenuHoldsEveryItemInOrderWhenNothingIsForbidden) {
    MenuState s = loaded_state();
    s.page_has_marks = true;
    s.has_href = true;
    EXPECT_EQ(outline(context_menu_build(s), kMenuMain),
              "Remove Last Mark\nRemove All Marks\n-\nPrint…\nOpen Local File…\nSave As…\nCopy Image\n"
              "Copy Image Location\nCopy Link Location\nSend Image…\n> Sketch\n-\nSmooth Image\nNegative Image\n"
              "> Orientation\n> Size\n> Zoom Image Size\n> Page\n> Mouse Mode\nMore Settings\n-\n"
              "Save All Settings\n-\n> Tools\n-\nView Image\nOpen in New Window\nVellarion Home Page\nAbout\n");
}

TEST(ContextMenu, SubmenusInOrderWithTheirChecks) {
    MenuState s = loaded_state();
    s.smooth = true;
    s.orientation = 2;
    s.has_upload_url = true;
    s.allow_select = true;
    s.crop_select = true;
    s.mouse_mode = 4;
    s.size_mode = 0;
    s.zoom_index = zoom_nearest_step(ZoomTable::kImage, 33);
    s.zoom_window_index = zoom_nearest_step(ZoomTable::kMagnifier, 50);
    const ContextMenu m = context_menu_build(s);
    EXPECT_NE(outline(m, kMenuMain).find("Smooth Image [check]\nNegative Image\n"), std::string::npos);
    EXPECT_EQ(outline(m, kSubSketch), "Pen Color…\nClear\nUpload\n");
    EXPECT_EQ(outline(m, kSubOrientation),
              "Rotate Left\nRotate Right\nRotate 180 Degrees\n-\nOriginal Orientation\nRotated Right\n"
              "Upside Down [check]\nRotated Left\n");
    EXPECT_EQ(outline(m, kSubSize),
              "Fit Width\nFit Height\nBest Fit\n-\n5%\n10%\n17%\n25%\n33% [check]\n50%\n70%\n"
              "Original Size (100%)\n200%\n300%\n400%\n800%\n1600%\n");
    EXPECT_EQ(outline(m, kSubZoomImageSize),
              "10%\n20%\n30%\n40%\n50% [check]\n60%\n70%\n80%\n90%\n100% (Default)\n200%\n300%\n400%\n800%\n1600%\n");
    EXPECT_EQ(outline(m, kSubPage), "Previous page\nNext page\n-\nFirst Page\nLast Page\n");
    EXPECT_EQ(outline(m, kSubMouseMode), "Zoom\nPan\nDraw\nErase\nWhite-out\nCrop Select [check]\nNone\n");
    EXPECT_EQ(outline(m, kSubTools),
              "Show Error Log\nShow TIFF Tags – This Page\nShow TIFF Tags – All Pages\nCheck for New Version\n-\n"
              "Set As Desktop Background – Centered\nSet As Desktop Background – Tiled\n"
              "Set As Desktop Background – Stretched\n");
}

TEST(ContextMenu, SizeChecksFollowTheModeAndTheNearestStep) {
    MenuState s = loaded_state();
    s.size_mode = 1;
    EXPECT_TRUE(context_menu_find(context_menu_build(s), kCmdFitWidth)->checked);
    // In a fit mode no percentage is checked, even the one at the stored index.
    EXPECT_FALSE(context_menu_find(context_menu_build(s), kCmdZoom100)->checked);
    s.size_mode = 0;
    s.zoom_index = zoom_index_of_100(ZoomTable::kImage);
    const ContextMenu m = context_menu_build(s);
    EXPECT_TRUE(context_menu_find(m, kCmdZoom100)->checked);
    EXPECT_FALSE(context_menu_find(m, kCmdFitWidth)->checked);
    int checked = 0;
    for (const MenuEntry& e : m.menus[kSubSize]) checked += e.checked;
    EXPECT_EQ(checked, 1);
}

TEST(ContextMenu, AccessBitsTakeItemsAway) {
    MenuState s = loaded_state();
    s.has_href = true;
    s.has_upload_url = true;
    s.allow_select = true;
    s.crop_select = true;
    s.access_flags = 0x2 | 0x4 | 0x8 | 0x10 | 0x20 | 0x40 | 0x80 | 0x400 | 0x800 | 0x1000 | 0x2000 | 0x4000;
    const ContextMenu m = context_menu_build(s);
    EXPECT_EQ(outline(m, kMenuMain),
              "> Sketch\n-\nSmooth Image\nNegative Image\n> Orientation\n> Size\n> Zoom Image Size\n> Page\n"
              "> Mouse Mode\nMore Settings\n-\n> Tools\n-\nVellarion Home Page\nAbout\n");
    EXPECT_EQ(outline(m, kSubMouseMode), "Zoom [check]\nPan\nNone\n");
    EXPECT_EQ(outline(m, kSubTools), "Show Error Log\n");
    EXPECT_EQ(outline(m, kSubSketch), "Pen Color…\nClear\n");
}

TEST(ContextMenu, ItemsThatCannotActAreGreyed) {
    MenuState s = loaded_state();
    s.page_count = 1;
    s.current_page = 0;
    EXPECT_EQ(outline(context_menu_build(s), kSubPage),
              "Previous page [grey]\nNext page [grey]\n-\nFirst Page [grey]\nLast Page [grey]\n");

    // Still receiving: nothing that needs the whole file, and no second file.
    MenuState r;
    r.download_state = DownloadState::kReceiving;
    r.has_upload_url = true;
    const ContextMenu m = context_menu_build(r);
    EXPECT_TRUE(outline(m, kMenuMain)
                    .starts_with("Print… [grey]\nOpen Local File… [grey]\nSave As… [grey]\nCopy Image [grey]\n"
                                 "Copy Image Location [grey]\nSend Image… [grey]\n"))
        << outline(m, kMenuMain);
    EXPECT_TRUE(context_menu_find(m, kCmdUpload)->greyed);
    EXPECT_TRUE(context_menu_find(m, kCmdShowErrorLog)->greyed);
    EXPECT_TRUE(context_menu_find(m, kCmdTagsThisPage)->greyed);
    EXPECT_TRUE(context_menu_find(m, kCmdWallpaperTiled)->greyed);
    EXPECT_TRUE(context_menu_find(m, kCmdViewImage)->greyed);
    EXPECT_TRUE(context_menu_find(m, kCmdOpenNewWindow)->greyed);

    // A finished download of a multi-page file whose current page failed to
    // decode can still be printed (other pages may print), but not copied.
    MenuState f = loaded_state();
    f.decoded = false;
    const ContextMenu n = context_menu_build(f);
    EXPECT_FALSE(context_menu_find(n, kCmdPrint)->greyed);
    EXPECT_TRUE(context_menu_find(n, kCmdCopyImage)->greyed);
    EXPECT_FALSE(context_menu_find(n, kCmdTagsAllPages)->greyed);
    EXPECT_TRUE(context_menu_find(n, kCmdWallpaperCentered)->greyed);
    f.page_count = 1;
    EXPECT_TRUE(context_menu_find(context_menu_build(f), kCmdPrint)->greyed);
}

TEST(ContextMenu, EveryItemHasATextAndACommandAndTheCommandsAreDistinct) {
    MenuState s = loaded_state();
    s.page_has_marks = s.has_href = s.has_upload_url = s.allow_select = s.crop_select = true;
    const ContextMenu m = context_menu_build(s);
    std::set<int> ids;
    int submenus = 0;
    for (const auto& menu : m.menus)
        for (const MenuEntry& e : menu) {
            if (e.kind == MenuEntryKind::kSeparator) continue;
            EXPECT_NE(command_text(e.id), nullptr) << e.id;
            if (e.kind == MenuEntryKind::kSubmenu) {
                ++submenus;
                EXPECT_GT(e.submenu, 0);
                continue;
            }
            EXPECT_NE(command_decode(e.id).kind, CommandKind::kNone) << e.id;
            EXPECT_TRUE(ids.insert(e.id).second) << e.id << " appears twice";
        }
    EXPECT_EQ(submenus, kMenuCount - 1);
    EXPECT_EQ(ids.size(), 76u);  // every command of the viewer
}

TEST(Commands, DecodeValues) {
    struct Case {
        int id;
        CommandKind kind;
        int value;
    };
    const Case cases[] = {
        {49005, CommandKind::kSetOrientation, 0},
        {49008, CommandKind::kSetOrientation, 3},
        {49009, CommandKind::kTurn, 1},
        {49010, CommandKind::kTurn, -1},
        {49011, CommandKind::kTurn, 2},
        {49040, CommandKind::kFixedZoom, 5},
        {49042, CommandKind::kFixedZoom, 17},
        {49046, CommandKind::kFixedZoom, 70},
        {49036, CommandKind::kFixedZoom, 100},
        {49100, CommandKind::kFixedZoom, 200},
        {49104, CommandKind::kFixedZoom, 1600},
        {49050, CommandKind::kZoomWindowScale, 100},
        {49059, CommandKind::kZoomWindowScale, 10},
        {49110, CommandKind::kZoomWindowScale, 200},
        {49114, CommandKind::kZoomWindowScale, 1600},
        {49037, CommandKind::kSizeMode, 1},
        {49039, CommandKind::kSizeMode, 3},
        {49080, CommandKind::kMouseMode, 2},
        {49081, CommandKind::kMouseMode, 0},
        {49082, CommandKind::kMouseMode, 1},
        {49083, CommandKind::kMouseMode, 3},
        {49084, CommandKind::kMouseMode, 4},
        {49086, CommandKind::kMouseMode, 6},
        {49027, CommandKind::kWallpaper, 0},
        {49029, CommandKind::kWallpaper, 2},
        {49014, CommandKind::kPageStep, 1},
        {49015, CommandKind::kPageStep, 0},
        {49017, CommandKind::kPageStep, 3},
        {49020, CommandKind::kOpenDownloadUrl, 0},
        {49021, CommandKind::kOpenDownloadUrl, 1},
        {49078, CommandKind::kTags, 0},
        {49079, CommandKind::kTags, 1},
        {49012, CommandKind::kNone, 0},
        {49087, CommandKind::kNone, 0},
        {0, CommandKind::kNone, 0},
    };
    for (const Case& c : cases) {
        const Command d = command_decode(c.id);
        EXPECT_EQ(int(d.kind), int(c.kind)) << c.id;
        EXPECT_EQ(d.value, c.value) << c.id;
    }
    // Each percentage item, decoded, lands on the table step it names.
    for (int id = 49040; id <= 49046; ++id)
        EXPECT_EQ(zoom_step_percent(ZoomTable::kImage, zoom_nearest_step(ZoomTable::kImage, command_decode(id).value)),
                  command_decode(id).value);
}
}  // namespace

TEST(ContextMenu, ErrorLogItemServesTheDocumentsLogAndThePagesLog) {
    MemorySettingsStore store;
    Viewer* v = nullptr;
    ViewerCreateArgs a;
    a.store = &store;
    ASSERT_EQ(viewer_create(a, &v), 0);
    EXPECT_EQ(outline(context_menu_build(context_menu_state(v)), kSubTools).substr(0, 22), "Show Error Log [grey]\n");
    errlog_warning(&v->logs.page, u"Only the page has something to say");
    EXPECT_EQ(outline(context_menu_build(context_menu_state(v)), kSubTools).substr(0, 15), "Show Error Log\n");
    errlog_clear(&v->logs.page);
    errlog_error(&v->logs.error, u"Not a TIFF file");
    EXPECT_TRUE(context_menu_state(v).error_log_has_text);
    viewer_free(v);
}
