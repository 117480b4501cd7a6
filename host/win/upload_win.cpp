#include "host/win/upload_win.h"

#include <windows.h>
#include <wininet.h>

#include <string>

#include "annotate/upload_body.h"
#include "base/text.h"
#include "base/win/handles.h"
#include "config/message_box.h"
#include "document/temp_file.h"
#include "host/viewer.h"
#include "host/viewer_registry.h"
#include "host/win/viewer_output.h"
#include "host/page_events.h"

static_assert(kSchemeFtp == INTERNET_SCHEME_FTP && kSchemeHttp == INTERNET_SCHEME_HTTP &&
              kSchemeHttps == INTERNET_SCHEME_HTTPS);

namespace {
constexpr DWORD kPiece = 16384;

// The library is loaded for each upload and released when it ends.
struct WinInet {
    UniqueLibrary library;
    decltype(&InternetOpenW) open = nullptr;
    decltype(&InternetConnectW) connect = nullptr;
    decltype(&InternetReadFile) read = nullptr;
    decltype(&InternetWriteFile) write = nullptr;
    decltype(&InternetCloseHandle) close = nullptr;
    decltype(&InternetCrackUrlW) crack = nullptr;
    decltype(&HttpOpenRequestW) open_request = nullptr;
    decltype(&HttpSendRequestW) send_request = nullptr;  // looked up, not used
    decltype(&HttpSendRequestExW) send_request_ex = nullptr;
    decltype(&HttpQueryInfoW) query_info = nullptr;
    decltype(&HttpEndRequestW) end_request = nullptr;

    template <class F>
    void find(F* slot, const char* name) {
        *slot = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library.get(), name)));
    }
    bool load() {
        library.reset(LoadLibraryW(L"WININET.DLL"));
        if (!library) return false;
        find(&open, "InternetOpenW");
        find(&connect, "InternetConnectW");
        find(&read, "InternetReadFile");
        find(&write, "InternetWriteFile");
        find(&close, "InternetCloseHandle");
        find(&crack, "InternetCrackUrlW");
        find(&open_request, "HttpOpenRequestW");
        find(&send_request, "HttpSendRequestW");
        find(&send_request_ex, "HttpSendRequestExW");
        find(&query_info, "HttpQueryInfoW");
        find(&end_request, "HttpEndRequestW");
        return crack && open && connect && write && read && close && open_request && send_request_ex && end_request &&
               query_info;
    }
};

std::string to_ansi(std::u16string_view s) {
    const auto* w = reinterpret_cast<const wchar_t*>(s.data());
    const int n = WideCharToMultiByte(CP_ACP, 0, w, int(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, w, int(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

bool write_all(HANDLE file, const void* data, size_t size) {
    DWORD written = 0;
    return size == 0 || (WriteFile(file, data, DWORD(size), &written, nullptr) && written == size);
}

// The handles of one request, closed in the order request, connection, session.
struct Handles {
    const WinInet& api;
    HINTERNET session = nullptr, connection = nullptr, request = nullptr;
    ~Handles() {
        if (request) api.close(request);
        if (connection) api.close(connection);
        if (session) api.close(session);
    }
};

// Sends the body file to `url`; false without an error code for a file
// problem. The viewer hears of the reply's headers while it is still there:
// a page function it calls may remove it.
bool send_file(const ViewerHandle& viewer, const WinInet& api, HANDLE file, const std::wstring& url, UploadResult* r) {
    LARGE_INTEGER size{};
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER || !GetFileSizeEx(file, &size) ||
        size.QuadPart == 0)
        return false;
    wchar_t host[201] = {}, path[1001] = {};
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = 201;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 1001;
    if (!api.crack(url.c_str(), 0, 0, &parts)) {
        upload_set_error(r, kUploadBadUrl);
        return false;
    }
    const UploadTarget target = upload_target(int(parts.nScheme), parts.nPort);
    if (target.error) {
        upload_set_error(r, target.error);
        return false;
    }
    Handles h{api};
    h.session =
        api.open(reinterpret_cast<const wchar_t*>(kUploadUserAgent), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!h.session) {
        upload_set_error(r, kUploadOpenFailed, GetLastError());
        return false;
    }
    h.connection =
        api.connect(h.session, host, INTERNET_PORT(target.port), nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    if (!h.connection) {
        upload_set_error(r, kUploadConnectFailed, GetLastError());
        return false;
    }
    const DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | (target.secure ? INTERNET_FLAG_SECURE : 0);
    h.request = api.open_request(h.connection, L"POST", path, nullptr, nullptr, nullptr, flags, 0);
    if (!h.request) {
        upload_set_error(r, kUploadRequestFailed, GetLastError());
        return false;
    }
    std::u16string header = upload_content_type_header(r->boundary);
    INTERNET_BUFFERSW buffers{};
    buffers.dwStructSize = sizeof buffers;
    buffers.lpcszHeader = reinterpret_cast<const wchar_t*>(header.c_str());
    buffers.dwHeadersLength = DWORD(header.size());
    buffers.dwBufferTotal = DWORD(size.QuadPart);
    if (!api.send_request_ex(h.request, &buffers, nullptr, HSR_INITIATE | HSR_SYNC, 0)) {
        upload_set_error(r, kUploadSendFailed, GetLastError());
        return false;
    }
    std::string piece(kPiece, '\0');
    for (LONGLONG left = size.QuadPart; left > 0;) {
        const DWORD want = DWORD(std::min<LONGLONG>(left, kPiece));
        DWORD got = 0;
        if (!ReadFile(file, piece.data(), want, &got, nullptr) || got != want) return false;
        DWORD sent = 0;
        if (!api.write(h.request, piece.data(), got, &sent)) {
            upload_set_error(r, kUploadWriteFailed, GetLastError());
            return false;
        }
        left -= got;
    }
    if (!api.end_request(h.request, nullptr, 0, 0)) {
        upload_set_error(r, kUploadEndFailed, GetLastError());
        return false;
    }
    DWORD status = 0, status_size = sizeof status;
    if (!api.query_info(h.request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &status_size, nullptr)) {
        upload_set_error(r, kUploadStatusQueryFailed, GetLastError());
        return false;
    }
    if (status != 200) {
        upload_set_error(r, kUploadBadStatus, status);
        return false;
    }
    std::u16string raw(kPiece / 2, u'\0');
    DWORD raw_size = kPiece;
    if (!api.query_info(h.request, HTTP_QUERY_RAW_HEADERS, raw.data(), &raw_size, nullptr)) {
        upload_set_error(r, kUploadHeaderQueryFailed, GetLastError());
        return false;
    }
    for (const auto& [name, value] : upload_header_lines(raw.data(), std::min<size_t>(raw_size / 2, raw.size())))
        if (Viewer* v = viewer.get()) events_upload_header(v, r->tag, name.c_str(), value.c_str());
    for (;;) {
        DWORD got = 0;
        if (!api.read(h.request, piece.data(), kPiece, &got)) {
            upload_set_error(r, kUploadReadFailed, GetLastError());
            return false;
        }
        if (got == 0) return true;
    }
}

class WaitCursor {
public:
    WaitCursor() : saved_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(saved_); }

private:
    HCURSOR saved_;
};

// The body of one upload in its temporary file, with the address it goes to:
// both are fixed when the body is written, so what is sent is what was
// written (and, for a script's upload, what the user agreed to).
struct UploadBody {
    wchar_t path[MAX_PATH + 1] = {};
    UniqueFile file;
    std::wstring url;
    bool ready = false;  // every part and the closing delimiter are written
    ~UploadBody() {
        file.reset();  // closed before it can be deleted
        if (path[0]) DeleteFileW(path);
    }
};

// Temporary file, text fields, image part, closing delimiter. False with the
// result's error set; the temporary-file facility may have shown a box.
bool body_write(Viewer* v, UploadBody* b, UploadResult* r) {
    b->url = reinterpret_cast<const wchar_t*>(btext_get(&v->annotate.upload.url));
    if (!tempfile_make(v->shell.plugin_window, reinterpret_cast<char16_t*>(b->path), MAX_PATH + 1)) {
        b->path[0] = 0;
        upload_set_error(r, kUploadUnknown);
        return false;
    }
    b->file.reset(file_handle_or_none(
        CreateFileW(b->path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!b->file) {
        upload_set_error(r, kUploadNoTempFile);
        return false;
    }
    r->boundary = upload_boundary(GetTickCount());
    UploadBodyWriter w;
    HANDLE file = b->file.get();
    w.write = [file](const void* data, size_t size) { return write_all(file, data, size); };
    w.to_ansi = to_ansi;
    bool ok = upload_write_fields(v->annotate.upload.params, r, w) &&
              upload_write_image_header(btext_view(&v->annotate.upload.param_name),
                                        btext_view(&v->annotate.upload.file_name), r, w);
    if (ok && !viewer_write_tiff(v, file)) {
        upload_set_error(r, kUploadTiffFailed);
        ok = false;
    }
    b->ready = ok && upload_write_closing(*r, w);
    return b->ready;
}

// From the start event to the completion event, with the body `written`
// already or written here, after the start event, from what the viewer holds
// then. Each event calls a page function, which may remove the
// viewer; the upload then ends without telling anyone.
void upload_send(const ViewerHandle& viewer, int tag, bool written, UploadBody* b, UploadResult* r) {
    r->tag = tag;
    Viewer* v = viewer.get();
    events_upload_start(v, tag);
    if (!(v = viewer.get())) return;
    WinInet api;
    if (!api.load()) {
        upload_set_error(r, kUploadNoLibrary);
    } else if (written ? b->ready : body_write(v, b, r)) {
        if (!send_file(viewer, api, b->file.get(), b->url, r) && r->code == kUploadOk)
            upload_set_error(r, kUploadUnknown);
    } else if (r->code == kUploadOk) {
        upload_set_error(r, kUploadUnknown);
    }
    if ((v = viewer.get())) events_upload_complete(v, tag, r->code, upload_final_message(*r).c_str());
}

bool upload_allowed(const Viewer* v) {
    return !(v->access_flags & kAccessNoUpload) && v->stream.state == DownloadState::kFinished;
}
}  // namespace

int upload_run(Viewer* v, int tag) {
    if (!upload_allowed(v)) return 0;
    WaitCursor wait;
    UploadBody body;
    UploadResult r;
    upload_send(ViewerHandle(v), tag, false, &body, &r);
    return 1;
}

int upload_confirmed(Viewer* v, int tag) {
    if ((v->access_flags & kAccessNoUpload) || btext_empty(&v->annotate.upload.url)) return 0;
    ViewerBusyScope busy(v);
    if (!busy.entered()) return 0;
    // What the box names is what goes: the address, the fields and the pages
    // are written out before the question, and the page may not change them
    // while it is open.
    UploadBody body;
    UploadResult r;
    const bool allowed = upload_allowed(v);
    if (allowed) {
        WaitCursor wait;
        body_write(v, &body, &r);
        if (!(v = busy.viewer())) return 0;  // a box about the temporary file ran a loop
    } else {
        body.url = reinterpret_cast<const wchar_t*>(btext_get(&v->annotate.upload.url));
    }
    v->annotate.upload.confirming = 1;
    const int answer = msgbox_show_captioned(v->shell.plugin_window, kMbOkCancel | kMbIconQuestion,
                                             u"Vellarion - Confirm Image Upload", u"Okay to upload to %s?",
                                             reinterpret_cast<const char16_t*>(body.url.c_str()));
    if (!(v = busy.viewer())) return 0;  // the page removed the viewer meanwhile: nothing is sent
    v->annotate.upload.confirming = 0;
    if (answer != kIdOk || !allowed) return 0;
    if (v->shell.plugin_window) UpdateWindow(static_cast<HWND>(v->shell.plugin_window));
    if (!(v = busy.viewer())) return 0;
    WaitCursor wait;
    upload_send(ViewerHandle(v), tag, true, &body, &r);
    return 1;
}
