#pragma once
// The one way the viewer asks the user something or tells of a failed action.
// The core formats the text and decides the type; the shell installs the handler
// that shows MessageBoxW, and tests install one that answers and records.
#include <cstdarg>

// Box types and answers carry the platform's values so the shell passes them on.
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbOkCancel = 0x1;
constexpr unsigned kMbYesNoCancel = 0x3;
constexpr unsigned kMbYesNo = 0x4;
constexpr unsigned kMbIconError = 0x10;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconWarning = 0x30;
constexpr unsigned kMbIconInformation = 0x40;
constexpr unsigned kMbDefButton2 = 0x100;
constexpr int kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7;

struct MessageBoxRequest {
    void* owner;              // the plug-in window, or null
    unsigned type;            // never 0: type 0 was turned into kMbIconWarning
    const char16_t* caption;  // "Vellarion", except for msgbox_show_captioned
    const char16_t* text;
};

using MessageBoxHandler = int (*)(const MessageBoxRequest& request, void* context);

// Returns the previous handler (and its context through `old_context`).
MessageBoxHandler msgbox_set_handler(MessageBoxHandler handler, void* context, void** old_context = nullptr);

// Formats into at most 2047 units and shows the box; returns the user's answer.
int msgbox_show(void* owner, unsigned type, const char16_t* fmt, ...);
int msgbox_vshow(void* owner, unsigned type, const char16_t* fmt, va_list ap);
// The same under another caption (a question that belongs to a dialog).
int msgbox_show_captioned(void* owner, unsigned type, const char16_t* caption, const char16_t* fmt, ...);
// Always a warning box.
int msgbox_warning(void* owner, const char16_t* fmt, ...);
