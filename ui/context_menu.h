#pragma once
// The context menu as data: built afresh from the viewer's state every time it
// opens, so that items the access bits forbid are left out, items that cannot
// act now are greyed and the view's state is mirrored by check marks. The
// shell turns it into pop-up menus; tests read it directly.
#include <cstdint>
#include <vector>

#include "ui/control_state.h"

// The submenus' title ids (string-table ids, beside the command ids).
enum SubmenuId : int {
    kMenuSketch = 49201,
    kMenuOrientation = 49202,
    kMenuSize = 49203,
    kMenuZoomImageSize = 49204,
    kMenuPage = 49205,
    kMenuMouseMode = 49206,
    kMenuTools = 49207,
};

// The index of each menu in ContextMenu::menus.
enum MenuIndex : int {
    kMenuMain = 0,
    kSubSketch,
    kSubOrientation,
    kSubSize,
    kSubZoomImageSize,
    kSubPage,
    kSubMouseMode,
    kSubTools,
    kMenuCount  // eight pop-up menus in all
};

// What the menu is built from, gathered by the shell from its viewer.
struct MenuState : ControlState {
    bool page_has_marks = false;  // white-out marks on the current page
    bool has_download_url = false;
    bool has_href = false;
    int zoom_window_index = 5;  // index into the magnifier zoom steps
    bool allow_select = false, crop_select = false;
    bool error_log_has_text = false;  // the document's or the page's log
};

enum class MenuEntryKind { kCommand, kSeparator, kSubmenu };

struct MenuEntry {
    MenuEntryKind kind = MenuEntryKind::kCommand;
    int id = 0;        // command id, or the submenu's title id
    int submenu = -1;  // kSubmenu: index into ContextMenu::menus
    bool greyed = false;
    bool checked = false;
};

struct ContextMenu {
    std::vector<MenuEntry> menus[kMenuCount];
};

ContextMenu context_menu_build(const MenuState& s);

// The entry with command id `id` anywhere in the menu; null when absent.
const MenuEntry* context_menu_find(const ContextMenu& m, int id);
