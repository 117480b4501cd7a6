#pragma once
// One embedded viewer: everything that belongs to one embed element or one
// full-page document. Created from the page's embed parameters, it owns its
// buffers, windows, logs and marks; nothing in it is shared with another viewer.
#include <cstdint>
#include <vector>

#include "annotate/sketch_state.h"
#include "config/bounded_text.h"
#include "config/error_log.h"
#include "config/settings.h"
#include "document/document_state.h"
#include "host/shell_windows.h"
#include "host/viewer_registry.h"
#include "host/viewer_stream.h"
#include "host/page_events.h"
#include "ui/ui_state.h"
#include "view/mouse_modes.h"
#include "view/view_state.h"
#include "view/zoom_geometry.h"

// NPAPI modes.
constexpr int kModeEmbed = 1;
constexpr int kModeFull = 2;

// Access-restriction bits.
constexpr uint32_t kAccessAll = 0x1;
constexpr uint32_t kAccessNoPrint = 0x4;
constexpr uint32_t kAccessNoSaveCopy = 0x8;
constexpr uint32_t kAccessNoOpenLocal = 0x10;
constexpr uint32_t kAccessNoWallpaper = 0x20;
constexpr uint32_t kAccessNoCopyImage = 0x40;
constexpr uint32_t kAccessNoCopyLocation = 0x80;
constexpr uint32_t kAccessNoScript = 0x100;
constexpr uint32_t kAccessNoContextMenu = 0x200;
constexpr uint32_t kAccessNoEmail = 0x400;
constexpr uint32_t kAccessNoAnnotation = 0x800;
constexpr uint32_t kAccessNoTagDisplay = 0x1000;
constexpr uint32_t kAccessNoUpdateCheck = 0x2000;
constexpr uint32_t kAccessNoUpload = 0x4000;
constexpr uint32_t kAccessEverything = 0x7FFFFFFF;

constexpr int kMaxEmbedPairs = 100;

// The browser's side of one viewer.
struct BrowserLink {
    int mode = 0;  // kModeEmbed or kModeFull
    void* npp = nullptr;
    void* script_object = nullptr;  // handed out by NPP_GetValue; no reference held
};

// Each record belongs to the subsystem that changes it; the viewer only
// composes them.
struct Viewer {
    ViewerLife life;  // in the list of live viewers from construction to destruction
    BrowserLink browser;
    uint32_t access_flags = 0;
    int busy = 0;       // a modal dialog or print job runs: no other may start
    Settings settings;  // this viewer's copy, incl. the dialog group
    ViewerLogs logs;
    ViewerStream stream;     // host: the bytes on their way in
    DocumentState document;  // host: the document and the page shown
    ShellWindows shell;      // host/win: windows and GDI objects
    ViewGroup view;          // view: the first seven are the view group of the settings
    ViewLayout layout;       // view: displayed size, scroll position, scaled views, the magnifier
    ImageMouse mouse;        // view: the image window's mouse, band and link
    AnnotateState annotate;  // annotate: pen, eraser, marks shown, upload
    UiState ui;              // ui: toolbar and settings sheet
    PageEventState events;   // host: the page's event mask
};

struct ViewerCreateArgs {
    void* npp = nullptr;
    int mode = kModeEmbed;
    int count = 0;  // name/value pairs; only the first 100 are looked at
    const char16_t* const* names = nullptr;
    const char16_t* const* values = nullptr;
    SettingsStore* store = nullptr;
    bool module_started = true;
};

// NPError codes the creation returns.
constexpr int kNpErrNone = 0, kNpErrGeneric = 1, kNpErrInvalidInstance = 2, kNpErrOutOfMemory = 5;

// Creation steps that need no platform: the record, the settings, the embed
// parameters, the access bits and the toolbar items. The shell adds the hand
// cursor and the background brush. On success *out owns a new Viewer.
int viewer_create(const ViewerCreateArgs& args, Viewer** out);
// Applies name/value pairs in order; returns the number of pairs looked at.
int viewer_parse_params(Viewer* v, int count, const char16_t* const* names, const char16_t* const* values);
// Frees what the core owns (texts, logs) and the record itself. The shell has
// already released windows, files and GDI objects.
void viewer_free(Viewer* v);
// Before a new file: logs cleared, per-file state back to nothing.
void viewer_reset_core(Viewer* v);

// The keyboard commands of the plug-in window.
enum class KeyAction { kNone, kScroll, kPage };
enum class PageStep { kPrevious, kNext, kFirst, kLast };
struct KeyCommand {
    KeyAction action = KeyAction::kNone;
    bool vertical = true;  // kScroll: WM_VSCROLL, else WM_HSCROLL
    int scroll_code = 0;   // SB_* value
    PageStep page = PageStep::kNext;
};
KeyCommand viewer_key_command(unsigned virtual_key, bool ctrl);
