// Save As: propose a name, ask for one, and write the document copy or the
// current page as a BMP file under it.
#include <windows.h>
#include <commdlg.h>

#include "config/message_box.h"
#include "document/file_system.h"
#include "document/url_rules.h"
#include "output/save_rules.h"
#include "output/win/document_writer.h"
#include "output/win/file_dialogs.h"
#include "output/win/output_commands.h"
#include "output/win/page_bitmap.h"

namespace {
// The dialog checked an exact name itself; a name we completed is asked about here.
bool may_replace(HWND owner, const SaveTarget& t) {
    if (!t.extension_added || !fs_exists(t.path)) return true;
    return msgbox_show_captioned(owner, kMbYesNo | kMbIconWarning | kMbDefButton2, kSaveDialogTitle,
                                 kSaveReplaceQuestion, t.path) == kIdYes;
}

void save_page_as_bmp(const OutputSource& s, const char16_t* path) {
    HWND owner = s.owner;
    PageBitmap bitmap;
    switch (page_bitmap_current(s, &bitmap)) {
    case PageBitmapResult::kNoPage: msgbox_warning(owner, kSaveBmpWithoutPage); return;
    case PageBitmapResult::kOutOfMemory: msgbox_warning(owner, kBmpSaveFailed, path); return;
    case PageBitmapResult::kOk: break;
    }
    (void)bmp_write_file(owner, path, bitmap.data, bitmap.size);
}

}  // namespace

// The file dialog and the replace question run nested loops; the viewer is
// asked for again after each.
void output_save_as(OutputViewer& viewer) {
    const OutputSource* s = viewer.source();
    if (!s) return;
    HWND owner = s->owner;
    if (!*s->file_path && !s->memory) {
        msgbox_warning(owner, kSaveNotDownloaded);
        return;
    }
    FileQuestion q;
    q.owner = owner;
    q.save = true;
    q.title = kSaveDialogTitle;
    const Text16 filters = save_filter_list(output_page_shown(*s));
    q.filters = filters.c_str();
    q.flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    url_suggest_file_name(s->url, s->file_path, false, q.name, kFileDialogNameCap);
    if (!file_question_ask(&q) || !(s = viewer.source())) return;
    const SaveTarget target = save_resolve_target(q.name, q.filter_index);
    if (!may_replace(owner, target) || !(s = viewer.source())) return;
    if (target.format == SaveFormat::kTiff) (void)document_write_copy(*s, target.path);
    else
        save_page_as_bmp(*s, target.path);
}
