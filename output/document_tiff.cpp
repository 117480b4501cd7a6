#include "output/document_tiff.h"

#include <tiffio.h>

#include "config/error_log.h"
#include "decode/raster_ops.h"
#include "document/byte_source.h"
#include "document/page_loader.h"
#include "document/page_marks.h"
#include "document/tiff_messages.h"

namespace {
// One page: decoded into a raster of its own (the viewer's shown page stays as
// it is), drawn with its marks and written. 1 written, 0 left out, -1 failed.
int write_one_page(const DocumentTiffSource& s, int directory, const LoaderContext& loader, TIFF* tif,
                   const PageImageMaker& maker) {
    PageState page;
    DisplayRaster raster;
    if (!page_load(s.document, directory, s.bytes, loader, &page, &raster)) {
        raster_destroy(&raster);
        return 0;
    }
    PageImage image;
    const PageMarks* marks = s.marks ? marks_find(s.marks, directory) : nullptr;
    if (!maker.make(maker.context, &raster, marks, &image)) {
        raster_destroy(&raster);
        return 0;
    }
    PageTags tags;
    tags.subfile_type = page.subfile_type;
    tags.resolution_unit = page.resolution_unit;
    tags.x_resolution = page.x_resolution;
    tags.y_resolution = page.y_resolution;
    const bool written = tiffwrite_page(tif, image, tags);
    if (maker.release) maker.release(maker.context, &image);
    raster_destroy(&raster);
    return written ? 1 : -1;
}

bool write_pages(const DocumentTiffSource& s, TIFF* tif, const PageImageMaker& maker) {
    // Decoding messages go to a log nobody reads: the page on screen keeps its own.
    ErrorLog scratch_error, scratch_page;
    errlog_init(&scratch_error, true);
    errlog_init(&scratch_page, false);
    LoaderContext loader = s.loader;
    loader.error_log = &scratch_error;
    loader.page_log = &scratch_page;
    int written = 0;
    bool failed = false;
    for (int p = 0; p < s.document->page_count && !failed; ++p) {
        const int directory = document_directory_of_page(s.document, p);
        if (directory < 0) continue;
        const int r = write_one_page(s, directory, loader, tif, maker);
        if (r < 0) failed = true;
        else
            written += r;
        errlog_clear(&scratch_page);
    }
    errlog_free(&scratch_error);
    errlog_free(&scratch_page);
    return !failed && written > 0;
}
}  // namespace

bool document_tiff_write(const DocumentTiffSource& s, FsHandle file, const PageImageMaker& maker) {
    bool ok = false;
    if (s.document && s.bytes && maker.make && file != kNoFile) {
        // The writer's own complaints are of no use to the user; the page
        // decoding below aims the handlers at its scratch log and back to nothing.
        tiffmsg_attach(nullptr);
        if (TIFF* tif = tiffsrc_open_sink(file)) {
            ok = write_pages(s, tif, maker);
            TIFFClose(tif);
        }
    }
    uint64_t end = 0;
    if (file != kNoFile) (void)fs_seek(file, 0, FsOrigin::kEnd, &end);
    return ok;
}

bool document_has_burn_in_marks(const MarkTable* marks) {
    if (!marks) return false;
    for (const PageMarks& m : marks->by_directory)
        if (marks_burn_in(&m)) return true;
    return false;
}
