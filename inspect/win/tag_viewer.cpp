#include "inspect/win/tag_viewer.h"

#include <richedit.h>

#include "base/win/handles.h"
#include "inspect/report_builder.h"

namespace {

struct DialogState {
    const TagViewerRequest* request;
    bool all_pages;
    int right_gap,
        bottom_gap;  // edit control's right and bottom edges to the client edges
    int button_dx,
        button_dy;  // button's top-left to the client's bottom-right corner
};

size_t read_file_at(void* file, uint64_t offset, void* buffer, size_t size) {
    LARGE_INTEGER at;
    at.QuadPart = (LONGLONG)offset;
    DWORD got = 0;
    if (!SetFilePointerEx(static_cast<HANDLE>(file), at, nullptr, FILE_BEGIN)) return 0;
    if (!ReadFile(static_cast<HANDLE>(file), buffer, (DWORD)size, &got, nullptr)) return 0;
    return got;
}

bool write_file(void* file, const char* data, size_t size) {
    DWORD written = 0;
    return WriteFile(static_cast<HANDLE>(file), data, (DWORD)size, &written, nullptr) && written == size;
}

DWORD CALLBACK stream_from_file(DWORD_PTR file, LPBYTE buffer, LONG size, LONG* got) {
    DWORD n = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(file), buffer, (DWORD)size, &n, nullptr)) return 1;
    *got = (LONG)n;
    return 0;
}

// The system temporary folder and a fresh "vlr" name in it.
bool make_temp_name(wchar_t (&path)[MAX_PATH]) {
    wchar_t folder[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, folder);
    return n > 0 && n < MAX_PATH && GetTempFileNameW(folder, L"vlr", 0, path) != 0;
}

// Writes the report into `temp`; false only when the inspector could not be
// made or the file refused the text. Parse problems are part of the report
// itself.
bool write_report(const DialogState& s, HANDLE temp) {
    const TagViewerRequest& r = *s.request;
    const UniqueFile document{
        file_handle_or_none(r.file_path ? CreateFileW(r.file_path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                                        : nullptr)};
    MemoryBytes memory{r.data, (size_t)r.size};
    TagReportRequest report;
    if (r.file_path) {
        report.read = read_file_at;
        report.read_user = document.get();
    } else {
        report.read = tag_report_read_memory;
        report.read_user = &memory;
    }
    report.size = r.file_path && !document ? 0 : r.size;
    report.write = write_file;
    report.write_user = temp;
    report.all_pages = s.all_pages;
    if (!s.all_pages) report.page_offset = r.directory_offsets[r.current_page];
    return tag_report_build(report);
}

void load_report(const DialogState& s, HWND edit) {
    wchar_t path[MAX_PATH] = L"";
    UniqueFile temp{file_handle_or_none(make_temp_name(path)
                                            ? CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                          FILE_ATTRIBUTE_TEMPORARY, nullptr)
                                            : nullptr)};
    if (!temp) {
        if (s.request->log)
            errlog_error(s.request->log, u"Could not write temp file (%s)", reinterpret_cast<const char16_t*>(path));
        return;
    }
    write_report(s, temp.get());
    SetFilePointer(temp.get(), 0, nullptr, FILE_BEGIN);
    EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(temp.get()), 0, stream_from_file};
    SendMessageW(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    // Closed before the delete: the file is not shared, so an open handle would
    // keep it.
    temp.reset();
    DeleteFileW(path);
}

void remember_layout(DialogState* s, HWND dlg) {
    RECT client, edit, button;
    GetClientRect(dlg, &client);
    GetWindowRect(GetDlgItem(dlg, IDC_TAGDUMP_TEXT), &edit);
    GetWindowRect(GetDlgItem(dlg, IDOK), &button);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&edit), 2);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&button), 2);
    s->right_gap = client.right - edit.right;
    s->bottom_gap = client.bottom - edit.bottom;
    s->button_dx = client.right - button.left;
    s->button_dy = client.bottom - button.top;
}

INT_PTR on_init(HWND dlg, DialogState* s) {
    SetWindowLongPtrW(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
    HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
    SendMessageW(dlg, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(dlg, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    HWND edit = GetDlgItem(dlg, IDC_TAGDUMP_TEXT);
    SendMessageW(edit, EM_EXLIMITTEXT, 0, 0x100000);
    SendMessageW(edit, EM_SETBKGNDCOLOR, 0, RGB(255, 255, 255));
    SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN, MAKELPARAM(4, 0));
    remember_layout(s, dlg);
    load_report(*s, edit);
    // The dialog manager would select the whole report when it gives the
    // control the focus; the reader wants the caret at the top instead.
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, 0);
    return FALSE;
}

void on_size(HWND dlg, const DialogState* s, int cx, int cy) {
    HWND edit = GetDlgItem(dlg, IDC_TAGDUMP_TEXT);
    RECT r;
    GetWindowRect(edit, &r);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(edit, r.left, r.top, cx - s->right_gap - r.left, cy - s->bottom_gap - r.top, TRUE);
    HWND button = GetDlgItem(dlg, IDOK);
    SetWindowPos(button, nullptr, cx - s->button_dx, cy - s->button_dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    InvalidateRect(dlg, nullptr, TRUE);
}

INT_PTR CALLBACK tag_dialog_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* s = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dlg, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: return on_init(dlg, reinterpret_cast<DialogState*>(lp));
    case WM_SIZE:
        if (s) on_size(dlg, s, LOWORD(lp), HIWORD(lp));
        return TRUE;
    case WM_GETMINMAXINFO: reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = POINT{200, 150}; return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(dlg, LOWORD(wp));
        return TRUE;
    }
    return FALSE;
}

// Loaded on first use and kept: the rich-edit window class must outlive every
// dialog.
bool load_rich_edit() {
    static HMODULE rich_edit = LoadLibraryW(L"RICHED32.DLL");
    return rich_edit != nullptr;
}

}  // namespace

int tagview_show(const TagViewerRequest& request, bool all_pages) {
    if (request.access_flags & kAccessNoTagViewer) return 0;
    bool library = load_rich_edit();
    DialogState state{
        &request, tag_report_use_all_pages(all_pages, request.loaded, request.current_page, request.directory_count)};
    INT_PTR result = DialogBoxParamW(request.resources, L"DLGTAGDUMP", request.owner, tag_dialog_proc,
                                     reinterpret_cast<LPARAM>(&state));
    if (result == -1 && !library && request.log)
        errlog_error(request.log,
                     u"Failed to enable Rich Text support on your "
                     u"computer, which is required by the "
                     u"TIFF tag viewer. (missing RICHED32.DLL?)");
    return 1;
}
