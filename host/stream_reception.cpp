#include "host/stream_reception.h"

#include <cstdlib>
#include <cstring>

#include "base/url.h"
#include "config/message_box.h"
#include "decode/raster_ops.h"
#include "view/scaled_view.h"
#include "view/view_ops.h"
#include "document/file_system.h"
#include "document/temp_file.h"
#include "document/url_rules.h"
#include "host/viewer_registry.h"
#include "host/npapi.h"
#include "host/nperror.h"
#include "host/viewer.h"
#include "host/viewer_file.h"

namespace {
StreamHooks g_hooks;

constexpr int kReasonDone = 0, kReasonNetworkError = 1, kReasonUserBreak = 2;
constexpr int kNpErrGenericError = 1, kNpErrInvalidInstanceError = 2;

template <class... A>
void call(void (*fn)(Viewer*, A...), Viewer* v, A... args) {
    if (fn) fn(v, args...);
}

void close_temp(Viewer* v) {
    if (v->temp_file_handle != kNoFile) fs_close(v->temp_file_handle);
    v->temp_file_handle = kNoFile;
}

void drop_received_data(Viewer* v) {
    close_temp(v);
    if (!btext_empty(&v->download_temp_path)) fs_delete(btext_get(&v->download_temp_path));
    btext_free(&v->download_temp_path);
    free(v->memory_buffer);
    v->memory_buffer = nullptr;
}

// A new file is coming: everything of the old one goes.
void reset_for_new_file(Viewer* v) {
    viewer_file_reset(v);
    drop_received_data(v);
    viewer_reset_core(v);
}

bool prepare_storage(Viewer* v, uint32_t length) {
    if (length != 0 && length < kMemoryStorageLimit) {
        v->data_size = int(length);
        v->data_size_known = 1;
        v->source_kind = 2;
        v->memory_buffer = static_cast<uint8_t*>(calloc(length, 1));
        if (!v->memory_buffer) {
            msgbox_show(v->plugin_window, kMbIconError, u"Unable to allocate memory for TIFF image!");
            return false;
        }
        return true;
    }
    v->data_size_known = 0;
    v->source_kind = 1;
    char16_t path[kFsMaxPath];
    if (!tempfile_make(v->plugin_window, path, kFsMaxPath)) return false;
    btext_set(&v->download_temp_path, path);
    v->temp_file_handle = fs_create(path, nullptr);
    if (v->temp_file_handle == kNoFile) {
        msgbox_show(v->plugin_window, kMbIconError, u"Unable to create temporary file!");
        return false;
    }
    return true;
}

void show_progress(Viewer* v, int64_t upto) {
    if (v->expected_length) {
        const int percent = int(double(upto) * 100.0 / double(v->expected_length));
        char16_t text[100];
        text_format(text, 100, u"  Downloading\u2026 %d%% of %dK", percent, int(v->expected_length >> 10));
        viewer_set_status(v, text);
        call(g_hooks.progress, v, percent);
    } else {
        char16_t text[100];
        text_format(text, 100, u"  Downloading\u2026 %dK of (unknown)", int(upto / 1024));
        viewer_set_status(v, text);
    }
}

void capture_magic(Viewer* v, int32_t offset, int32_t length, const uint8_t* bytes) {
    if (offset == 0) v->magic_bytes[0] = bytes[0];
    if (int64_t(offset) + length > 1 && (offset == 0 || offset == 1)) {
        v->magic_bytes[1] = bytes[1 - offset];
        v->magic_captured = 1;
    }
}

void failure_steps(Viewer* v) {
    drop_received_data(v);
    v->document_loaded = 0;
    viewer_set_status(v, u"  Download failed");
    call(g_hooks.progress_remove, v);
}

void success_steps(Viewer* v) {
    const bool length_mismatch = v->expected_length && int64_t(v->expected_length) != v->bytes_received;
    if (length_mismatch || !v->data_size_known) v->data_size = v->bytes_received;
    // Writes may overlap (a browser may resend a range), so the count of bytes
    // received can pass the buffer's end; the file is never larger than its buffer.
    if (v->source_kind == 2 && int64_t(v->data_size) > int64_t(v->expected_length))
        v->data_size = int(v->expected_length);
    v->data_size_known = 1;
    call(g_hooks.toolbar_repaint, v);
    viewer_set_status(v, u"  Processing\u2026");
    call(g_hooks.progress_remove, v);
    if (v->source_kind == 1) btext_set_view(&v->file_path, btext_view(&v->download_temp_path));
    if (viewer_open_received_file(v)) viewer_show_page(v, v->current_page);
    // A file without pages must not be left saying it is still being processed.
    else viewer_set_status(v, u"  Unable to display image");
    if (length_mismatch)
        errlog_warning(&v->error_log, u"Expected %d bytes, received %d. Possible web site or web browser malfunction.",
                       int(v->expected_length), v->bytes_received);
    if (v->autoprint && v->settings.allowscript && v->download_count == 1) call(g_hooks.post_autoprint, v);
}
}  // namespace

void stream_set_hooks(const StreamHooks& hooks) { g_hooks = hooks; }

void reception_release(Viewer* v) {
    if (v) drop_received_data(v);
}
const StreamHooks& stream_hooks() { return g_hooks; }

void viewer_set_status(Viewer* v, const char16_t* text) {
    if (!text) btext_clear(&v->status_text);
    else if (!(text[0] == u'*' && text[1] == 0)) btext_set(&v->status_text, text);
    call(g_hooks.status_changed, v);
}

int reception_new(Viewer* v, const StreamInfo& s) {
    if (!v) return kNpErrInvalidInstanceError;
    if (v->download_state == 1 && !v->pending_stream) v->pending_stream = const_cast<void*>(s.identity);
    if (!v->ready_fired) {
        // The page's ready function may remove the element there and then.
        const ViewerHandle handle(v);
        call(g_hooks.ready_event, v);
        if (!handle.alive()) return kNpErrGenericError;
    }
    const bool accepted = v->download_state == 0 ||
                          (v->download_state == 1 && v->pending_stream == s.identity);
    if (!accepted) return kNpErrGenericError;
    if (v->download_state == 0) v->pending_stream = const_cast<void*>(s.identity);
    v->download_state = 2;
    v->download_failed = 1;  // until the storage is ready
    v->bytes_received = 0;
    v->download_count++;
    v->magic_captured = 0;
    v->magic_bytes[0] = v->magic_bytes[1] = 0;
    reset_for_new_file(v);
    v->expected_length = s.end;
    if (btext_empty(&v->download_url) && s.url) btext_set_view(&v->download_url, text_from_utf8(s.url));
    call(g_hooks.toolbar_refresh, v);
    viewer_set_status(v, u"  Downloading\u2026");
    drop_received_data(v);
    if (!prepare_storage(v, s.end)) return kNpErrGenericError;
    if (int32_t(s.end) < 0) {
        msgbox_show(v->plugin_window, kMbIconWarning,
                    u"TIFF file too large (%u bytes). Downloads over 2GB are not supported.", unsigned(s.end));
        return kNpErrGenericError;
    }
    v->download_failed = 0;
    return 0;
}

int32_t reception_write(Viewer* v, const StreamInfo&, int32_t offset, int32_t length, const void* buffer) {
    if (!v || offset < 0 || length < 0) return -1;
    if (length == 0) return 0;
    if (v->download_failed || !buffer) return -1;
    const int64_t total = int64_t(v->bytes_received) + length;
    if (total > 0x7FFFFFFF) {
        errlog_error(&v->error_log, u"File is too large to handle (>=%u bytes)", unsigned(total));
        v->download_failed = 1;
        return -1;
    }
    v->bytes_received = int32_t(total);
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    const int64_t upto = int64_t(offset) + length;  // no 32-bit wrap for offsets near 2 GiB
    if (v->source_kind == 2) {
        if (!v->memory_buffer) {
            v->download_failed = 1;
            return -1;
        }
        if (int64_t(v->expected_length) < upto) {
            // Marked before the box: its loop may see the viewer destroyed.
            v->download_failed = 1;
            msgbox_show(v->plugin_window, kMbIconWarning,
                        u"Inconsistent amount of data received (expected %d bytes, received at least %d). This "
                        u"probably indicates a malfunctioning web server.",
                        int(v->expected_length), int(upto > 0x7FFFFFFF ? 0x7FFFFFFF : upto));
            return -1;
        }
        memcpy(v->memory_buffer + offset, bytes, size_t(length));
    } else {
        uint32_t done = 0;
        if (v->temp_file_handle == kNoFile || !fs_write(v->temp_file_handle, bytes, uint32_t(length), &done) ||
            done != uint32_t(length)) {
            v->download_failed = 1;
            msgbox_show(v->plugin_window, kMbIconError, u"Unable to write to temporary file!");
            return -1;
        }
    }
    show_progress(v, upto);
    capture_magic(v, offset, length, bytes);
    return length;
}

int reception_end(Viewer* v, const StreamInfo&, int reason) {
    if (!v) return kNpErrInvalidInstanceError;
    if (v->download_state == 2) v->download_state = 3;
    close_temp(v);
    if (v->download_failed) {
        failure_steps(v);
        return 0;
    }
    if (reason == kReasonNetworkError) errlog_error(&v->error_log, u"Download failed (network error)");
    else if (reason == kReasonUserBreak) errlog_warning(&v->error_log, u"Download failed (user break)");
    else if (reason != kReasonDone) errlog_error(&v->error_log, u"Download failed (reason %d)", reason);
    const bool have_data = !btext_empty(&v->download_temp_path) || v->memory_buffer;
    if (reason == kReasonDone && have_data) success_steps(v);
    else failure_steps(v);
    return 0;
}

bool viewer_open_received_file(Viewer* v) {
    call(g_hooks.wait_cursor, v, true);
    v->document_loaded = 0;
    errlog_clear(&v->error_log);
    viewer_file_reset(v);
    ViewerFile* f = viewer_file(v);
    DocumentBytes bytes;
    bool usable = false;
    if (v->source_kind == 1 && !btext_empty(&v->file_path)) {
        usable = true;
        if (!v->data_size_known) {
            uint64_t size = 0;
            if (!file_size(btext_get(&v->file_path), &size)) {
                errlog_error(&v->error_log, u"Unable to read file");
                usable = false;
            } else {
                v->data_size = size > 0x7FFFFFFF ? 0x7FFFFFFF : int(size);
            }
        }
        bytes.file_path = btext_get(&v->file_path);
    } else if (v->source_kind == 2 && v->memory_buffer && v->data_size_known) {
        usable = true;
        bytes.memory = v->memory_buffer;
    }
    if (!usable || !f) {
        call(g_hooks.wait_cursor, v, false);
        return false;
    }
    bytes.size = v->data_size;
    bytes.size_known = true;
    bytes.magic_captured = v->magic_captured != 0;
    bytes.magic[0] = v->magic_bytes[0];
    bytes.magic[1] = v->magic_bytes[1];
    f->bytes = bytes;
    const bool pages = document_open(&f->document, &f->bytes, viewer_loader_context(v));
    v->download_state = 3;
    v->page_count = pages ? f->document.page_count : 0;
    if (pages) {
        v->current_page = v->start_page < 0 ? 0 : v->start_page >= v->page_count ? v->page_count - 1 : v->start_page;
        v->document_loaded = 1;
    } else {
        v->document_loaded = 0;
        f->page.shown = false;
        raster_destroy(&f->raster);
        call(g_hooks.toolbar_refresh, v);
        call(g_hooks.view_changed, v);
    }
    call(g_hooks.page_list_refill, v);
    if (v->page_count <= 0) v->page_count = 1;
    if (v->current_page < 0) v->current_page = 0;
    call(g_hooks.wait_cursor, v, false);
    return v->document_loaded != 0;
}

bool viewer_open_local_file(Viewer* v, const char16_t* path) {
    if (!v || !path || !*path || v->download_state == 2) return false;
    reset_for_new_file(v);
    btext_set(&v->file_path, path);
    v->source_kind = 1;
    v->document_loaded = 0;
    v->download_failed = 0;
    v->data_size_known = 0;
    if (viewer_open_received_file(v)) {
        viewer_show_page(v, v->current_page);
        return true;
    }
    viewer_set_status(v, u"  Unable to display image");
    return false;
}

void viewer_show_page(Viewer* v, int n) {
    ViewerFile* f = viewer_file(v);
    if (!f) return;
    call(g_hooks.wait_cursor, v, true);
    errlog_clear(&v->page_log);
    raster_destroy(&f->raster);
    analysis_page_changed(&f->analysis);
    scaled_view_drop(&v->layout.main_view);
    scaled_view_drop(&v->layout.zoom_view);
    v->layout.scroll_x = v->layout.scroll_y = 0;
    page_state_clear(&f->page);
    bool have = false;
    if (n >= 0 && v->document_loaded) {
        const int dir = document_directory_of_page(&f->document, n);
        if (dir >= 0) {
            v->current_directory = dir;
            f->document.current_directory = dir;
            have = page_load(&f->document, dir, &f->bytes, viewer_loader_context(v), &f->page, &f->raster);
        }
        // The raster is kept in the view's orientation and negated when the view is negative.
        if (have && !view_apply_to_raster(&v->page_log, v->view, &f->raster)) have = false;
        if (!have) raster_destroy(&f->raster);
        if (!have && !errlog_has_entries(&v->page_log))
            errlog_error(&v->page_log, u"Unable to display image; unknown reason");
    }
    f->page.shown = have;
    v->blank_score = -1;
    if (have) viewer_set_status(v, nullptr);
    else viewer_set_status(v, u"  Unable to display image");
    call(g_hooks.toolbar_refresh, v);
    call(g_hooks.view_changed, v);
    call(g_hooks.wait_cursor, v, false);
}

bool viewer_go_to_page(Viewer* v, int n) {
    if (n < 0 || n >= v->page_count || !v->document_loaded) return false;
    // The current page was decoded when it became current (and again whenever
    // a setting changed how it decodes): asking for it again changes nothing,
    // whether it could be shown or not, so nothing is decoded or reported.
    if (n == v->current_page) return viewer_page_shown(v);
    v->current_page = n;
    viewer_show_page(v, n);
    const bool shown = viewer_page_shown(v);
    call(g_hooks.page_change_event, v, n + 1);
    return shown;
}

bool viewer_start_download(Viewer* v, const char16_t* url, int page_number) {
    if (v->download_state == 2) return false;
    reset_for_new_file(v);
    btext_clear(&v->download_url);
    v->download_state = 0;
    v->document_loaded = 0;
    viewer_set_status(v, nullptr);
    call(g_hooks.view_changed, v);
    call(g_hooks.toolbar_refresh, v);
    if (!url || !url[0]) return true;
    if (!url_access_allowed(url, v->settings.localaccess, &v->error_log)) return false;
    // Page numbers below 1 mean the first page; the lowest integer has no "minus one".
    v->start_page = page_number > 0 ? page_number - 1 : 0;
    v->download_state = 1;
    v->pending_stream = nullptr;
    // The browser is asked for the address as it was judged.
    const Text16 address = url_parse(url).text;
    // A browser may run the page while it takes the request, and the page may remove the viewer.
    const ViewerHandle handle(v);
    const int result = g_hooks.get_url ? g_hooks.get_url(v, address.c_str()) : 1;
    if (!handle.alive()) return false;
    if (result != 0) {
        v->download_state = 0;
        errlog_error(&v->error_log, u"Failed to start download (error code=%d, %s).", result,
                     nperror_name(result));
        return false;
    }
    return true;
}

int autoprint_action(int autoprint, bool allow_autoprint) {
    switch (autoprint) {
    case 1: return 1;
    case 4: return allow_autoprint ? 2 : 0;
    case 5: return allow_autoprint ? 2 : 1;
    default: return 0;
    }
}

bool download_url_argument(const NPVariant& v, Text16* url) {
    if (v.type != NPVariantType_String) return false;
    const NPString& s = v.value.stringValue;
    // Longer than any address a page has reason to send: treated as no address.
    if (s.UTF8Length > 1048576 || !s.UTF8Characters) url->clear();
    else *url = text_from_utf8(std::string_view(s.UTF8Characters, s.UTF8Length));
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
