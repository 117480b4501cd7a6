#pragma once
// The host's shared state: what the command line asked for, the loaded
// module and the instances on the page.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/npapi.h"

enum class LengthMode { kTrue, kNone, kFixed };

struct StreamOptions {
    LengthMode length = LengthMode::kTrue;
    uint32_t fixed_length = 0;       // announced instead of the true length (kFixed)
    std::vector<int> chunks{65536};  // chunk sizes, used in turn
    NPReason end_reason = NPRES_DONE;
    long long stop_after = -1;  // bytes to deliver before ending; -1 all
};

struct InstanceSetup {
    std::vector<std::pair<std::string, std::string>> params;  // in order
    int width = 400, height = 300;
};

struct HostOptions {
    std::wstring dll;
    std::wstring dll_dir;       // searched for the libraries the module loads (a stand-in MAPI32.DLL)
    std::string registry_mime;  // find the module registered for this type instead
    std::string mime;           // the document's type; empty: from `src`
    bool full_page = false;
    std::vector<InstanceSetup> instances;
    int browser_size = sizeof(NPNetscapeFuncs);
    int browser_version = kNpVersionMinor + 12;  // 0.29, a current browser
    int plugin_size = sizeof(NPPluginFuncs);
    StreamOptions stream;
    int answer = IDOK;
    std::vector<std::string> steps;
    std::wstring screenshot;
    int stay = -1;  // keep the window open afterwards: -1 when a display exists
    int timeout_seconds = 120;
    int geturl_result = -1;  // forced NPN_GetURL result; -1 the natural one
    bool skip_initialize = false;
    bool timing = false;  // report the time from the end of a stream to its first paint
    int cycles = 1;       // load, run and unload the module this many times
    std::string file;     // local file standing behind the instances' `src` URLs  // a broken browser that never calls
                          // NP_Initialize
};

struct Instance {
    int id = 0;
    NPP_t npp{};
    HWND window = nullptr;  // the plug-in's window (a child of the page)
    NPWindow np_window{};
    bool alive = false;
    std::string mime;
    std::vector<NPObject*> held;  // references the page holds on the plug-in's objects
};

struct Host {
    HostOptions options;
    HMODULE module = nullptr;
    NPPluginFuncs plugin{};
    NPNetscapeFuncs browser{};
    HWND page = nullptr;  // the top-level window
    std::vector<std::unique_ptr<Instance>> instances;
};

Host& host();
Instance* instance_by_id(int id);
Instance* instance_of(NPP npp);
int instance_id(NPP npp);  // 0 when unknown

// Parses the command line; false (after printing why) when it is unusable.
bool options_parse(int argc, wchar_t** argv, HostOptions* out);
// "image/tiff" for .tif and .tiff, "application/x-vellarion" for .vlrimg.
std::string mime_for_path(const std::string& path);

// The browser's function table handed to NP_Initialize.
void browser_funcs_build(NPNetscapeFuncs* out, int size, int version);

// The module registered for `mime` under SOFTWARE\MozillaPlugins (HKCU, then HKLM),
// checked against its version block; false (logged) when there is none.
bool registry_find_plugin(const std::string& mime, std::wstring* dll);

// Loading the module: its version block, the MIME check, the entry points.
bool plugin_load(Host& h);
void plugin_unload(Host& h);

// The page and its instances.
bool page_create(Host& h);
Instance* instance_create(Host& h, const InstanceSetup& setup);
NPError instance_set_window(Instance* inst);
// A fresh child window in the instance's place (the old one, if any, goes).
void instance_new_window(Instance* inst);
void instance_resize(Instance* inst, int width, int height);
NPError instance_destroy(Instance* inst);
void page_destroy(Host& h);

// Streams of local files into an instance, delivered from the message loop.
void stream_queue(Instance* inst, const std::string& url, void* notify_data, bool notify);
bool stream_deliver_pending();  // true when something was delivered
std::string path_from_url(const std::string& url);

// Message boxes and dialogs are answered without a user.
void modal_answerer_start(int answer);
void modal_set_answer(int answer);
// The next dialog is photographed to `path` (and its controls logged) before it is answered.
void modal_shoot_next(const std::wstring& path);
// Pop-up menus: the next one chooses `command` (0 closes it), logging its items
// first when `show` is set; a menu nobody armed for is closed.
void menu_answerer_start();
void menu_answer_arm(int command, bool show);

bool screenshot_window(HWND hwnd, const std::wstring& path);
// The colour under a client point of the window as the screen shows it, as 0xRRGGBB.
bool window_pixel(HWND hwnd, int x, int y, unsigned* rgb);

// Runs messages (and pending streams) until nothing is left.
void drain_messages();
// One step of a test script; false ends the run.
bool step_run(const std::string& line);
// The steps armed by `during`, run (and forgotten) from inside the modal loop
// the answerers just found open; `what` names it in the log.
void step_run_during(const char* what);
