// Save As: propose a name, ask for one, and write the document copy or the
// current page as a BMP file under it.
#include <windows.h>
#include <commdlg.h>

#include "config/message_box.h"
#include "document/file_system.h"
#include "document/url_rules.h"
#include "host/viewer.h"
#include "host/viewer_registry.h"
#include "host/viewer_file.h"
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

void save_page_as_bmp(Viewer* v, const char16_t* path) {
    HWND owner = static_cast<HWND>(v->shell.plugin_window);
    PageBitmap bitmap;
    switch (page_bitmap_current(v, &bitmap)) {
    case PageBitmapResult::kNoPage: msgbox_warning(owner, kSaveBmpWithoutPage); return;
    case PageBitmapResult::kOutOfMemory: msgbox_warning(owner, kBmpSaveFailed, path); return;
    case PageBitmapResult::kOk: break;
    }
    (void)bmp_write_file(owner, path, bitmap.data, bitmap.size);
}

// The file dialog and the replace question run nested loops; the viewer is
// asked for again after each.
void ask_and_save(const ViewerBusyScope& busy) {
    Viewer* v = busy.viewer();
    HWND owner = static_cast<HWND>(v->shell.plugin_window);
    if (btext_empty(&v->stream.file_path) && !v->stream.memory_buffer) {
        msgbox_warning(owner, kSaveNotDownloaded);
        return;
    }
    FileQuestion q;
    q.owner = owner;
    q.save = true;
    q.title = kSaveDialogTitle;
    const Text16 filters = save_filter_list(viewer_page_shown(v));
    q.filters = filters.c_str();
    q.flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    url_suggest_file_name(btext_get(&v->stream.url), btext_get(&v->stream.file_path), false, q.name, kFileDialogNameCap);
    if (!file_question_ask(&q) || !(v = busy.viewer())) return;
    const SaveTarget target = save_resolve_target(q.name, q.filter_index);
    if (!may_replace(owner, target) || !(v = busy.viewer())) return;
    if (target.format == SaveFormat::kTiff) (void)document_write_copy(v, target.path);
    else save_page_as_bmp(v, target.path);
}
}  // namespace

void output_save_as(Viewer* v) {
    if (!v || (v->access_flags & kAccessNoSaveCopy)) return;
    ViewerBusyScope busy(v);
    if (!busy.entered()) return;
    ask_and_save(busy);
    if ((v = busy.viewer()) && v->shell.plugin_window) SetFocus(static_cast<HWND>(v->shell.plugin_window));
}
