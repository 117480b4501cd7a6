#pragma once
// The document side of a Viewer: the file's directory table, the page being
// shown and its decoded raster. Kept apart from the Viewer record so that code
// that only needs the instance's settings and windows does not pull in the
// document and decoder headers.
#include <vector>

#include "analysis/page_analysis.h"
#include "decode/raster.h"
#include "document/page_loader.h"
#include "document/page_marks.h"

struct Viewer;

struct ViewerFile {
    Document document;
    PageState page;
    DisplayRaster raster;
    DocumentBytes bytes;    // what the Document was opened on; pages are read from it
    MarkTable marks;        // per directory; dropped with the Document
    PageAnalysis analysis;  // barcodes, blank measure, mark grid of the pages scripts asked about
};

// The viewer's file state, made on first use; null only when out of memory.
ViewerFile* viewer_file(Viewer* v);
// Releases the raster and closes the Document (the page's marks go with it).
void viewer_file_reset(Viewer* v);
void viewer_file_free(Viewer* v);

// Compression codes switched off for the whole process ("disable_compression":
// comma-separated; each positive number counts).
void viewer_set_disabled_compressions(const char16_t* list);

// What loading a page needs from the viewer.
LoaderContext viewer_loader_context(Viewer* v);

// What the view operations read and change, gathered from the viewer.
struct ViewContext;
ViewContext viewer_view_context(Viewer* v);
// Whether a page is decoded and shown.
bool viewer_page_shown(const Viewer* v);
// The current page's marks record (made on first use); null without a document.
PageMarks* viewer_current_marks(Viewer* v);
