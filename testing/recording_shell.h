#pragma once
// A shell for core tests: records what the core asks the seam to repaint, as
// text ("repaint image magnifier"), so a test can tell which windows a change
// reaches.
#include <string>
#include <vector>

#include "view/shell_seam.h"

// The parts named in `what`, in the order they are declared: "image magnifier".
std::string shell_parts_text(unsigned what);
// Installs a seam whose repaint appends "repaint <parts>" to *log, naming only
// the parts in `watched` (a call that names none of them is not recorded);
// the other members are taken from `rest`.
void recording_shell_install(std::vector<std::string>* log, unsigned watched = ~0u, ShellSeam rest = {});
// Back to no shell at all.
void recording_shell_remove();
