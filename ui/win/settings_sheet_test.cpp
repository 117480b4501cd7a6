// The "More Settings" sheet under test: a thread timer plays the user inside
// PropertySheetW's modal loop (and the colour chooser's inside it), setting
// controls and pressing buttons; the viewer's Settings, the store and the
// windows are checked afterwards.
#include "ui/win/settings_sheet.h"

#include <windows.h>
#include <colordlg.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "config/settings_store.h"
#include "host/viewer.h"
#include "host/viewer_registry.h"
#include "host/win/module.h"
#include "host/win/plugin_window.h"
#include "host/win/settings_sheet.h"
#include "host/win/viewer_toolbar.h"
#include "ui/settings_sheet.h"
#include "ui/toolbar_items.h"
#include "ui/win/toolbar.h"

namespace {
// ---- The player ----

// A step sees the topmost dialog of the thread; it answers true when done.
using Step = std::function<bool(HWND top)>;
std::vector<Step> g_steps;
size_t g_next = 0;
bool g_in_step = false;

BOOL CALLBACK find_top_dialog(HWND h, LPARAM lp) {
    wchar_t cls[16] = L"";
    GetClassNameW(h, cls, 16);
    if (!IsWindowVisible(h) || lstrcmpW(cls, L"#32770") != 0) return TRUE;
    *reinterpret_cast<HWND*>(lp) = h;
    return FALSE;
}

void CALLBACK play_tick(HWND, UINT, UINT_PTR id, DWORD) {
    if (g_in_step) return;  // a step's message may run a loop of its own
    HWND top = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_top_dialog, reinterpret_cast<LPARAM>(&top));
    if (!top) return;
    if (g_next < g_steps.size()) {
        g_in_step = true;
        if (g_steps[g_next](top)) ++g_next;
        g_in_step = false;
    }
    if (g_next >= g_steps.size()) KillTimer(nullptr, id);
}

void play(std::vector<Step> steps) {
    g_steps = std::move(steps);
    g_next = 0;
    SetTimer(nullptr, 0, 20, play_tick);
}

// ---- Reading and driving the sheet ----

bool is_sheet(HWND top) {
    wchar_t caption[64] = L"";
    GetWindowTextW(top, caption, 64);
    return lstrcmpW(caption, L"Vellarion: More Settings") == 0;
}

HWND current_page(HWND sheet) { return HWND(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }
HWND show_page(HWND sheet, int index) {
    SendMessageW(sheet, PSM_SETCURSEL, WPARAM(index), 0);
    return current_page(sheet);
}
int current_index(HWND sheet) {
    return int(SendMessageW(HWND(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0)), TCM_GETCURSEL, 0, 0));
}

int list_count(HWND page, int id) { return int(SendDlgItemMessageW(page, id, CB_GETCOUNT, 0, 0)); }
int list_selection(HWND page, int id) { return int(SendDlgItemMessageW(page, id, CB_GETCURSEL, 0, 0)); }
std::wstring list_text(HWND page, int id, int index) {
    wchar_t text[128] = L"";
    SendDlgItemMessageW(page, id, CB_GETLBTEXT, WPARAM(index), LPARAM(text));
    return text;
}
void choose(HWND page, int id, int index) { SendDlgItemMessageW(page, id, CB_SETCURSEL, WPARAM(index), 0); }
bool is_checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
void click(HWND page, int id) { SendDlgItemMessageW(page, id, BM_CLICK, 0, 0); }
bool enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }
std::wstring item_text(HWND page, int id) {
    wchar_t text[128] = L"";
    GetDlgItemTextW(page, id, text, 128);
    return text;
}

Step on_sheet(std::function<void(HWND sheet)> f) {
    return [f](HWND top) {
        if (!is_sheet(top)) return false;
        f(top);
        return true;
    };
}
Step press(int button) {
    return on_sheet([button](HWND sheet) { PostMessageW(sheet, PSM_PRESSBUTTON, WPARAM(button), 0); });
}

// The client size in dialog units.
SIZE dialog_units(HWND dlg) {
    RECT client, units{0, 0, 4, 8};
    GetClientRect(dlg, &client);
    MapDialogRect(dlg, &units);
    return SIZE{MulDiv(client.right, 4, units.right), MulDiv(client.bottom, 8, units.bottom)};
}

uint32_t stored_dword(const MemorySettingsStore& store, const char16_t* name) {
    for (const auto& e : store.entries(SettingsKey::kUser))
        if (e.name == name && e.value.bytes.size() == 4)
            return e.value.bytes[0] | e.value.bytes[1] << 8 | e.value.bytes[2] << 16 | uint32_t(e.value.bytes[3]) << 24;
    return 0xDEADBEEF;
}

// ---- A viewer in a stand-in plug-in window, with a toolbar and an image window ----

LRESULT CALLBACK plain_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(h, m, wp, lp); }

class SettingsSheet : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_TAB_CLASSES};
        InitCommonControlsEx(&icc);
        dll = LoadLibraryA(VL_BINARY_DIR "/npvellarion.dll");
        ASSERT_NE(dll, nullptr);
        Module& m = module();
        saved_instance = m.instance;
        m.instance = dll;
        m.ui_height = 16;
        lstrcpynW(m.ui_face, L"Arial", 32);
        m.cursors.arrow = LoadCursorW(nullptr, IDC_ARROW);
        WNDCLASSW wc{};
        wc.lpfnWndProc = toolbar_window_proc;
        wc.hInstance = dll;
        wc.lpszClassName = kToolbarWindowClass;
        ASSERT_TRUE(RegisterClassW(&wc));
        wc.lpfnWndProc = plain_proc;
        wc.lpszClassName = L"SettingsSheetTestPlugin";
        RegisterClassW(&wc);
        toolbar_load_shared_art(module().instance);
        plugin = CreateWindowExW(0, L"SettingsSheetTestPlugin", L"plug-in", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600,
                                 300, nullptr, nullptr, dll, nullptr);
        ASSERT_NE(plugin, nullptr);
        image =
            CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, plugin, nullptr, nullptr, nullptr);
        v = new Viewer;
        errlog_init(&v->logs.error, true);
        errlog_init(&v->logs.page, false);
        v->shell.plugin_window = plugin;
        v->shell.image_window = image;
        SetPropW(plugin, kViewerProperty, v);
        v->settings.allowscript = 0;  // no page to tell
        v->ui.toolbar_items = toolbar_parse_layout(kToolbarLayoutStandard, {});
        ASSERT_TRUE(toolbar_create(v));
        plugin_window_layout(v);
    }
    void TearDown() override {
        toolbar_destroy(v);
        if (v->shell.background_brush) DeleteObject(HBRUSH(v->shell.background_brush));
        RemovePropW(plugin, kViewerProperty);
        DestroyWindow(plugin);
        viewer_free(v);
        toolbar_free_shared_art();
        UnregisterClassW(kToolbarWindowClass, dll);
        UnregisterClassW(L"SettingsSheetTestPlugin", dll);
        module().instance = saved_instance;
        FreeLibrary(dll);
    }
    RECT child_rect(HWND h) const {
        RECT r;
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, plugin, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    HMODULE dll = nullptr;
    HINSTANCE saved_instance = nullptr;
    HWND plugin = nullptr, image = nullptr;
    Viewer* v = nullptr;
    MemorySettingsStore store;
};
}  // namespace

TEST_F(SettingsSheet, CaptionPagesSizeAndNoHelpOrApply) {
    std::wstring caption;
    std::vector<std::wstring> tabs;
    SIZE general{}, advanced{};
    LONG ex_style = -1;
    bool apply_shown = true, help_shown = true;
    HWND owner = nullptr;
    play({on_sheet([&](HWND sheet) {
              wchar_t text[64] = L"";
              GetWindowTextW(sheet, text, 64);
              caption = text;
              owner = GetWindow(sheet, GW_OWNER);
              HWND tab = HWND(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
              for (int i = 0; i < TabCtrl_GetItemCount(tab); ++i) {
                  wchar_t t[32] = L"";
                  TCITEMW item{};
                  item.mask = TCIF_TEXT;
                  item.pszText = t;
                  item.cchTextMax = 32;
                  SendMessageW(tab, TCM_GETITEMW, WPARAM(i), LPARAM(&item));
                  tabs.push_back(t);
              }
              ex_style = GetWindowLongW(sheet, GWL_EXSTYLE);
              apply_shown = IsWindowVisible(GetDlgItem(sheet, 0x3021));  // the sheet's Apply button
              help_shown = IsWindowVisible(GetDlgItem(sheet, IDHELP));
              general = dialog_units(current_page(sheet));
              advanced = dialog_units(show_page(sheet, 1));
          }),
          press(PSBTN_CANCEL)});
    EXPECT_EQ(settings_sheet_show(v, &store), SheetOutcome::kCancelled);
    EXPECT_EQ(caption, L"Vellarion: More Settings");
    EXPECT_EQ(tabs, (std::vector<std::wstring>{L"General", L"Advanced"}));
    EXPECT_EQ(owner, plugin);
    EXPECT_EQ(ex_style & WS_EX_CONTEXTHELP, 0);
    EXPECT_FALSE(apply_shown);
    EXPECT_FALSE(help_shown);
    EXPECT_EQ(general.cx, 212);
    EXPECT_EQ(general.cy, 188);
    EXPECT_EQ(advanced.cx, 212);
    EXPECT_EQ(advanced.cy, 188);
}

// Wine's own sheet template has no context-help style, so the sheet above
// shows no "?" with or without the callback; the callback is checked on
// templates of both forms that carry it.
TEST(SettingsSheetCallback, TakesContextHelpOffPlainAndExtendedTemplates) {
    DLGTEMPLATE plain{};
    plain.style = DS_MODALFRAME | DS_CONTEXTHELP | WS_POPUP;
    plain.dwExtendedStyle = WS_EX_CONTEXTHELP | WS_EX_DLGMODALFRAME;
    settings_sheet_callback(nullptr, PSCB_PRECREATE, LPARAM(&plain));
    EXPECT_EQ(plain.style, DWORD(DS_MODALFRAME | WS_POPUP));
    EXPECT_EQ(plain.dwExtendedStyle, DWORD(WS_EX_DLGMODALFRAME));

    // dlgVer, signature, helpID, exStyle, style
    DWORD extended[8] = {
        0xFFFF0001, 77, WS_EX_CONTEXTHELP | WS_EX_DLGMODALFRAME, DS_MODALFRAME | DS_CONTEXTHELP | WS_POPUP, 0, 0, 0, 0};
    settings_sheet_callback(nullptr, PSCB_PRECREATE, LPARAM(extended));
    EXPECT_EQ(extended[1], 77u);  // the help id is not a style
    EXPECT_EQ(extended[2], DWORD(WS_EX_DLGMODALFRAME));
    EXPECT_EQ(extended[3], DWORD(DS_MODALFRAME | WS_POPUP));

    DLGTEMPLATE other = plain;
    other.style |= DS_CONTEXTHELP;
    settings_sheet_callback(nullptr, PSCB_INITIALIZED, LPARAM(&other));  // only before creation
    EXPECT_TRUE(other.style & DS_CONTEXTHELP);
}

TEST_F(SettingsSheet, GeneralPageShowsTheSettings) {
    v->settings.toolbar = 0;
    v->settings.zoomsize = 2;
    v->settings.pansens = 9;
    v->settings.toolbar_height = 40;
    v->settings.printcenter = 1;
    v->settings.autoupdate = 0;
    int toolbar = -1, zoom_count = -1, zoom = -1, pan = -1, spin_low = 0, spin_high = 0;
    std::wstring size, first_zoom, pan_last;
    bool center = false, update = true;
    play({on_sheet([&](HWND sheet) {
              HWND g = current_page(sheet);
              toolbar = list_selection(g, IDC_SET_TOOLBAR);
              zoom_count = list_count(g, IDC_SET_ZOOMSIZE);
              zoom = list_selection(g, IDC_SET_ZOOMSIZE);
              first_zoom = list_text(g, IDC_SET_ZOOMSIZE, 0);
              pan = list_selection(g, IDC_SET_PANSENS);
              pan_last = list_text(g, IDC_SET_PANSENS, 4);
              size = item_text(g, IDC_SET_BUTTONSIZE);
              SendDlgItemMessageW(g, IDC_SET_BUTTONSIZE_SPIN, UDM_GETRANGE32, WPARAM(&spin_low), LPARAM(&spin_high));
              center = is_checked(g, IDC_SET_PRINTCENTER);
              update = is_checked(g, IDC_SET_AUTOUPDATE);
          }),
          press(PSBTN_CANCEL)});
    settings_sheet_show(v, &store);
    EXPECT_EQ(toolbar, 2);     // "No toolbar"
    EXPECT_EQ(zoom_count, 4);  // neither "5" nor "Custom" without a custom rectangle
    EXPECT_EQ(zoom, 1);
    EXPECT_EQ(first_zoom, L"1 (Smallest)");
    EXPECT_EQ(pan, 4);
    EXPECT_EQ(pan_last, L"5 (Highest)");
    EXPECT_EQ(size, L"36");
    EXPECT_EQ(spin_low, 22);
    EXPECT_EQ(spin_high, 100);
    EXPECT_TRUE(center);
    EXPECT_FALSE(update);
}

TEST_F(SettingsSheet, ButtonSizeIsClampedOnOkAndTheToolbarIsRebuilt) {
    play({on_sheet([&](HWND sheet) { SetDlgItemTextW(current_page(sheet), IDC_SET_BUTTONSIZE, L"7"); }),
          press(PSBTN_OK)});
    EXPECT_EQ(settings_sheet_show(v, &store), SheetOutcome::kApplied);
    EXPECT_EQ(v->settings.toolbar_height, 26);
    EXPECT_EQ(stored_dword(store, u"tbbuttonsize"), 22u);

    play({on_sheet([&](HWND sheet) { SetDlgItemTextW(current_page(sheet), IDC_SET_BUTTONSIZE, L"250"); }),
          press(PSBTN_OK)});
    EXPECT_EQ(settings_sheet_show(v, &store), SheetOutcome::kApplied);
    EXPECT_EQ(v->settings.toolbar_height, 104);
    EXPECT_EQ(stored_dword(store, u"tbbuttonsize"), 100u);
    // The toolbar was built again at the new height and the image moved below it.
    const RECT bar = child_rect(HWND(v->shell.toolbar_window));
    EXPECT_EQ(bar.bottom - bar.top, 104);
    EXPECT_EQ(child_rect(image).top, 104);
    EXPECT_EQ(v->busy, 0);
}

TEST_F(SettingsSheet, CancelChangesNothingAndRemembersThePage) {
    const Settings before = v->settings;
    int busy_inside = -1;
    play({on_sheet([&](HWND sheet) {
              busy_inside = v->busy;
              HWND g = current_page(sheet);
              choose(g, IDC_SET_TOOLBAR, 1);
              click(g, IDC_SET_WHEELDIR);
              HWND a = show_page(sheet, 1);
              click(a, IDC_SET_TOOLTIPS);
          }),
          press(PSBTN_CANCEL)});
    EXPECT_EQ(settings_sheet_show(v, &store), SheetOutcome::kCancelled);
    EXPECT_EQ(busy_inside, 1);
    EXPECT_EQ(v->busy, 0);
    EXPECT_EQ(v->settings.toolbar, before.toolbar);
    EXPECT_EQ(v->settings.mousewheeldir, before.mousewheeldir);
    EXPECT_EQ(v->settings.tooltips, before.tooltips);
    EXPECT_TRUE(store.write_log.empty());
    EXPECT_EQ(v->ui.settings_sheet_page, kSheetPageAdvanced);

    // The next opening starts on the page last active.
    int start = -1;
    play({on_sheet([&](HWND sheet) { start = current_index(sheet); }), press(PSBTN_CANCEL)});
    settings_sheet_show(v, &store);
    EXPECT_EQ(start, 1);
}

TEST_F(SettingsSheet, OkStoresBothPagesAndMovesTheToolbar) {
    play({on_sheet([&](HWND sheet) {
              HWND g = current_page(sheet);
              choose(g, IDC_SET_TOOLBAR, 1);  // "Bottom"
              choose(g, IDC_SET_PANSENS, 4);
              click(g, IDC_SET_PRINTFULL);
              HWND a = show_page(sheet, 1);
              click(a, IDC_SET_IGNORE_SUBIFD);
              click(a, IDC_SET_MULTCOPIES);
              choose(a, IDC_SET_LOCALACCESS, 2);
          }),
          press(PSBTN_OK)});
    EXPECT_EQ(settings_sheet_show(v, &store), SheetOutcome::kApplied);
    EXPECT_EQ(v->settings.toolbar, 2);
    EXPECT_EQ(v->settings.pansens, 5);
    EXPECT_EQ(v->settings.printfull, 1);
    EXPECT_EQ(v->settings.ignorespecialimages, 0x2u);
    EXPECT_EQ(v->settings.supportmultcopies, 0);
    EXPECT_EQ(v->settings.localaccess, 2);
    EXPECT_EQ(stored_dword(store, u"toolbar"), 2u);
    EXPECT_EQ(stored_dword(store, u"ignorespecialimages"), 2u);
    EXPECT_EQ(stored_dword(store, u"localaccess"), 2u);
    EXPECT_EQ(v->ui.toolbar_position, 2);
    RECT client;
    GetClientRect(plugin, &client);
    EXPECT_EQ(child_rect(HWND(v->shell.toolbar_window)).bottom, client.bottom);
    EXPECT_EQ(child_rect(image).top, 0);
    EXPECT_EQ(v->ui.settings_sheet_page, kSheetPageAdvanced);
}

TEST_F(SettingsSheet, UntickingScriptingGreysItsDependantsAtOnce) {
    v->settings.allowscript = 1;
    bool before[3] = {}, after[3] = {}, again = false;
    play({on_sheet([&](HWND sheet) {
              HWND a = show_page(sheet, 1);
              before[0] = enabled(a, IDC_SET_AUTOPRINT);
              before[1] = enabled(a, IDC_SET_LOCALACCESS);
              before[2] = enabled(a, IDC_SET_LOCALACCESS_LABEL);
              click(a, IDC_SET_ALLOWSCRIPT);
              after[0] = enabled(a, IDC_SET_AUTOPRINT);
              after[1] = enabled(a, IDC_SET_LOCALACCESS);
              after[2] = enabled(a, IDC_SET_LOCALACCESS_LABEL);
              click(a, IDC_SET_ALLOWSCRIPT);
              again = enabled(a, IDC_SET_AUTOPRINT);
          }),
          press(PSBTN_CANCEL)});
    settings_sheet_show(v, &store);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(before[i]) << i;
        EXPECT_FALSE(after[i]) << i;
    }
    EXPECT_TRUE(again);
}

TEST_F(SettingsSheet, DefaultsOnOnePageLeaveTheOtherPageAlone) {
    v->settings.toolbar = 2;
    v->settings.pansens = 5;
    v->settings.bgcolor = 0x123456;
    v->settings.tooltips = 1;
    int toolbar_shown = -1;
    play({on_sheet([&](HWND sheet) {
              HWND a = show_page(sheet, 1);
              click(a, IDC_SET_TOOLTIPS);  // an unconfirmed edit on Advanced
              HWND g = show_page(sheet, 0);
              click(g, IDC_SET_DEFAULTS);
              toolbar_shown = list_selection(g, IDC_SET_TOOLBAR);
          }),
          press(PSBTN_OK)});
    EXPECT_EQ(settings_sheet_show(v, &store), SheetOutcome::kApplied);
    EXPECT_EQ(toolbar_shown, 0);  // "Top": the controls were reloaded
    EXPECT_EQ(v->settings.toolbar, 1);
    EXPECT_EQ(v->settings.pansens, 2);
    EXPECT_EQ(v->settings.bgcolor, 0x404040u);
    EXPECT_EQ(v->settings.tooltips, 0);  // kept as the user left it

    v->settings.printfull = 1;
    v->settings.fixratio = 0;
    bool tooltips_shown = false;
    play({on_sheet([&](HWND sheet) {
              HWND a = show_page(sheet, 1);
              click(a, IDC_SET_DEFAULTS);
              tooltips_shown = is_checked(a, IDC_SET_TOOLTIPS);
          }),
          press(PSBTN_OK)});
    settings_sheet_show(v, &store);
    EXPECT_TRUE(tooltips_shown);
    EXPECT_EQ(v->settings.tooltips, 1);
    EXPECT_EQ(v->settings.fixratio, 1);
    EXPECT_EQ(v->settings.printfull, 1);  // a General value
}

TEST_F(SettingsSheet, ZoomWindowOnAMonitorThatIsGoneShowsAndStoresTheNearest) {
    // Wine's null driver has one monitor: the list holds the two choices only.
    v->settings.zoommon = 2;
    v->settings.zoomloc_x = 5000;
    v->settings.zoomloc_y = 0;
    std::vector<std::wstring> entries;
    int shown = -1;
    play({on_sheet([&](HWND sheet) {
              HWND a = show_page(sheet, 1);
              for (int i = 0; i < list_count(a, IDC_SET_ZOOMMON); ++i)
                  entries.push_back(list_text(a, IDC_SET_ZOOMMON, i));
              shown = list_selection(a, IDC_SET_ZOOMMON);
          }),
          press(PSBTN_OK)});
    settings_sheet_show(v, &store);
    EXPECT_EQ(entries, (std::vector<std::wstring>{L"Nearest monitor", L"Primary monitor"}));
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(v->settings.zoommon, 0);

    v->settings.zoommon = 1;
    play(
        {on_sheet([&](HWND sheet) { shown = list_selection(show_page(sheet, 1), IDC_SET_ZOOMMON); }), press(PSBTN_OK)});
    settings_sheet_show(v, &store);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(v->settings.zoommon, 1);
}

TEST_F(SettingsSheet, BackgroundColourFromTheChooserIsStoredAndPainted) {
    for (COLORREF& c : module().custom_colours) c = RGB(255, 255, 255);
    v->settings.bgcolor = 0x000080;
    v->ui.background_color = 0x000080;
    UINT initial_red = 0;
    bool full_open = false;
    COLORREF sample = 0;
    play({on_sheet([&](HWND sheet) { PostMessageW(GetDlgItem(current_page(sheet), IDC_SET_BGCOLOR), BM_CLICK, 0, 0); }),
          [&](HWND top) {
              if (!GetDlgItem(top, COLOR_RED)) return false;  // the chooser is not up yet
              initial_red = GetDlgItemInt(top, COLOR_RED, nullptr, FALSE);
              full_open = !IsWindowEnabled(GetDlgItem(top, COLOR_MIX));
              SetDlgItemInt(top, COLOR_RED, 10, FALSE);
              SetDlgItemInt(top, COLOR_GREEN, 20, FALSE);
              SetDlgItemInt(top, COLOR_BLUE, 30, FALSE);
              SendMessageW(top, WM_COMMAND, MAKEWPARAM(COLOR_ADD, BN_CLICKED), 0);
              PostMessageW(top, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
              return true;
          },
          on_sheet([&](HWND sheet) {
              // The sample asks for its colours as a static control does.
              HWND g = current_page(sheet);
              HWND sample_window = GetDlgItem(g, IDC_SET_BGCOLOR_SAMPLE);
              HDC dc = GetDC(sample_window);
              HBRUSH b = HBRUSH(SendMessageW(g, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(sample_window)));
              LOGBRUSH lb{};
              if (b) GetObjectW(b, sizeof lb, &lb);
              sample = lb.lbColor;
              ReleaseDC(sample_window, dc);
          }),
          press(PSBTN_OK)});
    EXPECT_EQ(settings_sheet_show(v, &store), SheetOutcome::kApplied);
    EXPECT_EQ(initial_red, 128u);
    EXPECT_TRUE(full_open);
    EXPECT_EQ(sample, RGB(10, 20, 30));
    EXPECT_EQ(v->settings.bgcolor, uint32_t(RGB(10, 20, 30)));
    EXPECT_EQ(module().custom_colours[0], RGB(10, 20, 30));
    EXPECT_EQ(stored_dword(store, u"bgcolor"), uint32_t(RGB(10, 20, 30)));
    // The viewer's background follows the Settings: a new brush of the colour.
    EXPECT_EQ(v->ui.background_color, uint32_t(RGB(10, 20, 30)));
    LOGBRUSH lb{};
    ASSERT_NE(v->shell.background_brush, nullptr);
    GetObjectW(HBRUSH(v->shell.background_brush), sizeof lb, &lb);
    EXPECT_EQ(lb.lbColor, RGB(10, 20, 30));
}

TEST_F(SettingsSheet, RefusedWhileBusyAndFocusReturnsToThePlugin) {
    v->busy = 1;
    int seen = 0;
    EXPECT_EQ(settings_sheet_show(v, &store), SheetOutcome::kRefused);
    EXPECT_EQ(v->busy, 1);
    v->busy = 0;
    SetFocus(nullptr);
    play({on_sheet([&](HWND) { ++seen; }), press(PSBTN_CANCEL)});
    settings_sheet_command(v);  // Cancel: nothing reaches the registry
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(GetFocus(), plugin);
}

TEST_F(SettingsSheet, AViewerDestroyedDuringTheSheetIsLeftAlone) {
    play({on_sheet([&](HWND sheet) {
              click(current_page(sheet), IDC_SET_PRINTFULL);
              viewer_registry_remove(v);  // as NPP_Destroy's free does; the record stays for the checks
          }),
          press(PSBTN_OK)});
    EXPECT_EQ(settings_sheet_show(v, &store), SheetOutcome::kViewerGone);
    EXPECT_EQ(v->busy, 1);  // not touched: it might have been freed
    EXPECT_EQ(v->settings.printfull, 0);
    EXPECT_TRUE(store.write_log.empty());
}
