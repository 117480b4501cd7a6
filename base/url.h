#pragma once
// A URL or path read the way a browser reads it before acting on it, so that a
// rule about what kind of address something is looks at what the browser will
// use: control characters and spaces at either end are dropped, tabs and line
// breaks anywhere are removed, the scheme is compared without regard to case,
// and the path ends at the query or the fragment.
#include "base/text.h"

enum class UrlForm {
    kRelative,       // no scheme: resolved against the page ("a.tif", "/s/a.tif", "//host/a.tif", "?q")
    kHttp,           // "http:"
    kHttps,          // "https:"
    kFile,           // "file:"
    kDrivePath,      // "C:\a.tif", "C:/a.tif", "/C:/a.tif": a one-letter "scheme" is a drive
    kBackslashPath,  // "\a.tif", "\\server\share\a.tif"
    kMailto,         // "mailto:"
    kOther,          // any other scheme: javascript:, vbscript:, data:, ftp:, about:, …
};

struct ParsedUrl {
    Text16 text;  // the address as the browser acts on it (trimmed, tabs and line breaks removed)
    UrlForm form = UrlForm::kRelative;
    Text16 scheme;  // lower case, without the colon; empty when there is none
    // The path alone: after the scheme and any "//authority", up to the first
    // '?' or '#', with %XX escapes decoded (each to the unit of that byte value).
    Text16 path;
};

ParsedUrl url_parse(std::u16string_view url);

// The address reaches the local disk or network: file:, drive and backslash paths.
bool url_form_is_local(UrlForm form);
// An http: or https: address.
bool url_form_is_web(UrlForm form);
