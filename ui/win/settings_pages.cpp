#include "ui/win/settings_pages.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstring>

#include "ui/win/settings_sheet.h"

namespace {
constexpr wchar_t kCopyProperty[] = L"vlar";

SheetWindowCopy* sheet_copy(HWND dlg) { return static_cast<SheetWindowCopy*>(GetPropW(dlg, kCopyProperty)); }

HINSTANCE resources_of(HWND dlg) {
    const SheetWindowCopy* w = sheet_copy(dlg);
    return w ? w->resources : nullptr;
}

// WM_INITDIALOG of a property page carries its PROPSHEETPAGEW, whose lParam
// is the working copy.
SheetWindowCopy* attach_copy(HWND dlg, LPARAM lp) {
    auto* w = reinterpret_cast<SheetWindowCopy*>(reinterpret_cast<const PROPSHEETPAGEW*>(lp)->lParam);
    SetPropW(dlg, kCopyProperty, w);
    return w;
}

void fill_list(HWND dlg, int id, int first_string, int count) {
    SendDlgItemMessageW(dlg, id, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < count; ++i) {
        const std::wstring text = settings_string(resources_of(dlg), first_string + i);
        SendDlgItemMessageW(dlg, id, CB_ADDSTRING, 0, LPARAM(text.c_str()));
    }
}

void select(HWND dlg, int id, int index) { SendDlgItemMessageW(dlg, id, CB_SETCURSEL, WPARAM(index), 0); }
int selected(HWND dlg, int id) { return int(SendDlgItemMessageW(dlg, id, CB_GETCURSEL, 0, 0)); }

void check(HWND dlg, int id, int value) { CheckDlgButton(dlg, id, value ? BST_CHECKED : BST_UNCHECKED); }
int checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED ? 1 : 0; }

COLORREF to_colorref(uint32_t c) { return COLORREF(c & 0x00FFFFFF); }

// A failed brush keeps the old one: the sample then shows the previous colour
// until the next change, which is better than no sample at all.
void renew_sample(HWND dlg, SheetWindowCopy* w) {
    if (HBRUSH b = CreateSolidBrush(to_colorref(w->copy.settings.bgcolor))) w->sample_brush.reset(b);
    InvalidateRect(GetDlgItem(dlg, IDC_SET_BGCOLOR_SAMPLE), nullptr, TRUE);
}

INT_PTR page_result(HWND dlg, LONG_PTR result) {
    SetWindowLongPtrW(dlg, DWLP_MSGRESULT, result);
    return TRUE;
}

// The notifications both pages answer alike; `read` copies the page's controls.
INT_PTR on_notify(HWND dlg, const NMHDR* n, int page, void (*read)(HWND, Settings*)) {
    SheetWindowCopy* w = sheet_copy(dlg);
    if (!w) return FALSE;
    switch (n->code) {
    case PSN_SETACTIVE: w->copy.active_page = page; return page_result(dlg, 0);
    case PSN_KILLACTIVE: return page_result(dlg, FALSE);
    case PSN_APPLY:
        read(dlg, &w->copy.settings);
        w->copy.changed = true;
        return page_result(dlg, PSNRET_NOERROR);
    }
    return FALSE;
}

INT_PTR on_destroy(HWND dlg) {
    RemovePropW(dlg, kCopyProperty);
    return FALSE;
}

// ---- General ----

void load_general(HWND dlg, const Settings& s) {
    select(dlg, IDC_SET_TOOLBAR, sheet_toolbar_index(s.toolbar));
    select(dlg, IDC_SET_ZOOMSIZE, sheet_zoomsize_index(s.zoomsize));
    select(dlg, IDC_SET_PANSENS, sheet_pansens_index(s.pansens));
    SetDlgItemInt(dlg, IDC_SET_BUTTONSIZE, UINT(sheet_button_size_shown(s)), FALSE);
    check(dlg, IDC_SET_WHEELDIR, s.mousewheeldir);
    check(dlg, IDC_SET_PRINTFULL, s.printfull);
    check(dlg, IDC_SET_PRINTCENTER, s.printcenter);
    check(dlg, IDC_SET_PRINTAUTOROTATE, s.printautorotate);
    check(dlg, IDC_SET_AUTOUPDATE, s.autoupdate);
}

void read_general(HWND dlg, Settings* s) {
    s->toolbar = sheet_toolbar_value(selected(dlg, IDC_SET_TOOLBAR), s->toolbar);
    s->zoomsize = sheet_zoomsize_value(selected(dlg, IDC_SET_ZOOMSIZE), s->zoomsize);
    s->pansens = sheet_pansens_value(selected(dlg, IDC_SET_PANSENS), s->pansens);
    BOOL ok = FALSE;
    const UINT typed = GetDlgItemInt(dlg, IDC_SET_BUTTONSIZE, &ok, FALSE);
    s->toolbar_height = sheet_toolbar_height_from_typed(typed, ok != FALSE);
    s->mousewheeldir = checked(dlg, IDC_SET_WHEELDIR);
    s->printfull = checked(dlg, IDC_SET_PRINTFULL);
    s->printcenter = checked(dlg, IDC_SET_PRINTCENTER);
    s->printautorotate = checked(dlg, IDC_SET_PRINTAUTOROTATE);
    s->autoupdate = checked(dlg, IDC_SET_AUTOUPDATE);
}

INT_PTR general_init(HWND dlg, LPARAM lp) {
    SheetWindowCopy* w = attach_copy(dlg, lp);
    const Settings& s = w->copy.settings;
    fill_list(dlg, IDC_SET_TOOLBAR, IDS_TOOLBAR_TOP, 3);
    fill_list(dlg, IDC_SET_ZOOMSIZE, IDS_ZOOMSIZE_FIRST, sheet_zoomsize_entries(s));
    fill_list(dlg, IDC_SET_PANSENS, IDS_PANSENS_FIRST, 5);
    SendDlgItemMessageW(dlg, IDC_SET_BUTTONSIZE, EM_LIMITTEXT, kButtonSizeDigits, 0);
    HWND spin = GetDlgItem(dlg, IDC_SET_BUTTONSIZE_SPIN);
    SendMessageW(spin, UDM_SETRANGE, 0, MAKELPARAM(kButtonSizeMax, kButtonSizeMin));
    SendMessageW(spin, UDM_SETBUDDY, WPARAM(GetDlgItem(dlg, IDC_SET_BUTTONSIZE)), 0);
    SendMessageW(spin, UDM_SETPOS, 0, MAKELPARAM(sheet_button_size_shown(s), 0));
    load_general(dlg, s);
    renew_sample(dlg, w);
    return TRUE;
}

void choose_background(HWND dlg, SheetWindowCopy* w) {
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = dlg;
    cc.rgbResult = to_colorref(w->copy.settings.bgcolor);
    cc.lpCustColors = w->custom_colours;
    cc.Flags = CC_FULLOPEN | CC_RGBINIT;
    if (!ChooseColorW(&cc)) return;
    w->copy.settings.bgcolor = uint32_t(cc.rgbResult) & 0x00FFFFFF;
    renew_sample(dlg, w);
}

INT_PTR general_command(HWND dlg, int id, int code) {
    SheetWindowCopy* w = sheet_copy(dlg);
    if (!w || code != BN_CLICKED) return FALSE;
    switch (id) {
    case IDC_SET_BGCOLOR: choose_background(dlg, w); return TRUE;
    case IDC_SET_DEFAULTS:
        sheet_general_defaults(&w->copy.settings);
        load_general(dlg, w->copy.settings);
        renew_sample(dlg, w);
        return TRUE;
    }
    return FALSE;
}

// The disabled edit beside the colour button asks for its colours as a static
// control does: it gets the current colour's brush and no background of its own.
INT_PTR general_colour_request(HWND dlg, HDC dc, HWND control) {
    SheetWindowCopy* w = sheet_copy(dlg);
    if (!w || control != GetDlgItem(dlg, IDC_SET_BGCOLOR_SAMPLE) || !w->sample_brush) return FALSE;
    SetBkMode(dc, TRANSPARENT);
    return INT_PTR(w->sample_brush.get());
}

// ---- Advanced ----

void enable_script_dependants(HWND dlg, bool on) {
    EnableWindow(GetDlgItem(dlg, IDC_SET_AUTOPRINT), on);
    EnableWindow(GetDlgItem(dlg, IDC_SET_LOCALACCESS_LABEL), on);
    EnableWindow(GetDlgItem(dlg, IDC_SET_LOCALACCESS), on);
}

void load_advanced(HWND dlg, const SheetCopy& c) {
    const Settings& s = c.settings;
    check(dlg, IDC_SET_TOOLTIPS, s.tooltips);
    check(dlg, IDC_SET_FIXRATIO, s.fixratio);
    check(dlg, IDC_SET_IGNORE_REDUCED, s.ignorespecialimages & 0x1);
    check(dlg, IDC_SET_IGNORE_SUBIFD, s.ignorespecialimages & 0x2);
    check(dlg, IDC_SET_PRINTSTRETCHED, s.printstretched);
    check(dlg, IDC_SET_MULTCOPIES, s.supportmultcopies);
    select(dlg, IDC_SET_ZOOMMON, sheet_monitor_index(s, c.monitors));
    check(dlg, IDC_SET_ALLOWSCRIPT, s.allowscript);
    check(dlg, IDC_SET_AUTOPRINT, s.allowautoprint);
    select(dlg, IDC_SET_LOCALACCESS, sheet_localaccess_index(s.localaccess));
    enable_script_dependants(dlg, s.allowscript != 0);
}

void read_advanced(HWND dlg, Settings* s) {
    s->tooltips = checked(dlg, IDC_SET_TOOLTIPS);
    s->fixratio = checked(dlg, IDC_SET_FIXRATIO);
    s->ignorespecialimages = sheet_ignore_bits(s->ignorespecialimages, checked(dlg, IDC_SET_IGNORE_REDUCED),
                                               checked(dlg, IDC_SET_IGNORE_SUBIFD));
    s->printstretched = checked(dlg, IDC_SET_PRINTSTRETCHED);
    s->supportmultcopies = checked(dlg, IDC_SET_MULTCOPIES);
    s->allowscript = checked(dlg, IDC_SET_ALLOWSCRIPT);
    s->allowautoprint = checked(dlg, IDC_SET_AUTOPRINT);
    s->localaccess = sheet_localaccess_value(selected(dlg, IDC_SET_LOCALACCESS), s->localaccess);
}

void fill_monitors(HWND dlg, SheetWindowCopy* w) {
    SheetMonitors& list = w->copy.monitors;
    list = SheetMonitors{};
    POINT origins[kSheetMonitorMax] = {};
    const int n = w->list_monitors ? w->list_monitors(origins, kSheetMonitorMax) : 0;
    for (int i = 0; i < n && i < kSheetMonitorMax; ++i) sheet_monitors_add(&list, origins[i].x, origins[i].y);
    fill_list(dlg, IDC_SET_ZOOMMON, IDS_MONITOR_NEAREST, 2);
    const std::wstring label = settings_string(w->resources, IDS_MONITOR_AT);
    for (int i = 0; i < list.count; ++i) {
        const Text16 entry =
            sheet_monitor_entry_text(reinterpret_cast<const char16_t*>(label.c_str()), list.left[i], list.top[i]);
        SendDlgItemMessageW(dlg, IDC_SET_ZOOMMON, CB_ADDSTRING, 0, LPARAM(entry.c_str()));
    }
}

INT_PTR advanced_init(HWND dlg, LPARAM lp) {
    SheetWindowCopy* w = attach_copy(dlg, lp);
    fill_monitors(dlg, w);
    fill_list(dlg, IDC_SET_LOCALACCESS, IDS_LOCALACCESS_FIRST, 3);
    load_advanced(dlg, w->copy);
    return TRUE;
}

INT_PTR advanced_command(HWND dlg, int id, int code) {
    SheetWindowCopy* w = sheet_copy(dlg);
    if (!w || code != BN_CLICKED) return FALSE;
    switch (id) {
    // At once, before OK: the user sees what the box governs.
    case IDC_SET_ALLOWSCRIPT: enable_script_dependants(dlg, checked(dlg, IDC_SET_ALLOWSCRIPT) != 0); return TRUE;
    case IDC_SET_DEFAULTS:
        sheet_advanced_defaults(&w->copy.settings);
        load_advanced(dlg, w->copy);
        return TRUE;
    }
    return FALSE;
}

// The monitor list is kept apart from Settings and must be read with them.
void read_advanced_with_monitor(HWND dlg, Settings* s) {
    read_advanced(dlg, s);
    if (SheetWindowCopy* w = sheet_copy(dlg)) sheet_monitor_store(selected(dlg, IDC_SET_ZOOMMON), w->copy.monitors, s);
}

PROPSHEETPAGEW page(HINSTANCE resources, const wchar_t* name, DLGPROC proc, const std::wstring& title,
                    SheetWindowCopy* w) {
    PROPSHEETPAGEW p{};
    p.dwSize = sizeof p;
    p.dwFlags = PSP_USETITLE;
    p.hInstance = resources;
    p.pszTemplate = name;
    p.pfnDlgProc = proc;
    p.pszTitle = title.c_str();
    p.lParam = reinterpret_cast<LPARAM>(w);
    return p;
}
}  // namespace

// The sheet's own template carries the context-help style, which would add a
// "?" button that has nothing to show: take it off before the sheet is made.
// The template may be the extended form, whose style sits further in.
int CALLBACK settings_sheet_callback(HWND, UINT msg, LPARAM lp) {
    if (msg != PSCB_PRECREATE || !lp) return 0;
    auto* bytes = reinterpret_cast<unsigned char*>(lp);
    WORD signature = 0;
    std::memcpy(&signature, bytes + 2, sizeof signature);
    const size_t ex_style_at = signature == 0xFFFF ? 8 : 4;
    const size_t style_at = signature == 0xFFFF ? 12 : 0;
    DWORD style = 0, ex_style = 0;
    std::memcpy(&style, bytes + style_at, sizeof style);
    std::memcpy(&ex_style, bytes + ex_style_at, sizeof ex_style);
    style &= ~DWORD(DS_CONTEXTHELP);
    ex_style &= ~DWORD(WS_EX_CONTEXTHELP);
    std::memcpy(bytes + style_at, &style, sizeof style);
    std::memcpy(bytes + ex_style_at, &ex_style, sizeof ex_style);
    return 0;
}

INT_PTR settings_sheet_run(HWND owner, SheetWindowCopy* w) {
    HINSTANCE resources = w->resources;
    const std::wstring caption = settings_string(resources, IDS_SHEET_CAPTION);
    const std::wstring general = settings_string(resources, IDS_SHEET_GENERAL);
    const std::wstring advanced = settings_string(resources, IDS_SHEET_ADVANCED);
    PROPSHEETPAGEW pages[2] = {page(resources, L"DLGMORESETGEN", settings_general_proc, general, w),
                               page(resources, L"DLGMORESETADV", settings_advanced_proc, advanced, w)};
    PROPSHEETHEADERW h{};
    h.dwSize = sizeof h;
    h.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_USECALLBACK;
    h.hwndParent = owner;
    h.hInstance = resources;
    h.pszCaption = caption.c_str();
    h.nPages = 2;
    h.nStartPage = UINT(w->copy.active_page);
    h.ppsp = pages;
    h.pfnCallback = settings_sheet_callback;
    return PropertySheetW(&h);
}

std::wstring settings_string(HINSTANCE resources, int id) {
    wchar_t text[256] = L"";
    const int n = LoadStringW(resources, UINT(id), text, 256);
    return std::wstring(text, n > 0 ? size_t(n) : 0);
}

INT_PTR CALLBACK settings_general_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: return general_init(dlg, lp);
    case WM_COMMAND: return general_command(dlg, LOWORD(wp), HIWORD(wp));
    case WM_CTLCOLORSTATIC: return general_colour_request(dlg, HDC(wp), HWND(lp));
    case WM_NOTIFY: return on_notify(dlg, reinterpret_cast<const NMHDR*>(lp), kSheetPageGeneral, read_general);
    case WM_DESTROY: return on_destroy(dlg);
    }
    return FALSE;
}

INT_PTR CALLBACK settings_advanced_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: return advanced_init(dlg, lp);
    case WM_COMMAND: return advanced_command(dlg, LOWORD(wp), HIWORD(wp));
    case WM_NOTIFY:
        return on_notify(dlg, reinterpret_cast<const NMHDR*>(lp), kSheetPageAdvanced, read_advanced_with_monitor);
    case WM_DESTROY: return on_destroy(dlg);
    }
    return FALSE;
}
