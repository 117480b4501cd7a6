// The state the toolbar and the menu are decided from, read from the Viewer
// record and its file state without any window.
#include "config/error_log.h"
#include "document/page_marks.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/viewer_ui.h"

ControlState control_state(const Viewer* v) {
    ControlState s;
    s.access_flags = v->access_flags;
    s.download_state = v->stream.state;
    s.decoded = viewer_page_shown(v);
    s.document_loaded = v->document.loaded != 0;
    s.page_count = v->document.page_count;
    s.current_page = v->document.current_page;
    s.has_upload_url = !btext_empty(&v->annotate.upload.url);
    s.smooth = v->view.smooth != 0;
    s.negative = v->view.negative != 0;
    s.orientation = v->view.orientation;
    s.size_mode = v->view.size_mode;
    s.zoom_index = v->view.zoom_index;
    s.mouse_mode = v->view.mouse_mode;
    return s;
}

MenuState context_menu_state(const Viewer* v) {
    MenuState s;
    static_cast<ControlState&>(s) = control_state(v);
    if (v->document.loaded && v->document.file) {
        const PageMarks* marks = marks_find(&v->document.file->marks, v->document.current_directory);
        s.page_has_marks = marks_has_whiteouts(marks);
    }
    s.has_download_url = !btext_empty(&v->stream.url);
    s.has_href = v->mouse.has_href != 0;
    s.zoom_window_index = v->view.zoom_window_index;
    s.allow_select = v->mouse.allow_select != 0;
    s.crop_select = v->mouse.crop_select != 0;
    // The window paints both logs and the dialog shows both, so either one
    // having text is something to show.
    s.error_log_has_text = errlog_has_entries(&v->logs.error) || errlog_has_entries(&v->logs.page);
    return s;
}
