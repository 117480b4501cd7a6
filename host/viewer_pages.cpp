#include "host/viewer_pages.h"

#include <cstdlib>
#include <cstring>
#include "base/url.h"
#include "config/message_box.h"
#include "decode/raster_ops.h"
#include "view/scaled_view.h"
#include "view/shell_seam.h"
#include "view/view_ops.h"
#include "document/file_system.h"
#include "document/temp_file.h"
#include "document/url_rules.h"
#include "host/viewer_registry.h"
#include "host/npapi.h"
#include "host/nperror.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/stream_reception.h"

namespace {
void wait_cursor(Viewer* v, bool on) {
    if (shell().wait_cursor) shell().wait_cursor(v, on);
}
}  // namespace

bool viewer_open_received_file(Viewer* v) {
    wait_cursor(v, true);
    v->document.loaded = 0;
    errlog_clear(&v->logs.error);
    viewer_file_reset(v);
    ViewerFile* f = viewer_file(v);
    DocumentBytes bytes;
    bool usable = false;
    if (v->stream.source == SourceKind::kFile && !btext_empty(&v->stream.file_path)) {
        usable = true;
        if (!v->stream.data_size_known) {
            uint64_t size = 0;
            if (!file_size(btext_get(&v->stream.file_path), &size)) {
                errlog_error(&v->logs.error, u"Unable to read file");
                usable = false;
            } else {
                v->stream.data_size = size > 0x7FFFFFFF ? 0x7FFFFFFF : int(size);
            }
        }
        bytes.file_path = btext_get(&v->stream.file_path);
    } else if (v->stream.source == SourceKind::kMemory && v->stream.memory_buffer && v->stream.data_size_known) {
        usable = true;
        bytes.memory = v->stream.memory_buffer;
    }
    if (!usable || !f) {
        wait_cursor(v, false);
        return false;
    }
    bytes.size = v->stream.data_size;
    bytes.size_known = true;
    bytes.magic_captured = v->stream.magic_captured != 0;
    bytes.magic[0] = v->stream.magic_bytes[0];
    bytes.magic[1] = v->stream.magic_bytes[1];
    f->bytes = bytes;
    const bool pages = document_open(&f->document, &f->bytes, viewer_loader_context(v));
    v->stream.state = DownloadState::kFinished;
    v->document.page_count = pages ? f->document.page_count : 0;
    if (pages) {
        v->document.current_page = v->stream.start_page < 0                         ? 0
                                   : v->stream.start_page >= v->document.page_count ? v->document.page_count - 1
                                                                                    : v->stream.start_page;
        v->document.loaded = 1;
    } else {
        v->document.loaded = 0;
        f->page.shown = false;
        raster_destroy(&f->raster);
        shell_repaint(v, kShellToolbarStates | kShowNewPage);
    }
    shell_repaint(v, kShellPageList);
    if (v->document.page_count <= 0) v->document.page_count = 1;
    if (v->document.current_page < 0) v->document.current_page = 0;
    wait_cursor(v, false);
    return v->document.loaded != 0;
}
bool viewer_open_local_file(Viewer* v, const char16_t* path) {
    if (!v || !path || !*path || v->stream.state == DownloadState::kReceiving) return false;
    reception_reset_for_new_file(v);
    btext_set(&v->stream.file_path, path);
    v->stream.source = SourceKind::kFile;
    v->document.loaded = 0;
    v->stream.failed = 0;
    v->stream.data_size_known = 0;
    if (viewer_open_received_file(v)) {
        viewer_show_page(v, v->document.current_page);
        return true;
    }
    viewer_set_status(v, u"  Unable to display image");
    return false;
}
void viewer_show_page(Viewer* v, int n) {
    ViewerFile* f = viewer_file(v);
    if (!f) return;
    wait_cursor(v, true);
    errlog_clear(&v->logs.page);
    raster_destroy(&f->raster);
    analysis_page_changed(&f->analysis);
    scaled_view_drop(&v->layout.main_view);
    scaled_view_drop(&v->layout.zoom_view);
    v->layout.scroll_x = v->layout.scroll_y = 0;
    page_state_clear(&f->page);
    bool have = false;
    if (n >= 0 && v->document.loaded) {
        const int dir = document_directory_of_page(&f->document, n);
        if (dir >= 0) {
            v->document.current_directory = dir;
            f->document.current_directory = dir;
            have = page_load(&f->document, dir, &f->bytes, viewer_loader_context(v), &f->page, &f->raster);
        }
        // The raster is kept in the view's orientation and negated when the view is negative.
        if (have && !view_apply_to_raster(&v->logs.page, v->view, &f->raster)) have = false;
        if (!have) raster_destroy(&f->raster);
        if (!have && !errlog_has_entries(&v->logs.page))
            errlog_error(&v->logs.page, u"Unable to display image; unknown reason");
    }
    f->page.shown = have;
    v->document.blank_score = -1;
    if (have) viewer_set_status(v, nullptr);
    else
        viewer_set_status(v, u"  Unable to display image");
    shell_repaint(v, kShellToolbarStates | kShowNewPage);
    wait_cursor(v, false);
}
bool viewer_go_to_page(Viewer* v, int n) {
    if (n < 0 || n >= v->document.page_count || !v->document.loaded) return false;
    // The current page was decoded when it became current (and again whenever
    // a setting changed how it decodes): asking for it again changes nothing,
    // whether it could be shown or not, so nothing is decoded or reported.
    if (n == v->document.current_page) return viewer_page_shown(v);
    v->document.current_page = n;
    viewer_show_page(v, n);
    const bool shown = viewer_page_shown(v);
    if (stream_hooks().page_change_event) stream_hooks().page_change_event(v, n + 1);
    return shown;
}
bool viewer_start_download(Viewer* v, const char16_t* url, int page_number) {
    if (v->stream.state == DownloadState::kReceiving) return false;
    reception_reset_for_new_file(v);
    btext_clear(&v->stream.url);
    v->stream.state = DownloadState::kIdle;
    v->document.loaded = 0;
    viewer_set_status(v, nullptr);
    shell_repaint(v, kShowNewPage);
    shell_repaint(v, kShellToolbarStates);
    if (!url || !url[0]) return true;
    if (!url_access_allowed(url, v->settings.localaccess, &v->logs.error)) return false;
    // Page numbers below 1 mean the first page; the lowest integer has no "minus one".
    v->stream.start_page = page_number > 0 ? page_number - 1 : 0;
    v->stream.state = DownloadState::kRequested;
    v->stream.pending = nullptr;
    // The browser is asked for the address as it was judged.
    const Text16 address = url_parse(url).text;
    // A browser may run the page while it takes the request, and the page may remove the viewer.
    const ViewerHandle handle(v);
    const int result = stream_hooks().get_url ? stream_hooks().get_url(v, address.c_str()) : 1;
    if (!handle.alive()) return false;
    if (result != 0) {
        v->stream.state = DownloadState::kIdle;
        errlog_error(&v->logs.error, u"Failed to start download (error code=%d, %s).", result, nperror_name(result));
        return false;
    }
    return true;
}
bool download_url_argument(const NPVariant& v, Text16* url) {
    if (v.type != NPVariantType_String) return false;
    const NPString& s = v.value.stringValue;
    // Longer than any address a page has reason to send: treated as no address.
    if (s.UTF8Length > 1048576 || !s.UTF8Characters) url->clear();
    else
        *url = text_from_utf8(std::string_view(s.UTF8Characters, s.UTF8Length));
    return true;
}
int download_page_argument(const NPVariant& v) {
    switch (v.type) {
    case NPVariantType_Bool: return v.value.boolValue ? 1 : 0;
    case NPVariantType_Int32: return v.value.intValue;
    case NPVariantType_Double: {
        const double d = v.value.doubleValue + 1e-8;
        return d >= 2147483647.0 ? 0x7FFFFFFF : d <= -2147483648.0 ? int(0x80000000u) : d != d ? 0 : int(d);
    }
    case NPVariantType_String: {
        const NPString& s = v.value.stringValue;
        if (!s.UTF8Characters) return 0;
        const long long n = text_leading_int(text_from_utf8(std::string_view(s.UTF8Characters, s.UTF8Length)));
        return n > 0x7FFFFFFF ? 0x7FFFFFFF : n < -0x7FFFFFFF ? -0x7FFFFFFF : int(n);
    }
    default: return 0;
    }
}
