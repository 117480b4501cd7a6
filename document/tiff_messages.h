#pragma once
// libtiff reports problems through one warning and one error handler for the
// whole process. Every directory walk and page load first aims them at the log
// it works for, so that a second viewer on the same page never collects our
// messages. The messages are tidied on the way in: one line each, no paths,
// no temporary-file names.
#include <cstdarg>

struct ErrorLog;

// Points libtiff's handlers at `log` and installs them again (another part of
// the process may have replaced them). A null log drops libtiff's messages,
// which is what the TIFF writer wants while it runs.
void tiffmsg_attach(ErrorLog* log);
ErrorLog* tiffmsg_current_log();

// Turns one libtiff message into a log entry; also used for the messages the
// page decoder passes on. Errors and warnings keep their kind.
void tiffmsg_log_message(ErrorLog* log, bool is_error, const char* module, const char* format, va_list ap);
