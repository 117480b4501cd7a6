#pragma once
// Telling the page about state changes: the viewer calls the page's global
// functions named vlar_On…, each selected by a bit of the viewer's event mask.
// The first argument is always the id of the plug-in's own element, so one
// page can tell several viewers apart.
#include <cstdint>

struct Viewer;

// Event bits of `event_mask`.
constexpr uint32_t kEventReady = 0x1;
constexpr uint32_t kEventFileReady = 0x2;
constexpr uint32_t kEventPageChange = 0x4;
constexpr uint32_t kEventMouseModeChange = 0x8;
constexpr uint32_t kEventSizeModeChange = 0x10;
constexpr uint32_t kEventOrientationChange = 0x20;
constexpr uint32_t kEventNegativeChange = 0x40;
constexpr uint32_t kEventPrintComplete = 0x80;
constexpr uint32_t kEventUpload = 0x400;
constexpr uint32_t kEventUploadHeader = 0x800;
constexpr uint32_t kEventAnnotationChange = 0x1000;
constexpr uint32_t kEventCropSelect = 0x2000;

constexpr uint32_t kDefaultEventMask = 8195;

// What one viewer keeps for its events.
struct PageEventState {
    uint32_t mask = kDefaultEventMask;  // the events the page asked for
    int ready_fired = 0;
    int firing = 0;  // an event is being dispatched: no other starts meanwhile
};

// Every event the viewer raises, as one table: the page function's name, the
// bit that enables it and how many arguments follow the id. The raise functions
// below take their name and bit from here and check their argument count
// against it when they compile.
enum class PageEvent {
    kReady,
    kFileReady,
    kPageChange,
    kMouseModeChange,
    kSizeModeChange,
    kOrientationChange,
    kNegativeChange,
    kPrintComplete,
    kUploadStart,
    kUploadHttpHeader,
    kUploadComplete,
    kAnnotationChange,
    kCropSelect,
    kCount
};
struct PageEventInfo {
    const char* name;
    uint32_t bit;
    int arg_count;  // after the id
};
inline constexpr PageEventInfo kPageEvents[int(PageEvent::kCount)] = {
    {"vlar_OnReady", kEventReady, 0},
    {"vlar_OnFileReady", kEventFileReady, 0},
    {"vlar_OnPageChange", kEventPageChange, 1},
    {"vlar_OnMouseModeChange", kEventMouseModeChange, 1},
    {"vlar_OnSizeModeChange", kEventSizeModeChange, 2},
    {"vlar_OnOrientationChange", kEventOrientationChange, 1},
    {"vlar_OnNegativeChange", kEventNegativeChange, 1},
    {"vlar_OnPrintComplete", kEventPrintComplete, 1},
    {"vlar_OnUploadStart", kEventUpload, 1},
    {"vlar_OnUploadHTTPHeader", kEventUploadHeader, 3},
    {"vlar_OnUploadComplete", kEventUpload, 3},  // shares its bit with the start
    {"vlar_OnAnnotationChange", kEventAnnotationChange, 2},
    {"vlar_OnCropSelect", kEventCropSelect, 6},
};

// One argument after the id: an integer or a UTF-16 text.
struct EventArg {
    bool is_text = false;
    int32_t number = 0;
    const char16_t* text = nullptr;
};

// Calls page function `name` with the id and `args`: 0 nothing was called,
// 1 the call failed, 2 the page function ran.
int events_dispatch(Viewer* v, const char* name, const EventArg* args, int count);

// Raises an event unless scripting is off for this viewer, another event is
// being dispatched, or the page did not ask for it.
void events_raise(Viewer* v, uint32_t bit, const char* name, const EventArg* args, int count);

void events_ready(Viewer* v);
void events_file_ready(Viewer* v);
void events_page_change(Viewer* v, int page_1based);
void events_crop_select(Viewer* v, int selected, int page_1based, int left, int top, int width, int height);
void events_print_complete(Viewer* v, int result);
void events_mouse_mode_change(Viewer* v, int mode);
// The size mode 0..3 and the stored zoom step's percentage.
void events_size_mode_change(Viewer* v, int size_mode, int zoom_percent);
// 1 top, 2 right, 3 bottom, 4 left.
void events_orientation_change(Viewer* v, int value);
void events_negative_change(Viewer* v, int negative);
// A page's pen marks changed (a gesture ended or they were cleared).
void events_annotation_change(Viewer* v, int page_1based);
void events_upload_start(Viewer* v, int tag);
void events_upload_header(Viewer* v, int tag, const char16_t* name, const char16_t* value);
// "Successful" with code 0, else the failure's code and message.
void events_upload_complete(Viewer* v, int tag, int code, const char16_t* message);
