#pragma once
// Argument handling shared by the analysis subcommands of the vellarion tool.
#include "decode/raster.h"

struct AnalysisCliArgs {
    const char* file = nullptr;
    int page = 1;  // 1-based, as the user counts
};

// Takes FILE or --page N at argv[*i] (advancing *i past a value); false for
// anything else.
bool analysis_cli_arg(int argc, char** argv, int* i, AnalysisCliArgs* args);
// Prints `problem` and the usage line to stderr; returns the exit status 2.
int analysis_cli_usage(const char* command, const char* problem);
// Loads the page of args.file (which must be set), or says why not on stderr.
bool analysis_cli_load(const AnalysisCliArgs& args, DisplayRaster* raster);
