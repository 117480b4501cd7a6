#pragma once
// Where printing meets the printer: the dialogs that pick one and hand back its
// device context, the spooler calls and the printer's own settings. Printing
// goes through this table only, so that tests stand a memory DC in for the
// printer and nothing ever reaches a real one.
#include <windows.h>

#include <vector>

#include "output/print_hack.h"
#include "output/print_job.h"
#include "output/print_placement.h"
#include "output/win/output_source.h"

// What the print dialog (or the default printer) answered.
struct PrinterChoice {
    HDC dc = nullptr;            // owned: DeleteDC at the end
    HGLOBAL devmode = nullptr;   // owned: GlobalFree
    HGLOBAL devnames = nullptr;  // owned: GlobalFree
    PrintPages pages = PrintPages::kAll;
    std::vector<PageRange> ranges;  // for kRanges
    int copies = 1;
    bool collate = false;
};
// Deletes the DC and frees both handles; the choice is empty afterwards.
void print_choice_release(PrinterChoice* choice);

struct PrintBackend {
    // quick: the default printer without a dialog. False when there is nothing
    // to print: the user cancelled, or a failure the user has been told of.
    bool (*choose)(const OutputSource& s, bool quick, PrinterChoice* out) = nullptr;
    int (*start_doc)(HDC dc, const wchar_t* name) = nullptr;
    int (*start_page)(HDC dc) = nullptr;
    int (*end_page)(HDC dc) = nullptr;
    int (*end_doc)(HDC dc) = nullptr;
    int (*abort_doc)(HDC dc) = nullptr;
    PrinterMetrics (*metrics)(HDC dc) = nullptr;
    // Per-page tray and duplex (the print-hint mode): whether the named printer
    // prints both sides, and writing the state into its device mode and the DC.
    bool (*printer_duplex)(const wchar_t* printer) = nullptr;
    // Failures are told over `owner`.
    void (*apply_page_settings)(HWND owner, HDC dc, const wchar_t* printer, const HackSheetState& state, int copies,
                                int collate) = nullptr;
};

// The system's dialogs, spooler and printer settings.
PrintBackend print_system_backend();
const PrintBackend& print_backend();
// Returns the table in use before.
PrintBackend print_set_backend(const PrintBackend& backend);

// The system's choosers, on their own: quick print through the default
// printer, the newer dialog (falling back to the older one for good when it
// cannot run), and the older dialog.
bool print_choose_system(const OutputSource& s, bool quick, PrinterChoice* out);
// Start-up tells whether the system is of the NT line, where the newer dialog
// exists; until then the older one is used.
void print_set_newer_dialog_system(bool nt);
// What GetDeviceCaps says of a DC.
PrinterMetrics print_read_metrics(HDC dc);
