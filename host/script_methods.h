#pragma once
// The 28 methods a page calls on the viewer's scriptable object: the method
// table, how arguments are read, the gate that turns scripting off, and the
// method bodies. What needs windows (repainting, scroll bars, dialogs, the
// shared view operations) goes through the seam (view/shell_seam.h); a
// missing operation makes its method do nothing.
#include <cstdint>
#include <string>

#include "host/npapi.h"

struct Viewer;

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
