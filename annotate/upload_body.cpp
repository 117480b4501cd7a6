#include "annotate/upload_body.h"

#include "base/text.h"

const char16_t kUploadUserAgent[] = u"Vellarion/2.0.0 (Plug-in)";

namespace {
constexpr size_t kMessageMax = 1023;
constexpr size_t kHeaderTextMax = 2047;
constexpr size_t kHeaderNameMax = 199, kHeaderValueMax = 999;

const char16_t* message_format(int code) {
    switch (code) {
    case kUploadOk: return u"Successful";
    case kUploadUnknown: return u"Unknown error";
    case kUploadBadUrl: return u"Failed to parse URL";
    case kUploadNotHttp: return u"Attempt to POST to non-HTTP URL";
    case kUploadOpenFailed: return u"InternetOpen failed with WinInet error code %u";
    case kUploadConnectFailed: return u"InternetConnect failed with WinInet error code %u";
    case kUploadRequestFailed: return u"HttpOpenRequest failed with WinInet error code %u";
    case kUploadSendFailed: return u"HttpSendRequestEx failed with WinInet error code %u";
    case kUploadWriteFailed: return u"InternetWriteFile failed with WinInet error code %u";
    case kUploadEndFailed: return u"HttpEndRequest failed with WinInet error code %u";
    case kUploadStatusQueryFailed: return u"HttpQueryInfo (for status) failed with WinInet error code %u";
    case kUploadBadStatus: return u"POST failed, server returned status %u";
    case kUploadHeaderQueryFailed: return u"HttpQueryInfo (for headers) failed with WinInet error code %u";
    case kUploadReadFailed: return u"InternetReadFile failed with WinInet error code %u";
    case kUploadNoLibrary: return u"Failed to load WinInet library";
    case kUploadNoTempFile: return u"Failed to create temp file for upload";
    case kUploadTiffFailed: return u"Error writing temporary TIFF file";
    default: return u"";
    }
}

// A header text in the system's narrow code page, formatted into at most 2047 units.
bool write_header(const UploadBodyWriter& w, const std::u16string& text) {
    const std::string narrow = w.to_ansi(std::u16string_view(text).substr(0, kHeaderTextMax));
    return w.write(narrow.data(), narrow.size());
}

bool write_part_start(UploadResult* r, const UploadBodyWriter& w) {
    const std::u16string boundary = text_from_utf8(r->boundary);
    return (r->parts == 0 || write_header(w, u"\r\n")) && write_header(w, u"--" + boundary + u"\r\n");
}
}  // namespace

void upload_set_error(UploadResult* r, int code, uint32_t value) {
    r->code = code;
    r->message = text_printf(message_format(code), value).substr(0, kMessageMax);
}

std::u16string upload_final_message(const UploadResult& r) {
    if (r.code == kUploadOk) return u"Successful";
    return r.message.empty() ? u"Unknown error" : r.message;
}

std::string upload_boundary(uint32_t tick_count) { return "NEXTPART" + std::to_string(tick_count & 0xFFFFFF); }

bool upload_write_fields(const UploadParams& params, UploadResult* r, const UploadBodyWriter& w) {
    for (const UploadParam& p : params.slots) {
        if (!p.used) continue;
        const bool ok = write_part_start(r, w) &&
                        write_header(w, u"Content-Disposition: form-data; name=\"" + p.name + u"\"\r\n") &&
                        write_header(w, u"Content-Type: text/plain;charset=utf-8\r\n") &&
                        write_header(w, u"Content-Transfer-Encoding: binary\r\n") && write_header(w, u"\r\n");
        ++r->parts;
        const std::string value = text_to_utf8(p.value);
        if (!ok || !w.write(value.data(), value.size())) return false;
    }
    return true;
}

bool upload_write_image_header(std::u16string_view field_name, std::u16string_view file_name, UploadResult* r,
                               const UploadBodyWriter& w) {
    const std::u16string field(field_name.empty() ? u"file" : field_name);
    const std::u16string file(file_name.empty() ? u"image.tif" : file_name);
    const bool ok =
        write_part_start(r, w) &&
        write_header(w, u"Content-Disposition: form-data; name=\"" + field + u"\"; filename=\"" + file + u"\"\r\n") &&
        write_header(w, u"Content-Type: image/tiff\r\n") && write_header(w, u"Content-Transfer-Encoding: binary\r\n") &&
        write_header(w, u"\r\n");
    ++r->parts;
    return ok;
}

bool upload_write_closing(const UploadResult& r, const UploadBodyWriter& w) {
    return write_header(w, u"\r\n--" + text_from_utf8(r.boundary) + u"--\r\n");
}

std::u16string upload_content_type_header(const std::string& boundary) {
    return (u"Content-Type: multipart/form-data; boundary=" + text_from_utf8(boundary) + u"\r\n").substr(0, 399);
}

UploadTarget upload_target(int scheme, int port) {
    UploadTarget t;
    if (scheme < 1) scheme = kSchemeHttp;
    if (scheme != kSchemeHttp && scheme != kSchemeHttps) {
        t.error = kUploadNotHttp;
        return t;
    }
    t.secure = scheme == kSchemeHttps;
    t.port = port == 0 ? 80 : port;
    return t;
}

std::vector<std::pair<std::u16string, std::u16string>> upload_header_lines(const char16_t* raw, size_t units) {
    std::vector<std::pair<std::u16string, std::u16string>> out;
    size_t i = 0;
    while (i < units && raw[i]) {
        size_t end = i;
        while (end < units && raw[end]) ++end;
        const std::u16string_view line(raw + i, end - i);
        const size_t colon = line.find(u':');
        if (colon != std::u16string_view::npos) {
            size_t v = colon + 1;
            while (v < line.size() && line[v] == u' ') ++v;
            out.emplace_back(std::u16string(line.substr(0, std::min(colon, kHeaderNameMax))),
                             std::u16string(line.substr(v, kHeaderValueMax)));
        }
        i = end + 1;
    }
    return out;
}
