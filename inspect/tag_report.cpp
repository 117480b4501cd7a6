#include "inspect/tag_report.h"

#include <cinttypes>
#include <cstdio>

#include "inspect/entry_values.h"
#include "inspect/tag_names.h"

namespace {

constexpr uint64_t kMaxListedEntries = 200;

void print_problem(TagInspector* ins, const char* label, const char* text) {
    RtfOut* out = &ins->out;
    rtf_colour(out, kColourProblem);
    rtf_textf(out, "%s: %s", label, text);
    rtf_colour(out, kColourDefault);
    rtf_par(out);
}

// A check point: the error first, since it explains what follows.
void print_error_and_clear(TagInspector* ins) {
    if (!ins->error) return;
    print_problem(ins, "Error", ins->error_text);
    inspector_clear_error(ins);
}

void print_warning(TagInspector* ins) {
    if (!ins->warning) return;
    print_problem(ins, "Warning", ins->warning_text);
    ins->warning = false;
}

void print_title(RtfOut* out, const char* title) {
    rtf_bold(out, true);
    rtf_underline(out, true);
    rtf_text(out, title);
    rtf_bold(out, false);
    rtf_underline(out, false);
    rtf_par(out);
}

void print_value_u64(RtfOut* out, uint64_t v) {
    rtf_colour(out, kColourValue);
    rtf_textf(out, "%" PRIu64, v);
    rtf_colour(out, kColourDefault);
}

void print_column_titles(RtfOut* out) {
    static const char* const kTitles[] = {"Offset", "Type", "Tag", "Size", "Contents"};
    rtf_bold(out, true);
    for (const char* title : kTitles) {
        rtf_tab(out);
        rtf_underline(out, true);
        rtf_text(out, title);
        rtf_underline(out, false);
    }
    rtf_bold(out, false);
    rtf_par(out);
}

void print_size(RtfOut* out, const InspectorEntry& e) {
    print_value_u64(out, e.count);
    rtf_times(out);
    if (inspector_field_type_known(e.type))
        rtf_textf(out, "%u=%" PRIu64, inspector_field_type(e.type).size, e.total_bytes);
    else
        rtf_text(out, e.count == 0 ? "?\?=0" : "?\?=?\?");
}

void print_entry_line(TagInspector* ins, const InspectorEntry& e, char naming) {
    RtfOut* out = &ins->out;
    rtf_bullet(out);
    rtf_tab(out);
    rtf_colour(out, e.out_of_line ? kColourValue : kColourDefault);
    rtf_textf(out, "%" PRIu64, e.data_location);
    rtf_colour(out, kColourDefault);
    rtf_tab(out);
    print_value_u64(out, e.type);
    rtf_textf(out, ":%s", inspector_field_type(e.type).name);
    rtf_tab(out);
    print_value_u64(out, e.tag);
    ShownTagName name = tag_name_for(e.tag, naming);
    rtf_textf(out, ":%s%s", name.prefix, name.name);
    rtf_tab(out);
    print_size(out, e);
    rtf_tab(out);
    report_entry_contents(ins, e);
    rtf_colour(out, kColourDefault);
    rtf_par(out);
}

// Entries stop at the first read error; its line is still finished, so the
// error shows beside what was read.
void print_entries(TagInspector* ins, uint64_t dir, uint64_t count, char naming) {
    uint64_t listed = count < kMaxListedEntries ? count : kMaxListedEntries;
    int previous_tag = -1;
    bool order_warned = false;
    for (uint64_t i = 0; i < listed; ++i) {
        InspectorEntry e;
        bool ok = inspector_read_entry(ins, dir, i, &e);
        if (ok && (int)e.tag < previous_tag && !order_warned) {
            inspector_set_warning(ins, "Tags not in ascending numerical order.");
            order_warned = true;
        }
        previous_tag = e.tag;
        print_entry_line(ins, e, naming);
        if (!ok || ins->error) return;
        print_warning(ins);
    }
}

void print_directory(TagInspector* ins, uint64_t dir, char naming) {
    RtfOut* out = &ins->out;
    char title[64];
    snprintf(title, sizeof title, "TIFF image at offset %" PRIu64, dir);
    print_title(out, title);
    if (dir & 1) inspector_set_warning(ins, "Offset should be an even number.");
    print_warning(ins);
    uint64_t count = inspector_entry_count(ins, dir);
    if (ins->error) return print_error_and_clear(ins);
    rtf_text(out, "Number of tags: ");
    print_value_u64(out, count);
    rtf_par(out);
    if (count > kMaxListedEntries)
        inspector_set_warning(ins, "Excessive number of tags. Only displaying the first 200.");
    else if (count == 0)
        inspector_set_warning(ins, "Every image directory must have at least one tag.");
    print_warning(ins);
    if (count > 0) print_column_titles(out);
    print_entries(ins, dir, count, naming);
    if (ins->error) return print_error_and_clear(ins);
    uint64_t next = inspector_next_offset(ins, dir, count);
    if (ins->error) return print_error_and_clear(ins);
    rtf_text(out, "Next image offset: ");
    if (next == 0) rtf_text(out, "none");
    else
        print_value_u64(out, next);
    rtf_par(out);
}

}  // namespace

void report_write_header(TagInspector* ins) {
    char header[512];
    snprintf(header, sizeof header,
             "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033\r\n"
             "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
             "{\\colortbl "
             ";\\red0\\green0\\blue192;\\red0\\green128\\blue255;"
             "\\red128\\green0\\blue0;}\r\n"
             "\\viewkind4\\uc1\\pard\\tx150\\tx1100\\tx2000\\tx4200\\tx5300\\f0\\"
             "fs%d\r\n",
             ins->font_size);
    rtf_raw(&ins->out, header);
}

bool report_print_file_info(TagInspector* ins) {
    RtfOut* out = &ins->out;
    print_title(out, "TIFF file information");
    if (!inspector_parse_header(ins)) {
        print_error_and_clear(ins);
        return false;
    }
    if (ins->header_kind == kHeaderMdi) rtf_text(out, "File format: MDI"), rtf_par(out);
    else if (ins->bigtiff)
        rtf_text(out, "File format: BigTIFF"), rtf_par(out);
    rtf_textf(out, "Byte order: %s-endian", ins->byte_order == kLittleEndian ? "little" : "big");
    rtf_par(out);
    rtf_text(out, "First image offset: ");
    print_value_u64(out, ins->first_offset);
    rtf_par(out);
    return true;
}

void report_print_directory(TagInspector* ins, int kind, size_t index) {
    const DirectoryRef* ref = inspector_directory(ins, kind, index);
    if (!ref) return;
    char naming = kind == kExtraList && ref->exif_naming ? kNamingExif : kNamingTiff;
    print_directory(ins, ref->offset, naming);
}

void report_print_directory_at(TagInspector* ins, uint64_t offset, char naming) {
    if (!inspector_parse_header(ins)) return print_error_and_clear(ins);
    print_directory(ins, offset, naming);
}

void report_print_pending(TagInspector* ins) {
    if (ins->walk_error) {
        print_problem(ins, "Error", ins->walk_error_text);
        ins->walk_error = false;
    }
    print_error_and_clear(ins);
    print_warning(ins);
}

void report_finish(TagInspector* ins) {
    rtf_raw(&ins->out, "}\r\n");
    rtf_flush(&ins->out);
}
