#pragma once
// The pieces of an upload that need no network: the multipart/form-data body
// around the document, the result codes and their messages, the target's
// scheme and port rules, and the reply's header lines. The shell writes the
// body to a temporary file and sends it.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "annotate/upload_fields.h"

// Result codes of an upload; the messages below go with them.
enum UploadCode : int {
    kUploadOk = 0,
    kUploadUnknown = 1,  // also "No file to upload"
    kUploadBadUrl = 1001,
    kUploadNotHttp = 1002,
    kUploadOpenFailed = 1003,
    kUploadConnectFailed = 1004,
    kUploadRequestFailed = 1005,
    kUploadSendFailed = 1006,
    kUploadWriteFailed = 1007,
    kUploadEndFailed = 1008,
    kUploadStatusQueryFailed = 1009,
    kUploadBadStatus = 1010,
    kUploadHeaderQueryFailed = 1011,
    kUploadReadFailed = 1012,
    kUploadNoLibrary = 1013,
    kUploadNoTempFile = 1014,
    kUploadTiffFailed = 1020,
};

// The outcome reported to the page; a later error replaces an earlier one.
struct UploadResult {
    int code = kUploadOk;
    std::u16string message;
    int tag = 0;
    int parts = 0;
    std::string boundary;
};
// Sets the code and its message, formatted with `value` where the message has
// one (a system error code or the HTTP status), cut to 1023 characters.
void upload_set_error(UploadResult* r, int code, uint32_t value = 0);
// The message the completion event carries: "Successful" for 0, "Unknown
// error" for an error without text.
std::u16string upload_final_message(const UploadResult& r);

// "NEXTPART" and the tick count's low 24 bits in decimal.
std::string upload_boundary(uint32_t tick_count);

// Where the body goes, and how headers become the system's narrow text.
struct UploadBodyWriter {
    std::function<bool(const void* data, size_t size)> write;
    std::function<std::string(std::u16string_view)> to_ansi;
};

// The text fields in slot order (name and value set), each a part; the
// values go as UTF-8. Adds to r->parts. False when a write failed.
bool upload_write_fields(const UploadParams& params, UploadResult* r, const UploadBodyWriter& w);
// The image part's header, up to the empty line; the TIFF follows it. An
// empty field name is "file", an empty file name "image.tif".
bool upload_write_image_header(std::u16string_view field_name, std::u16string_view file_name, UploadResult* r,
                               const UploadBodyWriter& w);
bool upload_write_closing(const UploadResult& r, const UploadBodyWriter& w);
// The request's one extra header line.
std::u16string upload_content_type_header(const std::string& boundary);

// The URL as cracked: a scheme below 1 (not given) counts as HTTP; HTTP, HTTPS;
// anything else is refused (kUploadNotHttp); port 0 becomes 80.
struct UploadTarget {
    int error = kUploadOk;
    bool secure = false;
    int port = 80;
};
constexpr int kSchemeFtp = 1, kSchemeHttp = 3, kSchemeHttps = 4;  // the URL cracker's numbers
UploadTarget upload_target(int scheme, int port);

// The reply's raw headers: zero-terminated UTF-16 lines ending with an empty
// one. Lines with a colon give (name before it, cut to 199; value after it
// with leading spaces skipped, cut to 999); the status line has none.
std::vector<std::pair<std::u16string, std::u16string>> upload_header_lines(const char16_t* raw, size_t units);

extern const char16_t kUploadUserAgent[];
