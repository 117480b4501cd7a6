#include "config/message_box.h"

#include <cstdio>

#include "base/text.h"

namespace {
// Without a shell (the command-line tool, native tests) a box becomes a line on
// stderr and the default answer.
int stderr_handler(const MessageBoxRequest& r, void*) {
    fprintf(stderr, "%s: %s\n", text_to_utf8(r.caption).c_str(), text_to_utf8(r.text).c_str());
    return (r.type & 0xF) == kMbYesNo || (r.type & 0xF) == kMbYesNoCancel ? kIdNo : kIdOk;
}
MessageBoxHandler g_handler = stderr_handler;
void* g_context = nullptr;
}  // namespace

MessageBoxHandler msgbox_set_handler(MessageBoxHandler handler, void* context, void** old_context) {
    MessageBoxHandler old = g_handler;
    if (old_context) *old_context = g_context;
    g_handler = handler ? handler : stderr_handler;
    g_context = handler ? context : nullptr;
    return old;
}

namespace {
int show(void* owner, unsigned type, const char16_t* caption, const char16_t* fmt, va_list ap) {
    char16_t text[2048];
    text_vformat(text, 2048, fmt, ap);
    const MessageBoxRequest r{owner, type ? type : kMbIconWarning, caption, text};
    return g_handler(r, g_context);
}
}  // namespace

int msgbox_vshow(void* owner, unsigned type, const char16_t* fmt, va_list ap) {
    return show(owner, type, u"Vellarion", fmt, ap);
}

int msgbox_show_captioned(void* owner, unsigned type, const char16_t* caption, const char16_t* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    const int answer = show(owner, type, caption ? caption : u"Vellarion", fmt, ap);
    va_end(ap);
    return answer;
}

int msgbox_show(void* owner, unsigned type, const char16_t* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    const int answer = msgbox_vshow(owner, type, fmt, ap);
    va_end(ap);
    return answer;
}

int msgbox_warning(void* owner, const char16_t* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    const int answer = msgbox_vshow(owner, kMbIconWarning, fmt, ap);
    va_end(ap);
    return answer;
}
