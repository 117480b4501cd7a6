// Send: the document copy goes into a fresh work folder under the temporary
// folder, and the mail program gets it as an attachment. The file stays until
// the next send or the end of the viewer, since the mail program may read it
// long after its call returned.
#include <windows.h>
#include <mapi.h>

#include <ctime>
#include <string>

#include "base/win/handles.h"
#include "config/message_box.h"
#include "config/win/codepage.h"
#include "output/mail_rules.h"
#include "output/win/document_writer.h"
#include "output/win/output_commands.h"
#include "output/win/proc_address.h"

namespace {
const wchar_t* g_mail_library = L"MAPI32.DLL";

const wchar_t* wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

bool make_work_folder(HWND owner, Text16* folder) {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) {
        const DWORD error = GetLastError();
        msgbox_warning(owner, kMailNoTempFolder, unsigned(error));
        return false;
    }
    const Text16 base = mail_temp_folder(reinterpret_cast<const char16_t*>(temp));
    const int64_t now = int64_t(time(nullptr));
    for (int i = 0; i < kMailFolderAttempts; ++i) {
        *folder = mail_work_folder_name(base, now, i);
        if (CreateDirectoryW(wide(folder->c_str()), nullptr)) return true;
    }
    msgbox_warning(owner, kMailNoWorkFolder);
    return false;
}

std::string ansi(const Text16& s) {
    std::string out;
    return wide_to_codepage_alloc(s.c_str(), &out) ? out : std::string();
}

// The call's result, or a negative value when the entry point is missing.
int64_t call_mail(HMODULE mapi, const MailRequest& r, HWND owner) {
    std::string path = ansi(r.path), name = ansi(r.file_name);
    if (r.call == MailCall::kSendDocuments) {
        auto send = proc_address<LPMAPISENDDOCUMENTS>(mapi, "MAPISendDocuments");
        if (!send) return -1;
        std::string delimiter = ansi(r.delimiter);
        return send(ULONG_PTR(owner), delimiter.data(), path.data(), name.data(), 0);
    }
    auto send = proc_address<LPMAPISENDMAIL>(mapi, "MAPISendMail");
    if (!send) return -1;
    std::string subject = ansi(r.subject);
    MapiFileDesc file{};
    file.nPosition = r.position;
    file.lpszPathName = path.data();
    file.lpszFileName = name.data();
    MapiMessage message{};
    message.lpszSubject = subject.data();
    message.nFileCount = 1;
    message.lpFiles = &file;
    return send(0, ULONG_PTR(owner), &message, r.flags, 0);
}

void remove_work_files(BoundedText* work_folder, BoundedText* work_file) {
    if (!btext_empty(work_file)) DeleteFileW(wide(btext_get(work_file)));
    if (!btext_empty(work_folder)) RemoveDirectoryW(wide(btext_get(work_folder)));
    btext_clear(work_file);
    btext_clear(work_folder);
}
}  // namespace

void output_send(OutputViewer& viewer) {
    const OutputSource* s = viewer.source();
    if (!s) return;
    const Text16 name = mail_attachment_name(s->url, s->file_path);
    remove_work_files(s->work_folder, s->work_file);
    HWND owner = s->owner;
    Text16 folder;
    if (!make_work_folder(owner, &folder)) return;
    const Text16 path = mail_work_file_path(folder, name);
    // Recorded before writing: a folder or a partly written file left by a
    // failure still goes with the next send or the viewer.
    btext_set(s->work_folder, folder.c_str());
    btext_set(s->work_file, path.c_str());
    if (!document_write_copy(*s, path.c_str())) return;
    const UniqueLibrary mapi{LoadLibraryW(g_mail_library)};
    if (!mapi) {
        msgbox_warning(owner, kMailNoLibrary);
        return;
    }
    const MailCall call = mail_call_for(s->settings->sendmethod);
    const int64_t result = call_mail(mapi.get(), mail_build_request(call, path, name), owner);
    if (result < 0) {
        msgbox_warning(owner, kMailNoEntryPoint);
        return;
    }
    const Text16 message = mail_result_message(call, uint32_t(result));
    // The mail program's compose window runs its own loop, as long as the
    // user writes; the page may remove the viewer meanwhile, so only the
    // window handle is used from here on.
    if (!message.empty()) msgbox_warning(owner, u"%s", message.c_str());
}

void output_set_mail_library(const wchar_t* name) { g_mail_library = name ? name : L"MAPI32.DLL"; }
