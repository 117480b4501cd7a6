#include "host/stream_reception.h"
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

namespace {
StreamHooks g_hooks;

constexpr int kReasonDone = 0, kReasonNetworkError = 1, kReasonUserBreak = 2;
constexpr int kNpErrGenericError = 1, kNpErrInvalidInstanceError = 2;

template <class... A>
void call(void (*fn)(Viewer*, A...), Viewer* v, A... args) {
    if (fn) fn(v, args...);
}

void progress(Viewer* v, int percent) { call(shell().progress, v, percent); }

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
    const bool length_mismatch =
        v->stream.expected_length && int64_t(v->stream.expected_length) != v->stream.bytes_received;
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
    else
        viewer_set_status(v, u"  Unable to display image");
    if (length_mismatch)
        errlog_warning(&v->logs.error, u"Expected %d bytes, received %d. Possible web site or web browser malfunction.",
                       int(v->stream.expected_length), v->stream.bytes_received);
    if (v->stream.autoprint && v->settings.allowscript && v->stream.download_count == 1)
        call(shell().post_autoprint, v);
}
}  // namespace

// A new file is coming: everything of the old one goes.
void reception_reset_for_new_file(Viewer* v) {
    viewer_file_reset(v);
    drop_received_data(v);
    viewer_reset_core(v);
}

void stream_set_hooks(const StreamHooks& hooks) { g_hooks = hooks; }

void reception_release(Viewer* v) {
    if (v) drop_received_data(v);
}
const StreamHooks& stream_hooks() { return g_hooks; }

void viewer_set_status(Viewer* v, const char16_t* text) {
    if (!text) btext_clear(&v->shell.status_text);
    else if (!(text[0] == u'*' && text[1] == 0))
        btext_set(&v->shell.status_text, text);
    shell_repaint(v, kShellStatus);
}

int reception_new(Viewer* v, const StreamInfo& s) {
    if (!v) return kNpErrInvalidInstanceError;
    if (v->stream.state == DownloadState::kRequested && !v->stream.pending)
        v->stream.pending = const_cast<void*>(s.identity);
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
    reception_reset_for_new_file(v);
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
        if (v->stream.temp_file_handle == kNoFile ||
            !fs_write(v->stream.temp_file_handle, bytes, uint32_t(length), &done) || done != uint32_t(length)) {
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
    else if (reason == kReasonUserBreak)
        errlog_warning(&v->logs.error, u"Download failed (user break)");
    else if (reason != kReasonDone)
        errlog_error(&v->logs.error, u"Download failed (reason %d)", reason);
    const bool have_data = !btext_empty(&v->stream.temp_path) || v->stream.memory_buffer;
    if (reason == kReasonDone && have_data) success_steps(v);
    else
        failure_steps(v);
    return 0;
}

int autoprint_action(int autoprint, bool allow_autoprint) {
    switch (autoprint) {
    case 1: return 1;
    case 4: return allow_autoprint ? 2 : 0;
    case 5: return allow_autoprint ? 2 : 1;
    default: return 0;
    }
}
