#pragma once
// The context menu on screen: the menu model (ui/context_menu) made into
// pop-up menus with texts from the string table and tracked at a screen
// position. Which viewer it serves and what the choice does is the host's.
#include <windows.h>

#include "ui/context_menu.h"

// Shows `model` over `owner` at (x, y) in screen coordinates, with the texts
// from `resources` (an entry whose text will not load is left out), and
// returns once it closes: the chosen command id, 0 for none, -1 when the menus
// could not be made.
int context_menu_track(HINSTANCE resources, HWND owner, const ContextMenu& model, int x, int y);
