#include "config/win/message_box_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "config/message_box.h"

namespace {
std::wstring g_caption, g_text;
HWND g_owner_seen = nullptr;

BOOL CALLBACK find_box(HWND h, LPARAM lp) {
    wchar_t cls[16];
    GetClassNameW(h, cls, 16);
    if (IsWindowVisible(h) && !wcscmp(cls, L"#32770")) {
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
    }
    return TRUE;
}

// Answers the box from inside its own modal loop, as a user would.
void CALLBACK answer(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_box, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    wchar_t buf[512];
    GetWindowTextW(box, buf, 512);
    g_caption = buf;
    GetDlgItemTextW(box, 0xFFFF, buf, 512);
    g_text = buf;
    g_owner_seen = GetWindow(box, GW_OWNER);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDNO)));
}
}  // namespace

TEST(PlatformMessageBox, ShowsCaptionTextAndReturnsTheAnswer) {
    void* old_ctx = nullptr;
    MessageBoxHandler old = msgbox_set_handler(nullptr, nullptr, &old_ctx);
    msgbox_install_platform();
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, answer);
    const int result = msgbox_show(nullptr, kMbYesNo | kMbIconQuestion, u"Replace %s?", u"page 2");
    KillTimer(nullptr, timer);
    msgbox_set_handler(old, old_ctx);
    EXPECT_EQ(result, kIdNo);
    EXPECT_EQ(g_caption, L"Vellarion");
    EXPECT_EQ(g_text, L"Replace page 2?");
    EXPECT_EQ(g_owner_seen, nullptr);  // no viewer: no owner window
}
