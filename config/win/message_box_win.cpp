#include "config/win/message_box_win.h"

#include <windows.h>

#include "config/message_box.h"

namespace {
int show_with_messagebox(const MessageBoxRequest& r, void*) {
    // A window that is gone (the page closed it under us) cannot own a box.
    HWND owner = static_cast<HWND>(r.owner);
    if (owner && !IsWindow(owner)) owner = nullptr;
    return MessageBoxW(owner, reinterpret_cast<const wchar_t*>(r.text), reinterpret_cast<const wchar_t*>(r.caption),
                       r.type);
}
}  // namespace

void msgbox_install_platform() { msgbox_set_handler(show_with_messagebox, nullptr); }
