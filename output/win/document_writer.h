#pragma once
// Writing the viewer's document out: the whole document re-encoded with every
// page's marks burnt in (also the body of an upload), and the "document copy"
// that Save As and Send use, which is the file as received when no page has
// marks.
#include <windows.h>

#include "output/document_tiff.h"
#include "output/win/output_source.h"

// The open document as the writer reads it; empty while none is loaded.
DocumentTiffSource document_tiff_source(const OutputSource& s);

// Every page, annotated, as a TIFF that starts at `file`'s current position;
// offsets inside it count from there, so it may sit inside a larger file. The
// file position ends at the end of the file. True when every page that could
// be decoded was written (and there was at least one). Shows nothing.
bool document_write_tiff(const DocumentTiffSource& source, HANDLE file);

// Whether any page carries white-outs or pen strokes.
bool document_has_annotations(const OutputSource& s);

// The annotated TIFF when any page has marks, else the received bytes (from
// memory, or copied from the file on disk), written to `path`. Failures are
// shown over the plug-in window; false also when there is nothing to write.
bool document_write_copy(const OutputSource& s, const char16_t* path);
