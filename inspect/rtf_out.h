#pragma once
// The rich-text sink of the tag report: escaping, control words with their
// delimiting space, colour runs written only when the colour changes, and a
// buffer handed to the writer in pieces so a large report never sits in memory.
#include <cstddef>

// Appends `size` bytes to the report's destination; false stops all output.
using RtfWrite = bool (*)(void* user, const char* data, size_t size);

constexpr size_t kRtfBufferSize = 4096;
constexpr size_t kRtfFlushAbove = 1000;

// Colour table entries of the report.
enum RtfColour : int {
    kColourDefault = 0,
    kColourValue = 1,    // numbers and string bytes
    kColourEscaped = 2,  // string bytes shown as \xx
    kColourProblem = 3,  // errors and warnings
};

struct RtfOut {
    RtfWrite write = nullptr;
    void* user = nullptr;
    bool enabled = false;     // only the rich-text mode writes
    bool failed = false;      // a write failed: everything after is dropped
    bool need_space = false;  // a control word was last: text needs a delimiter
    int colour = kColourDefault;
    size_t length = 0;
    char buffer[kRtfBufferSize];
};

// Literal RTF (the header, "}"): written as given.
void rtf_raw(RtfOut* out, const char* rtf);
// A control word or symbol such as "\\b" or "\\'d7".
void rtf_control(RtfOut* out, const char* word);
// Plain text: "\\", "{" and "}" are escaped.
void rtf_text(RtfOut* out, const char* text);
void rtf_textf(RtfOut* out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void rtf_colour(RtfOut* out, int colour);
void rtf_par(RtfOut* out);
void rtf_tab(RtfOut* out);
void rtf_bold(RtfOut* out, bool on);
void rtf_underline(RtfOut* out, bool on);
// Special characters, as code page 1252 escapes.
void rtf_bullet(RtfOut* out);
void rtf_times(RtfOut* out);
void rtf_ellipsis(RtfOut* out);
void rtf_open_quote(RtfOut* out);
void rtf_close_quote(RtfOut* out);
// Hands what is buffered to the writer.
void rtf_flush(RtfOut* out);
