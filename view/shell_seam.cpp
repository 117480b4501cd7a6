#include "view/shell_seam.h"

namespace {
ShellSeam g_shell;
}  // namespace

void shell_install(const ShellSeam& seam) { g_shell = seam; }

const ShellSeam& shell() { return g_shell; }

void shell_repaint(Viewer* v, unsigned what) {
    if (what && g_shell.repaint) g_shell.repaint(v, what);
}
