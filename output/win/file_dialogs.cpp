#include "output/win/file_dialogs.h"

#include <commdlg.h>

namespace {
bool common_dialog(FileQuestion* q) {
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = q->owner;
    ofn.lpstrFilter = reinterpret_cast<const wchar_t*>(q->filters);
    ofn.nFilterIndex = DWORD(q->filter_index > 0 ? q->filter_index : 1);
    ofn.lpstrFile = reinterpret_cast<wchar_t*>(q->name);
    ofn.nMaxFile = kFileDialogNameCap;
    ofn.lpstrTitle = reinterpret_cast<const wchar_t*>(q->title);
    ofn.Flags = q->flags;
    const BOOL ok = q->save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    q->name[kFileDialogNameCap - 1] = 0;
    if (ok) q->filter_index = int(ofn.nFilterIndex);
    return ok != FALSE;
}

FileQuestionFn g_ask = common_dialog;
}  // namespace

FileQuestionFn file_question_set(FileQuestionFn fn) {
    const FileQuestionFn old = g_ask;
    g_ask = fn ? fn : common_dialog;
    return old;
}

bool file_question_ask(FileQuestion* q) { return g_ask(q); }
