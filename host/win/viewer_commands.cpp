#include "host/win/viewer_commands.h"

#include <windows.h>

#include <vector>

#include "host/win/sketch_commands.h"
#include "host/win/sketch_mouse.h"
#include "config/settings.h"
#include "config/win/registry_store.h"
#include "config/zoom_steps.h"
#include "document/page_marks.h"
#include "host/browser.h"
#include "host/stream_reception.h"
#include "host/viewer_pages.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/viewer_registry.h"
#include "host/win/image_window.h"
#include "host/win/info_commands.h"
#include "host/win/module.h"
#include "host/win/viewer_output.h"
#include "host/win/viewer_update.h"
#include "host/win/settings_sheet.h"
#include "host/win/viewer_toolbar.h"
#include "inspect/win/tag_viewer.h"
#include "output/win/clipboard.h"
#include "host/win/upload_win.h"
#include "host/page_events.h"
#include "ui/commands.h"
#include "view/geometry.h"
#include "view/scaled_view.h"
#include "view/shell_seam.h"
#include "view/view_ops.h"

namespace {

HWND plugin_hwnd(Viewer* v) { return static_cast<HWND>(v->shell.plugin_window); }

void show_tags(Viewer* v, bool all_pages) {
    TagViewerRequest r;
    r.owner = plugin_hwnd(v);
    r.resources = module().instance;
    r.access_flags = v->access_flags;
    r.loaded = v->stream.state == DownloadState::kFinished && v->document.loaded && v->document.file;
    r.log = &v->logs.error;
    std::vector<uint64_t> offsets;
    if (r.loaded) {
        const Document& d = v->document.file->document;
        for (int i = 0; i < d.directory_count; ++i) offsets.push_back(d.directories[i].offset);
        const DocumentBytes& b = v->document.file->bytes;
        r.data = b.memory;
        r.file_path = b.memory ? nullptr : reinterpret_cast<const wchar_t*>(b.file_path);
        r.size = uint64_t(b.size);
        r.directory_offsets = offsets.data();
        r.directory_count = int(offsets.size());
        r.current_page = v->document.file->page.shown ? d.current_directory : -1;
    }
    // The dialog runs a nested loop in which the page may remove the viewer.
    const ViewerHandle handle(v);
    tagview_show(r, all_pages);
    if ((v = handle.get()) && v->shell.plugin_window) SetFocus(plugin_hwnd(v));
}

void remove_marks(Viewer* v, bool all) {
    PageMarks* marks = viewer_current_marks(v);
    if (!marks) return;
    if (all) marks_clear_whiteouts(marks);
    else
        marks_remove_last_whiteout(marks);
    shell_repaint(v, kShowPageLook);
}

void save_all_settings(Viewer* v) {
    settings_save(registry_settings_store(), v->settings, v->view, v->access_flags, 0x3, v->shell.plugin_window);
}
}  // namespace

void command_set_mouse_mode(Viewer* v, int mode) {
    if (mode < kMouseZoom || mode > kMouseErase || mode == v->view.mouse_mode) return;
    v->view.mouse_mode = mode;
    if (mode == kMouseCrop) v->mouse.crop_select = 1;  // from now on for this viewer's life
    // The eraser's outline follows the mouse; it goes with any other mode.
    if (mode == kMouseErase) sketch_outline_start(v);
    else if (v->annotate.eraser_shown)
        sketch_outline_stop(v);
    shell_repaint(v, kShellToolbarChecks);
    events_mouse_mode_change(v, mode);
}

void command_set_size_mode(Viewer* v, int mode) {
    if (mode < kSizeFixed || mode > kSizeBestFit) return;
    v->view.size_mode = mode;
    shell_repaint(v, kShowViewSize);
    events_size_mode_change(v, mode, zoom_step_percent(ZoomTable::kImage, v->view.zoom_index));
}

void command_set_fixed_zoom(Viewer* v, int percent) {
    const int index = zoom_nearest_step(ZoomTable::kImage, percent);
    if (index == v->view.zoom_index && v->view.size_mode == kSizeFixed) return;
    v->view.zoom_index = index;
    command_set_size_mode(v, kSizeFixed);
}

void command_set_zoom_window_scale(Viewer* v, int percent) {
    const int index = zoom_nearest_step(ZoomTable::kMagnifier, percent);
    if (index == v->view.zoom_window_index) return;
    scaled_view_drop(&v->layout.zoom_view);
    v->view.zoom_window_index = index;
    if (!(v->access_flags & kAccessNoSaveSettings))
        settings_write_user_dword(registry_settings_store(), u"zscalepct",
                                  uint32_t(zoom_step_percent(ZoomTable::kMagnifier, index)));
}

void command_set_orientation(Viewer* v, int orientation) {
    const OrientationChange o = view_set_orientation(viewer_view_context(v), orientation);
    if (!o.changed) {
        if (!o.ok) shell_repaint(v, kShowPageLook);  // the log tells why the page did not turn
        return;
    }
    shell_repaint(v, kShellToolbarChecks | (o.needs_layout ? kShellRefit : 0u) | kShowPageLook);
    events_orientation_change(v, o.event_value);
}

void command_toggle_negative(Viewer* v) {
    const int negative = view_toggle_negative(viewer_view_context(v));
    shell_repaint(v, kShellToolbarChecks | kShowPageLook);
    events_negative_change(v, negative);
}

void command_toggle_smoothing(Viewer* v) {
    view_toggle_smoothing(viewer_view_context(v));
    shell_repaint(v, kShellToolbarChecks | kShowPageLook);
}

void command_page_step(Viewer* v, int step) {
    const int target = step == 0   ? v->document.current_page - 1
                       : step == 1 ? v->document.current_page + 1
                       : step == 2 ? 0
                                   : v->document.page_count - 1;
    if (target < 0 || target >= v->document.page_count || target == v->document.current_page) return;
    viewer_go_to_page(v, target);
}

void command_open_address(Viewer* v, const char16_t* url, const char16_t* target, Navigable allowed) {
    if (browser_navigate(static_cast<NPP>(v->browser.npp), url, target, allowed) == NPERR_INVALID_URL)
        errlog_error(&v->logs.error,
                     u"Address not opened: only http: and https: addresses, and addresses relative "
                     u"to the page, are followed.");
}

void command_perform(Viewer* v, int id) {
    if (!v) return;
    const Command c = command_decode(id);
    using K = CommandKind;
    switch (c.kind) {
    case K::kToggleSmooth: command_toggle_smoothing(v); break;
    case K::kToggleNegative: command_toggle_negative(v); break;
    case K::kSetOrientation: command_set_orientation(v, c.value); break;
    case K::kTurn: command_set_orientation(v, (v->view.orientation + c.value + 4) % 4); break;
    case K::kPageStep: command_page_step(v, c.value); break;
    case K::kOpenDownloadUrl:
        command_open_address(v, btext_get(&v->stream.url), c.value ? u"_blank" : u"_self", Navigable::kWebOrRelative);
        break;
    case K::kCopyImageLocation: clipboard_put_text(plugin_hwnd(v), btext_get(&v->stream.url)); break;
    case K::kCopyLinkLocation: clipboard_put_text(plugin_hwnd(v), btext_get(&v->mouse.href)); break;
    case K::kCopyImage:
        if (!(v->access_flags & kAccessNoCopyImage)) clipboard_put_page(v);
        break;
    case K::kSaveAllSettings: save_all_settings(v); break;
    case K::kFixedZoom: command_set_fixed_zoom(v, c.value); break;
    case K::kSizeMode: command_set_size_mode(v, c.value); break;
    case K::kZoomWindowScale: command_set_zoom_window_scale(v, c.value); break;
    case K::kMouseMode: command_set_mouse_mode(v, c.value); break;
    case K::kRemoveLastMark: remove_marks(v, false); break;
    case K::kRemoveAllMarks: remove_marks(v, true); break;
    case K::kTags: show_tags(v, c.value == 1); break;
    case K::kHomePage: command_open_address(v, kHomePageUrl, u"_self", Navigable::kWebOnly); break;
    case K::kAbout: info_command_about(v); break;
    case K::kShowErrorLog: info_command_error_log(v); break;
    case K::kPenColor: sketch_choose_pen_colour(v); break;
    case K::kClearPen: sketch_clear_pen(v, v->document.current_directory); break;
    case K::kSaveAs: output_save_as(v); break;
    case K::kOpenLocalFile: output_open_local_file(v); break;
    case K::kWallpaper: output_set_wallpaper(v, c.value); break;
    case K::kSendImage: output_send(v); break;
    // The menu and the toolbar print without telling the page; only a
    // script's Print and the `autoprint` parameter raise OnPrintComplete.
    case K::kPrint: print_request(v, c.value == 1); break;
    case K::kMoreSettings: settings_sheet_command(v); break;
    // From the menu or the toolbar the user asked already: no confirmation.
    case K::kUpload:
        if (!btext_empty(&v->annotate.upload.url)) upload_run(v, 0);
        break;
    case K::kCheckVersion: update_command(v); break;
    case K::kNone: break;
    }
}
