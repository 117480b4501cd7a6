#include "config/win/codepage.h"

#include <windows.h>

namespace {
constexpr int kMaxUnits = 1000000;
}

bool codepage_to_wide(const char* s, char16_t* out, int cap) {
    if (!out || cap <= 0) return false;
    out[0] = 0;
    if (!s) return false;
    const int n = MultiByteToWideChar(CP_ACP, 0, s, -1, reinterpret_cast<wchar_t*>(out), cap);
    if (n <= 0) {
        out[0] = 0;
        return false;
    }
    out[cap - 1] = 0;
    return true;
}

bool wide_to_codepage(const char16_t* s, char* out, int cap) {
    if (!out || cap <= 0) return false;
    out[0] = 0;
    if (!s) return false;
    const int n = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(s), -1, out, cap, nullptr, nullptr);
    if (n <= 0) {
        out[0] = 0;
        return false;
    }
    out[cap - 1] = 0;
    return true;
}

bool codepage_to_wide_alloc(const char* s, Text16* out) {
    if (!s) return false;
    const int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    if (n <= 0 || n > kMaxUnits) return false;
    out->assign(size_t(n), u'\0');
    MultiByteToWideChar(CP_ACP, 0, s, -1, reinterpret_cast<wchar_t*>(out->data()), n);
    out->resize(size_t(n - 1));
    return true;
}

bool wide_to_codepage_alloc(const char16_t* s, std::string* out) {
    if (!s) return false;
    const wchar_t* w = reinterpret_cast<const wchar_t*>(s);
    const int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0 || n > kMaxUnits) return false;
    out->assign(size_t(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w, -1, out->data(), n, nullptr, nullptr);
    out->resize(size_t(n - 1));
    return true;
}
