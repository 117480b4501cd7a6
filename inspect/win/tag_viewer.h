#pragma once
// The "TIFF Tags" dialog: the tag report of the current page or of all pages,
// written to a temporary file and streamed into a rich-edit control.
#include <windows.h>

#include <cstdint>

#include "config/error_log.h"

constexpr unsigned kAccessNoTagViewer = 0x1000;
constexpr int IDC_TAGDUMP_TEXT = 1065;

// What the viewer hands over: the document (in memory, or in the file it was
// downloaded to), the Document's directory offsets and the current page.
struct TagViewerRequest {
    HWND owner = nullptr;
    HINSTANCE resources = nullptr;  // the module holding DLGTAGDUMP
    unsigned access_flags = 0;
    bool loaded = false;
    const uint8_t* data = nullptr;       // the document in memory, or
    const wchar_t* file_path = nullptr;  // the file it is kept in
    uint64_t size = 0;
    const uint64_t* directory_offsets = nullptr;
    int directory_count = 0;
    int current_page = -1;    // index into directory_offsets; -1 when none
    ErrorLog* log = nullptr;  // for the failures the user should read later
};

// Refused (0) when the access flags forbid the tag display; otherwise shows
// the dialog modally and answers 1.
int tagview_show(const TagViewerRequest& request, bool all_pages);
