#include "testing/recording_shell.h"

namespace {
std::vector<std::string>* g_log = nullptr;
unsigned g_watched = 0;

void record(Viewer*, unsigned what) {
    if (g_log && (what & g_watched)) g_log->push_back("repaint " + shell_parts_text(what & g_watched));
}
}  // namespace

std::string shell_parts_text(unsigned what) {
    static const char* const kNames[] = {
        "brush", "toolbar-build", "window-layout", "tooltips",  "toolbar-states", "toolbar-checks", "fit",
        "refit", "image",         "erase",         "magnifier", "page-list",      "status",         "toolbar-now"};
    static_assert(kShellToolbarNow == 1u << 13, "a name for every part");
    std::string text;
    for (unsigned bit = 0; bit < sizeof kNames / sizeof kNames[0]; ++bit) {
        if (!(what & (1u << bit))) continue;
        if (!text.empty()) text += ' ';
        text += kNames[bit];
    }
    return text;
}

void recording_shell_install(std::vector<std::string>* log, unsigned watched, ShellSeam rest) {
    g_log = log;
    g_watched = watched;
    rest.repaint = record;
    shell_install(rest);
}

void recording_shell_remove() {
    g_log = nullptr;
    shell_install(ShellSeam{});
}
