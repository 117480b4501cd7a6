#include "config/error_log.h"

#include <cstdlib>
#include <cstring>

namespace {
constexpr int kMessageUnits = 2048;  // a message is formatted into at most 2047 units
constexpr int kLineUnits = 1024;     // a line holds at most 1023 units

void add_line(ErrorLog* log, bool is_error, const char16_t* fmt, va_list ap) {
    if (!log) return;
    char16_t message[kMessageUnits];
    text_vformat(message, kMessageUnits, fmt, ap);
    char16_t line[kLineUnits];
    text_format(line, kLineUnits, is_error ? u"Error: %s\r\n" : u"Warning: %s\r\n", message);
    if (is_error) log->error_count++;
    else
        log->warning_count++;
    const std::u16string_view l(line, text_len(line));
    if (btext_view(&log->last_line) == l && log->last_line.buffer) return;
    if (log->text.length + int(l.size()) + 1 > kErrorLogTextCap) btext_clear(&log->text);
    btext_append_view(&log->text, l);
    btext_set_view(&log->last_line, l);
}
}  // namespace

void errlog_init(ErrorLog* log, bool unknown_tag_filter) {
    log->error_count = 0;
    log->warning_count = 0;
    btext_init(&log->last_line, kErrorLogLastLineCap);
    btext_init(&log->text, kErrorLogTextCap);
    log->unknown_tag_filter = unknown_tag_filter;
}

void errlog_free(ErrorLog* log) {
    btext_free(&log->last_line);
    btext_free(&log->text);
    log->error_count = log->warning_count = 0;
}

void errlog_clear(ErrorLog* log) {
    log->error_count = log->warning_count = 0;
    btext_free(&log->last_line);  // so the next line is written even if it repeats
    btext_clear(&log->text);
}

void errlog_error(ErrorLog* log, const char16_t* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    add_line(log, true, fmt, ap);
    va_end(ap);
}

void errlog_warning(ErrorLog* log, const char16_t* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    add_line(log, false, fmt, ap);
    va_end(ap);
}

bool errlog_has_entries(const ErrorLog* log) { return log && (log->error_count || log->warning_count); }

const char16_t* errlog_text(const ErrorLog* log) { return btext_get(&log->text); }

void* errlog_alloc(ErrorLog* log, size_t size) {
    void* p = malloc(size ? size : 1);
    if (!p && log) errlog_error(log, u"Out of memory (failed to allocate %u bytes)", unsigned(size));
    return p;
}

void* errlog_alloc_zeroed(ErrorLog* log, size_t size) {
    void* p = calloc(size ? size : 1, 1);
    if (!p && log) errlog_error(log, u"Out of memory (failed to allocate %u bytes)", unsigned(size));
    return p;
}

bool colour_to_text(unsigned colour, char16_t* out, int cap) {
    const int n = text_format(out, cap, u"#%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return cap > 0 && n < cap;
}
