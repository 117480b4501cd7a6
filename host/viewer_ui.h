#pragma once
// The viewer's records as the menu, the information text and the settings
// sheet see them: ui/ decides from plain values, these gather the values from
// the Viewer that composes them and carry the sheet's OK out on it.
#include "config/settings.h"
#include "ui/context_menu.h"
#include "ui/info_text.h"
#include "ui/settings_sheet.h"

struct Viewer;

// The state the toolbar and the menu are both decided from.
ControlState control_state(const Viewer* v);
// The state of a viewer as the menu needs it.
MenuState context_menu_state(const Viewer* v);

// The viewer's part of the facts: access bits, the file, the page, the memory
// it holds and the link. The environment and the credits are left as they are.
void info_facts_from_viewer(const Viewer* v, InfoFacts* facts);

// OK, first step: the working copy becomes the viewer's Settings, and all of
// them are saved (nothing reaches the store under access bit 0x2; an
// unwritable key shows the warning over the plug-in window). Returns the
// Settings as they were, for sheet_apply.
Settings sheet_commit(Viewer* v, const Settings& edited, SettingsStore* store);
// OK, the remaining steps, in order: toolbar position, toolbar build or
// layout, background colour, tooltips, then the pages or the page; the
// windows through the seam (view/shell_seam.h).
void sheet_apply(Viewer* v, const Settings& before);

// Numbers the open Document's pages again after the sub-image choice changed
// and shows page 1; the document's log starts afresh. Nothing happens while no
// file has been opened.
void sheet_relist_pages(Viewer* v);
