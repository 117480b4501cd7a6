#include "document/temp_file.h"

#include "config/message_box.h"
#include "document/file_system.h"

bool tempfile_make(void* owner, char16_t* path, int cap) {
    if (cap > 0) path[0] = 0;
    char16_t folder[kFsMaxPath] = {};
    uint32_t error = 0;
    if (!fs_temp_folder(folder, kFsMaxPath, &error)) {
        msgbox_show(owner, kMbOk | kMbIconError, u"Failed to find a temporary folder (error=%u)", error);
        return false;
    }
    if (!fs_temp_file(folder, u"vlr", path, cap, &error)) {
        msgbox_show(owner, kMbOk | kMbIconError, u"Failed to create a temporary file (error=%u, temp folder=%s)", error,
                    folder);
        return false;
    }
    return true;
}

bool file_exists(const char16_t* path) { return path && *path && fs_exists(path); }

bool file_size(const char16_t* path, uint64_t* size) {
    *size = 0;
    const FsHandle f = fs_open_read(path, nullptr);
    if (f == kNoFile) return false;
    const bool ok = fs_size(f, size);
    fs_close(f);
    return ok;
}
