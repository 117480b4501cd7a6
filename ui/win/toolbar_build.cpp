// Building and tearing down one viewer's toolbar: the strip window first,
// then its controls where toolbar_geometry put them, their states and their
// tooltips. The strip is made hidden and empty; the plug-in window's layout
// gives it its place.
#include <windows.h>
#include <commctrl.h>

#include <new>

#include "host/viewer.h"
#include "host/win/module.h"
#include "host/win/plugin_window.h"
#include "ui/toolbar_table.h"
#include "ui/win/toolbar.h"
#include "ui/win/toolbar_controls.h"

namespace {
constexpr int kControlTop = 2;
constexpr int kControlIdBase = 1000;  // a control's id is this plus its item index
constexpr int kPageListDropHeight = 400;

HWND make_control(HWND toolbar, const wchar_t* cls, DWORD style, const ToolbarSlot& slot, int height) {
    return CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, slot.x, kControlTop, slot.width, height,
                           toolbar, reinterpret_cast<HMENU>(INT_PTR(kControlIdBase + slot.item)), module().instance,
                           nullptr);
}

// Off the default size the icons are loaded again at a side that keeps the
// picture's proportion to the button; one that will not load keeps the shared one.
HICON button_icon(ToolbarControls* c, int item) {
    HICON shared = toolbar_shared_icon(item);
    const int id = kToolbarItemTable[item].icon_id;
    const int side = c->geometry.icon_side;
    if (!side || !id || !module().instance) return shared;
    c->icons[item].reset(static_cast<HICON>(
        LoadImageW(module().instance, MAKEINTRESOURCEW(id), IMAGE_ICON, side, side, LR_DEFAULTCOLOR)));
    return c->icons[item] ? c->icons[item].get() : shared;
}

HWND make_button(ToolbarControls* c, HWND toolbar, const ToolbarSlot& slot) {
    const ToolbarItemInfo& info = kToolbarItemTable[slot.item];
    // A plain check box, not an automatic one: the click must not flip it,
    // only the viewer's state may.
    DWORD style = BS_ICON | (info.kind == ToolbarKind::kToggle ? BS_CHECKBOX | BS_PUSHLIKE : BS_PUSHBUTTON);
    if (info.created_disabled) style |= WS_DISABLED;
    HWND button = make_control(toolbar, L"BUTTON", style, slot, c->geometry.button_height);
    if (HICON icon = button ? button_icon(c, slot.item) : nullptr)
        SendMessageW(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    return button;
}

HWND make_spinner(ToolbarControls* c, HWND toolbar, const ToolbarSlot& slot) {
    HWND spinner = make_control(toolbar, UPDOWN_CLASSW, 0, slot, c->geometry.button_height);
    if (!spinner) return nullptr;
    SendMessageW(spinner, UDM_SETRANGE, 0, MAKELPARAM(kSpinnerUpper, kSpinnerLower));
    SendMessageW(spinner, UDM_SETPOS, 0, MAKELPARAM(kSpinnerRest, 0));
    return spinner;
}

HWND make_page_list(ToolbarControls* c, HWND toolbar, const ToolbarSlot& slot) {
    HWND list = make_control(toolbar, L"COMBOBOX", WS_DISABLED | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS, slot,
                             kPageListDropHeight);
    if (!list) return nullptr;
    if (!c->page_font)
        c->page_font.reset(CreateFontW(c->geometry.page_list_height - 8, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                       VARIABLE_PITCH | FF_SWISS, module().ui_face));
    if (c->page_font) SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(c->page_font.get()), FALSE);
    return list;
}

// A control that cannot be made is left out: its slot stays empty and every
// pass skips it.
void make_controls(ToolbarControls* c, HWND toolbar) {
    for (const ToolbarSlot& slot : c->geometry.slots) {
        HWND w = nullptr;
        switch (kToolbarItemTable[slot.item].kind) {
        case ToolbarKind::kSeparator: continue;
        case ToolbarKind::kPush:
        case ToolbarKind::kToggle: w = make_button(c, toolbar, slot); break;
        case ToolbarKind::kSpinner: w = make_spinner(c, toolbar, slot); break;
        case ToolbarKind::kPageList: w = make_page_list(c, toolbar, slot); break;
        }
        c->item_window[slot.item] = w;
    }
}

// One tool per control, identified by its window; every text is asked for
// when shown (two of them change with the viewer's state).
void make_tooltips(Viewer* v, ToolbarControls* c, HWND toolbar) {
    c->tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, toolbar, nullptr, module().instance,
                                 nullptr);
    if (!c->tooltip) {
        const DWORD error = GetLastError();
        errlog_error(&v->logs.error, u"Failed to create tooltips (error code %u)", unsigned(error));
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

ToolbarMetrics metrics(const Viewer* v) {
    ToolbarMetrics m;
    m.toolbar_height = v->settings.toolbar_height;
    m.font_height = module().ui_height;
    m.vscroll_width = module().vscroll_width ? module().vscroll_width : GetSystemMetrics(SM_CXVSCROLL);
    return m;
}
}  // namespace

bool toolbar_create(Viewer* v) {
    HWND parent = static_cast<HWND>(v->shell.plugin_window);
    if (!parent) return false;
    if (v->shell.toolbar_window) return true;
    auto* c = new (std::nothrow) ToolbarControls;
    HWND toolbar = c ? CreateWindowExW(0, kToolbarWindowClass, L"toolbar", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                                       parent, nullptr, module().instance, v)
                     : nullptr;
    if (!toolbar) {
        const DWORD error = c ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY;
        delete c;
        errlog_error(&v->logs.error, u"Failed to create toolbar window (error code %u)", unsigned(error));
        return false;
    }
    v->shell.toolbar_window = toolbar;
    v->ui.toolbar_controls = c;
    c->geometry = toolbar_geometry(v->ui.toolbar_items, metrics(v));
    make_controls(c, toolbar);
    // A viewer attached again keeps its document: its pages belong in the list.
    toolbar_fill_page_list(v);
    toolbar_enable_pass(v);
    toolbar_check_pass(v);
    make_tooltips(v, c, toolbar);
    toolbar_set_tooltips_active(v);
    return true;
}

void toolbar_destroy(Viewer* v) {
    if (HWND toolbar = static_cast<HWND>(v->shell.toolbar_window)) DestroyWindow(toolbar);  // frees the controls
    toolbar_forget_controls(v);  // when the window was already gone
    v->shell.toolbar_window = nullptr;
}

void toolbar_rebuild(Viewer* v) {
    if (!v->shell.plugin_window) return;
    toolbar_destroy(v);
    if (toolbar_create(v)) plugin_window_layout(v);
}

void toolbar_load_shared_art() {
    Module& m = module();
    if (!m.instance) return;
    for (int item = 0; item < kToolbarItemCount; ++item) {
        const int id = kToolbarItemTable[item].icon_id;
        if (id) m.toolbar_icons[item].reset(static_cast<HICON>(
                    LoadImageW(m.instance, MAKEINTRESOURCEW(id), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
    }
    m.toolbar_logo.reset(static_cast<HBITMAP>(LoadImageW(m.instance, L"TBLOGO", IMAGE_BITMAP, 0, 0, 0)));
}

void toolbar_free_shared_art() {
    Module& m = module();
    for (UniqueIcon& icon : m.toolbar_icons) icon.reset();
    m.toolbar_logo.reset();
}

HICON toolbar_shared_icon(int item) {
    return item >= 0 && item < kToolbarItemCount ? module().toolbar_icons[item].get() : nullptr;
}

HBITMAP toolbar_logo_bitmap() { return module().toolbar_logo.get(); }

ToolbarControls* toolbar_controls(const Viewer* v) { return v ? v->ui.toolbar_controls : nullptr; }

int toolbar_item_of(const ToolbarControls* c, HWND control) {
    if (!c || !control) return -1;
    for (int item = 0; item < kToolbarItemCount; ++item)
        if (c->item_window[item] == control) return item;
    return -1;
}

void toolbar_forget_controls(Viewer* v) {
    delete v->ui.toolbar_controls;
    v->ui.toolbar_controls = nullptr;
}
