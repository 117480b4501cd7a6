// One print job from the dialog to the spooler's last call. The dialog and the
// spooler run message loops in which the browser could destroy the viewer:
// after each of those loops the viewer is asked for again before anything of
// it is touched.
#include <windows.h>

#include <commdlg.h>

#include "document/page_marks.h"
#include "config/error_log.h"
#include "config/message_box.h"
#include "decode/raster_ops.h"
#include "output/win/print.h"
#include "output/win/print_backend.h"
#include "output/win/print_draw.h"
#include "view/view_ops.h"

namespace {
constexpr wchar_t kDocumentName[] = L"Vellarion printout";
constexpr int kPrinterNameLength = 200;

struct PrintJob {
    OutputViewer* viewer = nullptr;
    const OutputSource* s = nullptr;  // null once the viewer is gone
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
    PageState page;  // of a page decoded afresh
    PrintHints page_hints;
    int directory = -1;
    PrintPlacement placement;
    PrintMarks marks;
    ErrorLog scratch;  // what decoding other pages says is of no interest here
};

// The page as it will go on paper: the shown page as shown, any other page
// decoded afresh, negated with the view but not turned.
bool load_page(PrintJob* job, int page, int directory, const PageState** state) {
    const OutputSource& s = *job->s;
    if (page == s.document->current_page) {
        if (!output_page_shown(s)) return false;
        job->raster = s.raster;
        job->marks.orientation = s.view->orientation;
        *state = s.page;
        return true;
    }
    LoaderContext context = s.loader;
    context.error_log = context.page_log = &job->scratch;
    if (!page_load(s.doc, directory, s.bytes, context, &job->page, &job->copy)) {
        raster_destroy(&job->copy);
        return false;
    }
    if (s.view->negative) raster_negative(&job->copy);
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
    const OutputSource& s = *job->s;
    const int directory = document_directory_of_page(s.doc, page);
    const PageState* state = nullptr;
    if (directory < 0 || !load_page(job, page, directory, &state)) return false;
    const DibHeader* dib = raster_dib(job->raster);
    const PrintImage image{dib->width, dib->height, dib->x_pels_per_meter, dib->y_pels_per_meter,
                           state->resolution_unit == 1};
    const PrinterMetrics metrics = job->backend->metrics(job->choice.dc);
    const PlacementOptions options{s.settings->printfull != 0, s.settings->printcenter != 0};
    job->placement = print_choose_placement(image, metrics, options, s.settings->printautorotate != 0);
    if (job->placement.turned) {
        if (turn_page(job)) ++job->marks.orientation;
        else
            job->placement = print_place(image, metrics, options);
    }
    job->directory = directory;
    job->marks.whiteouts_shown = s.annotate->annotations_shown != 0;
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
    job->backend->apply_page_settings(job->s->owner, job->choice.dc, job->printer, job->sheets, job->hint_copies,
                                      job->hint_collate);
    if (a.start_document && !start_document(job)) return false;
    if (!a.blank_first) return true;
    return job->backend->start_page(job->choice.dc) > 0 && job->backend->end_page(job->choice.dc) > 0;
}

bool sheet(void* context, int, const char16_t* status) {
    auto* job = static_cast<PrintJob*>(context);
    job->viewer->set_status(status);
    HDC dc = job->choice.dc;
    if (job->hints && !before_hinted_page(job)) return false;
    if (!(job->s = job->viewer->source())) {  // a box about the page settings ran a loop
        job->gone = true;
        return false;
    }
    if (job->backend->start_page(dc) <= 0) return false;
    // Looked up per sheet: a script may change the marks while the spooler waits.
    job->marks.marks = marks_find(job->s->marks, job->directory);
    const PrintPlacement& p = job->placement;
    print_draw_page(dc, job->raster, PrintRect{p.x, p.y, p.width, p.height}, job->marks);
    const bool ended = job->backend->end_page(dc) > 0;
    if (job->hints) print_hack_after_page(&job->sheets);
    if (!(job->s = job->viewer->source())) job->gone = true;
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
    const OutputSource& s = *job->s;
    const DocumentState& d = *s.document;
    job->hints = d.print_hack != 0;
    if (job->hints && !read_hint_settings(job)) {
        msgbox_warning(s.owner, u"Can\u2019t get printer name");
        return false;
    }
    const std::vector<PageRange> ranges = print_ranges(job->choice.pages, d.current_page, job->choice.ranges.data(),
                                                       int(job->choice.ranges.size()), d.page_count);
    PageSelection selection;
    // Nothing selected is nothing printed: no empty document goes out.
    if (!print_select_pages(ranges, d.page_count, &selection) || selection.total == 0) return false;
    const PrintCopies copies =
        print_copies(job->choice.copies, job->choice.collate, s.settings->supportmultcopies != 0);
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

PrintOutcome print_job_run(OutputViewer& viewer, bool quick) {
    PrintJob job;
    job.viewer = &viewer;
    if (!(job.s = viewer.source())) return PrintOutcome{false, true};
    job.backend = &print_backend();
    errlog_init(&job.scratch, false);
    PrintOutcome outcome;
    const bool chosen = job.backend->choose(*job.s, quick, &job.choice);
    job.gone = !(job.s = viewer.source());
    if (chosen && !job.gone) {
        const HCURSOR old_cursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        outcome.printed = print_chosen(&job);
        SetCursor(old_cursor);
        if (!(job.s = viewer.source())) job.gone = true;  // a warning box ran a loop
    }
    print_choice_release(&job.choice);
    raster_destroy(&job.copy);
    errlog_free(&job.scratch);
    outcome.gone = job.gone;
    return outcome;
}
