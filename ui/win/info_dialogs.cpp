#include "ui/win/info_dialogs.h"

#include "host/browser.h"
#include "host/viewer.h"
#include "host/viewer_registry.h"
#include "host/win/module.h"
#include "host/win/plugin_window.h"
#include "ui/commands.h"

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

void focus_plugin(Viewer* v) {
    if (v->shell.plugin_window) SetFocus(static_cast<HWND>(v->shell.plugin_window));
}

InfoOsVersion os_facts(const OSVERSIONINFOW& os) {
    InfoOsVersion out;
    out.platform = int(os.dwPlatformId);
    out.major = int(os.dwMajorVersion);
    out.minor = int(os.dwMinorVersion);
    out.build = int(os.dwBuildNumber);
    out.service_pack = reinterpret_cast<const char16_t*>(os.szCSDVersion);
    return out;
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

InfoFacts info_facts_gather(Viewer* v) {
    InfoFacts f;
    info_facts_from_viewer(v, &f);
    const Module& m = module();
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    f.now = now.dwHighDateTime;
    f.update_last_checked = m.process.update_last_checked;
    f.update_last_attempt = m.process.update_last_attempt;
    const NPNetscapeFuncs& b = browser();
    const char* agent = b.uagent ? b.uagent(static_cast<NPP>(v->browser.npp)) : nullptr;
    f.user_agent = text_from_utf8(agent ? agent : "");
    f.npapi_major = m.browser_major;
    f.npapi_minor = m.browser_minor;
    f.os = os_facts(m.os_version);
    wchar_t path[MAX_PATH] = L"";
    const DWORD n = GetModuleFileNameW(m.instance, path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) f.module_path = reinterpret_cast<const char16_t*>(path);
    f.credits = info_library_credits();
    return f;
}

InfoDialogOutcome info_dialog_show(Viewer* v) {
    if (!v || v->busy) return InfoDialogOutcome::kRefused;
    const Text16 text = info_text_build(info_facts_gather(v));
    HWND owner = static_cast<HWND>(v->shell.plugin_window);
    // The dialog runs a nested loop in which the page may remove the viewer.
    const ViewerBusyScope busy(v);
    const INT_PTR result = info_dialog_run(module().instance, owner, text.c_str());
    if (!busy.viewer()) return InfoDialogOutcome::kViewerGone;
    return result == IDC_HOME_PAGE ? InfoDialogOutcome::kHomePage : InfoDialogOutcome::kClosed;
}

bool errorlog_dialog_show(Viewer* v) {
    if (!v) return false;
    // Copies: the logs belong to the viewer, which may change them meanwhile.
    const Text16 document_log(errlog_text(&v->logs.error)), page_log(errlog_text(&v->logs.page));
    HWND owner = static_cast<HWND>(v->shell.plugin_window);
    const ViewerHandle handle(v);
    errorlog_dialog_run(module().instance, owner, document_log.c_str(), page_log.c_str());
    return handle.alive();
}

void info_command_about(Viewer* v) {
    switch (info_dialog_show(v)) {
    case InfoDialogOutcome::kHomePage:
        browser_navigate(static_cast<NPP>(v->browser.npp), kHomePageUrl, u"_self", Navigable::kWebOnly);
        break;
    case InfoDialogOutcome::kClosed: focus_plugin(v); break;
    case InfoDialogOutcome::kRefused:
    case InfoDialogOutcome::kViewerGone: break;
    }
}

void info_command_error_log(Viewer* v) {
    if (errorlog_dialog_show(v)) focus_plugin(v);
}
