#pragma once
// The update server's answer: a plain HTTP/1.0 reply whose body carries a few
// "!X" lines. Nothing in the status line or the headers is looked at; a proxy
// or a server error page simply has no usable lines and counts as bad data.
#include <cstddef>
#include <cstdint>
#include <string>

// Our own release as the server numbers releases: 2.0.0.2.
constexpr int32_t kUpdateOwnVersion = 2000002;

struct UpdateReply {
    bool body_found = false;
    int32_t version = 0;           // "!V"; 0 when absent
    bool has_page = false;         // "!P" seen with a non-empty value
    std::string page_url;          // "!P", bytes as received (system code page)
    std::string window = "_self";  // "!W"
};

// Reads the received bytes. The body starts after the first CR LF CR LF; lines
// end at LF only, so a CR before it stays in the value. The bytes count as a C
// string: a zero byte ends them. A later line overrides an earlier one.
UpdateReply update_parse_reply(const char* bytes, size_t count);

enum class UpdateVerdict {
    kBadData,  // no body, no version (or version 0), or no page address
    kInvalid,  // a page other than an http: or https: address, or a window other than _blank or _self
    kNewer,    // offer the download page
    kLatest,   // we are up to date
};
// Anyone on the path of a plain-HTTP reply can write it, so the page is only
// ever a web address opened in a new or the same window: a script or data
// address, a local file, or a named frame (which would also lift the page's
// pop-up blocker) makes the whole reply invalid.
UpdateVerdict update_judge(const UpdateReply& reply);

// The "!W" window as the browser is to be given it, "_blank" or "_self"
// (named in either case); empty for any other name.
std::string update_target(const UpdateReply& reply);
