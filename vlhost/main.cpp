// vlhost: a stand-in for a browser that loads an NPAPI plug-in on Windows.
// It loads the module by path (or finds it by type in the registry, as a
// browser finds an installed plug-in), puts one or more instances on a page, feeds
// them local files as streams, runs test steps and writes one line to stdout
// for everything that happened. See the usage text (vlhost.exe with no
// arguments) for the options.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "vlhost/host.h"
#include "vlhost/log.h"
#include "vlhost/npruntime.h"
#include "vlhost/page_objects.h"

namespace {
Host g_host;

DWORD WINAPI watchdog(LPVOID seconds) {
    Sleep(DWORD(reinterpret_cast<uintptr_t>(seconds)) * 1000);
    log_line("error timeout");
    ExitProcess(99);
}

// Wine's null graphics driver has no screen to keep a window open on; this
// registry value is how a prefix selects it (real Windows has no such key).
bool display_available() {
    wchar_t value[32] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Wine\\Drivers", L"Graphics", RRF_RT_REG_SZ, nullptr, value,
                     &size) != ERROR_SUCCESS)
        return true;
    return lstrcmpiW(value, L"null") != 0;
}

void choose_mime(HostOptions& o) {
    if (!o.mime.empty()) return;
    o.mime = "application/x-vellarion";
    for (const auto& [name, value] : o.instances.front().params)
        if (_stricmp(name.c_str(), "src") == 0) o.mime = mime_for_path(path_from_url(value));
}

void stay_open() {
    MSG msg;
    while (host().page && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        while (stream_deliver_pending()) {
        }
    }
}

int run_once(HostOptions& o) {
    if (!page_create(g_host)) {
        log_line("error cannot create the page window");
        return 3;
    }
    if (!plugin_load(g_host)) {
        page_destroy(g_host);
        return 2;
    }
    for (const InstanceSetup& setup : o.instances) instance_create(g_host, setup);
    drain_messages();
    for (const std::string& step : o.steps)
        if (!step_run(step)) break;
    if (!o.screenshot.empty()) {
        Instance* first = instance_by_id(1);
        const bool ok = first && first->alive && screenshot_window(first->window, o.screenshot);
        log_line("screenshot 1 %s", ok ? "written" : "failed");
    }
    if (o.stay == 1 || (o.stay < 0 && o.steps.empty() && display_available())) stay_open();
    page_destroy(g_host);
    page_release_objects();
    drain_messages();
    log_line("objects alive=%d", runtime_live_objects());
    plugin_unload(g_host);
    g_host.instances.clear();
    return 0;
}

int run(HostOptions& o) {
    if (!o.registry_mime.empty()) {
        if (!registry_find_plugin(o.registry_mime, &o.dll)) return 2;
        if (o.mime.empty()) o.mime = o.registry_mime;
    }
    choose_mime(o);
    if (!o.dll_dir.empty()) {
        wchar_t full[MAX_PATH] = {};
        GetFullPathNameW(o.dll_dir.c_str(), MAX_PATH, full, nullptr);
        SetDllDirectoryW(full);
    }
    modal_answerer_start(o.answer);
    menu_answerer_start();
    int result = 0;
    for (int cycle = 1; cycle <= o.cycles && result == 0; ++cycle) {
        if (o.cycles > 1) log_line("cycle %d", cycle);
        result = run_once(o);
    }
    return result;
}
}  // namespace

Host& host() { return g_host; }

void drain_messages() {
    for (int rounds = 0; rounds < 100000; ++rounds) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else if (!stream_deliver_pending()) {
            return;
        }
    }
    log_line("error messages keep coming");
}

// The module checks for a new version a moment after a viewer appears when
// the last check is old enough. A test host must never reach the network, so
// it records a check made just now, as the module itself would after one.
static void mark_update_check_done() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const DWORD units = now.dwHighDateTime;  // the stored times count 2^32 × 100 ns
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\ZEB\\Vellarion", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, L"updatelastchecked", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&units), sizeof units);
    RegCloseKey(key);
}

// A use of a freed viewer must end the run where it happens: the module
// keeps freed viewer records unreadable (committed, no access) when the
// environment asks for it as it loads. The vectored handler sees the fault
// first: Windows and Wine swallow exceptions in window procedures that user32
// calls back from the system side (a menu's or DefWindowProc's messages), so
// a frame-based filter alone would miss most of them.
static LONG WINAPI catch_freed_viewer_use(EXCEPTION_POINTERS* e) {
    const EXCEPTION_RECORD* r = e->ExceptionRecord;
    if (r->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || r->NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
    const void* address = reinterpret_cast<const void*>(r->ExceptionInformation[1]);
    MEMORY_BASIC_INFORMATION m{};
    if (!VirtualQuery(address, &m, sizeof m) || m.State != MEM_COMMIT || m.Protect != PAGE_NOACCESS)
        return EXCEPTION_CONTINUE_SEARCH;
    log_line("error use of a freed viewer: %s %p at %p", r->ExceptionInformation[0] ? "write" : "read", address,
             r->ExceptionAddress);
    ExitProcess(97);
}

static LONG WINAPI report_crash(EXCEPTION_POINTERS* e) {
    const EXCEPTION_RECORD* r = e->ExceptionRecord;
    const ULONG_PTR address = r->NumberParameters > 1 ? r->ExceptionInformation[1] : 0;
    log_line("error crash code=%08lx at %p address=%p", static_cast<unsigned long>(r->ExceptionCode),
             r->ExceptionAddress, reinterpret_cast<void*>(address));
    ExitProcess(98);
}

int main() {
    SetEnvironmentVariableW(L"VELLARION_QUARANTINE_VIEWERS", L"1");
    AddVectoredExceptionHandler(1, catch_freed_viewer_use);
    SetUnhandledExceptionFilter(report_crash);
    mark_update_check_done();
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!options_parse(argc, argv, &g_host.options)) return 64;
    LocalFree(argv);
    if (g_host.options.timeout_seconds > 0)
        CloseHandle(CreateThread(nullptr, 0, watchdog,
                                 reinterpret_cast<LPVOID>(uintptr_t(g_host.options.timeout_seconds)), 0, nullptr));
    return run(g_host.options);
}
