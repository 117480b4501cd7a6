#include "output/win/clipboard.h"

#include <cstring>
#include <vector>

#include "annotate/page_marks.h"
#include "annotate/sketch.h"
#include "config/message_box.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "view/win/render_overlays.h"

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

// The marked page as one packed DIB: header, the two colours of a
// black-and-white page, the rows.
std::vector<uint8_t> packed_rendering(const RenderedPage& page) {
    DIBSECTION ds{};
    if (!GetObjectW(page.bitmap, sizeof ds, &ds)) return {};
    BITMAPINFOHEADER h = ds.dsBmih;
    const int colours = h.biBitCount == 1 ? 2 : 0;
    const size_t stride = ((size_t(h.biWidth) * h.biBitCount + 31) / 32) * 4;
    const size_t rows = stride * size_t(h.biHeight);
    h.biSizeImage = DWORD(rows);
    h.biClrUsed = colours;
    std::vector<uint8_t> out(sizeof h + colours * sizeof(RGBQUAD) + rows);
    std::memcpy(out.data(), &h, sizeof h);
    if (colours) {
        const RGBQUAD table[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
        std::memcpy(out.data() + sizeof h, table, sizeof table);
    }
    std::memcpy(out.data() + sizeof h + colours * sizeof(RGBQUAD), page.bits, rows);
    return out;
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
    } else if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, size); !block) {
        msgbox_warning(owner, u"Can\u2019t allocate memory for clipboard");
    } else {
        if (void* p = GlobalLock(block)) {
            std::memcpy(p, data, size);
            GlobalUnlock(block);
        }
        // Once set, the block belongs to the clipboard.
        ok = SetClipboardData(format, block) != nullptr;
        if (!ok) {
            GlobalFree(block);
            msgbox_warning(owner, u"Can\u2019t set clipboard data");
        }
    }
    CloseClipboard();
    return ok;
}

bool clipboard_put_text(HWND owner, const char16_t* text) {
    if (!text || !*text) return false;
    return clipboard_put(owner, CF_UNICODETEXT, text, (std::char_traits<char16_t>::length(text) + 1) * sizeof(char16_t));
}

bool clipboard_put_page(Viewer* v) {
    HWND owner = static_cast<HWND>(v->plugin_window);
    if (!viewer_page_shown(v)) {
        msgbox_warning(owner, u"No image to copy");
        return false;
    }
    const DisplayRaster* raster = &v->file->raster;
    const PageMarks* marks = sketch_find_marks(v, v->current_directory);
    if (!marks_burn_in(marks)) return clipboard_put(owner, CF_DIB, raster->header, size_t(raster->block_size));
    RenderedPage page;
    if (!render_with_overlays(raster, marks, v->view.orientation, &page)) {
        msgbox_warning(owner, u"Can\u2019t allocate memory for clipboard");
        return false;
    }
    const std::vector<uint8_t> packed = packed_rendering(page);
    DeleteObject(page.bitmap);
    if (packed.empty()) {
        msgbox_warning(owner, u"Can\u2019t allocate memory for clipboard");
        return false;
    }
    return clipboard_put(owner, CF_DIB, packed.data(), packed.size());
}
