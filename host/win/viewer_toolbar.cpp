#include "host/win/viewer_toolbar.h"

#include <windows.h>

#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/viewer_ui.h"
#include "host/win/module.h"
#include "host/win/plugin_window.h"
#include "ui/win/toolbar.h"
#include "ui/win/toolbar_controls.h"

namespace {
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
    ToolbarBuild b;
    b.parent = parent;
    b.window_class = kToolbarWindowClass;
    b.resources = module().instance;
    b.page_list_face = module().ui_face;
    b.metrics = metrics(v);
    b.items = &v->ui.toolbar_items;
    b.window_param = v;
    b.log = &v->logs.error;
    HWND toolbar = nullptr;
    ToolbarControls* c = toolbar_build(b, &toolbar);
    if (!c) return false;
    v->shell.toolbar_window = toolbar;
    v->ui.toolbar_controls = c;
    // A viewer attached again keeps its document: its pages belong in the list.
    toolbar_fill_page_list(v);
    toolbar_enable_pass(v);
    toolbar_check_pass(v);
    toolbar_add_tooltips(c, toolbar, module().instance, &v->logs.error);
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

void toolbar_enable_pass(Viewer* v) {
    if (const ToolbarControls* c = toolbar_controls(v)) toolbar_enable_pass(c, control_state(v));
}

void toolbar_check_pass(Viewer* v) {
    if (const ToolbarControls* c = toolbar_controls(v)) toolbar_check_pass(c, control_state(v));
}

void toolbar_refresh(Viewer* v) {
    toolbar_enable_pass(v);
    toolbar_check_pass(v);
}

void toolbar_fill_page_list(Viewer* v) {
    toolbar_fill_page_list(toolbar_controls(v), v->document.loaded ? v->document.page_count : 0);
}

void toolbar_set_tooltips_active(Viewer* v) {
    toolbar_set_tooltips_active(toolbar_controls(v), v->settings.tooltips != 0);
}

void toolbar_set_checked(Viewer* v, int item, bool checked) { toolbar_set_checked(toolbar_controls(v), item, checked); }

ToolbarControls* toolbar_controls(const Viewer* v) { return v ? v->ui.toolbar_controls : nullptr; }

void toolbar_forget_controls(Viewer* v) {
    delete v->ui.toolbar_controls;
    v->ui.toolbar_controls = nullptr;
}
