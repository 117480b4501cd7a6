#pragma once
// What the output commands read and change of the viewer they work for. The
// host gathers it from the viewer's records; the pointers lead into those
// records and stay valid while the viewer lives. Dialogs, message boxes, the
// mail program and the spooler run nested loops in which the page may remove
// the viewer, so a command that runs one asks its OutputViewer again afterwards
// instead of keeping what it had.
#include <windows.h>

#include "annotate/sketch_state.h"
#include "config/bounded_text.h"
#include "config/settings.h"
#include "document/document_state.h"
#include "document/page_loader.h"

struct DisplayRaster;
struct MarkTable;
struct PageMarks;

struct OutputSource {
    HWND owner = nullptr;         // the plug-in window: message boxes and dialogs
    HWND image_window = nullptr;  // the older print dialog's owner
    const DocumentState* document = nullptr;
    // The open document's parts; null before the viewer's first file.
    Document* doc = nullptr;
    const DocumentBytes* bytes = nullptr;
    MarkTable* marks = nullptr;
    const PageState* page = nullptr;
    const DisplayRaster* raster = nullptr;  // the page shown, as shown
    LoaderContext loader;                   // for decoding pages afresh
    const ViewGroup* view = nullptr;
    const Settings* settings = nullptr;
    const AnnotateState* annotate = nullptr;
    // The bytes as received.
    DownloadState download = DownloadState::kIdle;
    SourceKind source = SourceKind::kNone;
    const uint8_t* memory = nullptr;
    int memory_size = 0;
    const char16_t* file_path = u"";
    const char16_t* url = u"";
    // The mail attachment's temporary copy, removed by the next send or the viewer.
    BoundedText* work_folder = nullptr;
    BoundedText* work_file = nullptr;
};

// Whether a page is decoded and shown.
bool output_page_shown(const OutputSource& s);
// The marks of the page shown (null: none, or no document).
const PageMarks* output_shown_marks(const OutputSource& s);

// The viewer as a command that runs nested loops sees it.
class OutputViewer {
public:
    // The viewer's records as they are now; null once it was destroyed.
    virtual const OutputSource* source() = 0;
    // The status line (null clears it, and the progress bar with it).
    virtual void set_status(const char16_t* text) = 0;

protected:
    ~OutputViewer() = default;
};
