#include "host/win/settings_sheet.h"

#include <windows.h>

#include <memory>
#include <new>

#include "config/win/registry_store.h"
#include "host/viewer.h"
#include "host/viewer_registry.h"
#include "host/viewer_ui.h"
#include "host/win/module.h"
#include "ui/win/settings_pages.h"
#include "view/win/zoom_monitors.h"

namespace {
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
    w->resources = module().instance;
    w->custom_colours = module().custom_colours;  // shared by every viewer, kept between calls
    HWND owner = static_cast<HWND>(v->shell.plugin_window);
    // The sheet runs a nested loop in which the page may remove the viewer.
    const ViewerBusyScope busy(v);
    const INT_PTR result = settings_sheet_run(owner, w.get());
    if (!busy.viewer()) return SheetOutcome::kViewerGone;
    v->ui.settings_sheet_page = w->copy.active_page;
    SheetOutcome outcome = result < 0 ? SheetOutcome::kFailed : SheetOutcome::kCancelled;
    if (w->copy.changed) {
        const Settings before = sheet_commit(v, w->copy.settings, store);
        // An unwritable key shows a warning box, another nested loop.
        if (!busy.viewer()) return SheetOutcome::kViewerGone;
        sheet_apply(v, before);
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
