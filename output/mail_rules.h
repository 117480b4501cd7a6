#pragma once
// Sending the document by e-mail, without the platform: the attachment's name,
// the work folder's name, which mail call is made with which arguments, and
// how its result reads to the user. The shell creates the files, loads the
// mail library and makes the call.
#include <cstdint>

#include "base/text.h"

// The two calls the mail library offers: one message with a send dialog, or
// the older "send these documents" call.
enum class MailCall { kSendMail, kSendDocuments };

// The "sendmethod" setting: 1 asks for the documents call; 0 stands for the
// default, 2, and so does any value we do not know.
MailCall mail_call_for(int sendmethod);

// The attachment's file name: the suggested name with its extension, every
// character outside printable ASCII as "_" (mail programs mangle the rest),
// "file.tif" when nothing is left, and "_" in front of a name Windows
// reserves for a device ("CON.tif" → "_CON.tif").
Text16 mail_attachment_name(const char16_t* download_url, const char16_t* file_path);

// The temporary folder with its trailing "\" (added when missing).
Text16 mail_temp_folder(const char16_t* temp_path);
// Tries to make a work folder take names "<temp>vlar%03d" with (now + attempt)
// modulo 1000, for attempts 0 .. kMailFolderAttempts - 1.
constexpr int kMailFolderAttempts = 100;
Text16 mail_work_folder_name(const Text16& temp_folder, int64_t now_seconds, int attempt);
// "<folder>\<name>".
Text16 mail_work_file_path(const Text16& folder, const Text16& name);

// What the call is given; the shell converts the texts to the ANSI code page.
struct MailRequest {
    MailCall call = MailCall::kSendMail;
    Text16 subject;         // the send-mail call: the attachment's name
    Text16 path;            // the work file
    Text16 file_name;       // the name the recipient sees
    Text16 delimiter;       // the documents call: "|"
    uint32_t flags = 0;     // the send-mail call: log-on dialog and send dialog
    uint32_t position = 0;  // the attachment's place in the text: none (all ones)
};
constexpr uint32_t kMapiLogonUi = 0x1, kMapiDialog = 0x8;
MailRequest mail_build_request(MailCall call, const Text16& path, const Text16& file_name);

// The message for a call's result; empty for success (0), a user abort (1)
// and a failed log-on (3), which the mail program has shown itself.
Text16 mail_result_message(MailCall call, uint32_t code);

extern const char16_t kMailNoTempFolder[];  // %u: system error code
extern const char16_t kMailNoWorkFolder[];
extern const char16_t kMailNoLibrary[];
extern const char16_t kMailNoEntryPoint[];
