#include "inspect/tiff_inspector.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr FieldType kFieldTypes[] = {
    {"no type", 0, false},  {"int8", 1, false},    {"string", 1, false},  {"int16", 2, false},  {"int32", 4, false},
    {"rational", 8, false}, {"s.int8", 1, true},   {"octets", 1, false},  {"s.int16", 2, true}, {"s.int32", 4, true},
    {"s.rtnl", 8, true},    {"float32", 4, false}, {"float64", 8, false}, {"IFD32", 4, false},  {"unicode", 1, false},
    {"complex", 8, false},  {"int64", 8, false},   {"s.int64", 8, true},  {"IFD64", 8, false},
};
constexpr FieldType kUnknownType = {"??", 0, false};
constexpr const char* kBeyondEnd = "Attempt to read beyond end of file";

void set_message(bool* flag, char* text, const char* fmt, va_list ap) {
    vsnprintf(text, kInspectorMessageCap, fmt, ap);
    *flag = true;
}

// Fills the cache with the window starting at `offset`; false sets the error.
bool fill_cache(TagInspector* ins, uint64_t offset) {
    if (ins->file_size_known && offset >= ins->file_size) {
        inspector_set_error(ins, "%s", kBeyondEnd);
        return false;
    }
    size_t want = kInspectorCacheSize;
    if (ins->file_size_known && ins->file_size - offset < want) want = (size_t)(ins->file_size - offset);
    size_t got = ins->read ? ins->read(ins->user, offset, ins->cache, want) : 0;
    if (got == 0 || got > want) {
        ins->cache_length = 0;
        inspector_set_error(ins, "%s", kBeyondEnd);
        return false;
    }
    ins->cache_offset = offset;
    ins->cache_length = got;
    return true;
}

uint8_t read_byte(TagInspector* ins, uint64_t offset) {
    if (ins->error) return 0;
    if (offset < ins->cache_offset || offset - ins->cache_offset >= ins->cache_length) {
        if (!fill_cache(ins, offset)) return 0;
    }
    return ins->cache[offset - ins->cache_offset];
}

// An n-byte unsigned value in the file's byte order. A value that would run
// past the end of the 64-bit offset space is a read beyond the end.
uint64_t read_value(TagInspector* ins, uint64_t offset, unsigned n) {
    if (ins->error) return 0;
    if (offset > UINT64_MAX - (n - 1)) {
        inspector_set_error(ins, "%s", kBeyondEnd);
        return 0;
    }
    uint64_t v = 0;
    for (unsigned i = 0; i < n; ++i) {
        uint64_t b = read_byte(ins, offset + i);
        if (ins->byte_order == kLittleEndian) v |= b << (8 * i);
        else
            v = (v << 8) | b;
    }
    return ins->error ? 0 : v;
}

bool position(TagInspector* ins, uint64_t start, uint64_t step, uint64_t index, uint64_t* out) {
    return inspector_offset_at(ins, start, step, index, out);
}

void list_free(DirectoryList* list) {
    free(list->items);
    list->items = nullptr;
    list->count = list->capacity = 0;
    list->seen.clear();
}

// Appends after the loop check. Lists start with room for 100 entries and grow
// by what is needed plus 100; past the limit the list is dropped whole.
bool list_append(TagInspector* ins, DirectoryList* list, uint64_t offset, bool exif_naming) {
    if (list->seen.count(offset)) {
        inspector_set_error(ins, "IFD loop or cross-link detected");
        return false;
    }
    size_t needed = list->count + 1;
    if (needed > kInspectorMaxDirectories) {
        list_free(list);
        inspector_set_error(ins, "Too many IFDs");
        return false;
    }
    if (needed > list->capacity) {
        size_t capacity = list->capacity == 0 ? 100 : needed + 100;
        void* grown = realloc(list->items, capacity * sizeof(DirectoryRef));
        if (!grown) {
            list_free(list);
            inspector_set_error(ins, "Out of memory");
            return false;
        }
        list->items = static_cast<DirectoryRef*>(grown);
        list->capacity = capacity;
    }
    list->items[list->count++] = DirectoryRef{offset, exif_naming};
    list->seen.insert(offset);
    return true;
}

bool is_exif_pointer(uint16_t tag) { return tag == 34665 || tag == 34853 || tag == 40965; }
bool is_plain_pointer(uint16_t tag) { return tag == 330 || tag == 400; }

// Queues the sub-directories named by the directory at `dir`. Only a single
// 32-bit offset is followed: a list of several SubIFDs, or a 64-bit pointer
// type, is shown in the report but not walked.
bool queue_subdirectories(TagInspector* ins, uint64_t dir, uint64_t count) {
    for (uint64_t i = 0; i < count && !ins->error; ++i) {
        InspectorEntry e;
        if (!inspector_read_entry(ins, dir, i, &e)) return false;
        bool exif = is_exif_pointer(e.tag);
        if (!exif && !is_plain_pointer(e.tag)) continue;
        if (e.count != 1 || (e.type != 4 && e.type != 13)) continue;
        uint64_t sub = inspector_read_u32(ins, e.data_location);
        if (ins->error) return false;
        if (sub != 0 && !list_append(ins, &ins->extra_list, sub, exif)) return false;
    }
    return !ins->error;
}

void walk_main(TagInspector* ins) {
    for (uint64_t dir = ins->first_offset; dir != 0;) {
        if (!list_append(ins, &ins->main_list, dir, false)) return;
        uint64_t count = inspector_entry_count(ins, dir);
        uint64_t next = inspector_next_offset(ins, dir, count);
        if (ins->error || !queue_subdirectories(ins, dir, count)) return;
        dir = next;
    }
}

void walk_extra(TagInspector* ins) {
    // The list grows while it is walked: index, not a saved end.
    for (size_t i = 0; i < ins->extra_list.count; ++i) {
        uint64_t dir = ins->extra_list.items[i].offset;
        uint64_t count = inspector_entry_count(ins, dir);
        uint64_t next = inspector_next_offset(ins, dir, count);
        if (ins->error) return;
        if (next != 0 && !list_append(ins, &ins->extra_list, next, false)) return;
        if (!queue_subdirectories(ins, dir, count)) return;
    }
}

}  // namespace

const FieldType& inspector_field_type(unsigned type) {
    return inspector_field_type_known(type) ? kFieldTypes[type] : kUnknownType;
}

bool inspector_field_type_known(unsigned type) { return type < sizeof kFieldTypes / sizeof kFieldTypes[0]; }

TagInspector* inspector_create() {
    TagInspector* ins = new (std::nothrow) TagInspector;
    if (ins) ins->machine_byte_order = kLittleEndian;
    return ins;
}

void inspector_destroy(TagInspector* ins) {
    if (!ins) return;
    list_free(&ins->main_list);
    list_free(&ins->extra_list);
    delete ins;
}

void inspector_set_source(TagInspector* ins, void* user, InspectorRead read) {
    ins->user = user;
    ins->read = read;
    ins->out.user = user;
}

void inspector_set_writer(TagInspector* ins, void* user, RtfWrite write) {
    ins->out.user = user;
    ins->out.write = write;
}

void inspector_set_file_size(TagInspector* ins, uint64_t size) {
    ins->file_size = size;
    ins->file_size_known = true;
}

void inspector_set_output_mode(TagInspector* ins, int mode) {
    ins->output_mode = mode;
    ins->out.enabled = mode == kInspectorRichText;
    ins->font_size = mode == kInspectorRichText ? kInspectorFontSize : 0;
}

void inspector_set_error(TagInspector* ins, const char* fmt, ...) {
    if (ins->error) return;
    va_list ap;
    va_start(ap, fmt);
    set_message(&ins->error, ins->error_text, fmt, ap);
    va_end(ap);
}

void inspector_set_warning(TagInspector* ins, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    set_message(&ins->warning, ins->warning_text, fmt, ap);
    va_end(ap);
}

void inspector_clear_error(TagInspector* ins) {
    ins->error = false;
    ins->error_text[0] = 0;
}

bool inspector_offset_at(TagInspector* ins, uint64_t start, uint64_t step, uint64_t index, uint64_t* out) {
    if (step != 0 && index > (UINT64_MAX - start) / step) {
        inspector_set_error(ins, "%s", kBeyondEnd);
        return false;
    }
    *out = start + step * index;
    return true;
}

uint8_t inspector_read_u8(TagInspector* ins, uint64_t o) { return (uint8_t)read_value(ins, o, 1); }
uint16_t inspector_read_u16(TagInspector* ins, uint64_t o) { return (uint16_t)read_value(ins, o, 2); }
uint32_t inspector_read_u32(TagInspector* ins, uint64_t o) { return (uint32_t)read_value(ins, o, 4); }
uint64_t inspector_read_u64(TagInspector* ins, uint64_t o) { return read_value(ins, o, 8); }
int8_t inspector_read_s8(TagInspector* ins, uint64_t o) { return (int8_t)inspector_read_u8(ins, o); }
int16_t inspector_read_s16(TagInspector* ins, uint64_t o) { return (int16_t)inspector_read_u16(ins, o); }
int32_t inspector_read_s32(TagInspector* ins, uint64_t o) { return (int32_t)inspector_read_u32(ins, o); }

bool inspector_parse_header(TagInspector* ins) {
    if (ins->header_read) return ins->header_ok;
    ins->header_read = true;
    uint8_t a = inspector_read_u8(ins, 0), b = inspector_read_u8(ins, 1);
    if (ins->error) return false;
    if (a == 'I' && b == 'I') {
        ins->header_kind = kHeaderTiff;
        ins->byte_order = kLittleEndian;
    } else if (a == 'M' && b == 'M') {
        ins->header_kind = kHeaderTiff;
        ins->byte_order = kBigEndian;
    } else if (a == 'E' && b == 'P') {
        ins->header_kind = kHeaderMdi;
        ins->byte_order = kLittleEndian;
    } else {
        inspector_set_error(ins, "Not a TIFF file");
        return false;
    }
    uint16_t version = inspector_read_u16(ins, 2);
    if (ins->error) return false;
    if (version == 43) {
        ins->bigtiff = true;
        uint16_t bytesize = inspector_read_u16(ins, 4), filler = inspector_read_u16(ins, 6);
        if (ins->error) return false;
        if (bytesize != 8) {
            inspector_set_error(ins, "Invalid or unsupported BigTIFF bytesize (%u)", bytesize);
            return false;
        }
        if (filler != 0) {
            inspector_set_error(ins, "Invalid BigTIFF filler bytes (%u)", filler);
            return false;
        }
        ins->first_offset = inspector_read_u64(ins, 8);
    } else if (version == 42) {
        ins->first_offset = inspector_read_u32(ins, 4);
    } else {
        inspector_set_error(ins, "Invalid or unsupported TIFF file (bad version number)");
        return false;
    }
    ins->header_ok = !ins->error;
    return ins->header_ok;
}

uint64_t inspector_entry_count(TagInspector* ins, uint64_t dir) {
    return ins->bigtiff ? inspector_read_u64(ins, dir) : inspector_read_u16(ins, dir);
}

bool inspector_read_entry(TagInspector* ins, uint64_t dir, uint64_t index, InspectorEntry* e) {
    *e = InspectorEntry{};
    uint64_t pos;
    uint64_t step = ins->bigtiff ? 20 : 12;
    uint64_t end;  // the whole entry must lie inside the offset space
    if (!position(ins, dir, 1, ins->bigtiff ? 8 : 2, &pos) || !position(ins, pos, step, index, &pos) ||
        !position(ins, pos, 1, step, &end))
        return false;
    e->tag = inspector_read_u16(ins, pos);
    e->type = inspector_read_u16(ins, pos + 2);
    uint64_t value_field = pos + (ins->bigtiff ? 12 : 8);
    e->count = ins->bigtiff ? inspector_read_u64(ins, pos + 4) : inspector_read_u32(ins, pos + 4);
    uint64_t size = inspector_field_type(e->type).size;
    e->total_bytes = size != 0 && e->count > UINT64_MAX / size ? UINT64_MAX : size * e->count;
    uint64_t inline_bytes = ins->bigtiff ? 8 : 4;
    e->out_of_line = e->total_bytes > inline_bytes;
    if (e->out_of_line)
        e->data_location = ins->bigtiff ? inspector_read_u64(ins, value_field) : inspector_read_u32(ins, value_field);
    else
        e->data_location = value_field;
    return !ins->error;
}

uint64_t inspector_next_offset(TagInspector* ins, uint64_t dir, uint64_t entry_count) {
    uint64_t pos;
    if (ins->error) return 0;
    if (!position(ins, dir, 1, ins->bigtiff ? 8 : 2, &pos) ||
        !position(ins, pos, ins->bigtiff ? 20 : 12, entry_count, &pos))
        return 0;
    return ins->bigtiff ? inspector_read_u64(ins, pos) : inspector_read_u32(ins, pos);
}

void inspector_walk(TagInspector* ins) {
    if (ins->walked) return;
    ins->walked = true;
    if (!inspector_parse_header(ins)) return;
    walk_main(ins);
    if (!ins->error) walk_extra(ins);
    if (ins->error) {
        ins->walk_error = true;
        memcpy(ins->walk_error_text, ins->error_text, kInspectorMessageCap);
        inspector_clear_error(ins);
    }
}

size_t inspector_directory_count(TagInspector* ins, int kind) {
    inspector_walk(ins);
    return kind == kMainList ? ins->main_list.count : ins->extra_list.count;
}

const DirectoryRef* inspector_directory(TagInspector* ins, int kind, size_t index) {
    inspector_walk(ins);
    const DirectoryList& list = kind == kMainList ? ins->main_list : ins->extra_list;
    return index < list.count ? &list.items[index] : nullptr;
}
