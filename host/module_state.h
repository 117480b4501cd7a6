#pragma once
// Whether module start-up has completed. Viewer creation refuses to run before
// it: a browser that skipped or failed NP_Initialize must not get half-made
// instances that reach for classes, cursors and fonts that do not exist.

bool module_started();
void module_set_started(bool started);
