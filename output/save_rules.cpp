#include "output/save_rules.h"

const char16_t kSaveDialogTitle[] = u"Save Image";
const char16_t kOpenDialogTitle[] = u"Open TIFF File";
const char16_t kSaveNotDownloaded[] = u"File was not successfully downloaded \u2013 Can\u2019t save";
const char16_t kSaveReplaceQuestion[] = u"%s already exists.\r\nDo you want to replace it?";
const char16_t kSaveBmpWithoutPage[] = u"Image could not be displayed \u2013 Can\u2019t save as BMP";
const char16_t kWriteFileFailed[] = u"Failed to write file (%s; error code %u)";
const char16_t kBmpSaveFailed[] = u"Could not save file \u2018%s\u2019";

namespace {
// The embedded zeros would end a literal early, so the list is built in pieces.
void add_entry(Text16* list, std::u16string_view text, std::u16string_view pattern) {
    list->append(text);
    list->push_back(u'\0');
    list->append(pattern);
    list->push_back(u'\0');
}
}  // namespace

Text16 save_filter_list(bool page_decoded) {
    Text16 list;
    add_entry(&list, u"TIFF (*.tif)", u"*.tif;*.tiff");
    if (page_decoded) add_entry(&list, u"BMP (*.bmp)", u"*.bmp");
    list.push_back(u'\0');
    return list;
}

Text16 open_filter_list() {
    Text16 list;
    add_entry(&list, u"TIFF (*.tif, *.tiff)", u"*.tif;*.tiff");
    add_entry(&list, u"All files", u"*.*");
    list.push_back(u'\0');
    return list;
}

bool save_name_has_extension(const char16_t* name) {
    bool dot = false;
    for (const char16_t* p = name; p && *p; ++p) {
        if (*p == u'\\' || *p == u'/') dot = false;
        else if (*p == u'.')
            dot = true;
    }
    return dot;
}

SaveTarget save_resolve_target(const char16_t* chosen, int filter_index) {
    SaveTarget t;
    t.format = filter_index == 2 ? SaveFormat::kBmp : SaveFormat::kTiff;
    text_copy(t.path, kFileDialogNameCap, chosen ? chosen : u"");
    if (save_name_has_extension(t.path)) return t;
    const char16_t* extension = t.format == SaveFormat::kBmp ? u".bmp" : u".tif";
    if (text_len(t.path) + text_len(extension) < size_t(kFileDialogNameCap)) {
        Text16 with(t.path);
        with += extension;
        text_copy(t.path, kFileDialogNameCap, with.c_str());
        t.extension_added = true;
    }
    return t;
}

CopySource document_copy_source(const CopyInputs& in) {
    if (in.download_state != DownloadState::kFinished || !in.document_loaded) return CopySource::kNothing;
    if (in.any_marks) return CopySource::kAnnotated;
    if (in.in_memory) return CopySource::kMemory;
    if (in.file_on_disk) return CopySource::kFile;
    return CopySource::kNothing;
}
