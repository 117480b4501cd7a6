// The toolbar's controls brought in line with a state (enabled states,
// checks, the page list and tooltip activity; ui/toolbar_state decides), and
// the strip itself painted.
#include <windows.h>
#include <commctrl.h>

#include "base/text.h"
#include "ui/toolbar_table.h"
#include "ui/win/toolbar.h"
#include "ui/win/toolbar_controls.h"

namespace {
void set_check(HWND button, bool checked) {
    const WPARAM state = checked ? BST_CHECKED : BST_UNCHECKED;
    if (SendMessageW(button, BM_GETCHECK, 0, 0) != LRESULT(state)) SendMessageW(button, BM_SETCHECK, state, 0);
}
}  // namespace

void toolbar_enable_pass(const ToolbarControls* c, const ToolbarState& s) {
    if (!c) return;
    const ToolbarEnable e = toolbar_enabled_states(s);
    for (int item = 0; item < kToolbarItemCount; ++item)
        if (e.pass.governs[item] && c->item_window[item]) EnableWindow(c->item_window[item], e.pass.on[item]);
    if (HWND list = c->item_window[kItemPageList]; list && e.page_selection >= 0)
        SendMessageW(list, CB_SETCURSEL, WPARAM(e.page_selection), 0);
}

void toolbar_check_pass(const ToolbarControls* c, const ToolbarState& s) {
    if (!c) return;
    const ToolbarChecks checks = toolbar_checked_states(s);
    for (int item = 0; item < kToolbarItemCount; ++item)
        if (checks.pass.governs[item] && c->item_window[item]) set_check(c->item_window[item], checks.pass.on[item]);
    if (HWND spinner = c->item_window[kItemSpinner]) EnableWindow(spinner, checks.spinner_enabled);
}

void toolbar_fill_page_list(const ToolbarControls* c, int pages) {
    HWND list = c ? c->item_window[kItemPageList] : nullptr;
    if (!list) return;
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (int page = 1; page <= pages; ++page) {
        char16_t number[16];
        text_format(number, 16, u"%d", page);
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number));
    }
}

void toolbar_set_tooltips_active(const ToolbarControls* c, bool on) {
    if (c && c->tooltip) SendMessageW(c->tooltip, TTM_ACTIVATE, on ? TRUE : FALSE, 0);
}

void toolbar_set_checked(const ToolbarControls* c, int item, bool checked) {
    if (!c || item < 0 || item >= kToolbarItemCount || !c->item_window[item]) return;
    if (kToolbarItemTable[item].kind == ToolbarKind::kToggle) set_check(c->item_window[item], checked);
}

namespace {
int logo_x(const ToolbarControls* c, HWND toolbar, int logo_place) {
    RECT client;
    GetClientRect(toolbar, &client);
    return toolbar_logo_x(c ? c->geometry.total_width : 0, client.right, logo_place);
}
}  // namespace

bool toolbar_over_logo_link(const ToolbarControls* c, HWND toolbar, int logo_place, int x, int y) {
    return logo_place == 0 && toolbar_logo_hit(logo_x(c, toolbar, logo_place), x, y);
}

void toolbar_paint(const ToolbarControls* c, HWND toolbar, HDC dc, int logo_place) {
    RECT client;
    GetClientRect(toolbar, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const RECT top{0, 0, client.right, 1}, left{0, 0, 1, client.bottom};
    const RECT right{client.right - 1, 0, client.right, client.bottom};
    const RECT bottom{0, client.bottom - 1, client.right, client.bottom};
    FillRect(dc, &top, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
    FillRect(dc, &left, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
    FillRect(dc, &right, GetSysColorBrush(COLOR_BTNSHADOW));
    FillRect(dc, &bottom, GetSysColorBrush(COLOR_BTNSHADOW));
    HBITMAP logo = toolbar_logo_bitmap();
    if (logo_place > 2 || !logo) return;
    UniqueMemoryDc memory{CreateCompatibleDC(dc)};
    if (!memory) return;
    SelectScope use_logo(memory.get(), logo);
    BitBlt(dc, logo_x(c, toolbar, logo_place), 2, kToolbarLogoWidth, kToolbarLogoHeight, memory.get(), 0, 0, SRCCOPY);
}
