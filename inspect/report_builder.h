#pragma once
// The whole tag report of one file, from any byte source to any sink: the
// dialog writes it to a temporary file, the command-line tool to stdout.
#include <cstddef>
#include <cstdint>

#include "inspect/rtf_out.h"
#include "inspect/tiff_inspector.h"

// Offsets from here on are never read: a damaged offset must not send the
// report through gigabytes of a huge file.
constexpr uint64_t kReportReadLimit = 100000001;

struct TagReportRequest {
    InspectorRead read = nullptr;  // the document's bytes
    void* read_user = nullptr;
    uint64_t size = 0;         // the document's size
    RtfWrite write = nullptr;  // where the report goes
    void* write_user = nullptr;
    bool all_pages = true;
    uint64_t page_offset = 0;  // the directory shown when !all_pages
};

// False when the inspector could not be made or the sink failed.
bool tag_report_build(const TagReportRequest& request);

// "This Page" can only show a page that is loaded and lies in the document's
// directory list; otherwise the report covers all pages.
bool tag_report_use_all_pages(bool all_pages, bool loaded, int current_page, int directory_count);

struct MemoryBytes {
    const uint8_t* data;
    size_t size;
};
// An InspectorRead over a MemoryBytes.
size_t tag_report_read_memory(void* bytes, uint64_t offset, void* buffer, size_t size);
