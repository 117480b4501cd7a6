#pragma once
// Putting the viewer's data on the clipboard: the current page as a DIB, or a
// text (the image's or the link's address). Failures are told in a message box
// over `owner`, since the user asked for the copy.
#include <windows.h>

#include <cstddef>

struct OutputSource;

// One block in one format: hourglass cursor, open (no owner window), empty,
// a movable zero-initialised shareable block filled with `data`, set, close.
bool clipboard_put(HWND owner, UINT format, const void* data, size_t size);

// The text with its terminating zero in the Unicode text format; an empty or
// null text places nothing (and answers false).
bool clipboard_put_text(HWND owner, const char16_t* text);

// The current page as shown (orientation and negative applied) in the DIB
// format; a page with white-outs or pen strokes goes as its Annotated page
// image. "No image to copy" when no page is decoded.
bool clipboard_put_page(const OutputSource& s);
