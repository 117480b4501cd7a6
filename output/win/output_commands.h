#pragma once
// The output operations as the toolbar, the context menu and scripts start
// them. Each is refused when its access bit is set; each tells the user of
// its own failures and gives the keyboard focus back to the plug-in window.
struct Viewer;

// Save As: the file as received, the annotated document, or the page as BMP.
void output_save_as(Viewer* v);
// Send: the document copy handed to the mail program as an attachment.
void output_send(Viewer* v);
// The current page as the desktop background: 0 centred, 1 tiled, 2 stretched.
void output_set_wallpaper(Viewer* v, int which);
// Open Local File: another TIFF file shown in this viewer.
void output_open_local_file(Viewer* v);

// The mail library Send loads, "MAPI32.DLL"; tests load a stand-in that
// records its calls. Null puts the real one back.
void output_set_mail_library(const wchar_t* name);

