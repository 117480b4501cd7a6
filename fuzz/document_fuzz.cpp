// Any bytes, as a downloaded file held in memory: open the Document, then load
// and decode every page under the viewer's limits.
#include <cstdint>
#include <cstdlib>

#include "config/error_log.h"
#include "decode/raster_ops.h"
#include "document/document.h"
#include "document/page_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ErrorLog error_log, page_log;
    errlog_init(&error_log, true);
    errlog_init(&page_log, false);
    LoaderContext context;
    context.error_log = &error_log;
    context.page_log = &page_log;
    context.memory_limit_mb = 256;  // the fuzzer's own allocation cap sits above this
    DocumentBytes bytes;
    bytes.memory = data;
    bytes.size = int64_t(size);
    bytes.size_known = true;
    // What the viewer relies on, whatever the bytes: a refusal says why, an
    // open Document has a bounded table in which every page is found, and a
    // page loads at the size it reports or says why not.
    Document doc;
    const bool opened = document_open(&doc, &bytes, context);
    if (opened ? doc.page_count < 1 || doc.page_count > doc.directory_count || doc.directory_count > kDirectoryTableMax
               : !errlog_has_entries(&error_log))
        abort();
    for (int page = 0; page < doc.page_count && page < 16; ++page) {
        const int directory = document_directory_of_page(&doc, page);
        if (directory < 0 || doc.directories[directory].page != page) abort();
        PageState state;
        DisplayRaster raster;
        errlog_clear(&page_log);
        if (page_load(&doc, directory, &bytes, context, &state, &raster)
                ? raster_width(&raster) != state.width || raster_height(&raster) != state.height
                : !errlog_has_entries(&page_log))
            abort();
        raster_destroy(&raster);
    }
    document_close(&doc);
    errlog_free(&error_log);
    errlog_free(&page_log);
    return 0;
}
