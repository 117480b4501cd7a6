#pragma once
// Sending the whole annotated document to the upload address as an HTTP POST
// of multipart/form-data, on the browser's thread, with the page told through
// the upload events.
struct Viewer;

// The upload itself. 0 at once (and no event) when uploads are forbidden or
// the document is not all here; otherwise 1, whatever the outcome, which the
// completion event reports.
int upload_run(Viewer* v, int tag);
// The script's way in: refused while busy or without an address, and only
// after the user said OK to "Okay to upload to …?".
int upload_confirmed(Viewer* v, int tag);
