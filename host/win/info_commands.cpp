#include "host/win/info_commands.h"

#include <windows.h>

#include "host/browser.h"
#include "host/viewer.h"
#include "host/viewer_registry.h"
#include "host/viewer_ui.h"
#include "host/win/module.h"
#include "ui/commands.h"
#include "ui/win/info_dialogs.h"

namespace {
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
