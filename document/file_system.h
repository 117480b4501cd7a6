#pragma once
// The handful of file-system calls the document layer makes, behind one small
// interface so that the byte sources and temporary files stay portable: the
// plug-in implements it with CreateFileW and friends, the native tools and
// tests with POSIX calls. Paths are UTF-16 on both sides.
#include <cstdint>

// An open file: the platform's handle carried as a number. kNoFile stands for
// both "no handle" forms of the platform.
using FsHandle = intptr_t;
constexpr FsHandle kNoFile = -1;

enum class FsOrigin { kBegin, kCurrent, kEnd };

// Paths are at most this many units, terminator included.
constexpr int kFsMaxPath = 260;

// Opens an existing file for reading, letting others read it too. On failure
// returns kNoFile and stores the system error code (when error is not null).
FsHandle fs_open_read(const char16_t* path, uint32_t* error);
// Creates (or truncates) a file for writing, letting others read it.
FsHandle fs_create(const char16_t* path, uint32_t* error);
// Reads up to size bytes; *done gets the count (0 at the end of the file).
bool fs_read(FsHandle file, void* buffer, uint32_t size, uint32_t* done);
bool fs_write(FsHandle file, const void* buffer, uint32_t size, uint32_t* done);
// Moves the file position and stores the new absolute position.
bool fs_seek(FsHandle file, int64_t offset, FsOrigin origin, uint64_t* position);
bool fs_size(FsHandle file, uint64_t* size);
bool fs_close(FsHandle file);
// True when the path names a file that can be opened (without reading it).
bool fs_exists(const char16_t* path);
bool fs_delete(const char16_t* path);
// The system's folder for temporary files, ending in a separator.
bool fs_temp_folder(char16_t* out, int cap, uint32_t* error);
// Makes a new empty file with a unique name in folder, starting with prefix.
bool fs_temp_file(const char16_t* folder, const char16_t* prefix, char16_t* out, int cap, uint32_t* error);
