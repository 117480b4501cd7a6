// Built as vltestmail.dll, with undecorated names as the real library has.
// Copied under the system library's own name (for the host, which cannot
// point the plug-in anywhere else) it also acts out a mail program's compose
// window: a box whose loop runs until somebody answers it.
#include "output/win/test_mail_stub.h"

#include <mapi.h>

namespace {
MailStubState g_state;
HMODULE g_self = nullptr;

bool standing_in_for_the_system() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(g_self, path, MAX_PATH);
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/') name = p + 1;
    return lstrcmpiA(name, "MAPI32.DLL") == 0;
}

void copy(char* out, size_t cap, const char* in) { lstrcpynA(out, in ? in : "", int(cap)); }

void record(const char* function, const char* path) {
    ++g_state.calls;
    copy(g_state.function, sizeof g_state.function, function);
    g_state.file_existed = path && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_self = self;
    return TRUE;
}

extern "C" __declspec(dllexport) MailStubState* mail_stub_state() { return &g_state; }

extern "C" __declspec(dllexport) ULONG WINAPI MAPISendMail(LHANDLE, ULONG_PTR ui, lpMapiMessage m, FLAGS flags, ULONG) {
    const MapiFileDesc* f = m && m->nFileCount ? m->lpFiles : nullptr;
    record("MAPISendMail", f ? f->lpszPathName : nullptr);
    if (g_state.during) g_state.during(g_state.during_context);
    if (standing_in_for_the_system()) MessageBoxA(HWND(ui), "New message", "Mail stub", MB_OKCANCEL);
    g_state.ui_param = ui;
    g_state.flags = flags;
    if (m) {
        copy(g_state.subject, sizeof g_state.subject, m->lpszSubject);
        g_state.file_count = m->nFileCount;
        g_state.recipient_count = m->nRecipCount;
        g_state.note_text = m->lpszNoteText != nullptr;
    }
    if (f) {
        copy(g_state.path, sizeof g_state.path, f->lpszPathName);
        copy(g_state.name, sizeof g_state.name, f->lpszFileName);
        g_state.position = f->nPosition;
    }
    return g_state.result;
}

extern "C" __declspec(dllexport) ULONG WINAPI
    MAPISendDocuments(ULONG_PTR ui, LPSTR delimiter, LPSTR paths, LPSTR names, ULONG) {
    record("MAPISendDocuments", paths);
    g_state.ui_param = ui;
    copy(g_state.delimiter, sizeof g_state.delimiter, delimiter);
    copy(g_state.path, sizeof g_state.path, paths);
    copy(g_state.name, sizeof g_state.name, names);
    return g_state.result;
}
