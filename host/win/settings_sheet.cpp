#include "ui/win/settings_sheet.h"

#include <commctrl.h>

#include <cstring>
#include <memory>
#include <new>

#include "config/win/registry_store.h"
#include "host/viewer.h"
#include "host/viewer_registry.h"
#include "host/win/viewer_shell.h"
#include "host/win/module.h"
#include "host/win/plugin_window.h"
#include "ui/settings_sheet.h"
#include "ui/win/settings_pages.h"
#include "ui/win/toolbar.h"
#include "view/win/zoom_monitors.h"

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

namespace {
PROPSHEETPAGEW page(const wchar_t* name, DLGPROC proc, const std::wstring& title, SheetWindowCopy* w) {
    PROPSHEETPAGEW p{};
    p.dwSize = sizeof p;
    p.dwFlags = PSP_USETITLE;
    p.hInstance = module().instance;
    p.pszTemplate = name;
    p.pfnDlgProc = proc;
    p.pszTitle = title.c_str();
    p.lParam = reinterpret_cast<LPARAM>(w);
    return p;
}

INT_PTR run_sheet(HWND owner, SheetWindowCopy* w) {
    const std::wstring caption = settings_string(IDS_SHEET_CAPTION);
    const std::wstring general = settings_string(IDS_SHEET_GENERAL);
    const std::wstring advanced = settings_string(IDS_SHEET_ADVANCED);
    PROPSHEETPAGEW pages[2] = {page(L"DLGMORESETGEN", settings_general_proc, general, w),
                               page(L"DLGMORESETADV", settings_advanced_proc, advanced, w)};
    PROPSHEETHEADERW h{};
    h.dwSize = sizeof h;
    h.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_USECALLBACK;
    h.hwndParent = owner;
    h.hInstance = module().instance;
    h.pszCaption = caption.c_str();
    h.nPages = 2;
    h.nStartPage = UINT(w->copy.active_page);
    h.ppsp = pages;
    h.pfnCallback = settings_sheet_callback;
    return PropertySheetW(&h);
}

void rebuild_toolbar(Viewer* v) {
    toolbar_rebuild(v);
    // A toolbar that could not be made again leaves its band to the image.
    plugin_window_layout(v);
}

void repaint_image(Viewer* v) {
    if (v->shell.image_window) InvalidateRect(static_cast<HWND>(v->shell.image_window), nullptr, TRUE);
}

SheetApplyHooks shell_hooks() {
    SheetApplyHooks h;
    h.rebuild_toolbar = rebuild_toolbar;
    h.layout = plugin_window_layout;
    h.background_brush = viewer_shell_renew_background_brush;
    h.tooltips = toolbar_set_tooltips_active;
    h.repaint_image = repaint_image;
    return h;
}

int start_page(const Viewer* v) {
    return v->ui.settings_sheet_page == kSheetPageAdvanced ? kSheetPageAdvanced : kSheetPageGeneral;
}
}  // namespace

SheetOutcome settings_sheet_show(Viewer* v, SettingsStore* store) {
    if (!v || v->busy) return SheetOutcome::kRefused;
    std::unique_ptr<SheetWindowCopy> w(new (std::nothrow) SheetWindowCopy);
    if (!w) return SheetOutcome::kRefused;
    w->copy.settings = v->settings;
    w->copy.active_page = start_page(v);
    w->list_monitors = zoom_list_secondary_monitors;
    HWND owner = static_cast<HWND>(v->shell.plugin_window);
    // The sheet runs a nested loop in which the page may remove the viewer.
    const ViewerBusyScope busy(v);
    const INT_PTR result = run_sheet(owner, w.get());
    if (!busy.viewer()) return SheetOutcome::kViewerGone;
    v->ui.settings_sheet_page = w->copy.active_page;
    SheetOutcome outcome = result < 0 ? SheetOutcome::kFailed : SheetOutcome::kCancelled;
    if (w->copy.changed) {
        const Settings before = sheet_commit(v, w->copy.settings, store);
        // An unwritable key shows a warning box, another nested loop.
        if (!busy.viewer()) return SheetOutcome::kViewerGone;
        sheet_apply(v, before, shell_hooks());
        outcome = SheetOutcome::kApplied;
    }
    return outcome;
}

void settings_sheet_command(Viewer* v) {
    switch (settings_sheet_show(v, registry_settings_store())) {
    case SheetOutcome::kCancelled:
    case SheetOutcome::kApplied:
    case SheetOutcome::kFailed:
        if (v->shell.plugin_window) SetFocus(static_cast<HWND>(v->shell.plugin_window));
        break;
    case SheetOutcome::kRefused:
    case SheetOutcome::kViewerGone: break;
    }
}
