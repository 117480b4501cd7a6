#pragma once
// The "Contents" column of the tag report: an entry's values, formatted by
// field type, with value names and the notes some tags earn.
#include "inspect/tiff_inspector.h"

void report_entry_contents(TagInspector* ins, const InspectorEntry& entry);
