#include "output/win/document_writer.h"

#include "annotate/win/render_overlays.h"
#include "base/win/handles.h"
#include "config/message_box.h"
#include "output/document_tiff.h"
#include "output/save_rules.h"

namespace {
const wchar_t* wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

// A page decoded afresh is in page orientation, so the marks go on unturned.
bool make_with_gdi(void*, const DisplayRaster* page, const PageMarks* marks, PageImage* out) {
    RenderedPage r;
    if (!render_with_overlays(page, marks, 0, &r)) return false;
    DIBSECTION ds{};
    if (!GetObjectW(r.bitmap.get(), sizeof ds, &ds)) return false;
    out->width = ds.dsBmih.biWidth;
    out->height = ds.dsBmih.biHeight;
    out->bits_per_pixel = r.bits_per_pixel;
    out->stride = ds.dsBm.bmWidthBytes;
    out->bits = static_cast<const uint8_t*>(r.bits);
    out->owner = r.bitmap.release();  // until release_gdi
    return true;
}

void release_gdi(void*, PageImage* image) {
    const UniqueBitmap drop{static_cast<HBITMAP>(image->owner)};
    image->owner = nullptr;
}

void report_write_failure(const OutputSource& s, const char16_t* path, DWORD error) {
    msgbox_warning(s.owner, kWriteFileFailed, path, unsigned(error));
}

bool write_annotated(const OutputSource& s, const char16_t* path) {
    const UniqueFile file{file_handle_or_none(CreateFileW(wide(path), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr))};
    if (!file) {
        report_write_failure(s, path, GetLastError());
        return false;
    }
    SetLastError(0);
    if (document_write_tiff(document_tiff_source(s), file.get())) return true;
    // A page that would not encode leaves no system error; the user still
    // learns that the file on disk is not the document.
    report_write_failure(s, path, GetLastError());
    return false;
}

bool write_memory(const OutputSource& s, const char16_t* path) {
    const UniqueFile file{file_handle_or_none(CreateFileW(wide(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr))};
    DWORD done = 0;
    const DWORD size = s.memory_size > 0 ? DWORD(s.memory_size) : 0;
    if (!file || !WriteFile(file.get(), s.memory, size, &done, nullptr) || done != size) {
        report_write_failure(s, path, GetLastError());
        return false;
    }
    return true;
}

bool copy_file(const OutputSource& s, const char16_t* path) {
    if (CopyFileW(wide(s.file_path), wide(path), FALSE)) return true;
    report_write_failure(s, path, GetLastError());
    return false;
}
}  // namespace

DocumentTiffSource document_tiff_source(const OutputSource& s) {
    DocumentTiffSource source;
    if (s.doc && s.document && s.document->loaded) {
        source.document = s.doc;
        source.bytes = s.bytes;
        source.marks = s.marks;
        source.loader = s.loader;
    }
    return source;
}

bool document_write_tiff(const DocumentTiffSource& source, HANDLE file) {
    const FsHandle handle = reinterpret_cast<FsHandle>(file);
    PageImageMaker maker;
    maker.make = make_with_gdi;
    maker.release = release_gdi;
    return document_tiff_write(source, file == INVALID_HANDLE_VALUE ? kNoFile : handle, maker);
}

bool document_has_annotations(const OutputSource& s) { return s.marks && document_has_burn_in_marks(s.marks); }

bool document_write_copy(const OutputSource& s, const char16_t* path) {
    CopyInputs in;
    in.any_marks = document_has_annotations(s);
    in.download_state = s.download;
    in.document_loaded = s.document && s.document->loaded != 0;
    in.in_memory = s.source == SourceKind::kMemory && s.memory;
    in.file_on_disk = s.source == SourceKind::kFile && s.file_path && *s.file_path;
    switch (document_copy_source(in)) {
    case CopySource::kAnnotated: return write_annotated(s, path);
    case CopySource::kMemory: return write_memory(s, path);
    case CopySource::kFile: return copy_file(s, path);
    case CopySource::kNothing: break;
    }
    // A file that never opened as a document has nothing we could stand behind.
    msgbox_warning(s.owner, kSaveNotDownloaded);
    return false;
}
