// vellarion: the viewer's document engine on the command line, for batch work on
// any system (page information, renders, tag reports, barcodes).
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/vellarion/command.h"

namespace {
std::vector<CliCommand>& commands() {
    static std::vector<CliCommand> list;
    return list;
}

int usage(FILE* out) {
    fprintf(out, "usage: vellarion COMMAND [ARGS]\n\ncommands:\n");
    for (const CliCommand& c : commands()) fprintf(out, "  %-9s %s\n", c.name, c.usage);
    return out == stdout ? 0 : 2;
}
}  // namespace

bool cli_register(const CliCommand& command) {
    commands().push_back(command);
    return true;
}

int main(int argc, char** argv) {
    if (argc < 2) return usage(stderr);
    if (!strcmp(argv[1], "--help") || !strcmp(argv[1], "-h") || !strcmp(argv[1], "help")) return usage(stdout);
    for (const CliCommand& c : commands())
        if (!strcmp(c.name, argv[1])) return c.run(argc - 1, argv + 1);
    fprintf(stderr, "vellarion: unknown command '%s'\n", argv[1]);
    return usage(stderr);
}
