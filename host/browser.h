#pragma once
// The module's copy of the browser's function table and the services built
// directly on it. The copy is cleared first and takes at most the first 176
// bytes, so a slot the browser did not provide (a short table) reads as null,
// and every caller tests a slot before using it.
#include "host/npapi.h"

// Copies the table. Null → NPERR_INVALID_FUNCTABLE_ERROR; a browser of another
// major version → NPERR_INCOMPATIBLE_VERSION_ERROR (the copy stays, and the
// shutdown clears it).
NPError browser_install(const NPNetscapeFuncs* funcs);
void browser_clear();

// The copy; all slots null before browser_install.
const NPNetscapeFuncs& browser();
int browser_major();
int browser_minor();

// Opens a URL through NPN_GetURL: a null target streams it back to the plug-in,
// a named one navigates that frame. A target other than "_self" runs with
// pop-ups enabled, since the page's pop-up blocker would otherwise eat the
// window a user's click asked for. A missing URL → NPERR_OUT_OF_MEMORY_ERROR (the
// text could not be made); a browser without NPN_GetURL → NPERR_GENERIC_ERROR.
NPError browser_open_url(NPP npp, const char16_t* url, const char16_t* target);

// Which addresses a page or a server may have the browser open in a window.
enum class Navigable {
    kWebOnly,        // http: and https:
    kWebOrRelative,  // those, and addresses the browser resolves against the page
};
// Opens a supplied address in window `target` (through browser_open_url) when
// it is of a kind `allowed` names; anything else (javascript:, data:, file:,
// drive paths, …) → NPERR_INVALID_URL without asking the browser. The browser
// gets the address as it was judged: trimmed, without tabs and line breaks.
NPError browser_navigate(NPP npp, const char16_t* url, const char16_t* target, Navigable allowed);
