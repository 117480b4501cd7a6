#include "ui/win/info_dialogs.h"

namespace {
const wchar_t* wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

// What the two dialog procedures are handed.
struct AboutState {
    const char16_t* text;
};
struct ErrorLogState {
    const char16_t* document_log;
    const char16_t* page_log;
};

// "&Copy Text": select everything, copy it, and leave nothing selected.
void copy_all(HWND dlg, int edit) {
    SendDlgItemMessageW(dlg, edit, EM_SETSEL, 0, -1);
    SendDlgItemMessageW(dlg, edit, WM_COPY, 0, 0);
    SendDlgItemMessageW(dlg, edit, EM_SETSEL, WPARAM(-1), 0);
}

// The dialog manager would select the whole text when it focuses the edit;
// the reader wants the caret at the top instead.
INT_PTR focus_text_top(HWND dlg, int edit) {
    SetFocus(GetDlgItem(dlg, edit));
    SendDlgItemMessageW(dlg, edit, EM_SETSEL, 0, 0);
    return FALSE;
}

INT_PTR about_init(HWND dlg, const AboutState* s) {
    int stops[1] = {kInfoTabStop};
    SendDlgItemMessageW(dlg, IDC_ABOUT_TEXT, EM_SETTABSTOPS, 1, LPARAM(stops));
    SendDlgItemMessageW(dlg, IDC_ABOUT_TEXT, EM_SETLIMITTEXT, kInfoTextMaxChars, 0);
    SetDlgItemTextW(dlg, IDC_ABOUT_TEXT, wide(s->text));
    return focus_text_top(dlg, IDC_ABOUT_TEXT);
}

INT_PTR CALLBACK about_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: return about_init(dlg, reinterpret_cast<const AboutState*>(lp));
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_COPY_TEXT: copy_all(dlg, IDC_ABOUT_TEXT); return TRUE;
        case IDC_HOME_PAGE: EndDialog(dlg, IDC_HOME_PAGE); return TRUE;
        case IDOK:
        case IDCANCEL: EndDialog(dlg, IDOK); return TRUE;  // Escape and the close box too
        }
        break;
    }
    return FALSE;
}

// Each text is appended at the caret, as the user would paste it.
void append(HWND dlg, int edit, const char16_t* text) {
    const LRESULT end = SendDlgItemMessageW(dlg, edit, WM_GETTEXTLENGTH, 0, 0);
    SendDlgItemMessageW(dlg, edit, EM_SETSEL, WPARAM(end), LPARAM(end));
    SendDlgItemMessageW(dlg, edit, EM_REPLACESEL, FALSE, LPARAM(text));
}

INT_PTR errorlog_init(HWND dlg, const ErrorLogState* s) {
    const char16_t* document_log = s->document_log ? s->document_log : u"";
    append(dlg, IDC_ERRORLOG_TEXT, document_log);
    if (*document_log) append(dlg, IDC_ERRORLOG_TEXT, u"\r\n");
    append(dlg, IDC_ERRORLOG_TEXT, s->page_log ? s->page_log : u"");
    return focus_text_top(dlg, IDC_ERRORLOG_TEXT);
}

INT_PTR CALLBACK errorlog_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: return errorlog_init(dlg, reinterpret_cast<const ErrorLogState*>(lp));
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_COPY_TEXT: copy_all(dlg, IDC_ERRORLOG_TEXT); return TRUE;
        case IDOK:
        case IDCANCEL: EndDialog(dlg, IDOK); return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

INT_PTR info_dialog_run(HINSTANCE resources, HWND owner, const char16_t* text) {
    AboutState state{text ? text : u""};
    return DialogBoxParamW(resources, L"DLGABOUT", owner, about_proc, LPARAM(&state));
}

INT_PTR errorlog_dialog_run(HINSTANCE resources, HWND owner, const char16_t* document_log, const char16_t* page_log) {
    ErrorLogState state{document_log, page_log};
    return DialogBoxParamW(resources, L"DLGERRORLOG", owner, errorlog_proc, LPARAM(&state));
}
