#pragma once
// Subcommands of the `vellarion` tool register themselves, so adding one means
// adding its file to the tool's target and main never changes.
struct CliCommand {
    const char* name;                   // "info", "render", ...
    const char* usage;                  // one line: arguments after the name
    int (*run)(int argc, char** argv);  // argv[0] is the subcommand name
};

bool cli_register(const CliCommand& command);

#define VL_CLI_COMMAND(ident, name, usage, fn) \
    static const bool ident##_registered = cli_register(CliCommand{name, usage, fn})
