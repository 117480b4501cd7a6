#pragma once
// What the toolbar and the context menu are both decided from: the access
// bits, the download and the page, and the View state. Gathered from the
// viewer in one place (control_state, host/viewer_ui.h) so that the two always
// see the same state.
#include <cstdint>

#include "document/document_state.h"

struct ControlState {
    uint32_t access_flags = 0;
    DownloadState download_state = DownloadState::kIdle;
    bool decoded = false;  // the current page is held in the display raster
    bool document_loaded = false;
    int page_count = 0;
    int current_page = 0;
    bool has_upload_url = false;
    // The View state.
    bool smooth = false, negative = false;
    int orientation = 0;
    int size_mode = 3;   // 0 fixed, 1 width, 2 height, 3 best
    int zoom_index = 5;  // index into the image zoom steps
    int mouse_mode = 0;
};
