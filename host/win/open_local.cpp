// Open Local File: ask for a TIFF file on disk and show it in this viewer.
// Viewer glue: the question is output's, the showing is stream reception's.
#include <windows.h>
#include <commdlg.h>

#include "host/stream_reception.h"
#include "host/viewer_pages.h"
#include "host/viewer.h"
#include "host/viewer_registry.h"
#include "host/win/viewer_output.h"
#include "output/save_rules.h"
#include "output/win/file_dialogs.h"

void output_open_local_file(Viewer* v) {
    // While a stream arrives its storage must stay; the button is greyed then too.
    if (!v || (v->access_flags & kAccessNoOpenLocal) || v->stream.state == DownloadState::kReceiving) return;
    ViewerBusyScope busy(v);
    if (!busy.entered()) return;
    viewer_set_status(v, nullptr);  // the status line and the progress bar go
    FileQuestion q;
    q.owner = static_cast<HWND>(v->shell.plugin_window);
    q.title = kOpenDialogTitle;
    const Text16 filters = open_filter_list();
    q.filters = filters.c_str();
    q.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    const bool chosen = file_question_ask(&q);
    if (!(v = busy.viewer())) return;  // removed while the dialog was open
    if (chosen) (void)viewer_open_local_file(v, q.name);
    if ((v = busy.viewer()) && v->shell.plugin_window) SetFocus(static_cast<HWND>(v->shell.plugin_window));
}
