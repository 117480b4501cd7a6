#pragma once
// One embedded viewer: everything that belongs to one embed element or one
// full-page document. Created from the page's embed parameters, it owns its
// buffers, windows, logs and marks; nothing in it is shared with another viewer.
#include <cstdint>
#include <vector>

#include "annotate/upload_fields.h"
#include "annotate/sketch_state.h"
#include "config/bounded_text.h"
#include "config/error_log.h"
#include "config/settings.h"
#include "host/viewer_registry.h"
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

constexpr uint32_t kDefaultEventMask = 8195;
constexpr int kMaxEmbedPairs = 100;

// Mouse modes.
enum MouseMode { kMouseZoom = 0, kMousePan = 1, kMouseNone = 2, kMouseSelect = 3, kMouseCrop = 4,
                 kMouseDraw = 5, kMouseErase = 6 };

struct ViewerFile;
struct ToolbarControls;

struct Viewer {
    ViewerLife life;  // in the list of live viewers from construction to destruction
    int mode = 0;
    void* plugin_window = nullptr;      // HWND
    void* saved_window_proc = nullptr;  // WNDPROC
    void* npp = nullptr;
    void* script_object = nullptr;      // handed out by NPP_GetValue; no reference held
    intptr_t temp_file_handle = -1;     // open download file (a file-system handle); -1 when none
    int source_kind = 0;                // 0 nothing, 1 file on disk, 2 memory
    BoundedText file_path;              // text(260)
    uint8_t* memory_buffer = nullptr;
    int data_size = 0;
    int data_size_known = 0;
    int magic_captured = 0;
    uint8_t magic_bytes[2] = {0, 0};
    uint32_t expected_length = 0;
    int start_page = 0;
    int download_state = 0;  // 0 idle, 1 requested, 2 receiving, 3 finished
    int document_loaded = 0;
    int download_failed = 0;
    int bytes_received = 0;
    int page_count = 0;
    int current_page = 0;
    int current_directory = 0;
    ViewerFile* file = nullptr;  // Document, page bookkeeping and Display raster
    // Child windows (HWNDs) and GDI objects of the shell.
    void* image_window = nullptr;
    void* toolbar_window = nullptr;
    void* zoom_window = nullptr;
    ZoomWindowState zoom;  // the magnifier while its window is open
    void* status_window = nullptr;
    void* progress_window = nullptr;
    void* background_brush = nullptr;
    void* hand_cursor = nullptr;
    // View state; the first seven are the view group of the settings.
    ViewGroup view;
    ViewLayout layout;  // displayed size, scroll position, the scaled views
    // Mouse state of the image window.
    int link_press = 0;
    int pan_active = 0;
    PanStart pan_start;
    int wheel_accumulator = 0;
    RubberBand band;
    int menu_suppressed = 0;
    int annotations_shown = 0;
    int autoprint = 0;
    int ready_fired = 0;
    int event_busy = 0;
    int lctrl = 0;
    uint32_t access_flags = 0;
    uint32_t event_mask = kDefaultEventMask;
    int has_href = 0;
    int download_count = 0;
    int toolbar_from_settings = 1;
    int toolbar_position = 1;  // 0 off, 1 top, 2 bottom
    int bgcolor_from_settings = 1;
    uint32_t background_color = 0x404040;
    int print_hack = 0;
    int busy = 0;
    int upload_confirming = 0;  // the upload's confirmation box is open: what it names may not change
    int settings_sheet_page = 0;  // the "More Settings" page last active: the next opening starts there
    Settings settings;  // this viewer's copy, incl. the dialog group
    BoundedText settings_toolbar_items;  // text(200); used once at creation
    BoundedText page_toolbar_items;      // text(200); used once at creation
    std::vector<int> toolbar_items;      // item-table indices, in display order
    ToolbarControls* toolbar_controls = nullptr;  // the toolbar's controls; lives with toolbar_window
    BoundedText work_folder, work_file;  // text(360) each
    int allow_select = 0;
    int crop_select = 0;
    int sketch_buttons = 0;
    int eraser_shown = 0;  // mouse mode 6: the eraser's outline follows the mouse
    uint32_t pen_color = 0;  // colour of new pen segments, 0x00BBGGRR
    SketchStroke stroke;     // the pen or eraser gesture in progress
    EraserOutline eraser;
    PenCache pen_cache;
    BoundedText status_text;  // text(100)
    Rect32 zoom_rect{10, 10, 410, 410};
    BoundedText download_url;  // text(1024)
    void* pending_stream = nullptr;
    BoundedText href;    // text(1024)
    BoundedText target;  // text(64)
    BoundedText upload_url, upload_param_name, upload_file_name;  // stored sanitised
    UploadParams upload_params;  // the page's extra form fields
    BoundedText download_temp_path;  // text(260)
    ErrorLog error_log;
    ErrorLog page_log;
    double blank_score = -1;
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
