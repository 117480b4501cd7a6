#include "inspect/rtf_to_text.h"

#include <cctype>
#include <cstdlib>
#include <vector>

#include "base/text.h"

namespace {

struct Group {
    bool skip;  // a font or colour table: its text is not part of the report
};

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void append_cp1252(std::string* out, unsigned char byte) {
    char c = static_cast<char>(byte);
    *out += text_to_utf8(text_from_cp1252(std::string_view(&c, 1)));
}

// Reads a control word at rtf[i] (just after the backslash) and moves past it
// and its delimiting space.
std::string_view control_word(std::string_view rtf, size_t* i) {
    size_t start = *i;
    while (*i < rtf.size() && isalpha(static_cast<unsigned char>(rtf[*i]))) ++*i;
    size_t end = *i;
    if (*i < rtf.size() && (rtf[*i] == '-' || isdigit(static_cast<unsigned char>(rtf[*i])))) {
        ++*i;
        while (*i < rtf.size() && isdigit(static_cast<unsigned char>(rtf[*i]))) ++*i;
    }
    if (*i < rtf.size() && rtf[*i] == ' ') ++*i;
    return rtf.substr(start, end - start);
}

}  // namespace

std::string rtf_to_text(std::string_view rtf) {
    std::string out;
    std::vector<Group> groups{{false}};
    size_t i = 0;
    while (i < rtf.size()) {
        char c = rtf[i];
        bool skip = groups.back().skip;
        if (c == '{') {
            groups.push_back({skip});
            ++i;
        } else if (c == '}') {
            if (groups.size() > 1) groups.pop_back();
            ++i;
        } else if (c == '\r' || c == '\n') {
            ++i;  // line breaks in the rich text itself carry no meaning
        } else if (c != '\\') {
            if (!skip) out += c;
            ++i;
        } else if (i + 1 < rtf.size() && (rtf[i + 1] == '\\' || rtf[i + 1] == '{' || rtf[i + 1] == '}')) {
            if (!skip) out += rtf[i + 1];
            i += 2;
        } else if (i + 3 < rtf.size() && rtf[i + 1] == '\'' && hex_digit(rtf[i + 2]) >= 0 &&
                   hex_digit(rtf[i + 3]) >= 0) {
            if (!skip)
                append_cp1252(&out, static_cast<unsigned char>(hex_digit(rtf[i + 2]) * 16 + hex_digit(rtf[i + 3])));
            i += 4;
        } else {
            ++i;
            std::string_view word = control_word(rtf, &i);
            if (word == "fonttbl" || word == "colortbl") groups.back().skip = true;
            if (skip) continue;
            if (word == "par") out += '\n';
            else if (word == "tab")
                out += '\t';
            else if (word == "bullet")
                out += "\xe2\x80\xa2";
        }
    }
    return out;
}
