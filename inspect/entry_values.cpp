#include "inspect/entry_values.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "inspect/tag_names.h"

namespace {

constexpr uint64_t kMaxStringBytes = 200;
constexpr uint64_t kMaxRationals = 20;
constexpr uint64_t kMaxNumbers = 50;
constexpr uint16_t kStripByteCounts = 279;
constexpr uint16_t kTileByteCounts = 325;
constexpr uint16_t kPageNumber = 297;

void separator(RtfOut* out, uint64_t index) {
    if (index > 0) rtf_text(out, ", ");
}

void value_text(RtfOut* out, const char* text) {
    rtf_colour(out, kColourValue);
    rtf_text(out, text);
    rtf_colour(out, kColourDefault);
}

// Printable ASCII as itself; every other byte as \xx so control bytes and the
// code page's upper half cannot disturb the report.
void print_string(TagInspector* ins, const InspectorEntry& e) {
    RtfOut* out = &ins->out;
    rtf_open_quote(out);
    uint64_t shown = e.count < kMaxStringBytes ? e.count : kMaxStringBytes;
    for (uint64_t i = 0; i < shown && !ins->error; ++i) {
        uint64_t at;
        if (!inspector_offset_at(ins, e.data_location, 1, i, &at)) break;
        uint8_t b = inspector_read_u8(ins, at);
        if (ins->error || b == 0) break;
        char text[8];
        if (b >= 32 && b <= 126) {
            rtf_colour(out, kColourValue);
            snprintf(text, sizeof text, "%c", b);
        } else {
            rtf_colour(out, kColourEscaped);
            snprintf(text, sizeof text, "\\%02x", b);
        }
        rtf_text(out, text);
    }
    rtf_colour(out, kColourDefault);
    if (e.count > kMaxStringBytes) rtf_ellipsis(out);
    rtf_close_quote(out);
}

void print_rationals(TagInspector* ins, const InspectorEntry& e) {
    RtfOut* out = &ins->out;
    bool is_signed = e.type == 10;
    for (uint64_t i = 0; i < e.count && i < kMaxRationals && !ins->error; ++i) {
        uint64_t at, den_at;
        if (!inspector_offset_at(ins, e.data_location, 8, i, &at) || !inspector_offset_at(ins, at, 4, 1, &den_at))
            break;
        uint32_t num = inspector_read_u32(ins, at);
        uint32_t den = inspector_read_u32(ins, den_at);
        char text[96];
        int n = is_signed ? snprintf(text, sizeof text, "%d/%d", (int32_t)num, (int32_t)den)
                          : snprintf(text, sizeof text, "%u/%u", num, den);
        if (den != 0) {
            double q = is_signed ? (double)(int32_t)num / (int32_t)den : (double)num / den;
            snprintf(text + n, sizeof text - n, "=%.3f", q);
        }
        separator(out, i);
        value_text(out, text);
    }
    if (e.count > kMaxRationals) separator(out, 1), rtf_ellipsis(out);
}

void print_floats(TagInspector* ins, const InspectorEntry& e) {
    RtfOut* out = &ins->out;
    for (uint64_t i = 0; i < e.count && i < kMaxNumbers && !ins->error; ++i) {
        double v;
        uint64_t at;
        if (!inspector_offset_at(ins, e.data_location, e.type == 11 ? 4 : 8, i, &at)) break;
        if (e.type == 11) {
            uint32_t bits = inspector_read_u32(ins, at);
            float f;
            memcpy(&f, &bits, sizeof f);
            v = f;
        } else {
            uint64_t bits = inspector_read_u64(ins, at);
            memcpy(&v, &bits, sizeof v);
        }
        char text[64];
        snprintf(text, sizeof text, "%g", v);
        separator(out, i);
        value_text(out, text);
    }
    if (e.count > kMaxNumbers) separator(out, 1), rtf_ellipsis(out);
}

uint64_t read_integer(TagInspector* ins, const InspectorEntry& e, uint64_t index) {
    const FieldType& t = inspector_field_type(e.type);
    uint64_t at;
    if (!inspector_offset_at(ins, e.data_location, t.size, index, &at)) return 0;
    switch (t.size) {
    case 1: return t.is_signed ? (uint64_t)(int64_t)inspector_read_s8(ins, at) : inspector_read_u8(ins, at);
    case 2: return t.is_signed ? (uint64_t)(int64_t)inspector_read_s16(ins, at) : inspector_read_u16(ins, at);
    case 4: return t.is_signed ? (uint64_t)(int64_t)inspector_read_s32(ins, at) : inspector_read_u32(ins, at);
    default: return inspector_read_u64(ins, at);
    }
}

// The sum covers every value, not only the ones shown: it is the figure a
// reader checks against the file size.
void print_byte_count_total(TagInspector* ins, const InspectorEntry& e) {
    uint64_t total = 0;
    for (uint64_t i = 0; i < e.count && !ins->error; ++i) total += read_integer(ins, e, i);
    if (!ins->error) rtf_textf(&ins->out, " (total=%" PRIu64 ")", total);
}

void print_page_note(TagInspector* ins, const InspectorEntry& e) {
    // The stored page number counts from 0; the note counts from 1.
    uint64_t page = read_integer(ins, e, 0), of = read_integer(ins, e, 1);
    if (ins->error) return;
    if (of == 0) rtf_textf(&ins->out, " (page %" PRId64 ")", (int64_t)(page + 1));
    else
        rtf_textf(&ins->out, " (page %" PRId64 " of %" PRId64 ")", (int64_t)(page + 1), (int64_t)of);
}

void print_integers(TagInspector* ins, const InspectorEntry& e) {
    RtfOut* out = &ins->out;
    bool is_signed = inspector_field_type(e.type).is_signed;
    bool named = tag_has_value_names(e.tag);
    for (uint64_t i = 0; i < e.count && i < kMaxNumbers && !ins->error; ++i) {
        uint64_t v = read_integer(ins, e, i);
        if (ins->error) break;
        char text[32];
        if (is_signed) snprintf(text, sizeof text, "%" PRId64, (int64_t)v);
        else
            snprintf(text, sizeof text, "%" PRIu64, v);
        separator(out, i);
        value_text(out, text);
        if (named) {
            char name[128];
            tag_value_name(e.tag, v, name, sizeof name);
            rtf_text(out, name);
        }
    }
    if (e.count > kMaxNumbers) separator(out, 1), rtf_ellipsis(out);
    if ((e.tag == kStripByteCounts || e.tag == kTileByteCounts) && e.count > 1) print_byte_count_total(ins, e);
    if (e.tag == kPageNumber && e.count == 2) print_page_note(ins, e);
}

}  // namespace

void report_entry_contents(TagInspector* ins, const InspectorEntry& e) {
    switch (e.type) {
    case 2: return print_string(ins, e);
    case 5:
    case 10: return print_rationals(ins, e);
    case 11:
    case 12: return print_floats(ins, e);
    case 1:
    case 3:
    case 4:
    case 6:
    case 7:
    case 8:
    case 9:
    case 16:
    case 17: return print_integers(ins, e);
    default: return;  // no type, IFD pointers, unicode, complex: nothing shown
    }
}
