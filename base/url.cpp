#include "base/url.h"

namespace {
bool is_c0_or_space(char16_t c) { return c <= 0x20; }
bool is_tab_or_newline(char16_t c) { return c == u'\t' || c == u'\n' || c == u'\r'; }
bool is_alpha(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool is_slash(char16_t c) { return c == u'/' || c == u'\\'; }

bool is_scheme_char(char16_t c) {
    return is_alpha(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

int hex_value(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// What a browser does first with any address it is handed.
Text16 clean(std::u16string_view url) {
    size_t begin = 0, end = url.size();
    while (begin < end && is_c0_or_space(url[begin])) ++begin;
    while (end > begin && is_c0_or_space(url[end - 1])) --end;
    Text16 out;
    out.reserve(end - begin);
    for (size_t i = begin; i < end; ++i)
        if (!is_tab_or_newline(url[i])) out.push_back(url[i]);
    return out;
}

// The scheme's length (up to, not including, the colon); 0 when there is none.
size_t scheme_length(std::u16string_view s) {
    if (s.empty() || !is_alpha(s[0])) return 0;
    for (size_t i = 1; i < s.size(); ++i) {
        if (s[i] == u':') return i;
        if (!is_scheme_char(s[i])) return 0;
    }
    return 0;
}

UrlForm form_of_scheme(std::u16string_view scheme) {
    if (scheme == u"http") return UrlForm::kHttp;
    if (scheme == u"https") return UrlForm::kHttps;
    if (scheme == u"file") return UrlForm::kFile;
    if (scheme == u"mailto") return UrlForm::kMailto;
    return UrlForm::kOther;
}

Text16 percent_decoded(std::u16string_view s) {
    Text16 out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const int hi = s[i] == u'%' && i + 2 < s.size() ? hex_value(s[i + 1]) : -1;
        const int lo = hi >= 0 ? hex_value(s[i + 2]) : -1;
        if (lo < 0) {
            out.push_back(s[i]);
            continue;
        }
        out.push_back(char16_t(hi * 16 + lo));
        i += 2;
    }
    return out;
}
}  // namespace

ParsedUrl url_parse(std::u16string_view url) {
    ParsedUrl p;
    p.text = clean(url);
    const std::u16string_view s(p.text);
    std::u16string_view rest = s;
    const size_t n = scheme_length(s);
    if (n == 1) {
        p.form = UrlForm::kDrivePath;  // "C:…": the letter is a drive, not a scheme
    } else if (n > 1) {
        for (size_t i = 0; i < n; ++i) p.scheme.push_back(text_ascii_lower(s[i]));
        p.form = form_of_scheme(p.scheme);
        rest = s.substr(n + 1);
    } else if (!s.empty() && s[0] == u'\\') {
        p.form = UrlForm::kBackslashPath;
    } else if (s.size() >= 3 && s[0] == u'/' && is_alpha(s[1]) && s[2] == u':') {
        p.form = UrlForm::kDrivePath;
    }
    // The authority of "scheme://host/…" is not part of the path; web and file
    // addresses take either slash there, as browsers do.
    const bool has_authority = p.form == UrlForm::kHttp || p.form == UrlForm::kHttps || p.form == UrlForm::kFile;
    if (has_authority && rest.size() >= 2 && is_slash(rest[0]) && is_slash(rest[1])) {
        size_t i = 2;
        while (i < rest.size() && !is_slash(rest[i]) && rest[i] != u'?' && rest[i] != u'#') ++i;
        rest = rest.substr(i);
    }
    p.path = percent_decoded(rest.substr(0, rest.find_first_of(u"?#")));
    return p;
}

bool url_form_is_local(UrlForm form) {
    return form == UrlForm::kFile || form == UrlForm::kDrivePath || form == UrlForm::kBackslashPath;
}

bool url_form_is_web(UrlForm form) { return form == UrlForm::kHttp || form == UrlForm::kHttps; }
