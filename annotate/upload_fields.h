#pragma once
// The texts an upload is built from: the target address, the form field and
// file names, and the extra text fields a page adds. Texts are made safe when
// they are stored, so what the page reads back is exactly what will be sent.
#include <string>
#include <string_view>
#include <vector>

#include "config/bounded_text.h"

// Keeps "!", '"', "$"…"&", "("…"[", "]"…"~"; every other character becomes
// "_" (spaces, controls, "#", "'", the backslash, anything above "~").
std::u16string upload_sanitise_url(std::u16string_view url);
// Keeps letters, digits, space and "$+,-./@_"; every other character becomes "_".
std::u16string upload_sanitise_name(std::u16string_view name);

constexpr int kUploadParamSlots = 64;
constexpr size_t kUploadParamNameMax = 100;
constexpr size_t kUploadParamValueMax = 1000;

struct UploadParam {
    std::u16string name, value;
    bool used = false;
};

// The page's extra form fields, in slot order; the same name may appear
// several times. Kept for the viewer's life and reused by every upload.
struct UploadParams {
    std::vector<UploadParam> slots;  // empty until the first field is added
};

// Cuts the name to 100 and the value to 1000 characters, sanitises the name
// and stores both in the first empty slot; false when all 64 are taken.
bool upload_param_add(UploadParams* p, std::u16string_view name, std::u16string_view value);
// Removes every field stored under exactly this name; returns how many.
int upload_param_delete(UploadParams* p, std::u16string_view name);

// What the next upload sends and where; the page sets it through the embed
// parameters and the script.
struct UploadState {
    BoundedText url, param_name, file_name;  // stored sanitised
    UploadParams params;                     // the page's extra form fields
    int confirming = 0;                      // the confirmation box is open: what it names may not change
};
