#include "vlhost/log.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "vlhost/npruntime.h"

void log_line(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    vfprintf(stdout, fmt, ap);
    va_end(ap);
    fputc('\n', stdout);
    fflush(stdout);
}

std::string log_quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\r') out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else
            out += c;
    }
    return out + "\"";
}

std::string log_variant(const NPVariant& v) {
    char buf[64];
    switch (v.type) {
    case NPVariantType_Void: return "void";
    case NPVariantType_Null: return "null";
    case NPVariantType_Bool: return v.value.boolValue ? "bool true" : "bool false";
    case NPVariantType_Int32: snprintf(buf, sizeof buf, "int %ld", long(v.value.intValue)); return buf;
    case NPVariantType_Double: snprintf(buf, sizeof buf, "double %.17g", v.value.doubleValue); return buf;
    case NPVariantType_String:
        return "string " +
               log_quote(std::string(v.value.stringValue.UTF8Characters ? v.value.stringValue.UTF8Characters : "",
                                     v.value.stringValue.UTF8Length));
    case NPVariantType_Object: return "object #" + std::to_string(runtime_object_serial(v.value.objectValue));
    }
    return "invalid-variant";
}

std::string utf8_from_wide(const wchar_t* s) {
    if (!s) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, s, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(n - 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, s, -1, out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring wide_from_utf8(const std::string& s) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(n - 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, out.data(), n);
    return out;
}
