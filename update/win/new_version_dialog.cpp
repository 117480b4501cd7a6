#include "update/win/new_version_dialog.h"

namespace {
constexpr wchar_t kQuestion[] =
    L"There is a new version of the Vellarion image viewer plug-in available.\r\n\r\n"
    L"Do you want to download it now?";

INT_PTR on_init(HWND dlg, NewVersionAnswer* a) {
    SetWindowLongPtrW(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(a));
    SendDlgItemMessageW(dlg, IDC_NEWVERS_ICON, STM_SETICON, WPARAM(LoadIconW(nullptr, IDI_QUESTION)), 0);
    SetDlgItemTextW(dlg, IDC_NEWVERS_TEXT, kQuestion);
    CheckDlgButton(dlg, IDC_NEWVERS_AUTO, a->auto_update ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

INT_PTR CALLBACK new_version_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* a = reinterpret_cast<NewVersionAnswer*>(GetWindowLongPtrW(dlg, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: return on_init(dlg, reinterpret_cast<NewVersionAnswer*>(lp));
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDYES:
        case IDNO:
            a->answered = true;
            a->download = LOWORD(wp) == IDYES;
            a->auto_update = IsDlgButtonChecked(dlg, IDC_NEWVERS_AUTO) == BST_CHECKED;
            EndDialog(dlg, LOWORD(wp));
            return TRUE;
        case IDCANCEL:  // the close box and Escape: No, and the box is not stored
            EndDialog(dlg, IDNO);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
}  // namespace

NewVersionAnswer new_version_dialog_run(HINSTANCE resources, HWND owner, bool auto_update) {
    NewVersionAnswer a;
    a.auto_update = auto_update;
    const INT_PTR result =
        DialogBoxParamW(resources, L"DLGNEWVERS", owner, new_version_proc, reinterpret_cast<LPARAM>(&a));
    a.shown = result > 0;
    return a;
}
