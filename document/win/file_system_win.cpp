// The Win32 file layer behind document/file_system.h. Handles travel through
// the core as numbers; this file is the only place that opens or closes them.
#include <windows.h>

#include "base/text.h"
#include "base/win/handles.h"
#include "document/file_system.h"

namespace {
const wchar_t* wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
HANDLE handle_of(FsHandle f) { return reinterpret_cast<HANDLE>(f); }

FsHandle from_handle(HANDLE h, uint32_t* error) {
    // Read the error before anything else can overwrite it.
    if (h == INVALID_HANDLE_VALUE || h == nullptr) {
        const DWORD e = GetLastError();
        if (error) *error = e;
        return kNoFile;
    }
    return reinterpret_cast<FsHandle>(h);
}
}  // namespace

FsHandle fs_open_read(const char16_t* path, uint32_t* error) {
    return from_handle(
        CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
        error);
}

FsHandle fs_create(const char16_t* path, uint32_t* error) {
    return from_handle(
        CreateFileW(wide(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr),
        error);
}

bool fs_read(FsHandle file, void* buffer, uint32_t size, uint32_t* done) {
    DWORD n = 0;
    const BOOL ok = ReadFile(handle_of(file), buffer, size, &n, nullptr);
    *done = n;
    return ok != FALSE;
}

bool fs_write(FsHandle file, const void* buffer, uint32_t size, uint32_t* done) {
    DWORD n = 0;
    const BOOL ok = WriteFile(handle_of(file), buffer, size, &n, nullptr);
    *done = n;
    return ok != FALSE;
}

bool fs_seek(FsHandle file, int64_t offset, FsOrigin origin, uint64_t* position) {
    const DWORD method = origin == FsOrigin::kCurrent ? FILE_CURRENT : origin == FsOrigin::kEnd ? FILE_END : FILE_BEGIN;
    LARGE_INTEGER to, at;
    to.QuadPart = offset;
    if (!SetFilePointerEx(handle_of(file), to, &at, method)) return false;
    *position = uint64_t(at.QuadPart);
    return true;
}

bool fs_size(FsHandle file, uint64_t* size) {
    LARGE_INTEGER s;
    if (!GetFileSizeEx(handle_of(file), &s)) return false;
    *size = uint64_t(s.QuadPart);
    return true;
}

bool fs_close(FsHandle file) { return file != kNoFile && CloseHandle(handle_of(file)) != FALSE; }

bool fs_exists(const char16_t* path) {
    // No access rights asked for: this succeeds even for a file another program
    // holds open for writing, as long as it shares reading.
    const UniqueFile file{
        CreateFileW(wide(path), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    return bool(file);
}

bool fs_delete(const char16_t* path) { return DeleteFileW(wide(path)) != FALSE; }

bool fs_temp_folder(char16_t* out, int cap, uint32_t* error) {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH, folder);
    if (n == 0 || n > MAX_PATH) {
        const DWORD e = GetLastError();
        if (error) *error = e;
        if (cap > 0) out[0] = 0;
        return false;
    }
    return text_copy(out, cap, reinterpret_cast<const char16_t*>(folder));
}

bool fs_temp_file(const char16_t* folder, const char16_t* prefix, char16_t* out, int cap, uint32_t* error) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    wchar_t name[MAX_PATH] = {};
    if (cap > 0) out[0] = 0;
    // Unique number 0: the system picks the number and creates the empty file.
    if (GetTempFileNameW(wide(folder), wide(prefix), 0, name) == 0) {
        const DWORD e = GetLastError();
        if (error) *error = e;
        return false;
    }
    return text_copy(out, cap, reinterpret_cast<const char16_t*>(name));
}
