// One print request from start to end. It holds the viewer's busy flag from
// before the dialog until everything is released, because the dialog and the
// spooler run message loops in which a script or the toolbar could start a
// second request, or the browser could destroy the viewer. After each of those
// loops the viewer is looked up again through its window before it is touched.
#include <windows.h>

#include <commdlg.h>

#include "config/error_log.h"
#include "config/message_box.h"
#include "decode/raster_ops.h"
#include "host/stream_reception.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/viewer_registry.h"
#include "host/win/npp_slots.h"
#include "host/win/plugin_window.h"
#include "output/win/print.h"
#include "output/win/print_backend.h"
#include "output/win/print_draw.h"
#include "script/page_events.h"
#include "view/view_ops.h"

namespace {
constexpr wchar_t kDocumentName[] = L"Vellarion printout";
constexpr int kPrinterNameLength = 200;

struct PrintJob {
    Viewer* v = nullptr;
    ViewerHandle viewer;  // the print dialog and the spooler run loops in which the page may remove v
    HWND owner = nullptr;
    const PrintBackend* backend = nullptr;
    PrinterChoice choice;
    bool gone = false;
    bool document_started = false;
    // The print-hint mode.
    bool hints = false;
    wchar_t printer[kPrinterNameLength + 1] = {};
    int hint_copies = 1, hint_collate = 0;
    HackSheetState sheets;
    // The page being printed.
    DisplayRaster copy;  // a page decoded afresh, or a turned copy of the shown one
    const DisplayRaster* raster = nullptr;
    PageState page;      // of a page decoded afresh
    PrintHints page_hints;
    int directory = -1;
    PrintPlacement placement;
    PrintMarks marks;
    ErrorLog scratch;    // what decoding other pages says is of no interest here
};

// The page as it will go on paper: the shown page as shown, any other page
// decoded afresh, negated with the view but not turned.
bool load_page(PrintJob* job, int page, int directory, const PageState** state) {
    Viewer* v = job->v;
    ViewerFile* f = v->document.file;
    if (page == v->document.current_page) {
        if (!viewer_page_shown(v)) return false;
        job->raster = &f->raster;
        job->marks.orientation = v->view.orientation;
        *state = &f->page;
        return true;
    }
    LoaderContext context = viewer_loader_context(v);
    context.error_log = context.page_log = &job->scratch;
    if (!page_load(&f->document, directory, &f->bytes, context, &job->page, &job->copy)) {
        raster_destroy(&job->copy);
        return false;
    }
    if (v->view.negative) raster_negative(&job->copy);
    job->raster = &job->copy;
    job->marks.orientation = 0;
    *state = &job->page;
    return true;
}

// Turns the page a quarter clockwise for a turned placement; the shown page
// is turned as a copy. False when memory ran out: it then prints upright.
bool turn_page(PrintJob* job) {
    if (job->raster == &job->copy) return view_turn_raster(&job->scratch, &job->copy, 1);
    if (!raster_transpose(&job->scratch, job->raster, &job->copy)) return false;
    raster_flip(&job->copy);  // transpose, then flip: a quarter turn clockwise
    job->raster = &job->copy;
    return true;
}

bool prepare(void* context, int page) {
    auto* job = static_cast<PrintJob*>(context);
    Viewer* v = job->v;
    const int directory = document_directory_of_page(&v->document.file->document, page);
    const PageState* state = nullptr;
    if (directory < 0 || !load_page(job, page, directory, &state)) return false;
    const DibHeader* dib = raster_dib(job->raster);
    const PrintImage image{dib->width, dib->height, dib->x_pels_per_meter, dib->y_pels_per_meter,
                           state->resolution_unit == 1};
    const PrinterMetrics metrics = job->backend->metrics(job->choice.dc);
    const PlacementOptions options{v->settings.printfull != 0, v->settings.printcenter != 0};
    job->placement = print_choose_placement(image, metrics, options, v->settings.printautorotate != 0);
    if (job->placement.turned) {
        if (turn_page(job)) ++job->marks.orientation;
        else job->placement = print_place(image, metrics, options);
    }
    job->directory = directory;
    job->marks.whiteouts_shown = v->annotate.annotations_shown != 0;
    job->marks.page_width = state->width;
    job->marks.page_height = state->height;
    job->page_hints = PrintHints{state->hint_page_name, state->hint_model, state->hint_target_printer};
    return true;
}

bool start_document(PrintJob* job) {
    job->document_started = job->backend->start_doc(job->choice.dc, kDocumentName) > 0;
    return job->document_started;
}

// The print-hint mode sets tray and duplex before each page, starts the
// document with the first page and may leave a back side empty.
bool before_hinted_page(PrintJob* job) {
    const HackPageActions a = print_hack_before_page(&job->sheets, job->page_hints);
    job->backend->apply_page_settings(job->v, job->choice.dc, job->printer, job->sheets, job->hint_copies,
                                      job->hint_collate);
    if (a.start_document && !start_document(job)) return false;
    if (!a.blank_first) return true;
    return job->backend->start_page(job->choice.dc) > 0 && job->backend->end_page(job->choice.dc) > 0;
}

bool sheet(void* context, int, const char16_t* status) {
    auto* job = static_cast<PrintJob*>(context);
    viewer_set_status(job->v, status);
    HDC dc = job->choice.dc;
    if (job->hints && !before_hinted_page(job)) return false;
    if (!job->viewer.alive()) {  // a box about the page settings ran a loop
        job->gone = true;
        return false;
    }
    if (job->backend->start_page(dc) <= 0) return false;
    // Looked up per sheet: a script may change the marks while the spooler waits.
    job->marks.marks = marks_find(&job->v->document.file->marks, job->directory);
    const PrintPlacement& p = job->placement;
    print_draw_page(dc, job->raster, PrintRect{p.x, p.y, p.width, p.height}, job->marks);
    const bool ended = job->backend->end_page(dc) > 0;
    if (job->hints) print_hack_after_page(&job->sheets);
    if (!job->viewer.alive()) job->gone = true;
    return ended && !job->gone;
}

void finish(void* context, int) {
    auto* job = static_cast<PrintJob*>(context);
    raster_destroy(&job->copy);
    job->raster = nullptr;
}

// The printer's name and the copies the dialog left in the device mode.
bool read_hint_settings(PrintJob* job) {
    const auto* names = job->choice.devnames ? static_cast<const DEVNAMES*>(GlobalLock(job->choice.devnames)) : nullptr;
    if (!names) return false;
    const wchar_t* device = reinterpret_cast<const wchar_t*>(names) + names->wDeviceOffset;
    lstrcpynW(job->printer, device, kPrinterNameLength + 1);
    GlobalUnlock(job->choice.devnames);
    const auto* mode = job->choice.devmode ? static_cast<const DEVMODEW*>(GlobalLock(job->choice.devmode)) : nullptr;
    if (mode) {
        if (mode->dmFields & DM_COPIES) job->hint_copies = mode->dmCopies;
        if (mode->dmFields & DM_COLLATE) job->hint_collate = mode->dmCollate;
        GlobalUnlock(job->choice.devmode);
    }
    job->sheets.printer_duplex = job->backend->printer_duplex(job->printer);
    return job->printer[0] != 0;
}

// Sends the chosen pages; true when the document reached the spooler whole.
bool print_chosen(PrintJob* job) {
    Viewer* v = job->v;
    job->hints = v->document.print_hack != 0;
    if (job->hints && !read_hint_settings(job)) {
        msgbox_warning(v->shell.plugin_window, u"Can\u2019t get printer name");
        return false;
    }
    const std::vector<PageRange> ranges = print_ranges(job->choice.pages, v->document.current_page, job->choice.ranges.data(),
                                                       int(job->choice.ranges.size()), v->document.page_count);
    PageSelection selection;
    // Nothing selected is nothing printed: no empty document goes out.
    if (!print_select_pages(ranges, v->document.page_count, &selection) || selection.total == 0) return false;
    const PrintCopies copies =
        print_copies(job->choice.copies, job->choice.collate, v->settings.supportmultcopies != 0);
    if (!job->hints && !start_document(job)) return false;
    const PrintRunSteps steps{job, prepare, sheet, finish};
    const bool ok = print_run(selection, copies, steps);
    if (!job->document_started) return false;
    if (!ok) {
        job->backend->abort_doc(job->choice.dc);
        return false;
    }
    return job->backend->end_doc(job->choice.dc) > 0;
}
}  // namespace

int print_request(Viewer* v, bool quick, bool* viewer_gone) {
    if (viewer_gone) *viewer_gone = false;
    if (!v || (v->access_flags & kAccessNoPrint) || !v->document.loaded || v->busy || !v->document.file) return 0;
    PrintJob job;
    job.v = v;
    job.viewer = ViewerHandle(v);
    job.owner = static_cast<HWND>(v->shell.plugin_window);
    job.backend = &print_backend();
    errlog_init(&job.scratch, false);
    v->busy = 1;
    bool printed = false;
    const bool chosen = job.backend->choose(v, quick, &job.choice);
    job.gone = !job.viewer.alive();
    if (chosen && !job.gone) {
        const HCURSOR old_cursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        printed = print_chosen(&job);
        SetCursor(old_cursor);
        if (!job.viewer.alive()) job.gone = true;  // a warning box ran a loop
    }
    print_choice_release(&job.choice);
    raster_destroy(&job.copy);
    errlog_free(&job.scratch);
    if (viewer_gone) *viewer_gone = job.gone;
    if (job.gone) return 0;
    viewer_set_status(v, nullptr);
    v->busy = 0;
    return printed ? 1 : 0;
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
    print_draw_embedded(v, dc, PrintRect{w.x, w.y, int32_t(w.width), int32_t(w.height)});
}
