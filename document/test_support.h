#pragma once
// Helpers shared by the document tests: a log that libtiff's handlers write
// to for the test's lifetime, and files in the temporary folder that clean
// up after themselves.
#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "config/error_log.h"
#include "document/file_system.h"
#include "document/tiff_messages.h"

struct CapturedLog {
    ErrorLog log;
    explicit CapturedLog(bool unknown_tag_filter = false, bool attach = true) {
        errlog_init(&log, unknown_tag_filter);
        if (attach) tiffmsg_attach(&log);
    }
    ~CapturedLog() {
        if (tiffmsg_current_log() == &log) tiffmsg_attach(nullptr);
        errlog_free(&log);
    }
    CapturedLog(const CapturedLog&) = delete;
    Text16 text() const { return errlog_text(&log); }
};

// A file with the given bytes under a fresh name in the temporary folder.
struct ScratchFile {
    Text16 path;
    explicit ScratchFile(const std::vector<uint8_t>& bytes, const char16_t* suffix = u".tif") {
        char16_t folder[kFsMaxPath], made[kFsMaxPath];
        if (!fs_temp_folder(folder, kFsMaxPath, nullptr) || !fs_temp_file(folder, u"vlt", made, kFsMaxPath, nullptr))
            return;
        temp_name = made;
        path = temp_name + suffix;
        write(bytes);
    }
    ~ScratchFile() {
        if (!path.empty()) fs_delete(path.c_str());
        if (!temp_name.empty()) fs_delete(temp_name.c_str());
    }
    ScratchFile(const ScratchFile&) = delete;
    bool write(const std::vector<uint8_t>& bytes) {
        const FsHandle f = fs_create(path.c_str(), nullptr);
        if (f == kNoFile) return false;
        uint32_t done = 0;
        const bool ok = fs_write(f, bytes.data(), uint32_t(bytes.size()), &done) && done == bytes.size();
        return fs_close(f) && ok;
    }

private:
    Text16 temp_name;
};

inline std::vector<uint8_t> read_whole_file(const char16_t* path) {
    std::vector<uint8_t> bytes;
    const FsHandle f = fs_open_read(path, nullptr);
    if (f == kNoFile) return bytes;
    uint64_t size = 0;
    if (fs_size(f, &size)) {
        bytes.resize(size_t(size));
        uint32_t done = 0;
        if (!fs_read(f, bytes.data(), uint32_t(size), &done)) bytes.clear();
        bytes.resize(done);
    }
    fs_close(f);
    return bytes;
}
