#pragma once
// Tray and duplex per page, for pages that ask for them in their own tags
// (switched on by the `zebprinthack` embed parameter): PageName asks for a new
// sheet, Model for duplex (non-zero) or simplex (zero), TargetPrinter names the
// paper source. Absent tags read -1. This file keeps track of the sheet's sides
// and decides what the shell does around each printed page; the shell applies
// the device mode and talks to the spooler.
constexpr int kPaperSourceAuto = 7;  // DMBIN_AUTO
constexpr int kDuplexSimplex = 1;    // DMDUP_SIMPLEX
constexpr int kDuplexVertical = 2;   // DMDUP_VERTICAL

struct PrintHints {
    int new_sheet = -1;  // PageName
    int duplex = -1;     // Model
    int source = -1;     // TargetPrinter
};

struct HackSheetState {
    bool printer_duplex = false;  // the printer can print both sides
    int source = kPaperSourceAuto;
    bool source_set = false;
    int duplex = kDuplexVertical;
    bool next_is_front = true;  // the next page starts a new sheet
    bool document_started = false;
    int pages = 0;  // pages sent
};

struct HackPageActions {
    bool start_document = false;  // StartDocW before anything else of this page
    bool blank_first = false;     // an empty page first, to move on to a front side
};

// Before a page: takes its hints into the state (the shell then writes the
// device mode from it) and says what has to happen before its StartPage.
HackPageActions print_hack_before_page(HackSheetState* state, const PrintHints& hints);
// After the page's EndPage.
void print_hack_after_page(HackSheetState* state);
