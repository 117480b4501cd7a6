#include "output/win/page_bitmap.h"

#include <cstring>

#include "annotate/win/render_overlays.h"
#include "document/page_marks.h"
#include "base/win/handles.h"
#include "config/message_box.h"
#include "decode/raster.h"
#include "output/bmp_file.h"
#include "output/save_rules.h"

namespace {
// The marked page as one packed block: header, the two colours of a
// black-and-white page, the rows.
std::vector<uint8_t> packed_rendering(const RenderedPage& page) {
    DIBSECTION ds{};
    if (!GetObjectW(page.bitmap.get(), sizeof ds, &ds)) return {};
    static_assert(sizeof(DibHeader) == sizeof(BITMAPINFOHEADER));
    DibHeader h;
    memcpy(&h, &ds.dsBmih, sizeof h);
    const DibColour black_white[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    const int colours = h.bit_count == 1 ? 2 : 0;
    return dib_pack(h, colours ? black_white : nullptr, colours, static_cast<const uint8_t*>(page.bits));
}

bool write_all(HANDLE file, const void* data, size_t size) {
    DWORD done = 0;
    return size <= 0xFFFFFFFFu && WriteFile(file, data, DWORD(size), &done, nullptr) && done == size;
}
}  // namespace

bool output_page_shown(const OutputSource& s) { return s.page && s.raster && s.page->shown && !raster_empty(s.raster); }

const PageMarks* output_shown_marks(const OutputSource& s) {
    if (!s.marks || !s.document || !s.document->loaded) return nullptr;
    return marks_find(s.marks, s.document->current_directory);
}

PageBitmapResult page_bitmap_current(const OutputSource& s, PageBitmap* out) {
    *out = PageBitmap{};
    if (!output_page_shown(s)) return PageBitmapResult::kNoPage;
    const DisplayRaster* raster = s.raster;
    const PageMarks* marks = output_shown_marks(s);
    if (!marks_burn_in(marks)) {
        out->data = raster->header;
        out->size = size_t(raster->block_size);
        return PageBitmapResult::kOk;
    }
    RenderedPage page;
    if (!render_with_overlays(raster, marks, s.view->orientation, &page)) return PageBitmapResult::kOutOfMemory;
    out->owned = packed_rendering(page);
    if (out->owned.empty()) return PageBitmapResult::kOutOfMemory;
    out->data = out->owned.data();
    out->size = out->owned.size();
    return PageBitmapResult::kOk;
}

bool bmp_write_file(HWND owner, const char16_t* path, const uint8_t* block, size_t size) {
    uint8_t header[kBmpFileHeaderSize];
    if (!bmp_file_header(block, size, header)) {
        msgbox_warning(owner, kBmpSaveFailed, path);
        return false;
    }
    const UniqueFile file{file_handle_or_none(CreateFileW(reinterpret_cast<const wchar_t*>(path), GENERIC_WRITE, 0,
                                                          nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr))};
    if (!file || !write_all(file.get(), header, sizeof header) || !write_all(file.get(), block, size)) {
        msgbox_warning(owner, kBmpSaveFailed, path);
        return false;
    }
    return true;
}
