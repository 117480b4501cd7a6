#pragma once
// An independent reader of the raw TIFF structure, for the tag report. It does
// not go through the decoding library on purpose: the report must still show a
// file that library refuses, so every read is bounds-checked here and a broken
// file only ever produces an error line, never a stop.
//
// Errors are sticky: once one is set every read yields zero bytes, so a long
// loop over a damaged directory runs out at its next check instead of wandering
// through garbage. The report prints the error and clears it between
// directories.
#include <cstddef>
#include <cstdint>
#include <unordered_set>

#include "inspect/rtf_out.h"

// Reads up to `size` bytes at `offset`; answers how many were delivered.
using InspectorRead = size_t (*)(void* user, uint64_t offset, void* buffer, size_t size);

constexpr int kInspectorRichText = 1;   // the only output mode that writes anything
constexpr int kInspectorFontSize = 16;  // half-points, written into the report header
constexpr size_t kInspectorCacheSize = 1024;
constexpr size_t kInspectorMessageCap = 200;  // 199 characters and the terminator
constexpr size_t kInspectorMaxDirectories = 50000;

enum InspectorHeaderKind : int { kHeaderNone = 0, kHeaderTiff = 1, kHeaderMdi = 2 };
enum InspectorByteOrder : int { kLittleEndian = 1, kBigEndian = 2 };
enum InspectorListKind : int { kMainList = 0, kExtraList = 1 };

// How the tag names of a directory are chosen: 'T' main chain and plain
// sub-directories, 'E' EXIF, GPS and interoperability directories, '*' the
// current page shown on its own.
constexpr char kNamingTiff = 'T';
constexpr char kNamingExif = 'E';
constexpr char kNamingNone = '*';

struct DirectoryRef {
    uint64_t offset;
    bool exif_naming;
};

struct DirectoryList {
    DirectoryRef* items = nullptr;  // malloc'd
    size_t count = 0;
    size_t capacity = 0;
    std::unordered_set<uint64_t> seen;  // the loop check, without a quadratic scan
};

struct TagInspector {
    int output_mode = 0;
    int font_size = 0;
    void* user = nullptr;
    InspectorRead read = nullptr;
    RtfOut out;

    uint64_t file_size = 0;
    bool file_size_known = false;
    uint8_t cache[kInspectorCacheSize];
    uint64_t cache_offset = 0;
    size_t cache_length = 0;

    int header_kind = kHeaderNone;
    int byte_order = kLittleEndian;
    int machine_byte_order = kLittleEndian;
    bool bigtiff = false;
    bool header_read = false;
    bool header_ok = false;
    uint64_t first_offset = 0;

    bool error = false;
    char error_text[kInspectorMessageCap] = {};
    bool warning = false;
    char warning_text[kInspectorMessageCap] = {};
    // An error met while walking is kept here, so that the directories found
    // before it can still be read and printed; the report shows it at the end.
    bool walk_error = false;
    char walk_error_text[kInspectorMessageCap] = {};

    DirectoryList main_list;
    DirectoryList extra_list;
    bool walked = false;
};

// One directory entry as read from the file.
struct InspectorEntry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint64_t count = 0;
    uint64_t total_bytes = 0;    // element size x count, held at UINT64_MAX on overflow
    uint64_t data_location = 0;  // where the values are: inside the entry or at its offset
    bool out_of_line = false;
};

struct FieldType {
    const char* name;
    unsigned size;
    bool is_signed;
};
// "??" with size 0 for a type number outside the table.
const FieldType& inspector_field_type(unsigned type);
bool inspector_field_type_known(unsigned type);

TagInspector* inspector_create();  // null when out of memory
void inspector_destroy(TagInspector* ins);
void inspector_set_source(TagInspector* ins, void* user, InspectorRead read);
void inspector_set_writer(TagInspector* ins, void* user, RtfWrite write);
void inspector_set_file_size(TagInspector* ins, uint64_t size);
void inspector_set_output_mode(TagInspector* ins, int mode);

// printf-style; the text is cut at 199 characters. A later error replaces none:
// the first one explains the state best.
void inspector_set_error(TagInspector* ins, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void inspector_set_warning(TagInspector* ins, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void inspector_clear_error(TagInspector* ins);

// Values in the file's byte order; 0 once an error is set.
uint8_t inspector_read_u8(TagInspector* ins, uint64_t offset);
uint16_t inspector_read_u16(TagInspector* ins, uint64_t offset);
uint32_t inspector_read_u32(TagInspector* ins, uint64_t offset);
uint64_t inspector_read_u64(TagInspector* ins, uint64_t offset);
int8_t inspector_read_s8(TagInspector* ins, uint64_t offset);
int16_t inspector_read_s16(TagInspector* ins, uint64_t offset);
int32_t inspector_read_s32(TagInspector* ins, uint64_t offset);

// start + step x index; false (and the read error) when that passes the end
// of the 64-bit offset space.
bool inspector_offset_at(TagInspector* ins, uint64_t start, uint64_t step, uint64_t index, uint64_t* out);

// Parsed once per inspector; later calls answer the first result.
bool inspector_parse_header(TagInspector* ins);

// The directory at `dir`: entry count, the entry at `index`, and the offset of
// the next directory. Each false/0 answer on a read error leaves the error set.
uint64_t inspector_entry_count(TagInspector* ins, uint64_t dir);
bool inspector_read_entry(TagInspector* ins, uint64_t dir, uint64_t index, InspectorEntry* entry);
uint64_t inspector_next_offset(TagInspector* ins, uint64_t dir, uint64_t entry_count);

// Fills the main and extra lists once; later calls do nothing.
void inspector_walk(TagInspector* ins);
size_t inspector_directory_count(TagInspector* ins, int kind);
const DirectoryRef* inspector_directory(TagInspector* ins, int kind, size_t index);
