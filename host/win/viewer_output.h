#pragma once
// The output operations as the toolbar, the context menu, scripts and the
// browser start them for a whole viewer: each is refused when its access bit
// is set, holds the viewer's busy mark while its dialogs run, and gives the
// keyboard focus back to the plug-in window. The work itself is output's.
#include <windows.h>

#include "host/npapi.h"
#include "output/win/output_source.h"

struct Viewer;

// The viewer's records as the output operations read them.
OutputSource viewer_output_source(Viewer* v);

// Save As: the file as received, the annotated document, or the page as BMP.
void output_save_as(Viewer* v);
// Send: the document copy handed to the mail program as an attachment.
void output_send(Viewer* v);
// The current page as the desktop background: 0 centred, 1 tiled, 2 stretched.
void output_set_wallpaper(Viewer* v, int which);
// Open Local File: another TIFF file shown in this viewer.
void output_open_local_file(Viewer* v);
// The current page as shown on the clipboard ("No image to copy" without one).
bool clipboard_put_page(Viewer* v);
// The whole document, annotated, as a TIFF from `file`'s current position.
bool viewer_write_tiff(Viewer* v, HANDLE file);

// A whole print request. 1 when a document went to the printer, 0 otherwise.
// Refused while printing is restricted, nothing is loaded, or another modal
// operation holds the viewer's busy flag. *viewer_gone (when given) says the
// viewer was destroyed while a dialog or the spooler ran; the caller must not
// touch it then.
int print_request(Viewer* v, bool quick, bool* viewer_gone = nullptr);
// The deferred print of the `autoprint` parameter; the page hears the result
// through its print-complete function.
void print_autoprint(Viewer* v);
// NPP_Print: without a record, or for a full-page viewer, a print request with
// the dialog (a full-page viewer then tells the browser it printed); for an
// embedded viewer, the current page drawn into the browser's DC and rectangle.
void print_for_browser(Viewer* v, NPPrint* record, int browser_major, int browser_minor);
