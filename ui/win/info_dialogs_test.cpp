// The information and error-log dialogs under test: a thread timer plays the
// user inside DialogBoxParamW's modal loop, reading the dialog, pressing its
// buttons and reading the clipboard.
#include "ui/win/info_dialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "config/settings_store.h"
#include "host/browser.h"
#include "host/viewer.h"
#include "host/viewer_registry.h"
#include "host/viewer_file.h"
#include "host/win/info_commands.h"
#include "host/win/module.h"
#include "host/win/plugin_window.h"

namespace {
std::function<void(HWND)> g_on_dialog;
int g_press = IDOK;
int g_seen = 0;

BOOL CALLBACK find_dialog_window(HWND h, LPARAM lp) {
    wchar_t cls[32];
    GetClassNameW(h, cls, 32);
    if (IsWindowVisible(h) && !wcscmp(cls, L"#32770")) {
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK answer_tick(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_dialog_window, reinterpret_cast<LPARAM>(&dlg));
    if (!dlg) return;
    KillTimer(nullptr, id);
    ++g_seen;
    if (g_on_dialog) g_on_dialog(dlg);
    if (g_press) PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(g_press, BN_CLICKED), LPARAM(GetDlgItem(dlg, g_press)));
}

// Arms the player for the next dialog: it calls `on_dialog`, then presses `press`
// (0: nothing; on_dialog ends the dialog itself).
void play(std::function<void(HWND)> on_dialog, int press = IDOK) {
    g_seen = 0;
    g_on_dialog = std::move(on_dialog);
    g_press = press;
    SetTimer(nullptr, 0, 20, answer_tick);
}

// The dialog templates: in the plug-in DLL beside this program.
HINSTANCE plugin_resources() {
    static HINSTANCE resources = [] {
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        wcscpy(wcsrchr(path, L'\\') + 1, L"npvellarion.dll");
        return HINSTANCE(LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
    }();
    return resources;
}

std::wstring window_text(HWND h) {
    const int n = GetWindowTextLengthW(h);
    std::wstring s(size_t(n) + 1, L'\0');
    GetWindowTextW(h, s.data(), n + 1);
    s.resize(wcslen(s.c_str()));
    return s;
}

std::wstring item_text(HWND dlg, int id) { return window_text(GetDlgItem(dlg, id)); }

std::wstring class_of(HWND h) {
    wchar_t cls[32] = L"";
    GetClassNameW(h, cls, 32);
    return cls;
}

// The client size in dialog units.
SIZE dialog_units(HWND dlg) {
    RECT client, units{0, 0, 4, 8};
    GetClientRect(dlg, &client);
    MapDialogRect(dlg, &units);
    return SIZE{MulDiv(client.right, 4, units.right), MulDiv(client.bottom, 8, units.bottom)};
}

std::wstring clipboard_text() {
    std::wstring out = L"(none)";
    if (!OpenClipboard(nullptr)) return L"(unavailable)";
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        out = static_cast<const wchar_t*>(GlobalLock(h));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return out;
}

void clear_clipboard() {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    CloseClipboard();
}

std::pair<DWORD, DWORD> selection(HWND dlg, int edit) {
    DWORD start = 0, end = 0;
    SendDlgItemMessageW(dlg, edit, EM_GETSEL, WPARAM(&start), LPARAM(&end));
    return {start, end};
}

const wchar_t* w(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

constexpr char16_t kAboutText[] =
    u"------ Vellarion TIFF Image Viewer ------\r\nName:\tvalue \u00a9 1995\u20132010\r\n";
}  // namespace

TEST(AboutDialog, TemplateControlsAndText) {
    ASSERT_NE(plugin_resources(), nullptr);
    std::wstring caption, text, ok, home, copy, edit_class;
    LONG edit_style = 0;
    SIZE size{};
    std::pair<DWORD, DWORD> sel;
    play([&](HWND dlg) {
        caption = window_text(dlg);
        size = dialog_units(dlg);
        text = item_text(dlg, IDC_ABOUT_TEXT);
        ok = item_text(dlg, IDOK);
        home = item_text(dlg, IDC_HOME_PAGE);
        copy = item_text(dlg, IDC_COPY_TEXT);
        edit_class = class_of(GetDlgItem(dlg, IDC_ABOUT_TEXT));
        edit_style = GetWindowLongW(GetDlgItem(dlg, IDC_ABOUT_TEXT), GWL_STYLE);
        sel = selection(dlg, IDC_ABOUT_TEXT);
    });
    EXPECT_EQ(info_dialog_run(plugin_resources(), nullptr, kAboutText), IDOK);
    EXPECT_EQ(g_seen, 1);
    EXPECT_EQ(caption, L"About Vellarion");
    EXPECT_EQ(size.cx, 376);
    EXPECT_EQ(size.cy, 234);
    EXPECT_EQ(text, w(kAboutText));
    EXPECT_EQ(ok, L"OK");
    EXPECT_EQ(home, L"Vellarion &Home Page");
    EXPECT_EQ(copy, L"&Copy Text");
    EXPECT_EQ(_wcsicmp(edit_class.c_str(), L"Edit"), 0) << edit_class;
    EXPECT_TRUE(edit_style & ES_MULTILINE);
    EXPECT_TRUE(edit_style & ES_READONLY);
    EXPECT_TRUE(edit_style & WS_VSCROLL);
    EXPECT_EQ(sel.first, 0u);  // the caret at the top, nothing selected
    EXPECT_EQ(sel.second, 0u);
}

TEST(AboutDialog, TabStopLinesUpValuesAt80DialogUnits) {
    // Two lines whose names differ in length: their values start at one place.
    const char16_t text[] = u"A:\tx\r\nLonger name:\tx";
    int first = -1, second = -1, stop = -1;
    play([&](HWND dlg) {
        HWND edit = GetDlgItem(dlg, IDC_ABOUT_TEXT);
        const LRESULT a = SendMessageW(edit, EM_POSFROMCHAR, 3, 0);   // "x" of line 1
        const LRESULT b = SendMessageW(edit, EM_POSFROMCHAR, 19, 0);  // "x" of line 2
        first = short(LOWORD(a));
        second = short(LOWORD(b));
        const LRESULT origin = SendMessageW(edit, EM_POSFROMCHAR, 0, 0);
        RECT units{0, 0, kInfoTabStop, 8};
        MapDialogRect(dlg, &units);
        stop = short(LOWORD(origin)) + units.right;
    });
    info_dialog_run(plugin_resources(), nullptr, text);
    EXPECT_EQ(first, second);
    EXPECT_NEAR(first, stop, 3);
}

TEST(AboutDialog, CopyTextPutsTheWholeTextOnTheClipboardAndCollapsesTheSelection) {
    clear_clipboard();
    std::pair<DWORD, DWORD> sel{1, 2};
    play([&](HWND dlg) {
        SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_COPY_TEXT, BN_CLICKED), LPARAM(GetDlgItem(dlg, IDC_COPY_TEXT)));
        sel = selection(dlg, IDC_ABOUT_TEXT);
    });
    EXPECT_EQ(info_dialog_run(plugin_resources(), nullptr, kAboutText), IDOK);
    EXPECT_EQ(clipboard_text(), w(kAboutText));
    EXPECT_EQ(sel.first, sel.second);
}

TEST(AboutDialog, HomePageButtonHasItsOwnResultAndEscapeCloses) {
    play(nullptr, IDC_HOME_PAGE);
    EXPECT_EQ(info_dialog_run(plugin_resources(), nullptr, u"x"), IDC_HOME_PAGE);
    play(nullptr, IDCANCEL);  // Escape and the close box
    EXPECT_EQ(info_dialog_run(plugin_resources(), nullptr, u"x"), IDOK);
    play([](HWND dlg) { PostMessageW(dlg, WM_SYSCOMMAND, SC_CLOSE, 0); }, 0);
    EXPECT_EQ(info_dialog_run(plugin_resources(), nullptr, u"x"), IDOK);
}

TEST(ErrorLogDialog, TemplateControlsAndBothLogs) {
    std::wstring caption, text, close, copy, edit_class;
    SIZE size{};
    play([&](HWND dlg) {
        caption = window_text(dlg);
        size = dialog_units(dlg);
        text = item_text(dlg, IDC_ERRORLOG_TEXT);
        close = item_text(dlg, IDOK);
        copy = item_text(dlg, IDC_COPY_TEXT);
        edit_class = class_of(GetDlgItem(dlg, IDC_ERRORLOG_TEXT));
    });
    EXPECT_EQ(errorlog_dialog_run(plugin_resources(), nullptr, u"Error: bad file\r\n", u"Warning: odd page\r\n"), IDOK);
    EXPECT_EQ(caption, L"Vellarion: Error log");
    EXPECT_EQ(size.cx, 411);
    EXPECT_EQ(size.cy, 159);
    EXPECT_EQ(text, L"Error: bad file\r\n\r\nWarning: odd page\r\n");
    EXPECT_EQ(close, L"Close");
    EXPECT_EQ(copy, L"&Copy Text");
    EXPECT_EQ(_wcsicmp(edit_class.c_str(), L"Edit"), 0) << edit_class;
}

TEST(ErrorLogDialog, AnEmptyDocumentLogAddsNoBlankLine) {
    std::wstring text;
    play([&](HWND dlg) { text = item_text(dlg, IDC_ERRORLOG_TEXT); });
    errorlog_dialog_run(plugin_resources(), nullptr, u"", u"Error: page\r\n");
    EXPECT_EQ(text, L"Error: page\r\n");
    play([&](HWND dlg) { text = item_text(dlg, IDC_ERRORLOG_TEXT); });
    errorlog_dialog_run(plugin_resources(), nullptr, u"Error: file\r\n", u"");
    EXPECT_EQ(text, L"Error: file\r\n\r\n");
}

TEST(ErrorLogDialog, CopyTextAndEscape) {
    clear_clipboard();
    std::pair<DWORD, DWORD> sel{1, 2};
    play(
        [&](HWND dlg) {
            SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_COPY_TEXT, BN_CLICKED), 0);
            sel = selection(dlg, IDC_ERRORLOG_TEXT);
        },
        IDCANCEL);
    EXPECT_EQ(errorlog_dialog_run(plugin_resources(), nullptr, u"Error: a\r\n", u"Error: b\r\n"), IDOK);
    EXPECT_EQ(clipboard_text(), L"Error: a\r\n\r\nError: b\r\n");
    EXPECT_EQ(sel.first, sel.second);
}

namespace {
std::string g_url, g_target;
NPError record_get_url(NPP, const char* url, const char* target) {
    g_url = url ? url : "";
    g_target = target ? target : "(null)";
    return 0;
}
const char* fake_agent(NPP) { return "TestBrowser/2.0 (caf\xc3\xa9)"; }

LRESULT CALLBACK plain_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(h, m, wp, lp); }

// A viewer attached to a window of its own, as NPP_SetWindow leaves it, with
// the module's resources pointing at the plug-in DLL.
struct AttachedViewer : ::testing::Test {
    MemorySettingsStore store;
    Viewer* v = nullptr;
    HWND window = nullptr;
    HINSTANCE saved_instance = nullptr;
    int saved_minor = 0;
    void SetUp() override {
        settings_forget_low_integrity();
        ViewerCreateArgs a;
        a.store = &store;
        ASSERT_EQ(viewer_create(a, &v), 0);
        WNDCLASSW wc{};
        wc.lpfnWndProc = plain_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"InfoDialogsTestPlugin";
        RegisterClassW(&wc);
        window = CreateWindowExW(0, wc.lpszClassName, L"plug-in", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        v->shell.plugin_window = window;
        SetPropW(window, kViewerProperty, v);
        saved_instance = module().instance;
        saved_minor = module().browser_minor;
        module().browser_minor = 27;  // start-up reads it from the browser's table
        module().instance = plugin_resources();
        NPNetscapeFuncs f{};
        f.size = sizeof f;
        f.version = 27;
        f.geturl = record_get_url;
        f.uagent = fake_agent;
        ASSERT_EQ(browser_install(&f), 0);
        g_url.clear();
        g_target.clear();
    }
    void TearDown() override {
        browser_clear();
        module().instance = saved_instance;
        module().browser_minor = saved_minor;
        if (window) {
            RemovePropW(window, kViewerProperty);
            DestroyWindow(window);
        }
        viewer_free(v);
        settings_forget_low_integrity();
    }
};
}  // namespace

TEST_F(AttachedViewer, AboutIsRefusedWhileBusyAndMarksTheViewerBusyWhileOpen) {
    v->busy = 1;
    EXPECT_EQ(info_dialog_show(v), InfoDialogOutcome::kRefused);  // a dialog would wait for nobody
    v->busy = 0;
    int busy_inside = -1;
    play([&](HWND) { busy_inside = v->busy; });
    EXPECT_EQ(info_dialog_show(v), InfoDialogOutcome::kClosed);
    EXPECT_EQ(busy_inside, 1);
    EXPECT_EQ(v->busy, 0);
}

TEST_F(AttachedViewer, AboutShowsTheGatheredTextAndTheHomePageOpensInSelf) {
    std::wstring text;
    HWND owner = nullptr;
    play(
        [&](HWND dlg) {
            text = item_text(dlg, IDC_ABOUT_TEXT);
            owner = GetWindow(dlg, GW_OWNER);
        },
        IDC_HOME_PAGE);
    info_command_about(v);
    EXPECT_EQ(owner, window);
    EXPECT_NE(text.find(L"------ Vellarion TIFF Image Viewer ------\r\n"), std::wstring::npos);
    EXPECT_NE(text.find(L"Web browser:\tTestBrowser/2.0 (caf\u00e9)\r\n"), std::wstring::npos);
    EXPECT_NE(text.find(L"Plug-in API version:\t0.27\r\n"), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"Contains code from LIBTIFF, Version "), std::wstring::npos);
    EXPECT_EQ(text.find(L"Current TIFF File"), std::wstring::npos);  // nothing downloaded yet
    EXPECT_EQ(g_url, "https://www.vellarion.com/");
    EXPECT_EQ(g_target, "_self");
}

TEST_F(AttachedViewer, ClosingAboutOpensNothingAndFocusesThePluginWindow) {
    SetFocus(nullptr);
    play(nullptr, IDOK);
    info_command_about(v);
    EXPECT_EQ(g_url, "");
    EXPECT_EQ(GetFocus(), window);
}

TEST_F(AttachedViewer, AViewerDestroyedDuringTheDialogIsLeftAlone) {
    // Dropped from the live viewers, as NPP_Destroy's free does; the record
    // itself stays for the checks.
    play([&](HWND) { viewer_registry_remove(v); });
    EXPECT_EQ(info_dialog_show(v), InfoDialogOutcome::kViewerGone);
    EXPECT_EQ(v->busy, 1);  // not touched: it might have been freed
    v->busy = 0;
    viewer_registry_add(v);
    play([&](HWND) { viewer_registry_remove(v); }, IDC_HOME_PAGE);
    info_command_about(v);
    EXPECT_EQ(g_url, "");  // the home page is not opened for a viewer that is gone
}

TEST_F(AttachedViewer, ErrorLogShowsBothLogsOverThePluginWindowAndGivesBackTheFocus) {
    errlog_error(&v->logs.error, u"Not a TIFF file");
    errlog_warning(&v->logs.page, u"Odd page");
    std::wstring text;
    HWND owner = nullptr;
    SetFocus(nullptr);
    play([&](HWND dlg) {
        text = item_text(dlg, IDC_ERRORLOG_TEXT);
        owner = GetWindow(dlg, GW_OWNER);
    });
    info_command_error_log(v);
    EXPECT_EQ(owner, window);
    EXPECT_EQ(text, L"Error: Not a TIFF file\r\n\r\nWarning: Odd page\r\n");
    EXPECT_EQ(GetFocus(), window);
}

TEST_F(AttachedViewer, GatheredEnvironment) {
    module().process.update_last_checked = 0;
    module().instance = nullptr;  // this program stands in for the module
    const InfoFacts f = info_facts_gather(v);
    EXPECT_EQ(f.user_agent, u"TestBrowser/2.0 (caf\u00e9)");
    EXPECT_EQ(f.npapi_minor, 27);
    EXPECT_NE(f.module_path.find(u"win_tests.exe"), Text16::npos) << text_to_utf8(f.module_path);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    EXPECT_LE(now.dwHighDateTime - f.now, 1u);
    EXPECT_EQ(f.credits.size(), 3u);
}
