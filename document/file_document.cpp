#include "document/file_document.h"

#include "document/temp_file.h"

FileDocument::FileDocument() {
    errlog_init(&error_log, true);
    errlog_init(&page_log, false);
    context.error_log = &error_log;
    context.page_log = &page_log;
}

FileDocument::~FileDocument() {
    document_close(&doc);
    errlog_free(&error_log);
    errlog_free(&page_log);
}

FileOpenResult file_document_open(FileDocument* f, const char* path_utf8) {
    f->path = text_from_utf8(path_utf8 ? path_utf8 : "");
    f->bytes = DocumentBytes{};
    f->bytes.file_path = f->path.c_str();
    uint64_t size = 0;
    f->bytes.size_known = file_size(f->path.c_str(), &size);
    f->bytes.size = int64_t(size);
    if (!f->bytes.size_known) return FileOpenResult::kUnreadable;
    return document_open(&f->doc, &f->bytes, f->context) ? FileOpenResult::kOpened : FileOpenResult::kNoPages;
}

bool file_document_load_page(FileDocument* f, int page, PageState* state, DisplayRaster* raster) {
    if (page < 0 || page >= f->doc.page_count) return false;
    return page_load(&f->doc, document_directory_of_page(&f->doc, page), &f->bytes, f->context, state, raster);
}
