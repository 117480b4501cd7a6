#pragma once
// Names of the TIFF compression schemes as the viewer shows them in messages
// and in its information dialog.

// "LZW", "CCITT Group 4", …; "Unknown (%d)" for codes without a name.
// Always terminated when cap > 0.
void compression_name(int code, char16_t* out, int cap);
