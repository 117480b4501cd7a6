// The viewer's side of the output operations: access bits, the busy mark,
// the records gathered for output, and the page events and browser calls that
// follow a print.
#include "host/win/viewer_output.h"

#include "host/stream_reception.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/viewer_registry.h"
#include "host/win/npp_slots.h"
#include "output/win/clipboard.h"
#include "output/win/document_writer.h"
#include "output/win/output_commands.h"
#include "output/win/print.h"
#include "output/win/print_draw.h"
#include "host/page_events.h"

namespace {
// Asked after every nested loop: the records again while the viewer lives.
class ViewerOutput final : public OutputViewer {
public:
    explicit ViewerOutput(Viewer* v) : handle_(v) {}
    const OutputSource* source() override {
        Viewer* v = handle_.get();
        if (!v) return nullptr;
        source_ = viewer_output_source(v);
        return &source_;
    }
    void set_status(const char16_t* text) override {
        if (Viewer* v = handle_.get()) viewer_set_status(v, text);
    }

private:
    ViewerHandle handle_;
    OutputSource source_;
};

void focus_plugin_window(Viewer* v) {
    if (v && v->shell.plugin_window) SetFocus(static_cast<HWND>(v->shell.plugin_window));
}
}  // namespace

OutputSource viewer_output_source(Viewer* v) {
    OutputSource s;
    s.owner = static_cast<HWND>(v->shell.plugin_window);
    s.image_window = static_cast<HWND>(v->shell.image_window);
    s.document = &v->document;
    if (ViewerFile* f = v->document.file) {
        s.doc = &f->document;
        s.bytes = &f->bytes;
        s.marks = &f->marks;
        s.page = &f->page;
        s.raster = &f->raster;
    }
    s.loader = viewer_loader_context(v);
    s.view = &v->view;
    s.settings = &v->settings;
    s.annotate = &v->annotate;
    s.download = v->stream.state;
    s.source = v->stream.source;
    s.memory = v->stream.memory_buffer;
    s.memory_size = v->stream.data_size;
    s.file_path = btext_get(&v->stream.file_path);
    s.url = btext_get(&v->stream.url);
    s.work_folder = &v->shell.work_folder;
    s.work_file = &v->shell.work_file;
    return s;
}

void output_save_as(Viewer* v) {
    if (!v || (v->access_flags & kAccessNoSaveCopy)) return;
    ViewerBusyScope busy(v);
    if (!busy.entered()) return;
    ViewerOutput out(v);
    output_save_as(out);
    focus_plugin_window(busy.viewer());
}

void output_send(Viewer* v) {
    if (!v || (v->access_flags & kAccessNoEmail) || v->stream.state != DownloadState::kFinished) return;
    ViewerBusyScope busy(v);
    if (!busy.entered()) return;
    ViewerOutput out(v);
    output_send(out);
    focus_plugin_window(busy.viewer());
}

void output_set_wallpaper(Viewer* v, int which) {
    if (!v || (v->access_flags & kAccessNoWallpaper)) return;
    output_set_wallpaper(viewer_output_source(v), which);
}

bool clipboard_put_page(Viewer* v) { return clipboard_put_page(viewer_output_source(v)); }

bool viewer_write_tiff(Viewer* v, HANDLE file) {
    return document_write_tiff(document_tiff_source(viewer_output_source(v)), file);
}

int print_request(Viewer* v, bool quick, bool* viewer_gone) {
    if (viewer_gone) *viewer_gone = false;
    if (!v || (v->access_flags & kAccessNoPrint) || !v->document.loaded || v->busy || !v->document.file) return 0;
    // The dialog and the spooler run loops in which a script or the toolbar
    // could start a second request: the busy flag refuses it.
    v->busy = 1;
    ViewerOutput out(v);
    const PrintOutcome outcome = print_job_run(out, quick);
    if (viewer_gone) *viewer_gone = outcome.gone;
    if (outcome.gone) return 0;
    viewer_set_status(v, nullptr);
    v->busy = 0;
    return outcome.printed ? 1 : 0;
}

void print_autoprint(Viewer* v) {
    if (!v || !v->stream.autoprint || !v->settings.allowscript) return;
    const int action = autoprint_action(v->stream.autoprint, v->settings.allowautoprint != 0);
    bool gone = false;
    const int printed = action ? print_request(v, action == 2, &gone) : 0;
    if (!gone) events_print_complete(v, printed);
}

void print_for_browser(Viewer* v, NPPrint* record, int browser_major, int browser_minor) {
    if (!v || (v->access_flags & kAccessNoPrint)) return;
    if (!record || record->mode == NP_FULL) {
        print_request(v, false);
        // The browser must not print the page again on top of our pages.
        if (record) record->print.fullPrint.pluginPrinted = true;
        return;
    }
    HDC dc = static_cast<HDC>(npp_print_dc(record, browser_major, browser_minor));
    const NPWindow& w = record->print.embedPrint.window;
    print_draw_embedded(viewer_output_source(v), dc, PrintRect{w.x, w.y, int32_t(w.width), int32_t(w.height)});
}
