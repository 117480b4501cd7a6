#include "annotate/upload_fields.h"

namespace {
bool url_keeps(char16_t c) {
    return c == u'!' || c == u'"' || (c >= u'$' && c <= u'&') || (c >= u'(' && c <= u'[') || (c >= u']' && c <= u'~');
}

bool name_keeps(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')) return true;
    return std::u16string_view(u" $+,-./@_").find(c) != std::u16string_view::npos;
}

template <class Keep>
std::u16string sanitise(std::u16string_view s, Keep keep) {
    std::u16string out(s);
    for (char16_t& c : out)
        if (!keep(c)) c = u'_';
    return out;
}
}  // namespace

std::u16string upload_sanitise_url(std::u16string_view url) { return sanitise(url, url_keeps); }
std::u16string upload_sanitise_name(std::u16string_view name) { return sanitise(name, name_keeps); }

bool upload_param_add(UploadParams* p, std::u16string_view name, std::u16string_view value) {
    if (p->slots.empty()) p->slots.resize(kUploadParamSlots);
    for (UploadParam& slot : p->slots) {
        if (slot.used) continue;
        slot.name = upload_sanitise_name(name.substr(0, kUploadParamNameMax));
        slot.value = std::u16string(value.substr(0, kUploadParamValueMax));
        slot.used = true;
        return true;
    }
    return false;
}

int upload_param_delete(UploadParams* p, std::u16string_view name) {
    int removed = 0;
    for (UploadParam& slot : p->slots) {
        if (!slot.used || slot.name != name) continue;
        slot = UploadParam{};
        ++removed;
    }
    return removed;
}
