#pragma once
// A document opened from a file by path with its own two logs: what the
// command-line tools and tests need around the loader, in one place.
#include <string>

#include "base/text.h"
#include "config/error_log.h"
#include "document/document.h"
#include "document/page_loader.h"

struct FileDocument {
    Text16 path;
    ErrorLog error_log;
    ErrorLog page_log;
    LoaderContext context;
    DocumentBytes bytes;
    Document doc;
    FileDocument();
    ~FileDocument();
    FileDocument(const FileDocument&) = delete;
    FileDocument& operator=(const FileDocument&) = delete;
};

enum class FileOpenResult { kOpened, kUnreadable, kNoPages };

// Opens `path_utf8`; kUnreadable when the file cannot be read at all, kNoPages
// when it was read but holds no page (the error log says why).
FileOpenResult file_document_open(FileDocument* f, const char* path_utf8);
// Loads 0-based page `page` into `raster`; the page log says why when it fails.
bool file_document_load_page(FileDocument* f, int page, PageState* state, DisplayRaster* raster);
