#include "ui/win/context_menu_win.h"

#include <windows.h>

namespace {
// All eight menus or none.
struct Popups {
    HMENU menu[kMenuCount] = {};
    bool create() {
        for (HMENU& m : menu)
            if (!(m = CreatePopupMenu())) return false;
        return true;
    }
    ~Popups() {
        // The main menu takes the submenus appended to it along; a submenu
        // left out (its title would not load) is destroyed on its own.
        for (HMENU m : menu)
            if (m && IsMenu(m)) DestroyMenu(m);
    }
};

void fill(HINSTANCE resources, const ContextMenu& model, int index, Popups& p) {
    HMENU menu = p.menu[index];
    for (const MenuEntry& e : model.menus[index]) {
        if (e.kind == MenuEntryKind::kSeparator) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        wchar_t text[128];
        if (LoadStringW(resources, UINT(e.id), text, 128) <= 0) continue;  // left out
        if (e.kind == MenuEntryKind::kSubmenu) {
            AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(p.menu[e.submenu]), text);
            continue;
        }
        AppendMenuW(menu, MF_STRING | (e.greyed ? MF_GRAYED : 0u), UINT_PTR(e.id), text);
        if (e.checked) CheckMenuItem(menu, UINT(e.id), MF_BYCOMMAND | MF_CHECKED);
    }
}

}  // namespace

int context_menu_track(HINSTANCE resources, HWND owner, const ContextMenu& model, int x, int y) {
    Popups popups;
    if (!popups.create()) return -1;
    for (int i = kMenuCount - 1; i >= 0; --i) fill(resources, model, i, popups);
    return int(
        TrackPopupMenuEx(popups.menu[kMenuMain], TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, x, y, owner, nullptr));
}
