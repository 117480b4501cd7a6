#pragma once
// What a viewer knows of the document it shows: whether one is loaded, how many
// pages it has and which is shown, and where its bytes came from and how far
// their download got. The viewer's host changes these; the menus, the output
// commands and the page-showing code read them.
#include <cstdint>

struct ViewerFile;  // the open document with its page bookkeeping; the host defines it

// How far the document's download got.
enum class DownloadState { kIdle, kRequested, kReceiving, kFinished };
// Where the document's bytes are kept.
enum class SourceKind { kNone, kFile, kMemory };

struct DocumentState {
    int loaded = 0;
    int page_count = 0;
    int current_page = 0;        // 0-based
    int current_directory = 0;   // the directory the current page stands in
    ViewerFile* file = nullptr;  // Document, page bookkeeping and Display raster
    double blank_score = -1;     // the current page's, once measured
    int print_hack = 0;          // the page asked for printer-friendly loading hints
};
