#include "decode/library_messages.h"

#include <tiffio.h>

namespace {
LibraryMessageFn g_route = nullptr;
void* g_route_context = nullptr;
LibraryMessageFn g_diversion = nullptr;
void* g_diversion_context = nullptr;

void on_warning(const char* module, const char* format, va_list ap) {
    if (g_route) g_route(g_route_context, false, module, format, ap);
}

void on_error(const char* module, const char* format, va_list ap) {
    if (g_route) g_route(g_route_context, true, module, format, ap);
}

void on_diverted_error(const char* module, const char* format, va_list ap) {
    if (g_diversion) g_diversion(g_diversion_context, true, module, format, ap);
}
}  // namespace

void library_messages_route(LibraryMessageFn fn, void* context) {
    g_route = fn;
    g_route_context = context;
    TIFFSetWarningHandler(on_warning);
    TIFFSetErrorHandler(on_error);
}

LibraryErrorDiversion::LibraryErrorDiversion(LibraryMessageFn fn, void* context)
    : previous_(TIFFSetErrorHandler(on_diverted_error)),
      previous_fn_(g_diversion),
      previous_context_(g_diversion_context) {
    g_diversion = fn;
    g_diversion_context = context;
}

LibraryErrorDiversion::~LibraryErrorDiversion() {
    TIFFSetErrorHandler(previous_);
    g_diversion = previous_fn_;
    g_diversion_context = previous_context_;
}

LibraryMessagesSilenced::LibraryMessagesSilenced()
    : previous_error_(TIFFSetErrorHandler(nullptr)), previous_warning_(TIFFSetWarningHandler(nullptr)) {}

LibraryMessagesSilenced::~LibraryMessagesSilenced() {
    TIFFSetErrorHandler(previous_error_);
    TIFFSetWarningHandler(previous_warning_);
}
