#include "annotate/upload_body.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace {
struct Capture {
    std::string bytes;
    UploadBodyWriter writer() {
        UploadBodyWriter w;
        w.write = [this](const void* p, size_t n) {
            bytes.append(static_cast<const char*>(p), n);
            return true;
        };
        w.to_ansi = [](std::u16string_view s) { return text_to_utf8(s); };
        return w;
    }
};

std::string body(const UploadParams& params) {
    Capture c;
    UploadResult r;
    r.boundary = upload_boundary(0x12345678);
    EXPECT_TRUE(upload_write_fields(params, &r, c.writer()));
    EXPECT_TRUE(upload_write_image_header(u"", u"", &r, c.writer()));
    c.bytes += "<TIFF>";
    EXPECT_TRUE(upload_write_closing(r, c.writer()));
    return c.bytes;
}
}  // namespace

TEST(UploadBody, WithoutFieldsTheBodyStartsWithTheBoundary) {
    EXPECT_EQ(upload_boundary(0x12345678), "NEXTPART3430008");  // the low 24 bits
    EXPECT_EQ(upload_boundary(0), "NEXTPART0");
    EXPECT_EQ(body(UploadParams{}),
              "--NEXTPART3430008\r\n"
              "Content-Disposition: form-data; name=\"file\"; filename=\"image.tif\"\r\n"
              "Content-Type: image/tiff\r\nContent-Transfer-Encoding: binary\r\n\r\n"
              "<TIFF>\r\n--NEXTPART3430008--\r\n");
}

TEST(UploadBody, FieldsInSlotOrderWithEmptyValuesAndFreedSlotsSkipped) {
    UploadParams p;
    upload_param_add(&p, u"gone", u"x");
    upload_param_add(&p, u"note", u"caf\u00e9");
    upload_param_add(&p, u"empty", u"");
    upload_param_delete(&p, u"gone");
    const std::string b = body(p);
    EXPECT_EQ(b,
              "--NEXTPART3430008\r\n"
              "Content-Disposition: form-data; name=\"note\"\r\n"
              "Content-Type: text/plain;charset=utf-8\r\nContent-Transfer-Encoding: binary\r\n\r\n"
              "caf\xC3\xA9"
              "\r\n--NEXTPART3430008\r\n"
              "Content-Disposition: form-data; name=\"empty\"\r\n"
              "Content-Type: text/plain;charset=utf-8\r\nContent-Transfer-Encoding: binary\r\n\r\n"
              "\r\n--NEXTPART3430008\r\n"
              "Content-Disposition: form-data; name=\"file\"; filename=\"image.tif\"\r\n"
              "Content-Type: image/tiff\r\nContent-Transfer-Encoding: binary\r\n\r\n"
              "<TIFF>\r\n--NEXTPART3430008--\r\n");
    EXPECT_EQ(upload_content_type_header("NEXTPART7"), u"Content-Type: multipart/form-data; boundary=NEXTPART7\r\n");
}

TEST(UploadBody, AFailedWriteStopsTheBody) {
    UploadParams p;
    upload_param_add(&p, u"a", u"1");
    UploadResult r;
    r.boundary = "NEXTPART1";
    UploadBodyWriter w;
    w.write = [](const void*, size_t) { return false; };
    w.to_ansi = [](std::u16string_view s) { return text_to_utf8(s); };
    EXPECT_FALSE(upload_write_fields(p, &r, w));
    EXPECT_FALSE(upload_write_image_header(u"f", u"n", &r, w));
}

TEST(UploadBody, TargetsAndResults) {
    EXPECT_EQ(upload_target(0, 0).port, 80);  // no scheme: HTTP; no port: 80
    EXPECT_FALSE(upload_target(0, 0).secure);
    EXPECT_TRUE(upload_target(kSchemeHttps, 443).secure);
    EXPECT_EQ(upload_target(kSchemeHttp, 8080).port, 8080);
    EXPECT_EQ(upload_target(kSchemeFtp, 21).error, kUploadNotHttp);
    EXPECT_EQ(upload_target(-1, 0).port, 80);  // "unknown" is below 1 as well

    UploadResult r;
    EXPECT_EQ(upload_final_message(r), u"Successful");
    upload_set_error(&r, kUploadBadStatus, 302);
    EXPECT_EQ(r.message, u"POST failed, server returned status 302");
    upload_set_error(&r, kUploadConnectFailed, 12029);
    EXPECT_EQ(r.code, kUploadConnectFailed);
    EXPECT_EQ(r.message, u"InternetConnect failed with WinInet error code 12029");
    r.message.clear();
    EXPECT_EQ(upload_final_message(r), u"Unknown error");
}

TEST(UploadBody, ReplyHeaderLines) {
    const std::u16string raw = u"HTTP/1.1 200 OK" + std::u16string(1, 0) + u"Server:   test" + std::u16string(1, 0) +
                               u"X-Time: 12:30" + std::u16string(1, 0) + std::u16string(300, u'n') + u": v" +
                               std::u16string(2, 0);
    const auto lines = upload_header_lines(raw.data(), raw.size());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].first, u"Server");
    EXPECT_EQ(lines[0].second, u"test");
    EXPECT_EQ(lines[1].second, u"12:30");  // the first colon splits
    EXPECT_EQ(lines[2].first.size(), 199u);
    // A buffer the server filled to the end without the closing empty line.
    const std::u16string cut = u"A: b";
    EXPECT_EQ(upload_header_lines(cut.data(), cut.size()).size(), 1u);
}
