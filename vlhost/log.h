#pragma once
// One line on stdout per thing that happened, flushed at once so that a test
// reading the output sees everything up to a crash.
#include <string>

#include "host/npapi.h"

void log_line(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// "int 5", "string \"abc\"", "object #3", ...
std::string log_variant(const NPVariant& v);
std::string log_quote(const std::string& s);
std::string utf8_from_wide(const wchar_t* s);
std::wstring wide_from_utf8(const std::string& s);
