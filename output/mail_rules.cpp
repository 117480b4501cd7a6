#include "output/mail_rules.h"

#include "document/url_rules.h"

const char16_t kMailNoTempFolder[] = u"Can\u2019t find your temporary directory (%u)";
const char16_t kMailNoWorkFolder[] = u"Unable to create a temporary subdirectory";
const char16_t kMailNoLibrary[] =
    u"Unable to send image (could not load MAPI32.DLL).\r\nYou may need to install, configure, or open an email "
    u"program on your computer.";
const char16_t kMailNoEntryPoint[] = u"Unable to send image (GetProcAddress failed)";

MailCall mail_call_for(int sendmethod) { return sendmethod == 1 ? MailCall::kSendDocuments : MailCall::kSendMail; }

namespace {
// "CON.tif", "com1.tif", "NUL .tif": Windows takes these for devices in any
// folder, so a copy written under such a name goes to the device instead.
bool names_a_device(std::u16string_view name) {
    std::u16string_view stem = name.substr(0, name.find(u'.'));
    while (!stem.empty() && stem.back() == u' ') stem.remove_suffix(1);
    for (const char16_t* device : {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"})
        if (text_iequal(stem, device)) return true;
    return stem.size() == 4 && (text_iequal(stem.substr(0, 3), u"COM") || text_iequal(stem.substr(0, 3), u"LPT")) &&
           stem[3] >= u'0' && stem[3] <= u'9';
}
}  // namespace

Text16 mail_attachment_name(const char16_t* download_url, const char16_t* file_path) {
    char16_t name[kSuggestedNameCap];
    url_suggest_file_name(download_url, file_path, true, name, kSuggestedNameCap);
    for (char16_t* c = name; *c; ++c)
        if (*c < 32 || *c > 126) *c = u'_';
    if (!name[0]) return u"file.tif";
    return names_a_device(name) ? u"_" + Text16(name) : Text16(name);
}

Text16 mail_temp_folder(const char16_t* temp_path) {
    const size_t n = text_len(temp_path);
    const bool ends_in_separator = n > 0 && temp_path[n - 1] == u'\\';
    return text_printf(ends_in_separator ? u"%s" : u"%s\\", temp_path ? temp_path : u"");
}

Text16 mail_work_folder_name(const Text16& temp_folder, int64_t now_seconds, int attempt) {
    // The clock may be before 1970 on a badly set machine: keep the number positive.
    int64_t n = (now_seconds + attempt) % 1000;
    if (n < 0) n += 1000;
    return text_printf(u"%svlar%03d", temp_folder.c_str(), int(n));
}

Text16 mail_work_file_path(const Text16& folder, const Text16& name) {
    return text_printf(u"%s\\%s", folder.c_str(), name.c_str());
}

MailRequest mail_build_request(MailCall call, const Text16& path, const Text16& file_name) {
    MailRequest r;
    r.call = call;
    r.path = path;
    r.file_name = file_name;
    if (call == MailCall::kSendMail) {
        r.subject = file_name;
        r.flags = kMapiLogonUi | kMapiDialog;
        r.position = 0xFFFFFFFFu;
    } else {
        r.delimiter = Text16(1, u'|');
    }
    return r;
}

namespace {
const char16_t* mail_error_text(uint32_t code) {
    switch (code) {
    case 2: return u"Unspecified error";
    case 5: return u"Insufficient memory";
    case 9: return u"Too many attachments";
    case 11: return u"Attachment not found";
    case 12: return u"Attachment could not be opened";
    case 13: return u"Could not write attachment to temp file";
    case 18: return u"Text too large";
    default: return u"Unrecognized error code";
    }
}
}  // namespace

Text16 mail_result_message(MailCall call, uint32_t code) {
    if (code == 0 || code == 1 || code == 3) return {};
    return text_printf(u"Error attempting to send message.\n(Details: %s failed with error code %lu: %s.)",
                       call == MailCall::kSendMail ? u"MAPISendMail" : u"MAPISendDocuments", (unsigned long)code,
                       mail_error_text(code));
}
