#pragma once
// The one place the viewer asks the user for a file name: the common Save and
// Open dialogs. Tests put their own answerer in its place, since nobody sits
// at the test machine to type a name.
#include <windows.h>

#include "output/save_rules.h"

struct FileQuestion {
    HWND owner = nullptr;
    bool save = false;  // the Save dialog; else the Open dialog
    const char16_t* title = nullptr;
    const char16_t* filters = nullptr;       // pairs of text and pattern, ended by two zeros
    DWORD flags = 0;                         // OFN_* bits
    char16_t name[kFileDialogNameCap] = {};  // in: the proposal; out: the chosen path
    int filter_index = 1;                    // out: the filter chosen, 1-based
};

// True when the user chose a name (OK); false on Cancel or failure.
using FileQuestionFn = bool (*)(FileQuestion* q);

// Returns the answerer in use before; null puts the common dialogs back.
FileQuestionFn file_question_set(FileQuestionFn fn);
bool file_question_ask(FileQuestion* q);
