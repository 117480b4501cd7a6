#pragma once
// Printing pages of the open document: the menu's and toolbar's print
// commands, the script's Print method, the `autoprint` embed parameter and the
// browser's print of the page that embeds the viewer.
#include "host/npapi.h"

struct Viewer;

// A whole print request: the print dialog (or, quick, the default printer and
// every page once), then the chosen pages and copies. 1 when a document went
// to the printer, 0 otherwise. Refused while printing is restricted, nothing
// is loaded, or another modal operation holds the viewer's busy flag.
// *viewer_gone (when given) says the viewer was destroyed while a dialog or
// the spooler ran; the caller must not touch it then.
int print_request(Viewer* v, bool quick, bool* viewer_gone = nullptr);

// The deferred print of the `autoprint` parameter; the page hears the result
// through its print-complete function.
void print_autoprint(Viewer* v);

// NPP_Print: without a record, or for a full-page viewer, a print request with
// the dialog (a full-page viewer then tells the browser it printed); for an
// embedded viewer, the current page drawn into the browser's DC and rectangle.
void print_for_browser(Viewer* v, NPPrint* record, int browser_major, int browser_minor);
