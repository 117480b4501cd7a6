#include "ui/info_text.h"

#include "decode/colour.h"
#include "document/compression_names.h"
#include "ui/commands.h"

namespace {
constexpr char16_t kVersion[] = u"2.0.0";
constexpr char16_t kHostKind[] = u"Netscape-style plug-in";
constexpr char16_t kBuildDate[] = u"Nov 22 2010";
constexpr char16_t kMakerNotice[] = u"Copyright \u00a9 2010 ZEB. All rights reserved.";
constexpr size_t kUrlCut = 300;

void add(Text16* out, const char16_t* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    *out += text_vprintf(fmt, ap);
    va_end(ap);
}

bool hides_locations(const InfoFacts& f) { return (f.access_flags & kInfoAccessHideLocations) != 0; }

void add_heading(Text16* out) {
    *out += u"------ Vellarion TIFF Image Viewer ------\r\n";
    add(out, u"Version %s (%d-bit %s) \u2013 %s\r\n", kVersion, 32, kHostKind, kBuildDate);
    add(out, u"%s\r\n%s\r\n", kMakerNotice, kHomePageUrl);
}

void add_file(Text16* out, const InfoFacts& f) {
    if (f.download_state == DownloadState::kIdle) return;
    *out += u"\r\n------ Current TIFF File ------\r\n";
    if (!hides_locations(f)) {
        if (f.download_url.empty()) *out += u"URL:\tN/A\r\n";
        else if (f.download_url.size() >= kUrlCut)
            add(out, u"URL:\t%.300s...\r\n", f.download_url.c_str());
        else
            add(out, u"URL:\t%s\r\n", f.download_url.c_str());
    }
    if (f.download_state != DownloadState::kFinished) return;
    if (!hides_locations(f)) add(out, u"Local file:\t%s\r\n", f.in_memory ? u"(in memory)" : f.local_path.c_str());
    add(out, u"Size:\t%u bytes\r\n", f.data_size);
    if (f.document_loaded) add(out, u"Number of pages:\t%d\r\n", f.page_count);
}

void add_density(Text16* out, const InfoPage& p) {
    if (!(p.x_density > 0) || !p.has_resolution) {
        *out += u"Pixel density:\tUnknown\r\n";
        return;
    }
    const bool inch = p.resolution_unit == 2, cm = p.resolution_unit == 3;
    add(out, u"Pixel density:\t%.1f \u00d7 %.1f %s\r\n", p.x_density, p.y_density,
        inch ? u"pixels/inch"
        : cm ? u"pixels/cm"
             : u"(unitless)");
    if (inch || cm)
        add(out, u"Image size:\t%.2f \u00d7 %.2f %s\r\n", p.width / p.x_density, p.height / p.y_density,
            inch ? u"inches" : u"cm");
}

void add_page(Text16* out, const InfoFacts& f) {
    const InfoPage& p = f.page;
    if (f.download_state != DownloadState::kFinished || !f.document_loaded || !p.known) return;
    *out += u"\r\n------ Current Page ------\r\n";
    add(out, u"Page number:\t%d of %d\r\n", p.number, p.count);
    add(out, u"Dimensions:\t%d \u00d7 %d pixels", p.width, p.height);
    if (p.adjusted) add(out, u" (adjusted to %d \u00d7 %d)", p.adjusted_width, p.adjusted_height);
    *out += u"\r\n";
    add_density(out, p);
    char16_t name[100];
    colour_type_name(p.photometric, p.bits_per_sample, name, 100);
    add(out, u"Color type:\t%s\r\n", name);
    add(out, u"Bits/pixel:\t%d\r\n", p.bits_per_pixel);
    compression_name(p.compression, name, 100);
    add(out, u"Compression:\t%s\r\n", name);
    if (!p.software.empty()) add(out, u"Created with:\t%s\r\n", p.software.c_str());
}

const char16_t* platform_name(int platform) {
    switch (platform) {
    case 0: return u"Win32s";
    case 1: return u"Windows";
    case 2: return u"Windows NT";
    default: return nullptr;
    }
}

void add_environment(Text16* out, const InfoFacts& f) {
    *out += u"\r\n------ Environment ------\r\n";
    if (f.update_last_checked == 0) *out += u"Last update check:\tNever\r\n";
    else
        add(out, u"Last update check:\t%.1f days ago\r\n", info_days_between(f.update_last_checked, f.now));
    if (f.update_last_attempt > f.update_last_checked)
        add(out, u"Last update attempt: %.1f days ago\r\n", info_days_between(f.update_last_attempt, f.now));
    add(out, u"Web browser:\t%s\r\n", f.user_agent.c_str());
    add(out, u"Plug-in API version:\t%d.%d\r\n", f.npapi_major, f.npapi_minor);
    if (const char16_t* name = platform_name(f.os.platform)) add(out, u"Operating system:\t%s", name);
    else
        add(out, u"Operating system:\tUnknown [%d]", f.os.platform);
    add(out, u", version %d.%d.%d %s\r\n", f.os.major, f.os.minor, f.os.build, f.os.service_pack.c_str());
    add(out, u"Location:\t%s\r\n", f.module_path.c_str());
    add(out, u"Memory in use:\t%d KB\r\n", int(f.memory_bytes / 1024));
    if (!hides_locations(f) && f.has_href) add(out, u"Link to:\t%s\r\n", f.href.c_str());
}

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool after_four_digits(std::u16string_view s, size_t i) {
    if (i < 4) return false;
    for (size_t k = i - 4; k < i; ++k)
        if (!is_digit(s[k])) return false;
    return true;
}
}  // namespace

double info_days_between(uint32_t then, uint32_t now) { return (double(now) - double(then)) * kUpdateTimeUnitDays; }

Text16 info_clean_notice(std::u16string_view s) {
    Text16 out;
    const size_t cap = kInfoNoticeMaxChars;
    for (size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c == u'\n' && (i == 0 || s[i - 1] != u'\r')) {
            if (out.size() + 2 > cap) break;
            out += u"\r\n";
            continue;
        }
        if (out.size() + 1 > cap) break;
        if (c == u'(' && i + 2 < s.size() && (s[i + 1] == u'c' || s[i + 1] == u'C') && s[i + 2] == u')') {
            out += u'\u00a9';
            i += 2;
        } else if (c == u'-' && after_four_digits(s, i)) {
            out += u'\u2013';
        } else if (c == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') {
            if (out.size() + 2 > cap) break;  // a CR is not parted from its LF
            out += u"\r\n";
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

Text16 info_text_build(const InfoFacts& f) {
    Text16 out;
    add_heading(&out);
    add_file(&out, f);
    add_page(&out, f);
    add_environment(&out, f);
    out += u"\r\n------\r\n";
    for (const Text16& notice : f.credits) {
        out += info_clean_notice(notice);
        out += u"\r\n";
    }
    if (out.size() > size_t(kInfoTextMaxChars)) out.resize(kInfoTextMaxChars);
    return out;
}
