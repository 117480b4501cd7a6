// The toolbar window built inside a stand-in plug-in window, with the built
// module's icons, logo and strings: where its controls go, how the passes and
// clicks change them, what the tooltips say, how it paints and how it goes.
#include "ui/win/toolbar.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "base/win/handles.h"
#include "host/viewer.h"
#include "host/win/module.h"
#include "host/win/viewer_toolbar.h"
#include "ui/toolbar_table.h"
#include "ui/win/toolbar_controls.h"

namespace {
std::string text_of(const wchar_t* s) { return text_to_utf8(reinterpret_cast<const char16_t*>(s)); }

class ToolbarWindow : public ::testing::Test {
protected:
    void SetUp() override {
        dll = LoadLibraryA(VL_BINARY_DIR "/npvellarion.dll");
        ASSERT_NE(dll, nullptr);
        Module& m = module();
        saved_instance = m.instance;
        m.instance = dll;
        m.ui_height = 16;
        m.vscroll_width = 17;
        lstrcpynW(m.ui_face, L"Arial", 32);
        m.cursors.arrow = LoadCursorW(nullptr, IDC_ARROW);
        WNDCLASSW wc{};
        wc.style = CS_HREDRAW;
        wc.lpfnWndProc = toolbar_window_proc;
        wc.hInstance = dll;
        wc.lpszClassName = kToolbarWindowClass;
        ASSERT_TRUE(RegisterClassW(&wc));
        toolbar_load_shared_art(dll);
        plugin = CreateWindowExW(0, L"STATIC", L"plugin", WS_POPUP, 0, 0, 600, 300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(plugin, nullptr);
        v = new Viewer;
        errlog_init(&v->logs.error, true);
        errlog_init(&v->logs.page, false);
        v->shell.plugin_window = plugin;
        v->settings.allowscript = 0;  // no page to tell
        v->ui.toolbar_items = toolbar_parse_layout(kToolbarLayoutStandard, {});
    }
    void TearDown() override {
        if (v) toolbar_destroy(v);
        if (plugin) DestroyWindow(plugin);
        viewer_free(v);
        toolbar_free_shared_art();
        UnregisterClassW(kToolbarWindowClass, dll);
        module().instance = saved_instance;
        if (dll) FreeLibrary(dll);
    }
    HWND control(int item) const {
        return v->ui.toolbar_controls ? v->ui.toolbar_controls->item_window[item] : nullptr;
    }
    HWND toolbar() const { return static_cast<HWND>(v->shell.toolbar_window); }
    bool checked(int item) const { return SendMessageW(control(item), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::string tooltip(int item) {
        NMTTDISPINFOW info{};
        info.hdr.hwndFrom = v->ui.toolbar_controls->tooltip;
        info.hdr.idFrom = reinterpret_cast<UINT_PTR>(control(item));
        info.hdr.code = TTN_GETDISPINFOW;
        SendMessageW(toolbar(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        return info.lpszText ? text_of(info.lpszText) : "";
    }
    void load_three_pages(int current) {
        v->stream.state = DownloadState::kFinished;
        v->document.loaded = 1;
        v->document.page_count = 3;
        v->document.current_page = current;
    }

    HMODULE dll = nullptr;
    HINSTANCE saved_instance = nullptr;
    HWND plugin = nullptr;
    Viewer* v = nullptr;
};
}  // namespace

TEST_F(ToolbarWindow, ControlsTakeTheirPlacesKindsAndStartingStates) {
    ASSERT_TRUE(toolbar_create(v));
    wchar_t text[32] = {};
    GetWindowTextW(toolbar(), text, 32);
    EXPECT_EQ(text_of(text), "toolbar");
    EXPECT_FALSE(IsWindowVisible(toolbar()));  // the plug-in window's layout places and shows it
    int made = 0;
    for (const ToolbarSlot& slot : v->ui.toolbar_controls->geometry.slots) {
        const ToolbarItemInfo& info = kToolbarItemTable[slot.item];
        HWND w = control(slot.item);
        if (info.kind == ToolbarKind::kSeparator) continue;
        ASSERT_NE(w, nullptr) << slot.item;
        ++made;
        RECT r;
        GetWindowRect(w, &r);
        MapWindowPoints(nullptr, toolbar(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, slot.x) << slot.item;
        EXPECT_EQ(r.top, 2) << slot.item;
        // Wine widens an up-down without a buddy to 16 pixels; Windows keeps the 12 asked for.
        if (info.kind != ToolbarKind::kSpinner) {
            EXPECT_EQ(r.right - r.left, slot.width) << slot.item;
        }
        EXPECT_EQ(IsWindowEnabled(w) != 0, !info.created_disabled && info.kind != ToolbarKind::kSpinner) << slot.item;
        if (info.kind != ToolbarKind::kPush && info.kind != ToolbarKind::kToggle) continue;
        EXPECT_EQ(r.bottom - r.top, 22);
        const LONG style = GetWindowLongW(w, GWL_STYLE);
        EXPECT_TRUE(style & BS_ICON);
        // A plain check box: an automatic one would flip itself on every click.
        const LONG type = info.kind == ToolbarKind::kToggle ? BS_CHECKBOX : BS_PUSHBUTTON;
        EXPECT_EQ(style & BS_TYPEMASK, type) << slot.item;
        EXPECT_EQ((style & BS_PUSHLIKE) != 0, info.kind == ToolbarKind::kToggle) << slot.item;
        HICON icon = reinterpret_cast<HICON>(SendMessageW(w, BM_GETIMAGE, IMAGE_ICON, 0));
        EXPECT_NE(icon, nullptr) << slot.item;
        EXPECT_EQ(icon, toolbar_shared_icon(slot.item));
    }
    EXPECT_EQ(made, 19);
    EXPECT_EQ(control(kItemOpen), nullptr);  // not in the standard layout
    EXPECT_EQ(SendMessageW(v->ui.toolbar_controls->tooltip, TTM_GETTOOLCOUNT, 0, 0), made);
}

TEST_F(ToolbarWindow, TheModuleCarriesEveryIconAndTheLogo) {
    for (int item = 0; item < kToolbarItemCount; ++item)
        EXPECT_EQ(toolbar_shared_icon(item) != nullptr, kToolbarItemTable[item].icon_id != 0) << item;
    BITMAP logo{};
    ASSERT_TRUE(GetObjectW(toolbar_logo_bitmap(), sizeof logo, &logo));
    EXPECT_EQ(logo.bmWidth, kToolbarLogoWidth);
    EXPECT_EQ(logo.bmHeight, kToolbarLogoHeight);
}

TEST_F(ToolbarWindow, LargeButtonsLoadTheirOwnIconsAtTheScaledSide) {
    v->settings.toolbar_height = 48;
    ASSERT_TRUE(toolbar_create(v));
    HWND print = control(kItemPrint);
    RECT r;
    GetWindowRect(print, &r);
    EXPECT_EQ(r.right - r.left, 46);
    EXPECT_EQ(r.bottom - r.top, 44);
    HICON icon = reinterpret_cast<HICON>(SendMessageW(print, BM_GETIMAGE, IMAGE_ICON, 0));
    ASSERT_NE(icon, nullptr);
    EXPECT_NE(icon, toolbar_shared_icon(kItemPrint));
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, 64);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

TEST_F(ToolbarWindow, PassesFollowTheViewerAndSkipAbsentItems) {
    v->ui.toolbar_items = toolbar_parse_layout(u"NE,PG,PP,NP,ME,PR", {});
    load_three_pages(1);
    v->access_flags = kAccessNoPrint | kAccessNoContextMenu;
    ASSERT_TRUE(toolbar_create(v));
    HWND list = control(kItemPageList);
    EXPECT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 1);
    wchar_t text[16] = {};
    SendMessageW(list, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(text_of(text), "3");
    EXPECT_TRUE(IsWindowEnabled(list));
    EXPECT_TRUE(IsWindowEnabled(control(kItemPreviousPage)));
    EXPECT_TRUE(IsWindowEnabled(control(kItemNextPage)));
    EXPECT_FALSE(IsWindowEnabled(control(kItemMenu)));
    EXPECT_FALSE(IsWindowEnabled(control(kItemPrint)));
    v->document.current_page = 2;
    toolbar_enable_pass(v);
    EXPECT_FALSE(IsWindowEnabled(control(kItemNextPage)));
    EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 2);
    v->view.negative = 1;
    toolbar_check_pass(v);
    EXPECT_TRUE(checked(kItemNegative));
    toolbar_set_checked(v, kItemNegative, false);
    EXPECT_FALSE(checked(kItemNegative));
    toolbar_set_checked(v, kItemFitWidth, true);  // not on this strip: nothing to do
    v->document.loaded = 0;
    toolbar_fill_page_list(v);
    EXPECT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 0);
}

TEST_F(ToolbarWindow, AToggleShowsTheViewerNotTheClick) {
    v->view.mouse_mode = kMouseZoom;
    v->view.size_mode = 1;
    ASSERT_TRUE(toolbar_create(v));
    EXPECT_TRUE(checked(kItemZoomMode));
    SendMessageW(control(kItemZoomMode), BM_CLICK, 0, 0);  // already zooming: nothing changes
    EXPECT_TRUE(checked(kItemZoomMode));
    SendMessageW(control(kItemPanMode), BM_CLICK, 0, 0);
    EXPECT_EQ(v->view.mouse_mode, kMousePan);
    EXPECT_TRUE(checked(kItemPanMode));
    EXPECT_FALSE(checked(kItemZoomMode));
    SendMessageW(control(kItemFitWidth), BM_CLICK, 0, 0);  // the current size mode again
    EXPECT_TRUE(checked(kItemFitWidth));
    SendMessageW(control(kItemBestFit), BM_CLICK, 0, 0);
    EXPECT_EQ(v->view.size_mode, 3);
    EXPECT_TRUE(checked(kItemBestFit));
    EXPECT_FALSE(checked(kItemFitWidth));
}

TEST_F(ToolbarWindow, SpinnerStepsTheFixedZoomAndRestsAtOne) {
    v->view.size_mode = 0;
    v->view.zoom_index = 5;
    ASSERT_TRUE(toolbar_create(v));
    HWND spinner = control(kItemSpinner);
    EXPECT_TRUE(IsWindowEnabled(spinner));
    EXPECT_FALSE(checked(kItemFixedSize));
    EXPECT_EQ(tooltip(kItemFixedSize), "Fixed size (100%)");
    const auto report = [&](int code, int position) {
        SendMessageW(toolbar(), WM_VSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(spinner));
    };
    report(SB_THUMBPOSITION, 0);  // the up arrow
    report(SB_ENDSCROLL, 0);
    EXPECT_EQ(v->view.zoom_index, 4);
    EXPECT_EQ(LOWORD(SendMessageW(spinner, UDM_GETPOS, 0, 0)), 1);
    EXPECT_TRUE(checked(kItemFixedSize));
    EXPECT_EQ(tooltip(kItemFixedSize), "Fixed size (200%)");
    report(SB_THUMBPOSITION, 2);
    report(SB_ENDSCROLL, 0);
    EXPECT_EQ(v->view.zoom_index, 5);
    EXPECT_FALSE(checked(kItemFixedSize));
    // A report from anything but the spinner is not a zoom step.
    SendMessageW(toolbar(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0),
                 reinterpret_cast<LPARAM>(control(kItemNegative)));
    report(SB_ENDSCROLL, 0);
    EXPECT_EQ(v->view.zoom_index, 5);
}

TEST_F(ToolbarWindow, TooltipTextsComeFromTheStringTableAndTheViewer) {
    v->ui.toolbar_items = toolbar_parse_layout(u"NE,UP,FS,PG", {});
    ASSERT_TRUE(toolbar_create(v));
    EXPECT_EQ(tooltip(kItemNegative), "Negative image");
    EXPECT_EQ(tooltip(kItemPageList), "Choose page");
    EXPECT_EQ(tooltip(kItemUpload), "Upload");
    btext_set(&v->annotate.upload.url, u"http://upload.test/in");
    EXPECT_EQ(tooltip(kItemUpload), "Upload to http://upload.test/in");
    const std::u16string long_url = u"http://upload.test/" + std::u16string(300, u'x');
    btext_set(&v->annotate.upload.url, long_url.c_str());
    EXPECT_EQ(tooltip(kItemUpload).size(), 79u);
}

TEST_F(ToolbarWindow, PaintsARaisedStripWithTheLogoAtTheRightEnd) {
    ASSERT_TRUE(toolbar_create(v));
    SetWindowPos(toolbar(), nullptr, 0, 0, 600, 26, SWP_NOZORDER | SWP_NOACTIVATE);
    const auto paint = [&](int x, int y) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 600, -26, 1, 32, BI_RGB};
        UniqueMemoryDc dc{CreateCompatibleDC(nullptr)};
        void* bits = nullptr;
        UniqueBitmap bitmap{CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0)};
        SelectScope use(dc.get(), bitmap.get());
        SendMessageW(toolbar(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
        GdiFlush();
        return static_cast<const uint32_t*>(bits)[y * 600 + x] & 0xFFFFFF;
    };
    const auto rgb = [](int index) {
        const COLORREF c = GetSysColor(index);
        return uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
    };
    EXPECT_EQ(paint(0, 0), rgb(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(paint(0, 24), rgb(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(paint(599, 25), rgb(COLOR_BTNSHADOW));
    EXPECT_EQ(paint(300, 25), rgb(COLOR_BTNSHADOW));
    EXPECT_EQ(paint(300, 12), rgb(COLOR_BTNFACE));
    // The logo starts 67 pixels from the right end; its plate is navy.
    EXPECT_EQ(paint(532, 3), rgb(COLOR_BTNFACE));
    EXPECT_EQ(paint(534, 3), 0x000080u);
    v->ui.lctrl = 3;  // an administrator took the logo away
    EXPECT_EQ(paint(534, 3), rgb(COLOR_BTNFACE));
}

TEST_F(ToolbarWindow, DestroyingTakesTheTooltipAndControlsAlong) {
    ASSERT_TRUE(toolbar_create(v));
    HWND tip = v->ui.toolbar_controls->tooltip;
    ASSERT_NE(tip, nullptr);
    toolbar_destroy(v);
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_EQ(v->shell.toolbar_window, nullptr);
    EXPECT_EQ(v->ui.toolbar_controls, nullptr);
    // A browser that destroys the plug-in window first takes the toolbar with it.
    ASSERT_TRUE(toolbar_create(v));
    tip = v->ui.toolbar_controls->tooltip;
    DestroyWindow(plugin);
    plugin = nullptr;
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_EQ(v->shell.toolbar_window, nullptr);
    EXPECT_EQ(v->ui.toolbar_controls, nullptr);
}

TEST_F(ToolbarWindow, RebuildMeasuresAgainAndKeepsThePages) {
    load_three_pages(2);
    ASSERT_TRUE(toolbar_create(v));
    HWND old = toolbar();
    v->settings.toolbar_height = 48;
    toolbar_rebuild(v);
    ASSERT_NE(toolbar(), nullptr);
    EXPECT_FALSE(IsWindow(old));
    RECT r;
    GetWindowRect(control(kItemPrint), &r);
    EXPECT_EQ(r.right - r.left, 46);
    EXPECT_EQ(SendMessageW(control(kItemPageList), CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(control(kItemPageList), CB_GETCURSEL, 0, 0), 2);
}

TEST_F(ToolbarWindow, WithoutItsWindowTheViewerGoesOnAndTheLogSaysWhy) {
    UnregisterClassW(kToolbarWindowClass, dll);
    EXPECT_FALSE(toolbar_create(v));
    EXPECT_EQ(v->shell.toolbar_window, nullptr);
    EXPECT_EQ(v->ui.toolbar_controls, nullptr);
    EXPECT_NE(text_to_utf8(errlog_text(&v->logs.error)).find("Error: Failed to create toolbar window (error code "),
              std::string::npos);
    toolbar_enable_pass(v);  // every pass copes with no toolbar
    toolbar_check_pass(v);
    toolbar_fill_page_list(v);
}
