// The tag dialog under test: a thread timer plays the user, reading the dialog
// and closing it, since DialogBoxParamW runs its own modal loop.
#include "inspect/win/tag_viewer.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <functional>
#include <string>

#include "inspect/test_tiff_bytes.h"

namespace {

std::function<void(HWND)> g_on_dialog;
bool g_seen = false;

BOOL CALLBACK find_tags_dialog(HWND h, LPARAM lp) {
    wchar_t cls[32], title[64];
    GetClassNameW(h, cls, 32);
    GetWindowTextW(h, title, 64);
    if (IsWindowVisible(h) && !wcscmp(cls, L"#32770") && !wcscmp(title, L"TIFF Tags")) {
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
    }
    return TRUE;
}

HWND find_dialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_tags_dialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK answer_tick(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = find_dialog();
    if (!dlg || g_seen) return;
    g_seen = true;
    KillTimer(nullptr, id);
    g_on_dialog(dlg);
    PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

std::wstring text_of(HWND edit) {
    int n = GetWindowTextLengthW(edit);
    std::wstring s(n + 1, L'\0');
    GetWindowTextW(edit, s.data(), n + 1);
    s.resize(wcslen(s.c_str()));
    return s;
}

RECT child_rect(HWND dlg, int id) {
    RECT r;
    GetWindowRect(GetDlgItem(dlg, id), &r);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The dialog template: linked into this program, or else in the plug-in DLL
// beside it.
HINSTANCE plugin_resources() {
    static HINSTANCE module = [] {
        HINSTANCE self = GetModuleHandleW(nullptr);
        if (FindResourceW(self, L"DLGTAGDUMP", MAKEINTRESOURCEW(5))) return self;
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        wcscpy(wcsrchr(path, L'\\') + 1, L"npvellarion.dll");
        return (HINSTANCE)LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }();
    return module;
}

struct TwoPages {
    TestTiff tiff;
    uint64_t offsets[2];
    TwoPages() {
        offsets[0] = tiff.add_directory({{256, 3, 1, {640}}, {270, 2, 6, {}, "first"}});
        offsets[1] = tiff.add_directory({{256, 3, 1, {320}}, {270, 2, 7, {}, "second"}});
        tiff.set_first(offsets[0]);
        tiff.set_next(offsets[0], offsets[1]);
    }
    TagViewerRequest request(ErrorLog* log) {
        TagViewerRequest r;
        r.resources = plugin_resources();
        r.loaded = true;
        r.data = tiff.bytes().data();
        r.size = tiff.bytes().size();
        r.directory_offsets = offsets;
        r.directory_count = 2;
        r.current_page = 1;
        r.log = log;
        return r;
    }
};

int show_and_answer(const TagViewerRequest& r, bool all_pages, std::function<void(HWND)> on_dialog) {
    g_seen = false;
    g_on_dialog = std::move(on_dialog);
    SetTimer(nullptr, 0, 20, answer_tick);
    return tagview_show(r, all_pages);
}

}  // namespace

TEST(TagViewer, ShowsTheReportOfAllPagesInTheRichEditControl) {
    ASSERT_NE(plugin_resources(), nullptr);
    ErrorLog log;
    errlog_init(&log, false);
    TwoPages doc;
    std::wstring text;
    EXPECT_EQ(
        show_and_answer(doc.request(&log), true, [&](HWND dlg) { text = text_of(GetDlgItem(dlg, IDC_TAGDUMP_TEXT)); }),
        1);
    EXPECT_TRUE(g_seen);
    EXPECT_NE(text.find(L"TIFF file information"), std::wstring::npos) << text.c_str();
    EXPECT_NE(text.find(L"TIFF image at offset " + std::to_wstring(doc.offsets[0])), std::wstring::npos);
    EXPECT_NE(text.find(L"\u201csecond\u201d"), std::wstring::npos);
    EXPECT_FALSE(errlog_has_entries(&log));
    errlog_free(&log);
}

TEST(TagViewer, ThisPageShowsTheCurrentDirectoryOnly) {
    TwoPages doc;
    std::wstring text;
    show_and_answer(doc.request(nullptr), false, [&](HWND dlg) { text = text_of(GetDlgItem(dlg, IDC_TAGDUMP_TEXT)); });
    EXPECT_EQ(text.find(L"\u201cfirst\u201d"), std::wstring::npos);
    EXPECT_NE(text.find(L"\u201csecond\u201d"), std::wstring::npos);
}

TEST(TagViewer, ResizingKeepsTheMarginsAndStopsAtTheMinimum) {
    TwoPages doc;
    RECT edit0{}, button0{}, client0{}, edit1{}, button1{}, client1{};
    MINMAXINFO mm{};
    show_and_answer(doc.request(nullptr), true, [&](HWND dlg) {
        GetClientRect(dlg, &client0);
        edit0 = child_rect(dlg, IDC_TAGDUMP_TEXT);
        button0 = child_rect(dlg, IDOK);
        RECT w;
        GetWindowRect(dlg, &w);
        SetWindowPos(dlg, nullptr, 0, 0, w.right - w.left + 120, w.bottom - w.top + 80, SWP_NOMOVE | SWP_NOZORDER);
        GetClientRect(dlg, &client1);
        edit1 = child_rect(dlg, IDC_TAGDUMP_TEXT);
        button1 = child_rect(dlg, IDOK);
        SendMessageW(dlg, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mm));
    });
    EXPECT_EQ(client1.right - client0.right, 120);
    EXPECT_EQ(edit1.left, edit0.left);
    EXPECT_EQ(edit1.top, edit0.top);
    EXPECT_EQ(client1.right - edit1.right, client0.right - edit0.right);
    EXPECT_EQ(client1.bottom - edit1.bottom, client0.bottom - edit0.bottom);
    EXPECT_EQ(client1.right - button1.left, client0.right - button0.left);
    EXPECT_EQ(client1.bottom - button1.top, client0.bottom - button0.top);
    EXPECT_EQ(button1.right - button1.left, button0.right - button0.left);
    EXPECT_EQ(mm.ptMinTrackSize.x, 200);
    EXPECT_EQ(mm.ptMinTrackSize.y, 150);
}

TEST(TagViewer, AccessBitRefusesWithoutADialog) {
    TwoPages doc;
    TagViewerRequest r = doc.request(nullptr);
    r.access_flags = kAccessNoTagViewer | 0x20;
    EXPECT_EQ(tagview_show(r, true),
              0);  // a dialog would wait for an answer that never comes
}
