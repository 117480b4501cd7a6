// Building and tearing down one viewer's toolbar: the strip window first,
// then its controls where toolbar_geometry put them, their states and their
// tooltips. The strip is made hidden and empty; the plug-in window's layout
// gives it its place.
#include <windows.h>
#include <commctrl.h>

#include <new>

#include "ui/toolbar_table.h"
#include "ui/win/toolbar.h"
#include "ui/win/toolbar_controls.h"

namespace {
// The process-wide pictures, shared by every viewer's toolbar: an icon per
// item (none for the separator, the spinner and the page list) and the logo.
struct SharedArt {
    UniqueIcon icons[kToolbarItemCount];
    UniqueBitmap logo;
};
SharedArt& shared_art() {
    static SharedArt art;
    return art;
}

constexpr int kControlTop = 2;
constexpr int kControlIdBase = 1000;  // a control's id is this plus its item index
constexpr int kPageListDropHeight = 400;

HWND make_control(HWND toolbar, HINSTANCE resources, const wchar_t* cls, DWORD style, const ToolbarSlot& slot,
                  int height) {
    return CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, slot.x, kControlTop, slot.width, height, toolbar,
                           reinterpret_cast<HMENU>(INT_PTR(kControlIdBase + slot.item)), resources, nullptr);
}

// Off the default size the icons are loaded again at a side that keeps the
// picture's proportion to the button; one that will not load keeps the shared one.
HICON button_icon(ToolbarControls* c, HINSTANCE resources, int item) {
    HICON shared = toolbar_shared_icon(item);
    const int id = kToolbarItemTable[item].icon_id;
    const int side = c->geometry.icon_side;
    if (!side || !id || !resources) return shared;
    c->icons[item].reset(
        static_cast<HICON>(LoadImageW(resources, MAKEINTRESOURCEW(id), IMAGE_ICON, side, side, LR_DEFAULTCOLOR)));
    return c->icons[item] ? c->icons[item].get() : shared;
}

HWND make_button(ToolbarControls* c, HWND toolbar, HINSTANCE resources, const ToolbarSlot& slot) {
    const ToolbarItemInfo& info = kToolbarItemTable[slot.item];
    // A plain check box, not an automatic one: the click must not flip it,
    // only the viewer's state may.
    DWORD style = BS_ICON | (info.kind == ToolbarKind::kToggle ? BS_CHECKBOX | BS_PUSHLIKE : BS_PUSHBUTTON);
    if (info.created_disabled) style |= WS_DISABLED;
    HWND button = make_control(toolbar, resources, L"BUTTON", style, slot, c->geometry.button_height);
    if (HICON icon = button ? button_icon(c, resources, slot.item) : nullptr)
        SendMessageW(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    return button;
}

HWND make_spinner(ToolbarControls* c, HWND toolbar, HINSTANCE resources, const ToolbarSlot& slot) {
    HWND spinner = make_control(toolbar, resources, UPDOWN_CLASSW, 0, slot, c->geometry.button_height);
    if (!spinner) return nullptr;
    SendMessageW(spinner, UDM_SETRANGE, 0, MAKELPARAM(kSpinnerUpper, kSpinnerLower));
    SendMessageW(spinner, UDM_SETPOS, 0, MAKELPARAM(kSpinnerRest, 0));
    return spinner;
}

HWND make_page_list(ToolbarControls* c, HWND toolbar, const ToolbarBuild& b, const ToolbarSlot& slot) {
    HWND list = make_control(toolbar, b.resources, L"COMBOBOX",
                             WS_DISABLED | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS, slot, kPageListDropHeight);
    if (!list) return nullptr;
    if (!c->page_font)
        c->page_font.reset(CreateFontW(c->geometry.page_list_height - 8, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                       VARIABLE_PITCH | FF_SWISS, b.page_list_face));
    if (c->page_font) SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(c->page_font.get()), FALSE);
    return list;
}

// A control that cannot be made is left out: its slot stays empty and every
// pass skips it.
void make_controls(ToolbarControls* c, HWND toolbar, const ToolbarBuild& b) {
    for (const ToolbarSlot& slot : c->geometry.slots) {
        HWND w = nullptr;
        switch (kToolbarItemTable[slot.item].kind) {
        case ToolbarKind::kSeparator: continue;
        case ToolbarKind::kPush:
        case ToolbarKind::kToggle: w = make_button(c, toolbar, b.resources, slot); break;
        case ToolbarKind::kSpinner: w = make_spinner(c, toolbar, b.resources, slot); break;
        case ToolbarKind::kPageList: w = make_page_list(c, toolbar, b, slot); break;
        }
        c->item_window[slot.item] = w;
    }
}

}  // namespace

ToolbarControls* toolbar_build(const ToolbarBuild& b, HWND* window) {
    *window = nullptr;
    auto* c = new (std::nothrow) ToolbarControls;
    HWND toolbar = c ? CreateWindowExW(0, b.window_class, L"toolbar", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, b.parent,
                                       nullptr, b.resources, b.window_param)
                     : nullptr;
    if (!toolbar) {
        const DWORD error = c ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY;
        delete c;
        errlog_error(b.log, u"Failed to create toolbar window (error code %u)", unsigned(error));
        return nullptr;
    }
    *window = toolbar;
    c->geometry = toolbar_geometry(*b.items, b.metrics);
    make_controls(c, toolbar, b);
    return c;
}

// One tool per control, identified by its window; every text is asked for
// when shown (two of them change with the viewer's state).
void toolbar_add_tooltips(ToolbarControls* c, HWND toolbar, HINSTANCE resources, ErrorLog* log) {
    c->tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, toolbar, nullptr, resources, nullptr);
    if (!c->tooltip) {
        const DWORD error = GetLastError();
        errlog_error(log, u"Failed to create tooltips (error code %u)", unsigned(error));
        return;
    }
    for (HWND control : c->item_window) {
        if (!control) continue;
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every version of the control
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = toolbar;
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(c->tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void toolbar_load_shared_art(HINSTANCE resources) {
    if (!resources) return;
    SharedArt& art = shared_art();
    for (int item = 0; item < kToolbarItemCount; ++item) {
        const int id = kToolbarItemTable[item].icon_id;
        if (id)
            art.icons[item].reset(
                static_cast<HICON>(LoadImageW(resources, MAKEINTRESOURCEW(id), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
    }
    art.logo.reset(static_cast<HBITMAP>(LoadImageW(resources, L"TBLOGO", IMAGE_BITMAP, 0, 0, 0)));
}

void toolbar_free_shared_art() {
    SharedArt& art = shared_art();
    for (UniqueIcon& icon : art.icons) icon.reset();
    art.logo.reset();
}

HICON toolbar_shared_icon(int item) {
    return item >= 0 && item < kToolbarItemCount ? shared_art().icons[item].get() : nullptr;
}

HBITMAP toolbar_logo_bitmap() { return shared_art().logo.get(); }

int toolbar_item_of(const ToolbarControls* c, HWND control) {
    if (!c || !control) return -1;
    for (int item = 0; item < kToolbarItemCount; ++item)
        if (c->item_window[item] == control) return item;
    return -1;
}
