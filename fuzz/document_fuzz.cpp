// Any bytes, as a downloaded file held in memory: open the Document, then load
// and decode every page under the viewer's limits.
#include <cstdint>

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
    Document doc;
    if (document_open(&doc, &bytes, context)) {
        for (int page = 0; page < doc.page_count && page < 16; ++page) {
            PageState state;
            DisplayRaster raster;
            if (page_load(&doc, document_directory_of_page(&doc, page), &bytes, context, &state, &raster))
                raster_destroy(&raster);
        }
    }
    document_close(&doc);
    errlog_free(&error_log);
    errlog_free(&page_log);
    return 0;
}
