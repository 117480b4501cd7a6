// Confirming the "More Settings" sheet: the new Settings are stored, then
// only what differs from before is applied to the running viewer, in a fixed
// order (toolbar first, since the image window's size depends on it; the
// page last, since showing it lays out and paints with everything else done).
#include "config/error_log.h"
#include "decode/raster_ops.h"
#include "document/document.h"
#include "host/stream_reception.h"
#include "host/viewer_pages.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/viewer_ui.h"
#include "view/shell_seam.h"

Settings sheet_commit(Viewer* v, const Settings& edited, SettingsStore* store) {
    const Settings before = v->settings;
    v->settings = edited;
    settings_save(store, v->settings, v->view, v->access_flags, 0x3, v->shell.plugin_window);
    return before;
}

void sheet_relist_pages(Viewer* v) {
    ViewerFile* f = v->document.file;
    if (!f || f->document.directory_count <= 0) return;  // no file open (or not a TIFF file)
    errlog_clear(&v->logs.error);
    const int pages = document_number_pages(&f->document, int(v->settings.ignorespecialimages), &v->logs.error);
    v->document.page_count = pages;
    v->document.loaded = pages > 0 ? 1 : 0;
    v->document.current_page = 0;
    if (!pages) {
        // As an opening that found no pages leaves it; the page's own log
        // spoke of a page that is no longer one.
        errlog_clear(&v->logs.page);
        f->page.shown = false;
        raster_destroy(&f->raster);
        shell_repaint(v, kShellToolbarStates | kShowNewPage);
    }
    shell_repaint(v, kShellPageList);
    if (v->document.page_count <= 0) v->document.page_count = 1;
    if (pages) viewer_show_page(v, 0);
}

void sheet_apply(Viewer* v, const Settings& before) {
    SheetViewerState now;
    now.toolbar_from_settings = v->ui.toolbar_from_settings != 0;
    now.toolbar_position = v->ui.toolbar_position;
    now.bgcolor_from_settings = v->ui.bgcolor_from_settings != 0;
    now.background_color = v->ui.background_color;
    const SheetApplyPlan p = sheet_apply_plan(before, v->settings, now);
    if (p.set_toolbar_position) v->ui.toolbar_position = p.toolbar_position;
    if (p.rebuild_toolbar) shell_repaint(v, kShellToolbarBuild);
    else if (p.layout)
        shell_repaint(v, kShellWindowLayout);
    if (p.set_background) {
        v->ui.background_color = p.background_color;
        shell_repaint(v, kShellBrush);
    }
    if (p.set_tooltips) shell_repaint(v, kShellTooltips);
    if (p.set_fix_ratio) v->layout.fix_ratio = v->settings.fixratio != 0 ? 1 : 0;
    switch (p.page) {
    case SheetPageAction::kRelistPages: sheet_relist_pages(v); break;
    case SheetPageAction::kShowPageAgain:
        // Without a document there is no page to show, and showing "none"
        // would put "Unable to display image" on the status line.
        if (v->document.loaded) viewer_show_page(v, v->document.current_page);
        break;
    // The brush is new already; both windows show the colour around the page.
    case SheetPageAction::kRepaintImage: shell_repaint(v, kShowBackground & ~kShellBrush); break;
    case SheetPageAction::kNone: break;
    }
}
