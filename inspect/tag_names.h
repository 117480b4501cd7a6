#pragma once
// Tag names and named values shown in the tag report.
#include <cstddef>
#include <cstdint>

struct TagName {
    uint16_t number;
    const char* name;  // "T:Name" or "E:Name"; null ends the table
};

extern const TagName kTagNames[];
extern const size_t kTagNameCount;

struct ShownTagName {
    const char* prefix;  // "EXIF:" for EXIF names, else ""
    const char* name;
};

// The name for `tag` in a directory named by `naming` ('T', 'E' or '*'). The
// first table entry with the number wins, unless a later one carries the
// directory's own letter.
ShownTagName tag_name_for(uint16_t tag, char naming);

// ":name" texts after a value: "Unknown" for Compression and Photometric values
// outside their lists, "unknown" for the other named tags. Writes nothing (and
// answers false) for a tag without named values, or NewSubfileType 0.
bool tag_has_value_names(uint16_t tag);
void tag_value_name(uint16_t tag, uint64_t value, char* out, size_t cap);
