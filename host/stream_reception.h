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
constexpr int kAutoPrintMessage = 0x82C2;          // WM_APP + 706

// NPP_NewStream: 0 when accepted; 1 when refused; 2 without a viewer.
int reception_new(Viewer* v, const StreamInfo& stream);
// NPP_Write: bytes consumed, or -1 to abort the stream.
int32_t reception_write(Viewer* v, const StreamInfo& stream, int32_t offset, int32_t length, const void* buffer);
// NPP_DestroyStream: reason 0 done, 1 network error, 2 user break.
int reception_end(Viewer* v, const StreamInfo& stream, int reason);

// Closes and deletes the download's temporary file and frees its memory.
void reception_release(Viewer* v);
// A new file is coming: the old document, its received bytes and the per-file
// state all go.
void reception_reset_for_new_file(Viewer* v);

// Sets the status text: null is empty, "*" keeps the text and re-shows it.
void viewer_set_status(Viewer* v, const char16_t* text);

// What the deferred automatic print does for an `autoprint` value:
// 0 nothing, 1 print with the dialog, 2 print without it.
int autoprint_action(int autoprint, bool allow_autoprint);
