#pragma once
// The new-version check for a whole viewer: the check itself is update's; the
// viewer hands it the records it needs and applies the user's answer while it
// still exists.
#include <windows.h>

#include "update/win/update_check.h"

struct Viewer;

// What the check needs of this viewer.
UpdateViewer viewer_update_target(Viewer* v);

void update_arm(Viewer* v);
void update_on_timer(Viewer* v);
void update_command(Viewer* v);
bool update_start(Viewer* v);
LRESULT update_on_host_message(Viewer* v, WPARAM wp, LPARAM lp);
LRESULT update_on_socket_message(Viewer* v, WPARAM wp, LPARAM lp);
