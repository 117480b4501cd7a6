#pragma once
// The document's bytes on their way in: the browser stream, the download file
// or memory buffer they land in, and the signature read from the first bytes.
// Only stream reception changes it; everything else reads the state and source.
#include <cstdint>

#include "config/bounded_text.h"
#include "document/document_state.h"

struct ViewerStream {
    DownloadState state = DownloadState::kIdle;
    SourceKind source = SourceKind::kNone;
    intptr_t temp_file_handle = -1;  // open download file (a file-system handle); -1 when none
    BoundedText file_path;           // text(260)
    BoundedText temp_path;           // text(260): the download file the browser named
    uint8_t* memory_buffer = nullptr;
    int data_size = 0;
    int data_size_known = 0;
    int magic_captured = 0;
    uint8_t magic_bytes[2] = {0, 0};
    uint32_t expected_length = 0;
    int failed = 0;
    int bytes_received = 0;
    int download_count = 0;
    BoundedText url;          // text(1024)
    void* pending = nullptr;  // the browser stream being received
    int start_page = 0;       // the page to show first (embed parameter)
    int autoprint = 0;        // print once the first download has arrived (embed parameter)
};
