#include "inspect/rtf_out.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

void emit(RtfOut* out, const char* data, size_t size) {
    if (!out->enabled || out->failed) return;
    while (size > 0) {
        size_t room = kRtfBufferSize - out->length;
        size_t n = size < room ? size : room;
        memcpy(out->buffer + out->length, data, n);
        out->length += n;
        data += n;
        size -= n;
        if (out->length > kRtfFlushAbove) rtf_flush(out);
        if (out->failed) return;
    }
}

void emit_str(RtfOut* out, const char* s) { emit(out, s, strlen(s)); }

}  // namespace

void rtf_flush(RtfOut* out) {
    if (!out->enabled || out->failed || out->length == 0) return;
    if (!out->write || !out->write(out->user, out->buffer, out->length)) out->failed = true;
    out->length = 0;
}

void rtf_raw(RtfOut* out, const char* rtf) {
    emit_str(out, rtf);
    out->need_space = false;
}

void rtf_control(RtfOut* out, const char* word) {
    emit_str(out, word);
    // A control symbol (\' and the like) ends itself; a word needs a delimiter.
    size_t n = strlen(word);
    bool symbol = n >= 2 && word[0] == '\\' && word[1] == '\'';
    out->need_space = !symbol;
}

void rtf_text(RtfOut* out, const char* text) {
    if (!*text) return;
    if (out->need_space) emit(out, " ", 1);
    out->need_space = false;
    const char* run = text;
    for (const char* p = text; *p; ++p) {
        if (*p != '\\' && *p != '{' && *p != '}') continue;
        emit(out, run, p - run);
        char esc[2] = {'\\', *p};
        emit(out, esc, 2);
        run = p + 1;
    }
    emit_str(out, run);
}

void rtf_textf(RtfOut* out, const char* fmt, ...) {
    char text[2048];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(text, sizeof text, fmt, ap);
    va_end(ap);
    rtf_text(out, text);
}

void rtf_colour(RtfOut* out, int colour) {
    if (colour == out->colour) return;
    char word[16];
    snprintf(word, sizeof word, "\\cf%d", colour);
    rtf_control(out, word);
    out->colour = colour;
}

void rtf_par(RtfOut* out) {
    // The line break after \par ends the word, so no space is owed.
    rtf_raw(out, "\\par\r\n");
}

void rtf_tab(RtfOut* out) { rtf_control(out, "\\tab"); }
void rtf_bold(RtfOut* out, bool on) { rtf_control(out, on ? "\\b" : "\\b0"); }
void rtf_underline(RtfOut* out, bool on) { rtf_control(out, on ? "\\ul" : "\\ulnone"); }
void rtf_bullet(RtfOut* out) { rtf_control(out, "\\bullet"); }
void rtf_times(RtfOut* out) { rtf_control(out, "\\'d7"); }
void rtf_ellipsis(RtfOut* out) { rtf_control(out, "\\'85"); }
void rtf_open_quote(RtfOut* out) { rtf_control(out, "\\'93"); }
void rtf_close_quote(RtfOut* out) { rtf_control(out, "\\'94"); }
