#pragma once
// The embed parameters a page can give a viewer: one table of names, each with
// the function that applies its value. Creation looks every pair up here, so a
// parameter exists exactly when it has a row; the page authors' guide is
// checked against the same rows.
#include <string_view>

struct Viewer;

struct EmbedParam {
    const char16_t* name;  // compared without regard to case
    void (*apply)(Viewer* v, std::u16string_view value);
};

constexpr int kEmbedParamCount = 21;
extern const EmbedParam kEmbedParams[kEmbedParamCount];
