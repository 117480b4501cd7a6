#pragma once
// Small decisions of module start-up, kept apart from the Win32 calls that
// feed them so they can be checked on any machine.

// Height for the interface fonts from the system's message-font height: a
// negative (character) height becomes a cell height, ×16/11 rounded; never
// below 16, so a tiny system font still leaves the status line readable.
int module_ui_font_height(int lf_height);

// Systems before NT 4 (and the 4.x consumer line) deliver wheel turns through
// a registered message instead of WM_MOUSEWHEEL.
bool module_wheel_needs_registered_message(unsigned major_version, bool nt_platform);
