#include "output/win/clipboard.h"

#include <cstring>
#include <string>

#include "base/win/handles.h"
#include "config/message_box.h"
#include "output/win/page_bitmap.h"

namespace {
class HourglassScope {
public:
    HourglassScope() : saved_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~HourglassScope() { SetCursor(saved_); }
    HourglassScope(const HourglassScope&) = delete;
    HourglassScope& operator=(const HourglassScope&) = delete;

private:
    HCURSOR saved_;
};

// A block that cannot be locked is as good as not allocated: setting it would
// put zeros on the clipboard and call that a copy.
UniqueGlobal filled_block(const void* data, size_t size) {
    UniqueGlobal block{GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, size)};
    void* p = block ? GlobalLock(block.get()) : nullptr;
    if (!p) return UniqueGlobal{};
    std::memcpy(p, data, size);
    GlobalUnlock(block.get());
    return block;
}
}  // namespace

bool clipboard_put(HWND owner, UINT format, const void* data, size_t size) {
    HourglassScope hourglass;
    if (!OpenClipboard(nullptr)) {
        msgbox_warning(owner, u"Can\u2019t open the clipboard");
        return false;
    }
    bool ok = false;
    if (!EmptyClipboard()) {
        msgbox_warning(owner, u"Can\u2019t clear the clipboard");
    } else if (UniqueGlobal block = filled_block(data, size); !block) {
        msgbox_warning(owner, u"Can\u2019t allocate memory for clipboard");
    } else {
        ok = SetClipboardData(format, block.get()) != nullptr;
        if (ok) block.release();  // the clipboard owns it now
        else
            msgbox_warning(owner, u"Can\u2019t set clipboard data");
    }
    CloseClipboard();
    return ok;
}

bool clipboard_put_text(HWND owner, const char16_t* text) {
    if (!text || !*text) return false;
    return clipboard_put(owner, CF_UNICODETEXT, text,
                         (std::char_traits<char16_t>::length(text) + 1) * sizeof(char16_t));
}

bool clipboard_put_page(const OutputSource& s) {
    HWND owner = s.owner;
    PageBitmap bitmap;
    switch (page_bitmap_current(s, &bitmap)) {
    case PageBitmapResult::kNoPage: msgbox_warning(owner, u"No image to copy"); return false;
    case PageBitmapResult::kOutOfMemory:
        msgbox_warning(owner, u"Can\u2019t allocate memory for clipboard");
        return false;
    case PageBitmapResult::kOk: break;
    }
    return clipboard_put(owner, CF_DIB, bitmap.data, bitmap.size);
}
