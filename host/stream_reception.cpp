#include "host/stream_reception.h"

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

namespace {
StreamHooks g_hooks;

constexpr int kReasonDone = 0, kReasonNetworkError = 1, kReasonUserBreak = 2;
constexpr int kNpErrGenericError = 1, kNpErrInvalidInstanceError = 2;

template <class... A>
void call(void (*fn)(Viewer*, A...), Viewer* v, A... args) {
    if (fn) fn(v, args...);
}

void progress(Viewer* v, int percent) { call(shell().progress, v, percent); }
void wait_cursor(Viewer* v, bool on) { call(shell().wait_cursor, v, on); }

void close_temp(Viewer* v) {
    if (v->stream.temp_file_handle != kNoFile) fs_close(v->stream.temp_file_handle);
    v->stream.temp_file_handle = kNoFile;
}

void drop_received_data(Viewer* v) {
    close_temp(v);
    if (!btext_empty(&v->stream.temp_path)) fs_delete(btext_get(&v->stream.temp_path));
    btext_free(&v->stream.temp_path);
    free(v->stream.memory_buffer);
    v->stream.memory_buffer = nullptr;
}

// A new file is coming: everything of the old one goes.
void reset_for_new_file(Viewer* v) {
    viewer_file_reset(v);
    drop_received_data(v);
    viewer_reset_core(v);
}

bool prepare_storage(Viewer* v, uint32_t length) {
    if (length != 0 && length < kMemoryStorageLimit) {
        v->stream.data_size = int(length);
        v->stream.data_size_known = 1;
        v->stream.source = SourceKind::kMemory;
        v->stream.memory_buffer = static_cast<uint8_t*>(calloc(length, 1));
        if (!v->stream.memory_buffer) {
            msgbox_show(v->shell.plugin_window, kMbIconError, u"Unable to allocate memory for TIFF image!");
            return false;
        }
        return true;
    }
    v->stream.data_size_known = 0;
    v->stream.source = SourceKind::kFile;
    char16_t path[kFsMaxPath];
    if (!tempfile_make(v->shell.plugin_window, path, kFsMaxPath)) return false;
    btext_set(&v->stream.temp_path, path);
    v->stream.temp_file_handle = fs_create(path, nullptr);
    if (v->stream.temp_file_handle == kNoFile) {
        msgbox_show(v->shell.plugin_window, kMbIconError, u"Unable to create temporary file!");
        return false;
    }
    return true;
}

void show_progress(Viewer* v, int64_t upto) {
    if (v->stream.expected_length) {
        const int percent = int(double(upto) * 100.0 / double(v->stream.expected_length));
        char16_t text[100];
        text_format(text, 100, u"  Downloading\u2026 %d%% of %dK", percent, int(v->stream.expected_length >> 10));
        viewer_set_status(v, text);
        progress(v, percent);
    } else {
        char16_t text[100];
        text_format(text, 100, u"  Downloading\u2026 %dK of (unknown)", int(upto / 1024));
        viewer_set_status(v, text);
    }
}

void capture_magic(Viewer* v, int32_t offset, int32_t length, const uint8_t* bytes) {
    if (offset == 0) v->stream.magic_bytes[0] = bytes[0];
    if (int64_t(offset) + length > 1 && (offset == 0 || offset == 1)) {
        v->stream.magic_bytes[1] = bytes[1 - offset];
        v->stream.magic_captured = 1;
    }
}

void failure_steps(Viewer* v) {
    drop_received_data(v);
    v->document.loaded = 0;
    viewer_set_status(v, u"  Download failed");
    progress(v, -1);
}

void success_steps(Viewer* v) {
    const bool length_mismatch = v->stream.expected_length && int64_t(v->stream.expected_length) != v->stream.bytes_received;
    if (length_mismatch || !v->stream.data_size_known) v->stream.data_size = v->stream.bytes_received;
    // Writes may overlap (a browser may resend a range), so the count of bytes
    // received can pass the buffer's end; the file is never larger than its buffer.
    if (v->stream.source == SourceKind::kMemory && int64_t(v->stream.data_size) > int64_t(v->stream.expected_length))
        v->stream.data_size = int(v->stream.expected_length);
    v->stream.data_size_known = 1;
    shell_repaint(v, kShellToolbarNow);
    viewer_set_status(v, u"  Processing\u2026");
    progress(v, -1);
    if (v->stream.source == SourceKind::kFile) btext_set_view(&v->stream.file_path, btext_view(&v->stream.temp_path));
    if (viewer_open_received_file(v)) viewer_show_page(v, v->document.current_page);
    // A file without pages must not be left saying it is still being processed.
    else viewer_set_status(v, u"  Unable to display image");
    if (length_mismatch)
        errlog_warning(&v->logs.error, u"Expected %d bytes, received %d. Possible web site or web browser malfunction.",
                       int(v->stream.expected_length), v->stream.bytes_received);
    if (v->stream.autoprint && v->settings.allowscript && v->stream.download_count == 1)
        call(shell().post_autoprint, v);
}
}  // namespace

void stream_set_hooks(const StreamHooks& hooks) { g_hooks = hooks; }

void reception_release(Viewer* v) {
    if (v) drop_received_data(v);
}
const StreamHooks& stream_hooks() { return g_hooks; }

void viewer_set_status(Viewer* v, const char16_t* text) {
    if (!text) btext_clear(&v->shell.status_text);
    else if (!(text[0] == u'*' && text[1] == 0)) btext_set(&v->shell.status_text, text);
    shell_repaint(v, kShellStatus);
}

int reception_new(Viewer* v, const StreamInfo& s) {
    if (!v) return kNpErrInvalidInstanceError;
    if (v->stream.state == DownloadState::kRequested && !v->stream.pending) v->stream.pending = const_cast<void*>(s.identity);
    if (!v->events.ready_fired) {
        // The page's ready function may remove the element there and then.
        const ViewerHandle handle(v);
        call(g_hooks.ready_event, v);
        if (!handle.alive()) return kNpErrGenericError;
    }
    const bool accepted = v->stream.state == DownloadState::kIdle ||
                          (v->stream.state == DownloadState::kRequested && v->stream.pending == s.identity);
    if (!accepted) return kNpErrGenericError;
    if (v->stream.state == DownloadState::kIdle) v->stream.pending = const_cast<void*>(s.identity);
    v->stream.state = DownloadState::kReceiving;
    v->stream.failed = 1;  // until the storage is ready
    v->stream.bytes_received = 0;
    v->stream.download_count++;
    v->stream.magic_captured = 0;
    v->stream.magic_bytes[0] = v->stream.magic_bytes[1] = 0;
    reset_for_new_file(v);
    v->stream.expected_length = s.end;
    if (btext_empty(&v->stream.url) && s.url) btext_set_view(&v->stream.url, text_from_utf8(s.url));
    shell_repaint(v, kShellToolbarStates);
    viewer_set_status(v, u"  Downloading\u2026");
    drop_received_data(v);
    if (!prepare_storage(v, s.end)) return kNpErrGenericError;
    if (int32_t(s.end) < 0) {
        msgbox_show(v->shell.plugin_window, kMbIconWarning,
                    u"TIFF file too large (%u bytes). Downloads over 2GB are not supported.", unsigned(s.end));
        return kNpErrGenericError;
    }
    v->stream.failed = 0;
    return 0;
}

int32_t reception_write(Viewer* v, const StreamInfo&, int32_t offset, int32_t length, const void* buffer) {
    if (!v || offset < 0 || length < 0) return -1;
    if (length == 0) return 0;
    if (v->stream.failed || !buffer) return -1;
    const int64_t total = int64_t(v->stream.bytes_received) + length;
    if (total > 0x7FFFFFFF) {
        errlog_error(&v->logs.error, u"File is too large to handle (>=%u bytes)", unsigned(total));
        v->stream.failed = 1;
        return -1;
    }
    v->stream.bytes_received = int32_t(total);
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    const int64_t upto = int64_t(offset) + length;  // no 32-bit wrap for offsets near 2 GiB
    if (v->stream.source == SourceKind::kMemory) {
        if (!v->stream.memory_buffer) {
            v->stream.failed = 1;
            return -1;
        }
        if (int64_t(v->stream.expected_length) < upto) {
            // Marked before the box: its loop may see the viewer destroyed.
            v->stream.failed = 1;
            msgbox_show(v->shell.plugin_window, kMbIconWarning,
                        u"Inconsistent amount of data received (expected %d bytes, received at least %d). This "
                        u"probably indicates a malfunctioning web server.",
                        int(v->stream.expected_length), int(upto > 0x7FFFFFFF ? 0x7FFFFFFF : upto));
            return -1;
        }
        memcpy(v->stream.memory_buffer + offset, bytes, size_t(length));
    } else {
        uint32_t done = 0;
        if (v->stream.temp_file_handle == kNoFile || !fs_write(v->stream.temp_file_handle, bytes, uint32_t(length), &done) ||
            done != uint32_t(length)) {
            v->stream.failed = 1;
            msgbox_show(v->shell.plugin_window, kMbIconError, u"Unable to write to temporary file!");
            return -1;
        }
    }
    show_progress(v, upto);
    capture_magic(v, offset, length, bytes);
    return length;
}

int reception_end(Viewer* v, const StreamInfo&, int reason) {
    if (!v) return kNpErrInvalidInstanceError;
    if (v->stream.state == DownloadState::kReceiving) v->stream.state = DownloadState::kFinished;
    close_temp(v);
    if (v->stream.failed) {
        failure_steps(v);
        return 0;
    }
    if (reason == kReasonNetworkError) errlog_error(&v->logs.error, u"Download failed (network error)");
    else if (reason == kReasonUserBreak) errlog_warning(&v->logs.error, u"Download failed (user break)");
    else if (reason != kReasonDone) errlog_error(&v->logs.error, u"Download failed (reason %d)", reason);
    const bool have_data = !btext_empty(&v->stream.temp_path) || v->stream.memory_buffer;
    if (reason == kReasonDone && have_data) success_steps(v);
    else failure_steps(v);
    return 0;
}

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
        v->document.current_page = v->stream.start_page < 0 ? 0 : v->stream.start_page >= v->document.page_count ? v->document.page_count - 1 : v->stream.start_page;
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
    reset_for_new_file(v);
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
    else viewer_set_status(v, u"  Unable to display image");
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
    call(g_hooks.page_change_event, v, n + 1);
    return shown;
}

bool viewer_start_download(Viewer* v, const char16_t* url, int page_number) {
    if (v->stream.state == DownloadState::kReceiving) return false;
    reset_for_new_file(v);
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
    const int result = g_hooks.get_url ? g_hooks.get_url(v, address.c_str()) : 1;
    if (!handle.alive()) return false;
    if (result != 0) {
        v->stream.state = DownloadState::kIdle;
        errlog_error(&v->logs.error, u"Failed to start download (error code=%d, %s).", result,
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
