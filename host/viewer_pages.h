#pragma once
// Showing pages: opening the document that arrived or a local file, page
// steps, and the downloads a page's script asks for. Stream reception hands a
// finished file over here; it keeps only the stream itself.
#include "base/text.h"

struct Viewer;

// Opens the file already in place (memory buffer or file_path); true when the
// Document has pages. Also used to open a local file.
bool viewer_open_received_file(Viewer* v);
// A file on disk in place of the current document (Open Local File): the
// instance is reset for a new file, then the file is opened and its current
// page shown as a received file would be. Refused (false) while a stream is
// being received, since the reset would pull its storage away. True when the
// file has pages.
bool viewer_open_local_file(Viewer* v, const char16_t* path);
// Loads and shows page n (0-based) of the open Document.
void viewer_show_page(Viewer* v, int n);
// Page navigation: true when page n is (now) shown. A move to another page
// raises the page-change event even when that page cannot be shown; asking
// for the current page again neither decodes it again nor raises the event.
bool viewer_go_to_page(Viewer* v, int n);

// A download requested by a script. `page_number` is 1-based as scripts count.
// False when refused (a stream is running, the URL is not allowed, the browser
// refused); an empty URL empties the viewer and succeeds.
bool viewer_start_download(Viewer* v, const char16_t* url, int page_number);

// The script's arguments of a download request: the URL must be a string (a
// text over 1 MiB counts as empty); the page number is read from a boolean,
// integer, double (plus 1e-8, truncated) or the leading digits of a string,
// anything else 0.
struct NPVariant;
bool download_url_argument(const NPVariant& v, Text16* url);
int download_page_argument(const NPVariant& v);
