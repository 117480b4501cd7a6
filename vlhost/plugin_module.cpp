// Loading the module the way a browser does: read the version block first and
// take the module only for a type it declares, then NP_GetEntryPoints, then
// NP_Initialize.
#include <cstring>
#include <vector>

#include "vlhost/host.h"
#include "vlhost/log.h"

namespace {
using GetEntryPointsFn = NPError(__stdcall*)(NPPluginFuncs*);
using InitializeFn = NPError(__stdcall*)(NPNetscapeFuncs*);
using ShutdownFn = NPError(__stdcall*)();

// GetProcAddress hands back a generic function pointer; going through void*
// is how the cast to the real type is spelled without a warning.
template <class F>
F entry_point(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

std::string version_string(const std::vector<char>& block, const wchar_t* key) {
    std::wstring path = std::wstring(L"\\StringFileInfo\\040904E4\\") + key;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value) return {};
    return utf8_from_wide(static_cast<const wchar_t*>(value));
}

bool read_version_block(const std::wstring& path, std::vector<char>* block) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (!size) return false;
    block->resize(size);
    return GetFileVersionInfoW(path.c_str(), 0, size, block->data()) != 0;
}

bool type_listed(const std::string& list, const std::string& type) {
    size_t at = 0;
    while (at <= list.size()) {
        size_t bar = list.find('|', at);
        if (bar == std::string::npos) bar = list.size();
        if (_stricmp(list.substr(at, bar - at).c_str(), type.c_str()) == 0) return true;
        at = bar + 1;
    }
    return false;
}

// The table is pre-filled with 0xA5 bytes, as a reminder that a module must not
// write past the size we announce; a slot still holding them was not written.
const void* const kUnwritten = reinterpret_cast<const void*>(~uintptr_t(0) / 0xFF * 0xA5);

// Which slots NP_GetEntryPoints wrote.
void log_entry_points(const NPPluginFuncs& f, NPError result) {
    void* const* slots = reinterpret_cast<void* const*>(&f.newp);
    const void* marker = kUnwritten;
    int first = 0, later = 0, newer = 0;
    for (int i = 0; i < 10; ++i) first += slots[i] != marker;
    for (int i = 10; i < 14; ++i) later += slots[i] != marker;
    for (int i = 14; i < 20; ++i) newer += slots[i] != marker;
    log_line("entrypoints result=%d size=%u version=%u first=%d later=%d newer=%d javaClass=%s", result, f.size,
             f.version, first, later, newer, later ? (f.javaClass ? "set" : "null") : "untouched");
}
}  // namespace

bool plugin_load(Host& h) {
    const std::string name = utf8_from_wide(h.options.dll.c_str());
    std::vector<char> block;
    if (!read_version_block(h.options.dll, &block)) {
        log_line("refused %s: no version information", name.c_str());
        return false;
    }
    const std::string mimes = version_string(block, L"MIMEType");
    log_line("version product=%s file=%s", log_quote(version_string(block, L"ProductName")).c_str(),
             log_quote(version_string(block, L"FileVersion")).c_str());
    log_line("version mime=%s", log_quote(mimes).c_str());
    log_line("version extents=%s", log_quote(version_string(block, L"FileExtents")).c_str());
    log_line("version openname=%s", log_quote(version_string(block, L"FileOpenName")).c_str());
    if (!type_listed(mimes, h.options.mime)) {
        log_line("refused %s: does not handle %s", name.c_str(), h.options.mime.c_str());
        return false;
    }
    h.module = LoadLibraryW(h.options.dll.c_str());
    if (!h.module) {
        log_line("refused %s: load failed (error %lu)", name.c_str(), GetLastError());
        return false;
    }
    auto get_entry_points = entry_point<GetEntryPointsFn>(h.module, "NP_GetEntryPoints");
    auto initialize = entry_point<InitializeFn>(h.module, "NP_Initialize");
    if (!get_entry_points || !initialize || !GetProcAddress(h.module, "NP_Shutdown")) {
        log_line("refused %s: entry points missing", name.c_str());
        plugin_unload(h);
        return false;
    }
    std::memset(&h.plugin, 0xA5, sizeof h.plugin);
    h.plugin.size = uint16_t(h.options.plugin_size);
    h.plugin.version = uint16_t(h.options.browser_version);
    const NPError entry = get_entry_points(&h.plugin);
    log_entry_points(h.plugin, entry);
    // Slots left unwritten are missing to us, as to a browser that zeroed the table.
    void** slots = reinterpret_cast<void**>(&h.plugin.newp);
    for (int i = 0; i < 20; ++i)
        if (slots[i] == kUnwritten) slots[i] = nullptr;
    browser_funcs_build(&h.browser, h.options.browser_size, h.options.browser_version);
    NPError init = entry;
    if (entry == NPERR_NO_ERROR && !h.options.skip_initialize) {
        init = initialize(&h.browser);
        log_line("initialize result=%d", init);
    }
    if (entry != NPERR_NO_ERROR || init != NPERR_NO_ERROR) {
        FreeLibrary(h.module);
        h.module = nullptr;
        log_line("unloaded");
        return false;
    }
    return true;
}

void plugin_unload(Host& h) {
    if (!h.module) return;
    auto shutdown = entry_point<ShutdownFn>(h.module, "NP_Shutdown");
    if (shutdown && !h.options.skip_initialize) log_line("shutdown result=%d", shutdown());
    FreeLibrary(h.module);
    h.module = nullptr;
    log_line("unloaded");
}
