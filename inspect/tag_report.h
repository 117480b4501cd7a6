#pragma once
// The tag report: what the inspector reads, written as rich text through the
// inspector's output. Nothing here reads bytes on its own terms; every value
// comes through the inspector's checked reads.
#include <cstdint>

#include "inspect/tiff_inspector.h"

// "{\rtf1..." with the font table, the colour table and the tab stops.
void report_write_header(TagInspector* ins);
// The file's format, byte order and first directory offset; on a header error
// the error line instead. Answers whether the header is valid.
bool report_print_file_info(TagInspector* ins);
// A directory of the main (kMainList) or extra (kExtraList) list, named 'T', or
// 'E' for an EXIF-like extra directory.
void report_print_directory(TagInspector* ins, int kind, size_t index);
// The directory at `offset` with the given naming; parses the header first.
void report_print_directory_at(TagInspector* ins, uint64_t offset, char naming);
// "Error: %s" for an error left from the walk or from the last step, then
// "Warning: %s"; both in the problem colour, each on its own line. Clears them.
void report_print_pending(TagInspector* ins);
// "}" and the last flush.
void report_finish(TagInspector* ins);
