#include "document/byte_source.h"

#include <tiffio.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/text.h"

namespace {
// Messages to libtiff's handlers are narrow text in the system code page.
std::string narrow_for_messages(const char16_t* s) {
    std::string out;
    for (; s && *s; ++s) out.push_back(*s < 0x100 ? char(*s) : '?');
    return out;
}

// The rule both read-only sources share once the bytes at hand are counted.
tmsize_t finish_read(void* buffer, tmsize_t wanted, tmsize_t got) {
    if (got <= 0) return 0;
    if (got == wanted || wanted - got > kShortReadTolerance) return got;
    TIFFWarning("", "Unexpected end of file -- need %d bytes but only %d are available. Attempting to continue.",
                int(wanted), int(got));
    memset(static_cast<uint8_t*>(buffer) + got, 0, size_t(wanted - got));
    return wanted;
}

toff_t seek_failed(int code) {
    errno = code;
    return toff_t(-1);
}

// Replaces the header's first-directory offset, so that libtiff reads the
// directory wanted as it opens instead of reaching it through
// TIFFSetSubDirectory, which walks the whole main chain again whenever the
// offset is not one it has seen through this handle: every page of a long
// document would cost a walk of all its directories.
struct HeaderPatch {
    uint8_t bytes[8];
    int64_t at;  // where the offset field starts; 0 when nothing is replaced
    int length;
};

// The patch for a file whose first bytes are `head` (at least 8 of them).
HeaderPatch header_patch(const uint8_t* head, uint64_t first_directory) {
    HeaderPatch p{};
    if (!first_directory) return p;
    const bool big_endian = head[0] == 'M';
    const uint16_t version = big_endian ? uint16_t(head[2] << 8 | head[3]) : uint16_t(head[3] << 8 | head[2]);
    if (version == 43) {
        p.at = 8;
        p.length = 8;
    } else {
        if (first_directory > 0xFFFFFFFFull) return p;
        p.at = 4;
        p.length = 4;
    }
    for (int i = 0; i < p.length; ++i) {
        const int shift = 8 * (big_endian ? p.length - 1 - i : i);
        p.bytes[i] = uint8_t(first_directory >> shift);
    }
    return p;
}

void apply_header_patch(const HeaderPatch& p, int64_t position, void* buffer, tmsize_t got) {
    if (!p.at || got <= 0) return;
    for (int i = 0; i < p.length; ++i) {
        const int64_t k = p.at + i - position;
        if (k >= 0 && k < int64_t(got)) static_cast<uint8_t*>(buffer)[k] = p.bytes[i];
    }
}

// The source behind a handle libtiff passes back; null (errno EBADF) once it is closed.
template <class Source>
Source* open_source(thandle_t h) {
    Source* s = static_cast<Source*>(h);
    if (s && s->open) return s;
    errno = EBADF;
    return nullptr;
}

// ---- memory source --------------------------------------------------------

struct MemorySource {
    const uint8_t* data;
    int64_t position;
    int64_t size;
    bool open;
    HeaderPatch patch;
};

MemorySource* memory_of(thandle_t h) { return open_source<MemorySource>(h); }

tmsize_t memory_read(thandle_t h, void* buffer, tmsize_t n) {
    MemorySource* m = memory_of(h);
    if (!m) return -1;
    if (n <= 0) return 0;
    const int64_t left = m->size - m->position;
    const tmsize_t got = tmsize_t(left < int64_t(n) ? left : int64_t(n));
    if (got > 0) memcpy(buffer, m->data + m->position, size_t(got));
    apply_header_patch(m->patch, m->position, buffer, got);
    m->position += got;
    return finish_read(buffer, n, got);
}

tmsize_t memory_write(thandle_t h, void*, tmsize_t) { return memory_of(h) ? 0 : -1; }

toff_t memory_seek(thandle_t h, toff_t offset, int origin) {
    MemorySource* m = memory_of(h);
    if (!m) return toff_t(-1);
    const int64_t base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? m->position : origin == SEEK_END ? m->size : -1;
    if (base < 0) return seek_failed(EINVAL);
    // libtiff passes relative moves as unsigned; read them back as signed.
    const int64_t delta = int64_t(offset);
    if (delta > m->size - base || delta < -base) return seek_failed(EINVAL);
    m->position = base + delta;
    return toff_t(m->position);
}

toff_t memory_size(thandle_t h) {
    MemorySource* m = memory_of(h);
    return m ? toff_t(m->size) : 0;
}

int memory_map(thandle_t h, void** base, toff_t* size) {
    MemorySource* m = memory_of(h);
    if (!m) return 0;
    *base = const_cast<uint8_t*>(m->data);
    *size = toff_t(m->size);
    return 1;
}

void memory_unmap(thandle_t, void*, toff_t) {}

int memory_close(thandle_t h) {
    MemorySource* m = memory_of(h);
    if (!m) return -1;
    m->open = false;
    free(m);
    return 0;
}

// ---- file source ----------------------------------------------------------

struct FileSource {
    uint64_t size;
    bool open;
    bool size_known;
    FsHandle file;
    HeaderPatch patch;
    uint64_t position;  // kept only while the patch may still apply
};

FileSource* file_of(thandle_t h) { return open_source<FileSource>(h); }

tmsize_t file_read(thandle_t h, void* buffer, tmsize_t n) {
    FileSource* f = file_of(h);
    if (!f) return -1;
    if (n <= 0) return 0;
    // One platform read moves at most 4 GiB; libtiff never asks for more than a strip or tile.
    const uint32_t want = uint64_t(n) > 0xFFFFFFFFull ? 0xFFFFFFFFu : uint32_t(n);
    uint32_t got = 0;
    if (!fs_read(f->file, buffer, want, &got)) return 0;
    if (f->patch.at) {
        apply_header_patch(f->patch, int64_t(f->position), buffer, tmsize_t(got));
        f->position += got;
    }
    return finish_read(buffer, n, tmsize_t(got));
}

tmsize_t file_write(thandle_t h, void*, tmsize_t) { return file_of(h) ? 0 : -1; }

toff_t file_seek(thandle_t h, toff_t offset, int origin) {
    FileSource* f = file_of(h);
    if (!f) return toff_t(-1);
    // A position of exactly 4 GiB - 1 is what a 32-bit file layer returns for
    // a failed move, so it is never accepted as a target.
    if (offset == 0xFFFFFFFFull) return toff_t(-1);
    const FsOrigin from = origin == SEEK_CUR   ? FsOrigin::kCurrent
                          : origin == SEEK_END ? FsOrigin::kEnd
                                               : FsOrigin::kBegin;
    uint64_t at = 0;
    if (!fs_seek(f->file, int64_t(offset), from, &at)) return toff_t(-1);
    f->position = at;
    return toff_t(at);
}

toff_t file_size(thandle_t h) {
    FileSource* f = file_of(h);
    if (!f) return 0;
    if (!f->size_known) {
        uint64_t size = 0;
        if (!fs_size(f->file, &size)) return 0;
        f->size = size;
        f->size_known = true;
    }
    return toff_t(f->size);
}

int no_map(thandle_t, void**, toff_t*) { return 0; }
void no_unmap(thandle_t, void*, toff_t) {}

int file_close(thandle_t h) {
    FileSource* f = file_of(h);
    if (!f) return -1;
    const bool closed = fs_close(f->file);
    f->open = false;
    free(f);
    return closed ? 0 : -1;
}

// ---- write sink -----------------------------------------------------------

struct WriteSink {
    FsHandle file;
    uint64_t base;
};

tmsize_t sink_read(thandle_t h, void* buffer, tmsize_t n) {
    uint32_t got = 0;
    if (n < 0 || uint64_t(n) > 0xFFFFFFFFull) return -1;
    return fs_read(static_cast<WriteSink*>(h)->file, buffer, uint32_t(n), &got) ? tmsize_t(got) : -1;
}

tmsize_t sink_write(thandle_t h, void* buffer, tmsize_t n) {
    uint32_t put = 0;
    if (n < 0 || uint64_t(n) > 0xFFFFFFFFull) return -1;
    return fs_write(static_cast<WriteSink*>(h)->file, buffer, uint32_t(n), &put) ? tmsize_t(put) : -1;
}

// Every position libtiff sees counts from the base: it uses the results of
// moves to the end as the offsets of new strips and directories, so an
// absolute position there would point the written file at the wrong bytes.
toff_t sink_seek(thandle_t h, toff_t offset, int origin) {
    const WriteSink* s = static_cast<WriteSink*>(h);
    uint64_t at = 0;
    bool ok = false;
    if (origin == SEEK_SET) ok = fs_seek(s->file, int64_t(offset + s->base), FsOrigin::kBegin, &at);
    else if (origin == SEEK_CUR)
        ok = fs_seek(s->file, int64_t(offset), FsOrigin::kCurrent, &at);
    else if (origin == SEEK_END)
        ok = fs_seek(s->file, int64_t(offset), FsOrigin::kEnd, &at);
    if (!ok || at < s->base) return toff_t(-1);
    return toff_t(at - s->base);
}

toff_t sink_size(thandle_t h) {
    const WriteSink* s = static_cast<WriteSink*>(h);
    uint64_t size = 0;
    if (!fs_size(s->file, &size) || size < s->base) return 0;
    return toff_t(size - s->base);
}

int sink_close(thandle_t h) {
    free(h);
    return 0;
}
}  // namespace

TIFF* tiffsrc_open_memory(const uint8_t* data, int64_t size, uint64_t first_directory) {
    MemorySource* m = static_cast<MemorySource*>(malloc(sizeof(MemorySource)));
    if (!m) {
        TIFFError("TIFFOpen", "%s: Cannot open", "");
        return nullptr;
    }
    *m = MemorySource{data, 0, size < 0 ? 0 : size, true, {}};
    if (first_directory && m->size >= 16) m->patch = header_patch(data, first_directory);
    TIFF* tif = TIFFClientOpen("", "r", m, memory_read, memory_write, memory_seek, memory_close, memory_size,
                               memory_map, memory_unmap);
    // A refused open never reaches the close procedure.
    if (!tif) free(m);
    return tif;
}

TIFF* tiffsrc_open_file(const char16_t* path, uint64_t first_directory) {
    const FsHandle file = fs_open_read(path, nullptr);
    if (file == kNoFile) {
        TIFFError("TIFFOpen", "%s: Cannot open", narrow_for_messages(path).c_str());
        return nullptr;
    }
    FileSource* f = static_cast<FileSource*>(malloc(sizeof(FileSource)));
    if (!f) {
        fs_close(file);
        TIFFError("TIFFOpen", "Out of memory");
        return nullptr;
    }
    *f = FileSource{0, true, false, file, {}, 0};
    uint8_t head[16];
    uint32_t got = 0;
    uint64_t at = 0;
    if (first_directory && fs_read(file, head, sizeof head, &got) && got == sizeof head)
        f->patch = header_patch(head, first_directory);
    if (first_directory && !fs_seek(file, 0, FsOrigin::kBegin, &at)) f->patch = HeaderPatch{};
    TIFF* tif = TIFFClientOpen("", "rm", f, file_read, file_write, file_seek, file_close, file_size, no_map, no_unmap);
    if (!tif) {
        fs_close(file);
        free(f);
    }
    return tif;
}

TIFF* tiffsrc_open_sink(FsHandle file) {
    uint64_t base = 0;
    if (!fs_seek(file, 0, FsOrigin::kCurrent, &base)) return nullptr;
    WriteSink* s = static_cast<WriteSink*>(malloc(sizeof(WriteSink)));
    if (!s) return nullptr;
    *s = WriteSink{file, base};
    TIFF* tif = TIFFClientOpen("", "w", s, sink_read, sink_write, sink_seek, sink_close, sink_size, no_map, no_unmap);
    if (!tif) free(s);
    return tif;
}
