#pragma once
// Mark changes as the menu, the mouse and scripts ask for them: each checks
// the access bit 0x800, changes the marks, repaints when the directory is the
// page on screen and tells the page where the rule says so. Directories are
// indices into the Document's directory table (scripts map their 1-based page
// numbers through document_directory_of_page).
#include "document/page_marks.h"

struct Viewer;

// Removes every pen segment of a directory. 1 when something was removed
// (then vlar_OnAnnotationChange is raised with that page's number and 1),
// 0 when there was nothing to remove or marks may not change.
int sketch_clear_pen(Viewer* v, int directory);
// The same without the page event, for a caller that raises it itself.
int sketch_clear_pen_no_event(Viewer* v, int directory);
// Appends a white-out rectangle (page pixels, inclusive); false when refused.
bool sketch_add_whiteout(Viewer* v, int directory, const PageRect& r);
// Sets (selected) or clears the crop rectangle; no page event. False when refused.
bool sketch_set_crop(Viewer* v, int directory, const PageRect& r, bool selected);

// "Pen Color…": the colour chooser, opened in full at the current pen colour,
// with the sixteen custom colours the whole process shares.
void sketch_choose_pen_colour(Viewer* v);

// Destruction: the cached pen and any drawing surface still held.
void sketch_release(Viewer* v);
