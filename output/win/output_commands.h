#pragma once
// The output operations for one viewer. The host checks the viewer's access
// bits and holds its busy mark; each operation tells the user of its own
// failures.
#include "output/win/output_source.h"

// Save As: the file as received, the annotated document, or the page as BMP.
void output_save_as(OutputViewer& viewer);
// Send: the document copy handed to the mail program as an attachment.
void output_send(OutputViewer& viewer);
// The current page as the desktop background: 0 centred, 1 tiled, 2 stretched.
void output_set_wallpaper(const OutputSource& s, int which);

// The mail library Send loads, "MAPI32.DLL"; tests load a stand-in that
// records its calls. Null puts the real one back.
void output_set_mail_library(const wchar_t* name);
