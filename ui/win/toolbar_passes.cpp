// The toolbar's controls brought in line with the viewer: enabled states,
// checks, the page list and tooltip activity. ui/toolbar_state decides.
#include <windows.h>
#include <commctrl.h>

#include "base/text.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "ui/toolbar_table.h"
#include "ui/win/toolbar.h"
#include "ui/win/toolbar_controls.h"

namespace {
ToolbarState gather(const Viewer* v) {
    ToolbarState s;
    s.access_flags = v->access_flags;
    s.download_state = v->stream.state;
    s.decoded = viewer_page_shown(v);
    s.document_loaded = v->document.loaded != 0;
    s.page_count = v->document.page_count;
    s.current_page = v->document.current_page;
    s.has_upload_url = !btext_empty(&v->annotate.upload.url);
    s.smooth = v->view.smooth != 0;
    s.negative = v->view.negative != 0;
    s.orientation = v->view.orientation;
    s.size_mode = v->view.size_mode;
    s.zoom_index = v->view.zoom_index;
    s.mouse_mode = v->view.mouse_mode;
    return s;
}

void set_check(HWND button, bool checked) {
    const WPARAM state = checked ? BST_CHECKED : BST_UNCHECKED;
    if (SendMessageW(button, BM_GETCHECK, 0, 0) != LRESULT(state)) SendMessageW(button, BM_SETCHECK, state, 0);
}
}  // namespace

void toolbar_enable_pass(Viewer* v) {
    const ToolbarControls* c = toolbar_controls(v);
    if (!c) return;
    const ToolbarEnable e = toolbar_enabled_states(gather(v));
    for (int item = 0; item < kToolbarItemCount; ++item)
        if (e.pass.governs[item] && c->item_window[item]) EnableWindow(c->item_window[item], e.pass.on[item]);
    if (HWND list = c->item_window[kItemPageList]; list && e.page_selection >= 0)
        SendMessageW(list, CB_SETCURSEL, WPARAM(e.page_selection), 0);
}

void toolbar_check_pass(Viewer* v) {
    const ToolbarControls* c = toolbar_controls(v);
    if (!c) return;
    const ToolbarChecks checks = toolbar_checked_states(gather(v));
    for (int item = 0; item < kToolbarItemCount; ++item)
        if (checks.pass.governs[item] && c->item_window[item]) set_check(c->item_window[item], checks.pass.on[item]);
    if (HWND spinner = c->item_window[kItemSpinner]) EnableWindow(spinner, checks.spinner_enabled);
}

void toolbar_refresh(Viewer* v) {
    toolbar_enable_pass(v);
    toolbar_check_pass(v);
}

void toolbar_fill_page_list(Viewer* v) {
    const ToolbarControls* c = toolbar_controls(v);
    HWND list = c ? c->item_window[kItemPageList] : nullptr;
    if (!list) return;
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    if (!v->document.loaded) return;
    for (int page = 1; page <= v->document.page_count; ++page) {
        char16_t number[16];
        text_format(number, 16, u"%d", page);
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number));
    }
}

void toolbar_set_tooltips_active(Viewer* v) {
    const ToolbarControls* c = toolbar_controls(v);
    if (c && c->tooltip) SendMessageW(c->tooltip, TTM_ACTIVATE, v->settings.tooltips ? TRUE : FALSE, 0);
}

void toolbar_set_checked(Viewer* v, int item, bool checked) {
    const ToolbarControls* c = toolbar_controls(v);
    if (!c || item < 0 || item >= kToolbarItemCount || !c->item_window[item]) return;
    if (kToolbarItemTable[item].kind == ToolbarKind::kToggle) set_check(c->item_window[item], checked);
}
