#include "host/browser.h"

#include <cstddef>
#include <cstring>
#include <string>

#include "base/text.h"
#include "base/url.h"

namespace {
NPNetscapeFuncs g_browser{};
}  // namespace

NPError browser_install(const NPNetscapeFuncs* funcs) {
    if (!funcs) return NPERR_INVALID_FUNCTABLE_ERROR;
    std::memset(&g_browser, 0, sizeof g_browser);
    // Read the size once: the browser's table is not ours and we copy from it.
    size_t size = funcs->size;
    if (size > kBrowserFuncsKept) size = kBrowserFuncsKept;
    // Only whole slots: a size that ends inside a pointer would copy half of it, and
    // calling that half-pointer later jumps anywhere (32- and 64-bit alike).
    constexpr size_t head = offsetof(NPNetscapeFuncs, geturl);
    if (size > head) size = head + (size - head) / sizeof(void*) * sizeof(void*);
    std::memcpy(&g_browser, funcs, size);
    if (browser_major() != kNpVersionMajor) return NPERR_INCOMPATIBLE_VERSION_ERROR;
    return NPERR_NO_ERROR;
}

void browser_clear() { std::memset(&g_browser, 0, sizeof g_browser); }

const NPNetscapeFuncs& browser() { return g_browser; }

int browser_major() { return g_browser.version >> 8; }

int browser_minor() { return g_browser.version & 0xFF; }

NPError browser_open_url(NPP npp, const char16_t* url, const char16_t* target) {
    if (!url) return NPERR_OUT_OF_MEMORY_ERROR;
    if (!g_browser.geturl) return NPERR_GENERIC_ERROR;
    const std::string url8 = text_to_utf8(url);
    std::string target8;
    if (target) target8 = text_to_utf8(target);
    const bool popups =
        target && !text_iequal(target, u"_self") && g_browser.pushpopupsenabledstate && g_browser.poppopupsenabledstate;
    if (popups) g_browser.pushpopupsenabledstate(npp, 1);
    const NPError result = g_browser.geturl(npp, url8.c_str(), target ? target8.c_str() : nullptr);
    if (popups) g_browser.poppopupsenabledstate(npp);
    return result;
}

NPError browser_navigate(NPP npp, const char16_t* url, const char16_t* target, Navigable allowed) {
    if (!url) return NPERR_INVALID_URL;
    const ParsedUrl p = url_parse(url);
    const bool relative_ok = allowed == Navigable::kWebOrRelative && p.form == UrlForm::kRelative;
    if (!url_form_is_web(p.form) && !relative_ok) return NPERR_INVALID_URL;
    return browser_open_url(npp, p.text.c_str(), target);
}
