// Nobody sits at the host to pick from a pop-up menu either: a `menu` step
// arms an answer for the next one. A thread timer keeps firing inside the
// menu's own loop; it finds the menu window, optionally logs every item, and
// chooses the asked command with the keys a user would press.
#include <cstdio>
#include <string>
#include <vector>

#include "vlhost/host.h"
#include "vlhost/log.h"

namespace {
constexpr UINT kGetMenuHandle = 0x01E1;  // MN_GETHMENU: the menu a pop-up window shows

struct Armed {
    bool active = false;
    int command = 0;  // 0: close the menu without a choice
    bool show = false;
};
Armed g_armed;
UINT_PTR g_timer = 0;
// The keys still to press, one per tick: a burst of posted keys is not
// always taken whole by the menu's loop.
std::vector<WPARAM> g_keys;
HWND g_key_target = nullptr;

BOOL CALLBACK find_menu_window(HWND hwnd, LPARAM lp) {
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (lstrcmpW(cls, L"#32768") != 0 || !IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(lp) = hwnd;
    return FALSE;
}

std::string item_text(HMENU menu, int pos) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, UINT(pos), text, 256, MF_BYPOSITION);
    return utf8_from_wide(text);
}

void log_menu(HMENU menu, int depth) {
    const int count = GetMenuItemCount(menu);
    for (int pos = 0; pos < count; ++pos) {
        MENUITEMINFOW info{sizeof info, MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU};
        GetMenuItemInfoW(menu, UINT(pos), TRUE, &info);
        const std::string indent(size_t(depth) * 2, ' ');
        if (info.fType & MFT_SEPARATOR) {
            log_line("menu %s-", indent.c_str());
            continue;
        }
        char what[16] = " >";
        if (!info.hSubMenu) snprintf(what, sizeof what, " %u", info.wID);
        log_line("menu %s%s%s%s%s", indent.c_str(), log_quote(item_text(menu, pos)).c_str(), what,
                 (info.fState & MFS_GRAYED) ? " grey" : "", (info.fState & MFS_CHECKED) ? " check" : "");
        if (info.hSubMenu) log_menu(info.hSubMenu, depth + 1);
    }
}

// The positions leading to `command`, submenus first; empty when absent.
bool path_to(HMENU menu, int command, std::vector<std::pair<HMENU, int>>* path) {
    const int count = GetMenuItemCount(menu);
    for (int pos = 0; pos < count; ++pos) {
        path->push_back({menu, pos});
        if (HMENU sub = GetSubMenu(menu, pos)) {
            if (path_to(sub, command, path)) return true;
        } else if (int(GetMenuItemID(menu, pos)) == command) {
            return true;
        }
        path->pop_back();
    }
    return false;
}

bool is_separator(HMENU menu, int pos) {
    // Not GetMenuState: for a submenu its high byte is the submenu's item count.
    MENUITEMINFOW info{sizeof info, MIIM_FTYPE};
    GetMenuItemInfoW(menu, UINT(pos), TRUE, &info);
    return (info.fType & MFT_SEPARATOR) != 0;
}

// Keyboard selection skips separators only, greyed items included.
int presses_to(HMENU menu, int pos) {
    int n = 0;
    for (int i = 0; i < pos; ++i)
        if (!is_separator(menu, i)) ++n;
    return n;
}

void press(HWND target, WPARAM key) {
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

void CALLBACK menu_tick(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_keys.empty()) {
        if (!IsWindow(g_key_target)) {
            g_keys.clear();  // the menu closed early
            return;
        }
        press(g_key_target, g_keys.front());
        g_keys.erase(g_keys.begin());
        return;
    }
    HWND window = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_menu_window, reinterpret_cast<LPARAM>(&window));
    if (!window) return;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(window, kGetMenuHandle, 0, 0));
    if (!menu) return;
    step_run_during("menu");
    if (!IsWindow(window)) {
        log_line("menu closed by the during step");
        g_armed.active = false;
        return;
    }
    if (!g_armed.active) {
        // A menu nobody asked for would wait for a user forever.
        log_line("menu opened unasked; cancelled");
        press(window, VK_ESCAPE);
        return;
    }
    g_armed.active = false;
    if (g_armed.show) {
        // Where it opened, from the first instance's window: the keyboard's
        // request opens it just inside that window's corner.
        RECT at{}, from{};
        GetWindowRect(window, &at);
        const auto& all = host().instances;
        if (!all.empty() && all[0]->window) GetWindowRect(all[0]->window, &from);
        log_line("menu at %ld,%ld from instance 1", at.left - from.left, at.top - from.top);
        log_menu(menu, 0);
    }
    std::vector<std::pair<HMENU, int>> path;
    if (!g_armed.command || !path_to(menu, g_armed.command, &path)) {
        if (g_armed.command) log_line("menu has no command %d", g_armed.command);
        log_line("menu cancelled");
        press(window, VK_ESCAPE);
        return;
    }
    const auto [last_menu, last_pos] = path.back();
    if (GetMenuState(last_menu, UINT(last_pos), MF_BYPOSITION) & MF_GRAYED) {
        log_line("menu command %d is greyed; cancelled", g_armed.command);
        press(window, VK_ESCAPE);
        return;
    }
    log_line("menu choose %d %s", g_armed.command, log_quote(item_text(last_menu, last_pos)).c_str());
    // The first Down selects the top menu's first item; Right opens a submenu
    // with its first item selected.
    g_key_target = window;
    for (size_t level = 0; level < path.size(); ++level) {
        const int n = presses_to(path[level].first, path[level].second) + (level == 0 ? 1 : 0);
        g_keys.insert(g_keys.end(), size_t(n), VK_DOWN);
        g_keys.push_back(level + 1 < path.size() ? VK_RIGHT : VK_RETURN);
    }
}
}  // namespace

void menu_answerer_start() {
    if (!g_timer) g_timer = SetTimer(nullptr, 0, 10, menu_tick);
}

void menu_answer_arm(int command, bool show) { g_armed = Armed{true, command, show}; }
