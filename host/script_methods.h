#pragma once
// The 28 methods a page calls on the viewer's scriptable object: the method
// table, how arguments are read, the gate that turns scripting off, and the
// method bodies. What needs windows (repainting, scroll bars, dialogs, the
// shared view operations) goes through ScriptOps, which the shell installs;
// a missing operation makes its method do nothing.
#include <cstdint>
#include <string>

#include "host/npapi.h"

struct Viewer;

struct ScriptOps {
    void (*about_box)(Viewer*) = nullptr;
    // 1 printed, 0 not; -1 the viewer was destroyed meanwhile (touch nothing).
    int (*print)(Viewer*, bool with_dialog) = nullptr;
    void (*zoom_window)(Viewer*, bool open) = nullptr;
    void (*set_orientation)(Viewer*, int orientation) = nullptr;  // fires its event
    void (*toggle_negative)(Viewer*) = nullptr;                   // fires its event
    void (*toggle_smoothing)(Viewer*) = nullptr;
    void (*set_mouse_mode)(Viewer*, int mode) = nullptr;  // fires its event when it changes
    void (*set_size_mode)(Viewer*, int mode) = nullptr;   // lays out, fires its event
    void (*zoom_changed)(Viewer*) = nullptr;              // the zoom step changed: lay out, fire
    void (*scroll)(Viewer*, bool vertical, int code, int thumb) = nullptr;  // SB_* codes
    void (*marks_changed)(Viewer*) = nullptr;             // repaint the marks
    void (*background_changed)(Viewer*) = nullptr;        // new brush, repaint
    void (*toolbar_refresh)(Viewer*) = nullptr;
    int (*upload)(Viewer*, int tag) = nullptr;            // asks first; 1 uploaded
};

void script_set_ops(const ScriptOps& ops);

// What a method does to an upload the user is being asked to confirm; the
// calls that change it are refused while the confirmation box is open.
enum class UploadEffect : uint8_t {
    kNone,
    kChanges,
    kChangesByKey,  // only for the keys of the upload address and names
};

struct ScriptCall;
struct ScriptMethod {
    const char* name;
    // A call with any other argument count is refused and the browser raises a script error.
    uint8_t argc;
    void (*run)(Viewer* v, const ScriptCall& call, NPVariant* result);
    UploadEffect upload = UploadEffect::kNone;
};

constexpr int kScriptMethodCount = 28;
// The methods a page can call, AboutBox first; a method's position is its index.
extern const ScriptMethod kScriptMethods[kScriptMethodCount];

// Argument conversions.
int32_t script_arg_int(const NPVariant& v);
// False when the argument is not a String (or is longer than 1 MiB).
bool script_arg_string(const NPVariant& v, std::u16string* out);

// Runs method `index` (0-based table position) for the viewer. False only
// for a wrong argument count; otherwise the result is set.
bool script_run_method(Viewer* v, int index, const NPVariant* args, uint32_t count, NPVariant* result);

// "#rrggbb" → 0x00BBGGRR; false unless exactly seven characters of that form.
bool script_parse_colour(std::u16string_view text, uint32_t* colour);
