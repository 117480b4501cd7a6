#pragma once
// The Win32 half of a Viewer's life: what creation, key handling, detaching and
// destruction need from the platform around the core's decisions.
#include <cstdint>

struct Viewer;

// NPP_New: the first 100 name/value pairs converted from UTF-8, the core
// creation, then the hand cursor and the background brush. Returns the NPError.
int16_t viewer_shell_new(void* npp, int mode, int16_t argc, char** argn, char** argv, Viewer** out);
// NPP_Destroy: the fixed order of release. Returns 0; 2 for a null viewer.
int16_t viewer_shell_destroy(Viewer* v);
// Gives the plug-in window back its own procedure and removes our children.
void viewer_shell_detach_window(Viewer* v);
// Key-down in the plug-in window; true when the key was a viewer command.
bool viewer_shell_key_command(Viewer* v, unsigned vk);
// A brush of the viewer's background colour replaces the old one (which stays
// when none can be made); the plug-in window is repainted.
void viewer_shell_renew_background_brush(Viewer* v);
