#pragma once
// The Document: every image directory (IFD) of a TIFF file, sub-IFDs
// included, in the order they were found, each with its kind and its page
// number. Opening reads only directories; each page is decoded later by
// page_loader.h over the same bytes, which must therefore stay in place for
// the Document's whole life. No libtiff handle outlives a call.
#include <cstdint>

struct ErrorLog;

// Kind bits: the directory's NewSubfileType value, plus one bit of our own.
constexpr uint32_t kKindReducedResolution = 0x1;
constexpr uint32_t kKindTransparencyMask = 0x4;
constexpr uint32_t kKindSubIfd = 0x10000000;  // reached through a SubIFDs tag or a sub-IFD's chain

// Bits of the "ignorespecialimages" setting.
constexpr int kIgnoreReducedResolution = 0x1;
constexpr int kIgnoreSubIfds = 0x2;

constexpr int kDirectoryTableStart = 250;  // grows by doubling ...
constexpr int kDirectoryTableMax = 32000;  // ... up to this many entries

struct DirectoryEntry {
    uint64_t offset;  // file offset of the IFD
    uint32_t kind;    // kKind… bits
    int32_t page;     // 0-based page number, or -1 when the directory is not a page
};

struct Document {
    DirectoryEntry* directories = nullptr;  // owned
    int directory_count = 0;
    int directory_capacity = 0;
    int page_count = 0;
    int current_directory = 0;  // index of the page shown
};

// Where the file's bytes are: a whole file in memory (used when `memory` is
// set) or a file on disk. The first two bytes may already have been kept
// while the file arrived; the magic check fills them in otherwise.
struct DocumentBytes {
    const uint8_t* memory = nullptr;
    const char16_t* file_path = nullptr;
    int64_t size = 0;
    bool size_known = false;
    bool magic_captured = false;
    uint8_t magic[2] = {0, 0};
};

// What loading takes from the viewer: its two logs and a few settings.
struct LoaderContext {
    ErrorLog* error_log = nullptr;  // the document's log (unknown-tag filter on)
    ErrorLog* page_log = nullptr;   // the current page's log
    int ignore_special_images = 0;  // "ignorespecialimages": kIgnore… bits
    uint32_t memory_limit_mb = 0;   // "memorylimit": 0 means none
    int palette_repair = 1;         // "palette_repair": handed to the decoder
    bool print_hack = false;        // read the print hints of each page
    // Compression codes switched off for the whole process.
    const int* disabled_compressions = nullptr;
    int disabled_compression_count = 0;
};

// Opens a Document over the bytes: the magic check, the directory walk and
// the page numbering, all logged into context.error_log. The previous
// Document is closed first. True when there is at least one page.
[[nodiscard]] bool document_open(Document* doc, DocumentBytes* bytes, const LoaderContext& context);
void document_close(Document* doc);

// The steps of document_open, on their own for callers that redo one of them.
// True when the bytes start with "II" or "MM"; anything else is logged.
[[nodiscard]] bool document_check_magic(DocumentBytes* bytes, ErrorLog* log);
// Fills the directory table (which must have room, see document_reserve); true
// when at least one directory was found.
[[nodiscard]] bool document_enumerate(Document* doc, const DocumentBytes* bytes, ErrorLog* log);
// Numbers the pages again, e.g. after "ignorespecialimages" changed; returns page_count.
int document_number_pages(Document* doc, int ignore_special_images, ErrorLog* log);
// Empties the table and makes room for kDirectoryTableStart entries.
[[nodiscard]] bool document_reserve(Document* doc);

// Index into directories of the 0-based page, or -1.
int document_directory_of_page(const Document* doc, int page);
