// The current page as the desktop background: written as a BMP file in the
// user's application-data folder, named in the desktop's registry values and
// handed to the system.
#include <windows.h>
#include <shlobj.h>

#include "base/win/handles.h"
#include "config/message_box.h"
#include "output/save_rules.h"
#include "output/wallpaper_rules.h"
#include "output/win/output_commands.h"
#include "output/win/page_bitmap.h"
#include "output/win/proc_address.h"

namespace {
const wchar_t* wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
const char16_t* u16(const wchar_t* s) { return reinterpret_cast<const char16_t*>(s); }

bool folder_ready(const Text16& path) {
    if (CreateDirectoryW(wide(path.c_str()), nullptr)) return true;
    const DWORD attributes = GetFileAttributesW(wide(path.c_str()));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Loaded by name: older systems lack the entry point, and the Windows folder
// always does as a fallback.
bool app_data_folder(wchar_t* out) {
    const UniqueLibrary shell{LoadLibraryW(L"SHELL32.DLL")};
    if (!shell) return false;
    using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    auto get = proc_address<GetFolderPath>(shell.get(), "SHGetFolderPathW");
    return get && SUCCEEDED(get(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, out));
}

Text16 wallpaper_folder() {
    wchar_t app_data[MAX_PATH + 1] = {};
    if (app_data_folder(app_data)) {
        const char16_t* base = u16(app_data);
        if (folder_ready(wallpaper_company_folder(base)) && folder_ready(wallpaper_product_folder(base)))
            return wallpaper_product_folder(base);
    }
    wchar_t windows[MAX_PATH + 1] = {};
    GetWindowsDirectoryW(windows, MAX_PATH + 1);
    return Text16(u16(windows));
}

bool set_string(HKEY key, const wchar_t* name, const char16_t* value) {
    const DWORD bytes = DWORD((text_len(value) + 1) * sizeof(char16_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes) == ERROR_SUCCESS;
}

bool write_desktop_values(HWND owner, const Text16& bitmap, const WallpaperPlacement& placement) {
    HKEY opened = nullptr;
    const LONG error = RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\desktop", 0, KEY_SET_VALUE, &opened);
    if (error != ERROR_SUCCESS) {
        msgbox_warning(owner, kWallpaperRegistryFailed, int(error));
        return false;
    }
    const UniqueRegKey key{opened};
    set_string(key.get(), L"Wallpaper", bitmap.c_str());
    set_string(key.get(), L"TileWallpaper", placement.tile);
    set_string(key.get(), L"WallpaperStyle", placement.style);
    return true;
}
}  // namespace

void output_set_wallpaper(const OutputSource& s, int which) {
    HWND owner = s.owner;
    PageBitmap bitmap;
    const PageBitmapResult made = page_bitmap_current(s, &bitmap);
    if (made == PageBitmapResult::kNoPage) {
        msgbox_warning(owner, kWallpaperNoPage);
        return;
    }
    const Text16 path = wallpaper_bitmap_path(wallpaper_folder().c_str());
    if (made != PageBitmapResult::kOk) {
        msgbox_warning(owner, kBmpSaveFailed, path.c_str());
        return;
    }
    if (!bmp_write_file(owner, path.c_str(), bitmap.data, bitmap.size)) return;
    if (!write_desktop_values(owner, path, wallpaper_placement(which))) return;
    SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<wchar_t*>(wide(path.c_str())),
                          SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
}
