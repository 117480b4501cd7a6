// The command line: options first or anywhere, then the module's path, then
// the first instance's name=value pairs; each --embed starts another instance.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "vlhost/host.h"
#include "vlhost/log.h"
#include "vlhost/page_objects.h"

namespace {
const char kUsage[] =
    "usage: vlhost.exe [options] PLUGIN.dll [name=value ...] [--embed name=value ...]...\n"
    "  --dll PLUGIN.dll       the module (instead of the first plain argument)\n"
    "  --registry MIME        the module registered for MIME under MozillaPlugins, as a\n"
    "                         browser finds it (no PLUGIN.dll then; MIME is the type)\n"
    "  --file PATH            the local file served for every instance's src URL\n"
    "  --dll-dir PATH         a folder searched for the libraries the module loads\n"
    "  --type MIME            the document's type (default: from src)\n"
    "  --full                 full-page mode instead of an embed\n"
    "  --size WxH             size of the instance being described (default 400x300)\n"
    "  --embed                another instance on the page; its pairs follow\n"
    "  --browser-size N       size field of the browser table (default: all of it)\n"
    "  --browser-version N    version field of the browser table (default 29)\n"
    "  --plugin-size N        size field of the plug-in table (default: all of it)\n"
    "  --length true|none|N   announced stream length (N: a wrong one)\n"
    "  --chunks N[,N...]      chunk sizes of NPP_Write, used in turn\n"
    "  --end done|network|break  how streams end\n"
    "  --stop-after N         end streams after N bytes\n"
    "  --answer ok|cancel|yes|no  how message boxes are answered\n"
    "  --function NAME[=fail] declare a page function\n"
    "  --element-id ID | --no-element\n"
    "  --geturl-result N      NPN_GetURL's answer\n"
    "  --cycles N             load, run and unload the module N times in one process\n"
    "  --skip-initialize      never call NP_Initialize (nor NP_Shutdown)\n"
    "  --steps FILE | --step TEXT  steps to run (one per line)\n"
    "  --screenshot FILE.png  write a picture of the first instance\n"
    "  --stay (--interactive) | --no-stay  keep the window open at the end (default: when a display exists)\n"
    "  --timeout SECONDS      give up (exit 99) when the run takes longer\n"
    "  --timing               report end-of-stream to first-paint times\n";

long number(const std::string& s) { return std::strtol(s.c_str(), nullptr, 0); }

int answer_code(const std::string& s) {
    if (s == "cancel") return IDCANCEL;
    if (s == "yes") return IDYES;
    if (s == "no") return IDNO;
    return IDOK;
}

bool read_steps(const std::string& path, std::vector<std::string>* steps) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        steps->push_back(line);
    }
    return true;
}

bool apply_option(const std::string& name, const std::string& value, HostOptions* o) {
    StreamOptions& s = o->stream;
    if (name == "--type") o->mime = value;
    else if (name == "--size") {
        int w = 0, h = 0;
        if (std::sscanf(value.c_str(), "%dx%d", &w, &h) != 2 || w <= 0 || h <= 0) return false;
        o->instances.back().width = w;
        o->instances.back().height = h;
    } else if (name == "--browser-size")
        o->browser_size = int(number(value));
    else if (name == "--browser-version")
        o->browser_version = int(number(value));
    else if (name == "--plugin-size")
        o->plugin_size = int(number(value));
    else if (name == "--length") {
        s.length = value == "true" ? LengthMode::kTrue : value == "none" ? LengthMode::kNone : LengthMode::kFixed;
        s.fixed_length = uint32_t(std::strtoul(value.c_str(), nullptr, 0));
    } else if (name == "--chunks") {
        s.chunks.clear();
        for (size_t at = 0; at < value.size();) {
            size_t comma = value.find(',', at);
            if (comma == std::string::npos) comma = value.size();
            const long n = number(value.substr(at, comma - at));
            if (n <= 0) return false;
            s.chunks.push_back(int(n));
            at = comma + 1;
        }
        if (s.chunks.empty()) return false;
    } else if (name == "--end") {
        s.end_reason = value == "network" ? NPRES_NETWORK_ERR : value == "break" ? NPRES_USER_BREAK : NPRES_DONE;
    } else if (name == "--stop-after")
        s.stop_after = std::strtoll(value.c_str(), nullptr, 0);
    else if (name == "--answer")
        o->answer = answer_code(value);
    else if (name == "--function") {
        const size_t eq = value.find('=');
        page_declare_function(value.substr(0, eq), eq != std::string::npos && value.substr(eq + 1) == "fail");
    } else if (name == "--element-id")
        page_set_element_id(value, true);
    else if (name == "--geturl-result")
        o->geturl_result = int(number(value));
    else if (name == "--dll")
        o->dll = wide_from_utf8(value);
    else if (name == "--registry")
        o->registry_mime = value;
    else if (name == "--file")
        o->file = value;
    else if (name == "--dll-dir")
        o->dll_dir = wide_from_utf8(value);
    else if (name == "--cycles")
        o->cycles = int(number(value));
    else if (name == "--steps")
        return read_steps(value, &o->steps);
    else if (name == "--step")
        o->steps.push_back(value);
    else if (name == "--screenshot")
        o->screenshot = wide_from_utf8(value);
    else if (name == "--timeout")
        o->timeout_seconds = int(number(value));
    else
        return false;
    return true;
}

bool is_flag(const std::string& a, HostOptions* o) {
    if (a == "--full") o->full_page = true;
    else if (a == "--embed")
        o->instances.emplace_back();
    else if (a == "--no-element")
        page_set_element_id("", false);
    else if (a == "--skip-initialize")
        o->skip_initialize = true;
    else if (a == "--timing")
        o->timing = true;
    else if (a == "--stay" || a == "--interactive")
        o->stay = 1;
    else if (a == "--no-stay")
        o->stay = 0;
    else
        return false;
    return true;
}
}  // namespace

bool options_parse(int argc, wchar_t** argv, HostOptions* o) {
    o->instances.assign(1, InstanceSetup{});
    for (int i = 1; i < argc; ++i) {
        const std::string a = utf8_from_wide(argv[i]);
        if (is_flag(a, o)) continue;
        if (a.rfind("--", 0) == 0) {
            if (i + 1 >= argc || !apply_option(a, utf8_from_wide(argv[i + 1]), o)) {
                fprintf(stderr, "vlhost: bad option %s\n%s", a.c_str(), kUsage);
                return false;
            }
            ++i;
        } else if (o->dll.empty() && o->registry_mime.empty() && a.find('=') == std::string::npos) {
            o->dll = argv[i];
        } else {
            const size_t eq = a.find('=');
            o->instances.back().params.emplace_back(a.substr(0, eq), eq == std::string::npos ? "" : a.substr(eq + 1));
        }
    }
    if (o->dll.empty() == o->registry_mime.empty()) {
        fputs(kUsage, stderr);
        return false;
    }
    return true;
}

std::string mime_for_path(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
    for (char& c : ext) c = char(tolower(static_cast<unsigned char>(c)));
    return ext == "vlrimg" ? "application/x-vellarion" : "image/tiff";
}
