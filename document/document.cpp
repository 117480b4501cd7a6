#include "document/document.h"

#include <tiffio.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_set>

#include "config/error_log.h"
#include "document/byte_source.h"
#include "document/file_system.h"
#include "document/tiff_messages.h"

namespace {
constexpr int kMagicSampleBytes = 1000;  // what a refused file shows of itself

bool is_tiff_magic(const uint8_t* m) { return (m[0] == 'I' && m[1] == 'I') || (m[0] == 'M' && m[1] == 'M'); }

bool read_head(const DocumentBytes* bytes, uint8_t* out, int n) {
    if (bytes->memory) {
        memcpy(out, bytes->memory, size_t(n));
        return true;
    }
    const FsHandle f = fs_open_read(bytes->file_path, nullptr);
    if (f == kNoFile) return false;
    uint32_t got = 0;
    const bool ok = fs_read(f, out, uint32_t(n), &got) && got == uint32_t(n);
    fs_close(f);
    return ok;
}

// libtiff keeps the offset of the next directory to itself; read it through
// the reader's own byte source. 0 when there is none or it lies outside the file.
uint64_t next_directory_offset(TIFF* tif, uint64_t offset) {
    const thandle_t h = TIFFClientdata(tif);
    const TIFFReadWriteProc read = TIFFGetReadProc(tif);
    const TIFFSeekProc seek = TIFFGetSeekProc(tif);
    const uint64_t size = TIFFGetSizeProc(tif)(h);
    const bool big = TIFFIsBigTIFF(tif);
    const uint64_t count_bytes = big ? 8 : 2, entry_bytes = big ? 20 : 12, next_bytes = big ? 8 : 4;
    // Check the bounds first: a short read would be padded with zeros and warned about.
    if (offset > size || size - offset < count_bytes) return 0;
    uint8_t buffer[8] = {};
    if (seek(h, offset, SEEK_SET) != offset || read(h, buffer, tmsize_t(count_bytes)) != tmsize_t(count_bytes))
        return 0;
    uint64_t count = 0;
    if (big) {
        memcpy(&count, buffer, 8);
        if (TIFFIsByteSwapped(tif)) TIFFSwabLong8(&count);
    } else {
        uint16_t c16;
        memcpy(&c16, buffer, 2);
        if (TIFFIsByteSwapped(tif)) TIFFSwabShort(&c16);
        count = c16;
    }
    const uint64_t room = size - offset - count_bytes;
    if (count > room / entry_bytes || room - count * entry_bytes < next_bytes) return 0;
    const uint64_t at = offset + count_bytes + count * entry_bytes;
    if (seek(h, at, SEEK_SET) != at || read(h, buffer, tmsize_t(next_bytes)) != tmsize_t(next_bytes)) return 0;
    if (big) {
        uint64_t next;
        memcpy(&next, buffer, 8);
        if (TIFFIsByteSwapped(tif)) TIFFSwabLong8(&next);
        return next;
    }
    uint32_t next;
    memcpy(&next, buffer, 4);
    if (TIFFIsByteSwapped(tif)) TIFFSwabLong(&next);
    return next;
}

bool append_entry(Document* doc, uint64_t offset, uint32_t kind) {
    if (doc->directory_count == doc->directory_capacity) {
        if (doc->directory_capacity >= kDirectoryTableMax) return false;
        int grown = doc->directory_capacity ? doc->directory_capacity * 2 : kDirectoryTableStart;
        if (grown > kDirectoryTableMax) grown = kDirectoryTableMax;
        void* p = realloc(doc->directories, sizeof(DirectoryEntry) * size_t(grown));
        if (!p) return false;
        doc->directories = static_cast<DirectoryEntry*>(p);
        doc->directory_capacity = grown;
    }
    doc->directories[doc->directory_count++] = DirectoryEntry{offset, kind, -1};
    return true;
}

void drop_entry(Document* doc, int i) {
    memmove(doc->directories + i, doc->directories + i + 1,
            sizeof(DirectoryEntry) * size_t(doc->directory_count - i - 1));
    --doc->directory_count;
}

TIFF* open_at(const DocumentBytes* bytes, uint64_t offset) {
    return bytes->memory ? tiffsrc_open_memory(bytes->memory, bytes->size, offset)
                         : tiffsrc_open_file(bytes->file_path, offset);
}

// Opens a reader on entry i + 1 in place of *tif; false when the walk ends there.
// Each directory gets a reader opened on it: moving one reader there through
// TIFFSetSubDirectory would walk the main chain again for every sub-IFD.
// A directory libtiff cannot read is dropped from the queue rather than ending
// the walk: a broken thumbnail must not hide the pages that follow it.
bool move_to_next(TIFF** tif, const DocumentBytes* bytes, Document* doc, int i) {
    while (i + 1 < doc->directory_count) {
        const uint64_t offset = doc->directories[i + 1].offset;
        TIFF* next = open_at(bytes, offset);
        if (next && TIFFCurrentDirOffset(next) != offset && !TIFFSetSubDirectory(next, offset)) {
            TIFFClose(next);
            next = nullptr;
        }
        if (next) {
            TIFFClose(*tif);
            *tif = next;
            return true;
        }
        drop_entry(doc, i + 1);
    }
    return false;
}

// Queues a directory once. Repeats are left out with a warning rather than
// ending the walk: libtiff itself chains the sub-IFDs it writes while also
// listing them in the SubIFDs tag, so a repeat is often harmless, and the pages
// after it must still be found. A chain that points back into itself ends there.
// Dropping repeats before they are queued keeps a list of thousands of copies
// of one offset from filling the table. False when the table is full.
bool queue_directory(Document* doc, uint64_t offset, uint32_t kind, std::unordered_set<uint64_t>* queued,
                     ErrorLog* log) {
    if (!queued->insert(offset).second) {
        errlog_warning(log, u"IFD loop or duplicate IFD detected");
        return true;
    }
    return append_entry(doc, offset, kind);
}

// Reads the current directory's kind and queues its sub-IFDs and successor.
// False when the table is full.
bool visit_directory(TIFF* tif, Document* doc, int i, std::unordered_set<uint64_t>* queued, ErrorLog* log) {
    uint32_t subfile_type = 0;
    if (TIFFGetField(tif, TIFFTAG_SUBFILETYPE, &subfile_type)) doc->directories[i].kind |= subfile_type;
    const uint64_t here = doc->directories[i].offset;
    const uint32_t inherited = doc->directories[i].kind & kKindSubIfd;
    // libtiff owns this list only until it reads another directory; use it now.
    uint16_t sub_count = 0;
    uint64_t* sub_offsets = nullptr;
    if (TIFFGetField(tif, TIFFTAG_SUBIFD, &sub_count, &sub_offsets) && sub_offsets) {
        for (uint16_t k = 0; k < sub_count; ++k) {
            // Offsets beyond 2 GiB are not followed, as for the chain below.
            if (sub_offsets[k] == 0 || sub_offsets[k] > 0x7FFFFFFF) continue;
            if (!queue_directory(doc, sub_offsets[k], kKindSubIfd, queued, log)) return false;
        }
    }
    const uint64_t next = next_directory_offset(tif, here);
    if (next != 0 && next <= 0x7FFFFFFF && !queue_directory(doc, next, inherited, queued, log)) return false;
    return true;
}
}  // namespace

bool document_check_magic(DocumentBytes* bytes, ErrorLog* log) {
    if (!bytes->size_known) {
        errlog_error(log, u"Unexpected error: Can\u2019t determine file size");
        return false;
    }
    if (bytes->size <= 7) {
        errlog_error(log, u"File is too small to be a TIFF file (%d byte%s)", int(bytes->size),
                     bytes->size == 1 ? u"" : u"s");
        return false;
    }
    if (bytes->magic_captured && is_tiff_magic(bytes->magic)) return true;
    const int n = bytes->size < kMagicSampleBytes ? int(bytes->size) : kMagicSampleBytes;
    uint8_t head[kMagicSampleBytes];
    if (!read_head(bytes, head, n)) {
        errlog_error(log, u"File read error");
        return false;
    }
    if (!bytes->magic_captured) {
        bytes->magic[0] = head[0];
        bytes->magic[1] = head[1];
        bytes->magic_captured = true;
        if (is_tiff_magic(bytes->magic)) return true;
    }
    // Most often an error page from the web server: show what it says.
    std::string shown(reinterpret_cast<const char*>(head), size_t(n));
    for (char& c : shown)
        if (uint8_t(c) < 0x20 || uint8_t(c) > 0x7E) c = ' ';
    errlog_error(log, u"Not a TIFF file. File contents: %S", shown.c_str());
    return false;
}

bool document_reserve(Document* doc) {
    doc->directory_count = 0;
    doc->page_count = 0;
    doc->current_directory = 0;
    if (doc->directory_capacity >= kDirectoryTableStart) return true;
    void* p = realloc(doc->directories, sizeof(DirectoryEntry) * kDirectoryTableStart);
    if (!p) return false;
    doc->directories = static_cast<DirectoryEntry*>(p);
    doc->directory_capacity = kDirectoryTableStart;
    return true;
}

bool document_enumerate(Document* doc, const DocumentBytes* bytes, ErrorLog* log) {
    doc->directory_count = 0;
    TIFF* tif = bytes->memory ? tiffsrc_open_memory(bytes->memory, bytes->size) : tiffsrc_open_file(bytes->file_path);
    if (!tif) {
        if (log && log->error_count == 0) errlog_error(log, u"*** Unable to process this TIFF file ***");
        return false;
    }
    if (!append_entry(doc, TIFFCurrentDirOffset(tif), 0)) {
        TIFFClose(tif);
        return false;
    }
    std::unordered_set<uint64_t> queued{doc->directories[0].offset};
    for (int i = 0; i < doc->directory_count; ++i)
        if (!visit_directory(tif, doc, i, &queued, log) || !move_to_next(&tif, bytes, doc, i)) break;
    TIFFClose(tif);
    return doc->directory_count > 0;
}

int document_number_pages(Document* doc, int ignore_special_images, ErrorLog* log) {
    int page = 0;
    for (int i = 0; i < doc->directory_count; ++i) {
        DirectoryEntry& e = doc->directories[i];
        const bool special =
            (e.kind & kKindTransparencyMask) ||
            ((ignore_special_images & kIgnoreReducedResolution) && (e.kind & kKindReducedResolution)) ||
            ((ignore_special_images & kIgnoreSubIfds) && (e.kind & kKindSubIfd));
        e.page = special ? -1 : page++;
    }
    doc->page_count = page;
    if (page == 0 && log && log->error_count == 0) errlog_warning(log, u"No images found");
    return page;
}

bool document_open(Document* doc, DocumentBytes* bytes, const LoaderContext& context) {
    tiffmsg_attach(context.error_log);
    document_close(doc);
    bool ok = document_reserve(doc) && document_check_magic(bytes, context.error_log) &&
              document_enumerate(doc, bytes, context.error_log);
    if (ok) ok = document_number_pages(doc, context.ignore_special_images, context.error_log) > 0;
    // Nothing of ours is open any more; a message from elsewhere must not land here.
    tiffmsg_attach(nullptr);
    return ok;
}

void document_close(Document* doc) {
    free(doc->directories);
    *doc = Document{};
}

int document_directory_of_page(const Document* doc, int page) {
    if (page < 0) return -1;
    // Directories that are not pages only ever push a page further down the table.
    for (int i = page; i < doc->directory_count; ++i)
        if (doc->directories[i].page == page) return i;
    return -1;
}
