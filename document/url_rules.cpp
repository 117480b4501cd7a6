#include "document/url_rules.h"

#include <string>

#include "base/text.h"
#include "base/url.h"
#include "config/error_log.h"

namespace {
std::u16string_view view_of(const char16_t* s) {
    return s ? std::u16string_view(s, text_len(s)) : std::u16string_view();
}

bool ends_with_ignoring_case(std::u16string_view s, std::u16string_view suffix) {
    return s.size() >= suffix.size() && text_iequal(s.substr(s.size() - suffix.size()), suffix);
}

// The digit rule of colour parameters: letters beyond f still count (g is 16).
int digit_value(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'z') return c - u'a' + 10;
    if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
    return 0;
}

bool is_valid_utf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        const uint8_t c = uint8_t(s[i]);
        const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + size_t(extra) >= s.size()) return false;
        uint32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k <= extra; ++k) {
            if ((uint8_t(s[i + k]) & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (uint8_t(s[i + k]) & 0x3F);
        }
        static const uint32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += size_t(extra) + 1;
    }
    return true;
}

// "%xy" becomes the byte xy. Browsers hand us URLs with UTF-8 escapes, but
// servers in the wild also escape Latin-1 bytes; those keep their values.
Text16 percent_decode(const Text16& name) {
    Text16 bytes_as_units;  // each unit below 0x100 that came from an escape is a byte
    std::string utf8;
    std::u16string run;
    for (size_t i = 0; i < name.size();) {
        if (name[i] == u'%' && i + 2 < name.size()) {
            const uint8_t byte = uint8_t(digit_value(name[i + 1]) * 16 + digit_value(name[i + 2]));
            utf8 += text_to_utf8(run);
            run.clear();
            utf8.push_back(char(byte));
            bytes_as_units.push_back(char16_t(byte));
            i += 3;
        } else {
            run.push_back(name[i]);
            bytes_as_units.push_back(name[i]);
            ++i;
        }
    }
    utf8 += text_to_utf8(run);
    return is_valid_utf8(utf8) ? text_from_utf8(utf8) : bytes_as_units;
}

// "…?docid=ABC&pagenum=7" → "abc-007".
Text16 name_from_query(std::u16string_view query) {
    Text16 q(query.substr(0, 239));
    for (char16_t& c : q) c = text_ascii_lower(c);
    const size_t id = q.find(u"docid=");
    if (id == Text16::npos) return Text16();
    Text16 name = q.substr(id + 6);
    name = name.substr(0, name.find(u'&'));
    if (name.size() > 24) name.resize(24);
    const size_t page = q.find(u"pagenum=");
    if (page != Text16::npos) {
        const long long number = text_leading_int(std::u16string_view(q).substr(page + 8));
        if (number > 0) name += text_printf(u"-%03lld", number);
    }
    return name;
}
}  // namespace

bool url_is_local(const char16_t* url) { return url && url_form_is_local(url_parse(view_of(url)).form); }

bool url_has_tiff_extension(const char16_t* url) {
    if (!url) return false;
    const Text16 path = url_parse(view_of(url)).path;
    // A decoded control character would end the name where the file system
    // reads it ("x.pdf%00.tif" names x.pdf): no such name counts.
    for (char16_t c : path)
        if (c < 0x20) return false;
    const std::u16string_view name = std::u16string_view(path).substr(path.find_last_of(u"/\\") + 1);
    return (name.size() > 4 && ends_with_ignoring_case(name, u".tif")) ||
           (name.size() > 5 && ends_with_ignoring_case(name, u".tiff")) ||
           (name.size() > 7 && ends_with_ignoring_case(name, u".vlrimg"));
}

bool url_access_allowed(const char16_t* url, int localaccess, ErrorLog* log) {
    if (!url) return true;
    const ParsedUrl p = url_parse(view_of(url));
    if (url_form_is_web(p.form) || p.form == UrlForm::kRelative) return true;
    if (url_form_is_local(p.form)) {
        if (localaccess == 2 || (localaccess == 1 && url_has_tiff_extension(url))) return true;
    } else if ((p.scheme != u"javascript" && p.scheme != u"vbscript") || localaccess == 2) {
        // Nothing but web and local addresses is fetched: a script or data
        // address would hand the browser something to run or make up.
        errlog_error(log, u"Addresses beginning with \"%s:\" are not loaded.", p.scheme.c_str());
        return false;
    }
    errlog_error(log, localaccess == 1 ? u"Remote access to local non-TIFF files not allowed."
                                       : u"Remote access to local files not allowed.");
    return false;
}

void url_suggest_file_name(const char16_t* download_url, const char16_t* file_path, bool add_extension, char16_t* out,
                           int cap) {
    const bool from_url = download_url && *download_url;
    const Text16 source(from_url ? view_of(download_url) : view_of(file_path));
    size_t after_separator = 0, after_dot = Text16::npos, after_query = Text16::npos;
    for (size_t i = 0; i < source.size(); ++i) {
        const char16_t c = source[i];
        if (c == u'?') after_query = i + 1;
        if (c == u'/' || c == u'\\' || c == u':' || c == u'=' || (c == u'&' && after_query != Text16::npos))
            after_separator = i + 1;
        if (c == u'.') after_dot = i + 1;
    }
    Text16 name;
    const std::u16string_view ext =
        after_dot == Text16::npos ? std::u16string_view() : std::u16string_view(source).substr(after_dot);
    const size_t stem = after_dot != Text16::npos && after_dot > after_separator ? after_dot - 1 - after_separator : 0;
    if (stem >= 1 && stem <= 99 && (text_iequal(ext, u"tif") || text_iequal(ext, u"tiff"))) {
        name = source.substr(after_separator, add_extension ? Text16::npos : stem);
    } else {
        if (after_query != Text16::npos) name = name_from_query(std::u16string_view(source).substr(after_query));
        if (add_extension && !name.empty()) name += u".tif";
    }
    if (from_url && name.find(u'%') != Text16::npos) name = percent_decode(name);
    for (char16_t& c : name)
        if (c < 0x20 || Text16(u"\"*/:<>?\\|").find(c) != Text16::npos) c = u'_';
    text_copy(out, cap, name.c_str());
}
