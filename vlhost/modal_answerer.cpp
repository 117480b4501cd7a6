// Nobody sits at the host: every message box and modal dialog is logged and
// answered. A thread timer keeps firing inside the nested loops of
// MessageBoxW, DialogBoxParamW and the common dialogs, so one answerer serves
// them all.
#include <algorithm>
#include <set>
#include <string>

#include "vlhost/host.h"
#include "vlhost/log.h"

namespace {
int g_answer = IDOK;
std::wstring g_shot;        // where the next dialog's picture goes; empty: none
std::set<HWND> g_answered;  // a posted press takes a moment to close the box

struct Found {
    HWND dialog = nullptr;
};

BOOL CALLBACK find_dialog(HWND hwnd, LPARAM lp) {
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(hwnd) || g_answered.count(hwnd)) return TRUE;
    reinterpret_cast<Found*>(lp)->dialog = hwnd;
    return FALSE;
}

std::string window_text(HWND hwnd) {
    wchar_t buf[4096] = {};
    if (hwnd) GetWindowTextW(hwnd, buf, 4096);
    return utf8_from_wide(buf);
}

// The configured button when the box has it, else the box's own way out.
int button_for(HWND dialog) {
    const int choices[] = {g_answer, IDOK, IDCANCEL, IDNO, IDYES};
    for (int id : choices)
        if (GetDlgItem(dialog, id)) return id;
    return IDCANCEL;
}

BOOL CALLBACK log_child(HWND child, LPARAM) {
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    std::string text = window_text(child);
    text = text.substr(0, std::min(text.find_first_of("\r\n"), size_t(80)));
    RECT r;
    GetWindowRect(child, &r);
    log_line("dialog child %d %s %ldx%ld %s", GetDlgCtrlID(child), utf8_from_wide(cls).c_str(), r.right - r.left,
             r.bottom - r.top, log_quote(text).c_str());
    return TRUE;
}

void shoot(HWND dialog) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r;
    GetWindowRect(dialog, &r);
    log_line("dialog caption=%s %ldx%ld shot %s", log_quote(window_text(dialog)).c_str(), r.right - r.left,
             r.bottom - r.top, screenshot_window(dialog, g_shot) ? "written" : "failed");
    EnumChildWindows(dialog, log_child, 0);
    g_shot.clear();
}

void CALLBACK answer_tick(HWND, UINT, UINT_PTR, DWORD) {
    for (auto it = g_answered.begin(); it != g_answered.end();)
        it = IsWindow(*it) ? std::next(it) : g_answered.erase(it);
    Found found;
    EnumThreadWindows(GetCurrentThreadId(), find_dialog, reinterpret_cast<LPARAM>(&found));
    if (!found.dialog) return;
    if (!g_shot.empty()) shoot(found.dialog);
    step_run_during("dialog");
    if (!IsWindow(found.dialog)) return;
    const int button = button_for(found.dialog);
    // 0xFFFF is the message text of a message box.
    log_line("box caption=%s text=%s answer=%d", log_quote(window_text(found.dialog)).c_str(),
             log_quote(window_text(GetDlgItem(found.dialog, 0xFFFF))).c_str(), button);
    g_answered.insert(found.dialog);
    PostMessageW(found.dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(found.dialog, button)));
}
}  // namespace

void modal_answerer_start(int answer) {
    g_answer = answer;
    SetTimer(nullptr, 0, 20, answer_tick);
}

void modal_set_answer(int answer) { g_answer = answer; }

void modal_shoot_next(const std::wstring& path) { g_shot = path; }
