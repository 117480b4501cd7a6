#pragma once
// Writing a whole Document as a new TIFF with every page's marks burnt in,
// starting at an open file's current position (so that an upload can put the
// TIFF inside a larger body). Each page is decoded afresh; its Annotated page
// image is drawn by the caller's maker (GDI in the plug-in), and this code
// decides what every page becomes in the file.
#include "document/document.h"
#include "document/file_system.h"
#include "output/tiff_page_writer.h"

struct DisplayRaster;
struct MarkTable;
struct PageMarks;

// Draws the Annotated page image of a freshly decoded page (in page
// orientation, never negated) with `marks` (may be null) burnt in. `release`
// is called for every image `make` succeeded on.
struct PageImageMaker {
    bool (*make)(void* context, const DisplayRaster* page, const PageMarks* marks, PageImage* out) = nullptr;
    void (*release)(void* context, PageImage* image) = nullptr;
    void* context = nullptr;
};

struct DocumentTiffSource {
    const Document* document = nullptr;
    const DocumentBytes* bytes = nullptr;
    const MarkTable* marks = nullptr;  // may be null: no page has marks
    LoaderContext loader;              // limits and switches; its logs are not used
};

// Every page in page order. A page that cannot be decoded or drawn is left
// out; a failed write stops the file. True when at least one page was written
// and nothing failed. Whatever happens, the file position ends at the end of
// the file.
[[nodiscard]] bool document_tiff_write(const DocumentTiffSource& source, FsHandle file, const PageImageMaker& maker);

// Whether any page of the table carries marks that saving burns in.
bool document_has_burn_in_marks(const MarkTable* marks);
