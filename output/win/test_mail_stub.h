#pragma once
// A stand-in mail library for the Send tests: it records the call it gets and
// answers with the result the test chose, so no mail program is ever started.
#include <windows.h>

struct MailStubState {
    int calls;
    char function[32];
    char subject[260];
    char path[260];
    char name[260];
    char delimiter[8];
    ULONG flags;
    ULONG position;
    ULONG file_count;
    ULONG recipient_count;
    ULONG_PTR ui_param;
    bool note_text;
    bool file_existed;  // the attachment was on disk during the call
    ULONG result;       // what the next call answers
    // Runs inside the call, where a real mail program's compose window would
    // run its message loop (and the page could remove the viewer).
    void (*during)(void* context);
    void* during_context;
};

using MailStubStateFn = MailStubState* (*)();
