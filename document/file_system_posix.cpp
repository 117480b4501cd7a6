// POSIX stand-in for the platform file layer, used by the native tools and
// tests. It keeps the Win32 layer's contract: reads share, temporary names are
// made and created in one step, errors come back as the system's code.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "base/text.h"
#include "document/file_system.h"

namespace {
std::string narrow_path(const char16_t* path) { return text_to_utf8(std::u16string_view(path, text_len(path))); }

FsHandle open_with(const char16_t* path, int flags, uint32_t* error) {
    if (!path || !*path) {
        if (error) *error = ENOENT;
        return kNoFile;
    }
    const int fd = ::open(narrow_path(path).c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0 && error) *error = uint32_t(errno);
    return fd < 0 ? kNoFile : FsHandle(fd);
}
}  // namespace

FsHandle fs_open_read(const char16_t* path, uint32_t* error) {
    FsHandle f = open_with(path, O_RDONLY, error);
    struct stat st;
    if (f != kNoFile && (fstat(int(f), &st) != 0 || S_ISDIR(st.st_mode))) {
        ::close(int(f));
        if (error) *error = EISDIR;
        return kNoFile;
    }
    return f;
}

FsHandle fs_create(const char16_t* path, uint32_t* error) {
    return open_with(path, O_WRONLY | O_CREAT | O_TRUNC, error);
}

bool fs_read(FsHandle file, void* buffer, uint32_t size, uint32_t* done) {
    // A plain read may stop early on a large request; the platform call only
    // stops at the end of the file, so keep going until then.
    uint32_t total = 0;
    while (total < size) {
        const ssize_t n = ::read(int(file), static_cast<char*>(buffer) + total, size - total);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *done = total;
            return false;
        }
        if (n == 0) break;
        total += uint32_t(n);
    }
    *done = total;
    return true;
}

bool fs_write(FsHandle file, const void* buffer, uint32_t size, uint32_t* done) {
    uint32_t total = 0;
    while (total < size) {
        const ssize_t n = ::write(int(file), static_cast<const char*>(buffer) + total, size - total);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            *done = total;
            return false;
        }
        total += uint32_t(n);
    }
    *done = total;
    return true;
}

bool fs_seek(FsHandle file, int64_t offset, FsOrigin origin, uint64_t* position) {
    const int whence = origin == FsOrigin::kCurrent ? SEEK_CUR : origin == FsOrigin::kEnd ? SEEK_END : SEEK_SET;
    const off_t p = ::lseek(int(file), off_t(offset), whence);
    if (p < 0) return false;
    *position = uint64_t(p);
    return true;
}

bool fs_size(FsHandle file, uint64_t* size) {
    struct stat st;
    if (fstat(int(file), &st) != 0) return false;
    *size = uint64_t(st.st_size);
    return true;
}

bool fs_close(FsHandle file) { return file != kNoFile && ::close(int(file)) == 0; }

bool fs_exists(const char16_t* path) {
    struct stat st;
    return path && *path && stat(narrow_path(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool fs_delete(const char16_t* path) { return path && *path && ::unlink(narrow_path(path).c_str()) == 0; }

bool fs_temp_folder(char16_t* out, int cap, uint32_t* error) {
    const char* dir = getenv("TMPDIR");
    std::string folder = dir && *dir ? dir : "/tmp";
    if (folder.back() != '/') folder.push_back('/');
    const Text16 wide = text_from_utf8(folder);
    if (int(wide.size()) + 1 > cap) {
        if (error) *error = ENAMETOOLONG;
        if (cap > 0) out[0] = 0;
        return false;
    }
    text_copy(out, cap, wide.c_str());
    return true;
}

bool fs_temp_file(const char16_t* folder, const char16_t* prefix, char16_t* out, int cap, uint32_t* error) {
    if (cap > 0) out[0] = 0;
    std::string name = narrow_path(folder);
    if (name.empty()) {
        if (error) *error = ENOENT;
        return false;
    }
    if (name.back() != '/') name.push_back('/');
    name += narrow_path(prefix);
    name += "XXXXXX.tmp";
    const int fd = mkstemps(name.data(), 4);
    if (fd < 0) {
        if (error) *error = uint32_t(errno);
        return false;
    }
    ::close(fd);
    const Text16 wide = text_from_utf8(name);
    if (int(wide.size()) + 1 > cap) {
        ::unlink(name.c_str());
        if (error) *error = ENAMETOOLONG;
        return false;
    }
    text_copy(out, cap, wide.c_str());
    return true;
}
