#pragma once
// Receiving the document as a browser stream: into memory when it is small and
// announced, into a temporary file otherwise; the status line and progress
// texts on the way; opening the file and showing the start page at the end.
// The decisions are here; the shell's windows are reached through the seam.
#include <cstdint>

#include "base/text.h"

struct Viewer;

// The parts of the browser's stream record we read.
struct StreamInfo {
    const void* identity = nullptr;  // the browser's stream pointer
    const char* url = nullptr;       // UTF-8
    uint32_t end = 0;                // announced length; 0 when unknown
};

// What the stream code tells the page and asks of the browser; the windows
// are reached through the seam (view/shell_seam.h). Every hook may be null.
struct StreamHooks {
    void (*ready_event)(Viewer* v) = nullptr;  // the page's ready event, when not yet raised
    void (*page_change_event)(Viewer* v, int page_1based) = nullptr;
    // Asks the browser for a URL into this viewer (null target); returns its NPError.
    int (*get_url)(Viewer* v, const char16_t* url) = nullptr;
};

void stream_set_hooks(const StreamHooks& hooks);
const StreamHooks& stream_hooks();

constexpr uint32_t kMemoryStorageLimit = 2097152;  // 2 MiB: below this a stream is kept in memory
constexpr int kAutoPrintMessage = 0x82C2;           // WM_APP + 706

// NPP_NewStream: 0 when accepted; 1 when refused; 2 without a viewer.
int reception_new(Viewer* v, const StreamInfo& stream);
// NPP_Write: bytes consumed, or -1 to abort the stream.
int32_t reception_write(Viewer* v, const StreamInfo& stream, int32_t offset, int32_t length, const void* buffer);
// NPP_DestroyStream: reason 0 done, 1 network error, 2 user break.
int reception_end(Viewer* v, const StreamInfo& stream, int reason);

// Closes and deletes the download's temporary file and frees its memory.
void reception_release(Viewer* v);

// Sets the status text: null is empty, "*" keeps the text and re-shows it.
void viewer_set_status(Viewer* v, const char16_t* text);

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

// What the deferred automatic print does for an `autoprint` value:
// 0 nothing, 1 print with the dialog, 2 print without it.
int autoprint_action(int autoprint, bool allow_autoprint);
