#include "update/update_reply.h"

#include <cstring>

#include "base/text.h"
#include "base/url.h"

namespace {
// The body begins after the header's blank line. The separator must start
// within the first count - 8 bytes, so a reply needs a few body bytes past it;
// a reply shorter than that has no body (counting down from a short size must
// not wrap around and read past the buffer).
const char* find_body(const char* bytes, size_t count) {
    if (count <= 8) return nullptr;
    const size_t limit = count - 8;
    for (size_t i = 0; i < limit; ++i)
        if (std::memcmp(bytes + i, "\r\n\r\n", 4) == 0) return bytes + i + 4;
    return nullptr;
}

// The usual leading-number rule, clamped to 32 bits rather than overflowing.
int32_t leading_number(const char* s, size_t n) {
    Text16 wide;
    wide.reserve(n < 32 ? n : 32);
    for (size_t i = 0; i < n && i < 32; ++i) wide.push_back(char16_t(static_cast<unsigned char>(s[i])));
    const long long v = text_leading_int(wide);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return int32_t(v);
}

void take_line(const char* line, size_t n, UpdateReply* out) {
    if (n < 2 || line[0] != '!') return;
    const char* value = line + 2;
    const size_t value_len = n - 2;
    switch (line[1]) {
    case 'P':
        out->page_url.assign(value, value_len);
        out->has_page = value_len > 0;
        break;
    case 'V': out->version = leading_number(value, value_len); break;
    case 'W': out->window.assign(value, value_len); break;
    default: break;
    }
}
}  // namespace

UpdateReply update_parse_reply(const char* bytes, size_t count) {
    UpdateReply out;
    if (!bytes) return out;
    // Everything after a zero byte is invisible, as it would be to string code.
    count = strnlen(bytes, count);
    const char* body = find_body(bytes, count);
    if (!body) return out;
    out.body_found = true;
    const char* end = bytes + count;
    for (const char* line = body; line < end;) {
        const char* lf = static_cast<const char*>(std::memchr(line, '\n', size_t(end - line)));
        const char* line_end = lf ? lf : end;
        take_line(line, size_t(line_end - line), &out);
        if (!lf) break;
        line = lf + 1;
    }
    return out;
}

UpdateVerdict update_judge(const UpdateReply& reply) {
    if (!reply.body_found || reply.version == 0 || !reply.has_page) return UpdateVerdict::kBadData;
    // Bytes of the system code page: the scheme is plain ASCII either way.
    Text16 page;
    for (char c : reply.page_url) page.push_back(char16_t(static_cast<unsigned char>(c)));
    if (!url_form_is_web(url_parse(page).form) || update_target(reply).empty()) return UpdateVerdict::kInvalid;
    return reply.version > kUpdateOwnVersion ? UpdateVerdict::kNewer : UpdateVerdict::kLatest;
}

std::string update_target(const UpdateReply& reply) {
    Text16 window;
    for (char c : reply.window) window.push_back(char16_t(static_cast<unsigned char>(c)));
    if (text_iequal(window, u"_blank")) return "_blank";
    if (text_iequal(window, u"_self")) return "_self";
    return std::string();
}
