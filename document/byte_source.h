#pragma once
// The three ways libtiff reaches our bytes, as its client procedures: a
// read-only source over a buffer (small downloads), a read-only source over a
// file opened by path (large downloads and local files), and a write sink over
// a file handle the caller owns, starting at the handle's current position
// (the TIFF writer, which may write after a header of its own).
#include <cstdint>

#include "document/file_system.h"

typedef struct tiff TIFF;

// A read that comes up short by no more than this many bytes is completed with
// zeros (and a warning): a download cut off inside the last strip still shows
// most of its page. A larger gap is reported as the short read it is.
constexpr int64_t kShortReadTolerance = 16384;

// Reads straight from the buffer, which must outlive the handle; libtiff may
// map it and read image data in place. Null when libtiff refuses the bytes.
// With `first_directory`, the reader opens on the directory at that offset
// (as if the header named it) rather than on the file's first one: reaching a
// directory so costs the same whatever its place in the file.
TIFF* tiffsrc_open_memory(const uint8_t* data, int64_t size, uint64_t first_directory = 0);
// Opens the file for shared reading; the handle is closed with the reader.
TIFF* tiffsrc_open_file(const char16_t* path, uint64_t first_directory = 0);
// A TIFF writer over an open file. Offsets in the written TIFF count from the
// handle's position at this call; the handle stays the caller's to close.
TIFF* tiffsrc_open_sink(FsHandle file);
