#pragma once
// What Save As and Open Local File decide without a dialog: the filter lists,
// which format a chosen name is written in, the extension added to a bare
// name, and the texts the user sees. The shell shows the dialogs and writes.
#include "base/text.h"
#include "document/document_state.h"

// The common dialogs take a 256-unit name buffer (terminator included).
constexpr int kFileDialogNameCap = 256;

enum class SaveFormat { kTiff, kBmp };

// The dialogs' filter lists: pairs of display text and pattern, each ended by
// a zero, the list by a second zero. The BMP entry is offered only when there
// is a decoded page to write.
Text16 save_filter_list(bool page_decoded);
Text16 open_filter_list();

// A name has an extension when a "." comes after the last "\" or "/".
bool save_name_has_extension(const char16_t* name);

struct SaveTarget {
    SaveFormat format = SaveFormat::kTiff;
    char16_t path[kFileDialogNameCap] = {};
    // The extension was added here, so the dialog never asked about this exact
    // name: the caller asks before replacing an existing file.
    bool extension_added = false;
};

// The name and 1-based filter index the save dialog returned. The first filter
// is TIFF; the second (when offered) BMP. An extension that does not fit is
// left off and the name saved as typed.
SaveTarget save_resolve_target(const char16_t* chosen, int filter_index);

// Texts of the two dialogs and their messages.
extern const char16_t kSaveDialogTitle[];      // "Save Image"
extern const char16_t kOpenDialogTitle[];      // "Open TIFF File"
extern const char16_t kSaveNotDownloaded[];    // nothing received to save
extern const char16_t kSaveReplaceQuestion[];  // %s: the path
extern const char16_t kSaveBmpWithoutPage[];   // the BMP filter with no page decoded
extern const char16_t kWriteFileFailed[];      // %s path, %u system error code
extern const char16_t kBmpSaveFailed[];        // %s path

// Where a copy of the document comes from: re-encoded with the marks when any
// page has some, otherwise the bytes as received (memory or the file on disk),
// and nothing before the file has been received and opened.
enum class CopySource { kNothing, kAnnotated, kMemory, kFile };
struct CopyInputs {
    bool any_marks = false;  // white-outs or pen segments on some page
    DownloadState download_state = DownloadState::kIdle;
    bool document_loaded = false;
    bool in_memory = false;     // the received bytes are in memory
    bool file_on_disk = false;  // ... or in a file with a path
};
CopySource document_copy_source(const CopyInputs& in);
