#pragma once
// libtiff reports problems through one warning and one error handler for the
// whole process. This is the one place that sets them: the document code
// routes both to the log it works for, and a page decode sends the errors
// raised while it reads to its decoder for as long as it runs.
#include <cstdarg>

using LibraryMessageFn = void (*)(void* context, bool is_error, const char* module, const char* format, va_list ap);

// Routes warnings and errors to fn (with context; a null fn drops them) and
// installs the handlers again, as another part of the process may have
// replaced them.
void library_messages_route(LibraryMessageFn fn, void* context);

// While it lives, libtiff's errors go to fn (with context) alone; warnings
// keep their route. The error handler that was in place comes back after.
class LibraryErrorDiversion {
public:
    LibraryErrorDiversion(LibraryMessageFn fn, void* context);
    ~LibraryErrorDiversion();
    LibraryErrorDiversion(const LibraryErrorDiversion&) = delete;
    LibraryErrorDiversion& operator=(const LibraryErrorDiversion&) = delete;

private:
    void (*previous_)(const char*, const char*, va_list);
    LibraryMessageFn previous_fn_;
    void* previous_context_;
};

// While it lives, libtiff says nothing at all: for a read that is only tried
// and is repeated, with its messages, when it fails.
class LibraryMessagesSilenced {
public:
    LibraryMessagesSilenced();
    ~LibraryMessagesSilenced();
    LibraryMessagesSilenced(const LibraryMessagesSilenced&) = delete;
    LibraryMessagesSilenced& operator=(const LibraryMessagesSilenced&) = delete;

private:
    void (*previous_error_)(const char*, const char*, va_list);
    void (*previous_warning_)(const char*, const char*, va_list);
};
