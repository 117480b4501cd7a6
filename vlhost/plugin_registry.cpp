// Finding the module for a type the way a browser does when no one names the file:
// each id under SOFTWARE\MozillaPlugins, the user's hive before the machine's, in
// the registry view of the host's own architecture (a 32-bit browser on 64-bit
// Windows reads the WOW6432Node copy), whose MimeTypes key holds the type. Its Path
// is the module, taken only when it is built for this architecture and its version
// block carries the Version the installer registered beside it.
#include <string>
#include <vector>

#include "base/win/handles.h"
#include "vlhost/host.h"
#include "vlhost/log.h"

namespace {
#ifdef _WIN64
constexpr REGSAM kOwnView = KEY_WOW64_64KEY;
constexpr WORD kOwnMachine = IMAGE_FILE_MACHINE_AMD64;
#else
constexpr REGSAM kOwnView = KEY_WOW64_32KEY;
constexpr WORD kOwnMachine = IMAGE_FILE_MACHINE_I386;
#endif

UniqueRegKey open_key(HKEY parent, const std::wstring& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | kOwnView, &key) != ERROR_SUCCESS) return UniqueRegKey{};
    return UniqueRegKey{key};
}

std::wstring read_string(HKEY key, const wchar_t* name) {
    wchar_t value[MAX_PATH * 2] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return {};
    return value;
}

// The machine field of the module's PE header; 0 when it cannot be read.
WORD module_machine(const std::wstring& path) {
    UniqueFile file{CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)};
    if (!file) return 0;
    IMAGE_DOS_HEADER dos{};
    DWORD got = 0;
    if (!ReadFile(file.get(), &dos, sizeof dos, &got, nullptr) || got != sizeof dos ||
        dos.e_magic != IMAGE_DOS_SIGNATURE)
        return 0;
    struct {
        DWORD signature;
        WORD machine;
    } head{};
    if (SetFilePointer(file.get(), dos.e_lfanew, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !ReadFile(file.get(), &head, 6, &got, nullptr) || got != 6 || head.signature != IMAGE_NT_SIGNATURE)
        return 0;
    return head.machine;
}

// "2, 0, 0, 2" in the version block and "2.0.0.2" in the registry name one release.
bool same_version(const std::wstring& registered, const VS_FIXEDFILEINFO& info) {
    unsigned parts[4] = {};
    if (swscanf(registered.c_str(), L"%u.%u.%u.%u", &parts[0], &parts[1], &parts[2], &parts[3]) != 4) return false;
    return info.dwFileVersionMS == (parts[0] << 16 | parts[1]) && info.dwFileVersionLS == (parts[2] << 16 | parts[3]);
}

bool version_matches(const std::wstring& path, const std::wstring& registered) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<char> block(size);
    void* root = nullptr;
    UINT length = 0;
    if (!size || !GetFileVersionInfoW(path.c_str(), 0, size, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", &root, &length) || length < sizeof(VS_FIXEDFILEINFO))
        return false;
    return same_version(registered, *static_cast<const VS_FIXEDFILEINFO*>(root));
}

// The module registered under one id for `mime`, or empty.
std::wstring module_for(HKEY plugins, const wchar_t* hive, const std::wstring& id, const std::wstring& mime) {
    const UniqueRegKey key = open_key(plugins, id);
    if (!key || !open_key(key.get(), L"MimeTypes\\" + mime)) return {};
    const std::wstring path = read_string(key.get(), L"Path");
    const std::wstring version = read_string(key.get(), L"Version");
    const std::string where = std::string(utf8_from_wide(hive)) + " id=" + utf8_from_wide(id.c_str());
    log_line("registry %s path=%s version=%s", where.c_str(), log_quote(utf8_from_wide(path.c_str())).c_str(),
             log_quote(utf8_from_wide(version.c_str())).c_str());
    if (module_machine(path) != kOwnMachine) {
        log_line("registry skipped %s: not a module of this architecture", where.c_str());
        return {};
    }
    if (!version_matches(path, version)) {
        log_line("registry skipped %s: its version block is not version %s", where.c_str(),
                 utf8_from_wide(version.c_str()).c_str());
        return {};
    }
    return path;
}
}  // namespace

bool registry_find_plugin(const std::string& mime, std::wstring* dll) {
    const std::wstring type = wide_from_utf8(mime);
    const struct {
        HKEY root;
        const wchar_t* name;
    } hives[] = {{HKEY_CURRENT_USER, L"HKCU"}, {HKEY_LOCAL_MACHINE, L"HKLM"}};
    for (const auto& hive : hives) {
        const UniqueRegKey plugins = open_key(hive.root, L"SOFTWARE\\MozillaPlugins");
        if (!plugins) continue;
        wchar_t id[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = ARRAYSIZE(id);
            if (RegEnumKeyExW(plugins.get(), i, id, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            *dll = module_for(plugins.get(), hive.name, id, type);
            if (!dll->empty()) return true;
        }
    }
    log_line("registry none for %s", mime.c_str());
    return false;
}
