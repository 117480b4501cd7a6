#pragma once
// Questions asked of a URL or a path: does it name a local file, a TIFF file,
// may a script make us fetch it, and what should a saved copy be called.
struct ErrorLog;

// A path or URL that reaches the local disk or network: "\\server\…" and
// "\…", "C:…", "/C:/…" and any "file:" URL, read as a browser reads it
// (leading spaces and control characters do not hide the scheme).
bool url_is_local(const char16_t* url);
// The name the path ends in (not the query, not the fragment, escapes decoded)
// ends in ".tif", ".tiff" or ".vlrimg" (either case) with a name before it.
bool url_has_tiff_extension(const char16_t* url);

// Whether a script may have us download `url`: web addresses and addresses
// relative to the page always; local ones under the "localaccess" setting
// (0 none, 1 local TIFF files only, 2 any); any other scheme (javascript:,
// data:, …) never. A refusal is logged.
[[nodiscard]] bool url_access_allowed(const char16_t* url, int localaccess, ErrorLog* log);

constexpr int kSuggestedNameCap = 256;

// A file name for saving or mailing the document, from the download URL when
// there is one (percent-decoded) and otherwise from the local path. Names from
// document-server queries ("…?DocId=ABC&PageNum=7") become "abc-007". With
// add_extension the name ends in ".tif". May be empty; always terminated.
void url_suggest_file_name(const char16_t* download_url, const char16_t* file_path, bool add_extension, char16_t* out,
                           int cap);
