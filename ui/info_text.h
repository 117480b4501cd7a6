#pragma once
// The text of the information dialog ("About Vellarion"): the viewer's
// version, the current file, the current page, the environment and the
// libraries' credits, built afresh from plain facts each time the dialog
// opens. Sections are separated by heading lines; a field is "name:", a tab
// and the value; every line ends in CR LF.
//
//   InfoFacts f;                       // the host fills it: the viewer's part,
//   f.user_agent = ...;                //   the environment and the credits
//   Text16 text = info_text_build(f);
#include <cstdint>
#include <vector>

#include "base/text.h"
#include "document/document_state.h"

// At most this many characters in the whole text.
constexpr int kInfoTextMaxChars = 32768;
// At most this many characters of one credit notice, after cleaning.
constexpr int kInfoNoticeMaxChars = 1014;
// The stored update-check times count units of 2^32 × 100 ns; this many days each.
constexpr double kUpdateTimeUnitDays = 0.004971026965852763;
// Access bit that hides the URL, the local file and the link.
constexpr uint32_t kInfoAccessHideLocations = 0x80;

// The current page as the information text shows it.
struct InfoPage {
    bool known = false;  // the page's properties were read (even when it could not be decoded)
    int number = 0;      // 1-based
    int count = 0;
    int width = 0, height = 0;  // after the page's Orientation tag
    // The page at 100 % after pixel-ratio correction, when that differs.
    bool adjusted = false;
    int adjusted_width = 0, adjusted_height = 0;
    int resolution_unit = 1;  // 2 inch, 3 centimetre, anything else unitless
    double x_density = 0, y_density = 0;
    bool has_resolution = false;
    int photometric = 0;
    int bits_per_sample = 0;
    int bits_per_pixel = 0;
    int compression = 0;
    Text16 software;  // the Software tag; empty when absent
};

// The system's version as GetVersionExW reported it at module start.
struct InfoOsVersion {
    int platform = 2;  // 0 Win32s, 1 Windows, 2 Windows NT, others unknown
    int major = 0, minor = 0, build = 0;
    Text16 service_pack;
};

struct InfoFacts {
    uint32_t access_flags = 0;
    // The current file.
    DownloadState download_state = DownloadState::kIdle;
    Text16 download_url;     // empty: none
    bool in_memory = false;  // held in memory rather than in a file on disk
    Text16 local_path;       // the file on disk
    uint32_t data_size = 0;
    bool document_loaded = false;
    int page_count = 0;
    InfoPage page;
    // The environment.
    uint32_t now = 0;                  // high 32 bits of the system time as a file time
    uint32_t update_last_checked = 0;  // same units; 0: never
    uint32_t update_last_attempt = 0;
    Text16 user_agent;
    int npapi_major = 0, npapi_minor = 0;
    InfoOsVersion os;
    Text16 module_path;
    uint64_t memory_bytes = 0;  // raster, the two scaled views and the in-memory file
    bool has_href = false;      // the page gave an `href`
    Text16 href;
    // Credit notices as the libraries word them (cleaned while building).
    std::vector<Text16> credits;
};

// The whole text, at most kInfoTextMaxChars characters.
Text16 info_text_build(const InfoFacts& facts);

// Days from `then` to `now`, both in the stored update-time units.
double info_days_between(uint32_t then, uint32_t now);

// A credit notice made fit for the edit control: a LF without a CR before it
// becomes CR LF, a "-" right after four digits (a year range) becomes an en
// dash, "(c)" and "(C)" become "©"; the result is cut to kInfoNoticeMaxChars
// characters, never between a CR and its LF.
Text16 info_clean_notice(std::u16string_view notice);

// The notices of zlib, libjpeg and libtiff with the versions the libraries
// report about themselves, in that order.
std::vector<Text16> info_library_credits();
