#include "document/tiff_messages.h"

#include <cstdio>
#include <cstring>

#include "base/text.h"
#include "config/error_log.h"
#include "decode/library_messages.h"

namespace {
ErrorLog* g_tiff_log = nullptr;

constexpr size_t kMessageBytes = 1024;  // a formatted message keeps at most 1023 bytes
constexpr size_t kModuleBytes = 99;

void replace_control_characters(Text16* text) {
    for (char16_t& c : *text)
        if (c < 0x20) c = u'|';
}

bool starts_with_ignoring_case(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && text_iequal(text.substr(0, prefix.size()), prefix);
}

// libtiff names every tag it does not know while reading a directory; private
// tags are common and harmless, so the document log may leave them out. The
// wording changed case between libtiff releases, hence the case-blind match.
bool is_unknown_tag_warning(const char* module, std::u16string_view text) {
    return module && strcmp(module, "TIFFReadDirectory") == 0 &&
           (starts_with_ignoring_case(text, u"unknown field with tag ") ||
            starts_with_ignoring_case(text, u": unknown field with tag "));
}

// Newer libtiff releases check the directory chain for loops themselves and
// warn as they read. The loader walks the chain with its own loop check and
// reports a loop once, in words of its own; libtiff's notes would repeat it,
// on every page load too.
bool is_library_loop_warning(const char* module, std::u16string_view text) {
    return module &&
           (strcmp(module, "_TIFFCheckDirNumberAndOffset") == 0 || strcmp(module, "TIFFAdvanceDirectory") == 0) &&
           text.find(u"loop") != std::u16string_view::npos;
}

void to_log(void* log, bool is_error, const char* module, const char* format, va_list ap) {
    tiffmsg_log_message(static_cast<ErrorLog*>(log), is_error, module, format, ap);
}
}  // namespace

void tiffmsg_attach(ErrorLog* log) {
    g_tiff_log = log;
    library_messages_route(to_log, log);
}

ErrorLog* tiffmsg_current_log() { return g_tiff_log; }

void tiffmsg_log_message(ErrorLog* log, bool is_error, const char* module, const char* format, va_list ap) {
    if (!log) return;
    char narrow[kMessageBytes];
    vsnprintf(narrow, sizeof narrow, format ? format : "", ap);
    Text16 text = text_from_cp1252(narrow);
    replace_control_characters(&text);

    // A Win32 path as module name is the file libtiff was given; it says
    // nothing to the reader and may reveal the temporary folder.
    Text16 name;
    if (module && *module && !strchr(module, '\\')) {
        name = text_from_cp1252(std::string_view(module, strnlen(module, kModuleBytes)));
        replace_control_characters(&name);
    }
    // Messages that quote the downloaded file name would show the temporary
    // file; what follows it is the part worth reading.
    const size_t tmp = text.find(u".tmp: ");
    if (tmp != Text16::npos) text.erase(0, tmp + 6);

    if (!is_error && log->unknown_tag_filter && is_unknown_tag_warning(module, text)) return;
    if (!is_error && is_library_loop_warning(module, text)) return;

    Text16 entry;
    if (!name.empty()) {
        entry = name;
        if (text.empty() || text[0] != u':') entry += u": ";
    }
    entry += text;
    if (is_error) errlog_error(log, u"%s", entry.c_str());
    else
        errlog_warning(log, u"%s", entry.c_str());
}
