// The page authors' guide and the example pages, checked against the viewer's own
// tables: the embed parameters, the script methods with their argument counts,
// the page events with their bits and arguments, the value keys a page can set.
// A name renamed, added or dropped on either side fails here, and so does a
// documented default the viewer does not have.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "config/settings_store.h"
#include "host/embed_params.h"
#include "host/viewer.h"
#include "host/page_events.h"
#include "host/script_methods.h"
#include "view/shell_seam.h"

namespace {
using Row = std::vector<std::string>;
using Names = std::set<std::string>;

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << "cannot read " << path;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::string& guide() {
    static const std::string text = read_text(VL_SOURCE_DIR "/docs/embedding.md");
    return text;
}

std::string trim(const std::string& s) {
    const size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

// The body rows of the one table whose header row begins with `header`.
std::vector<Row> table(const std::string& header) {
    std::vector<Row> rows;
    std::istringstream in(guide());
    int tables = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(header, 0) != 0) continue;
        ++tables;
        std::getline(in, line);  // the |---| line
        while (std::getline(in, line) && line.rfind('|', 0) == 0) {
            Row cells;
            std::istringstream row(line.substr(1));
            for (std::string cell; std::getline(row, cell, '|');) cells.push_back(trim(cell));
            rows.push_back(cells);
        }
    }
    EXPECT_EQ(tables, 1) << "tables headed \"" << header << "\" in the guide";
    return rows;
}

// The first `code span` of a cell; "" when it has none.
std::string code(const std::string& cell) {
    const size_t a = cell.find('`'), b = a == std::string::npos ? a : cell.find('`', a + 1);
    return b == std::string::npos ? "" : cell.substr(a + 1, b - a - 1);
}

// `Name(a, b)` → Name and 2; no parentheses gives -1 arguments.
std::pair<std::string, int> signature(const std::string& cell) {
    const std::string c = code(cell);
    const size_t open = c.find('(');
    if (open == std::string::npos || c.back() != ')') return {c, -1};
    const std::string inside = trim(c.substr(open + 1, c.size() - open - 2));
    return {c.substr(0, open), inside.empty() ? 0 : 1 + int(std::count(inside.begin(), inside.end(), ','))};
}

std::string missing(const Names& from, const Names& in) {
    std::string out;
    for (const std::string& n : from)
        if (!in.count(n)) out += " " + n;
    return out.empty() ? " (none)" : out;
}

void expect_same_names(const Names& guide_names, const Names& code_names) {
    EXPECT_TRUE(guide_names == code_names) << "in the guide only:" << missing(guide_names, code_names)
                                           << "\nin the viewer only:" << missing(code_names, guide_names);
}

Names embed_param_names() {
    Names names;
    for (const EmbedParam& p : kEmbedParams) names.insert(text_to_utf8(p.name));
    return names;
}

std::map<std::string, int> method_args() {
    std::map<std::string, int> methods;
    for (const ScriptMethod& m : kScriptMethods) methods[m.name] = m.argc;
    return methods;
}

// What the embed parameters decide, as text, so that a difference reads plainly.
std::string viewer_state(std::vector<std::pair<std::u16string, std::u16string>> pairs) {
    std::vector<const char16_t*> names, values;
    for (const auto& p : pairs) {
        names.push_back(p.first.c_str());
        values.push_back(p.second.c_str());
    }
    MemorySettingsStore store;  // a new installation's settings
    settings_forget_low_integrity();
    ViewerCreateArgs a;
    a.count = int(pairs.size());
    a.names = names.data();
    a.values = values.data();
    a.store = &store;
    Viewer* v = nullptr;
    if (viewer_create(a, &v) != kNpErrNone) return "not created";
    std::ostringstream s;
    const ViewGroup& g = v->view;
    s << "view " << g.smooth << g.negative << g.orientation << g.size_mode << " zoom " << g.zoom_index << " mouse "
      << g.mouse_mode << " page " << v->stream.start_page << " toolbar " << v->ui.toolbar_position << " items";
    for (int item : v->ui.toolbar_items) s << ' ' << item;
    s << " bg " << v->ui.background_color << " access " << v->access_flags << " events " << v->events.mask << " print "
      << v->stream.autoprint << v->document.print_hack << " tools " << v->mouse.allow_select << v->mouse.crop_select
      << v->annotate.sketch_buttons << " link " << v->mouse.has_href << text_to_utf8(btext_view(&v->mouse.href)) << '>'
      << text_to_utf8(btext_view(&v->mouse.target)) << " upload " << text_to_utf8(btext_view(&v->annotate.upload.url))
      << ',' << text_to_utf8(btext_view(&v->annotate.upload.param_name)) << ','
      << text_to_utf8(btext_view(&v->annotate.upload.file_name)) << " download " << int(v->stream.state);
    viewer_free(v);
    return s.str();
}
}  // namespace

TEST(Guide, ListsEveryEmbedParameterOnce) {
    Names documented;
    for (const Row& row : table("| Parameter |"))
        EXPECT_TRUE(documented.insert(code(row[0])).second) << code(row[0]) << " is listed twice";
    expect_same_names(documented, embed_param_names());
}

TEST(Guide, EmbedParameterDefaultsAreWhatTheViewerDoesWithoutThem) {
    const std::string without = viewer_state({});
    int checked = 0;
    for (const Row& row : table("| Parameter |")) {
        ASSERT_GE(row.size(), 3u);
        if (row[2] == "none") continue;
        const std::string value = code(row[2]);
        ASSERT_FALSE(value.empty()) << code(row[0]) << ": the default is neither `a value` nor none";
        EXPECT_EQ(viewer_state({{text_from_utf8(code(row[0])), text_from_utf8(value)}}), without)
            << code(row[0]) << "=\"" << value << "\" is documented as the default";
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST(Guide, ListsEveryScriptMethodWithItsArgumentCount) {
    std::map<std::string, int> documented;
    for (const Row& row : table("| Method |")) {
        const auto [name, args] = signature(row[0]);
        EXPECT_TRUE(documented.emplace(name, args).second) << name << " is listed twice";
    }
    const std::map<std::string, int> methods = method_args();
    Names guide_names, code_names;
    for (const auto& [name, args] : documented) {
        guide_names.insert(name);
        if (methods.count(name)) {
            EXPECT_EQ(args, methods.at(name)) << "arguments of " << name;
        }
    }
    for (const auto& m : methods) code_names.insert(m.first);
    expect_same_names(guide_names, code_names);
}

TEST(Guide, ListsEveryPageEventWithItsBitAndArguments) {
    std::map<std::string, PageEventInfo> events;
    for (const PageEventInfo& e : kPageEvents) events[e.name] = e;
    Names guide_names, code_names;
    for (const Row& row : table("| Event |")) {
        const auto [name, args] = signature(row[0]);
        EXPECT_TRUE(guide_names.insert(name).second) << name << " is listed twice";
        if (!events.count(name)) continue;
        EXPECT_EQ(args, events[name].arg_count + 1) << "arguments of " << name << ", the id first";
        EXPECT_EQ(std::stoul(code(row[1]), nullptr, 16), events[name].bit) << "bit of " << name;
    }
    for (const auto& e : events) code_names.insert(e.first);
    expect_same_names(guide_names, code_names);
}

// The value keys have no table in the viewer: ask it which keys it takes.
TEST(Guide, ValueKeysThePageCanSetAreTheOnesTheViewerTakes) {
    Names settable, string_keys, taken, taken_strings;
    for (const Row& row : table("| Key | GetValue returns |"))
        if (row[2] != "—") settable.insert(row[0]);
    for (const Row& row : table("| Key | SetValueString(key, text) |")) string_keys.insert(row[0]);
    const auto index = [](const char* name) {
        return int(std::find_if(kScriptMethods, kScriptMethods + kScriptMethodCount,
                                [&](const ScriptMethod& m) { return std::string(m.name) == name; }) -
                   kScriptMethods);
    };
    ShellSeam ops;
    ops.set_orientation = [](Viewer* v, int o) { v->view.orientation = o; };
    shell_install(ops);
    MemorySettingsStore store;
    settings_forget_low_integrity();
    ViewerCreateArgs a;
    a.store = &store;
    Viewer* v = nullptr;
    ASSERT_EQ(viewer_create(a, &v), kNpErrNone);
    for (int key = 0; key < 64; ++key) {
        NPVariant args[2] = {}, result = {};
        args[0].type = args[1].type = NPVariantType_Int32;
        args[0].value.intValue = key;
        args[1].value.intValue = 2;  // a value every settable key takes, a change of orientation included
        ASSERT_TRUE(script_run_method(v, index("SetValue"), args, 2, &result));
        if (result.value.intValue) taken.insert(std::to_string(key));
        args[1].type = NPVariantType_String;
        args[1].value.stringValue = {"#123456", 7};  // a colour, and a text every other key stores
        ASSERT_TRUE(script_run_method(v, index("SetValueString"), args, 2, &result));
        if (result.value.intValue) taken_strings.insert(std::to_string(key));
    }
    viewer_free(v);
    shell_install(ShellSeam{});
    expect_same_names(settable, taken);
    expect_same_names(string_keys, taken_strings);
}

namespace {
struct Page {
    std::string name, text;
};

// The example pages, and the guide's own HTML snippets as pages of their own.
std::vector<Page> pages() {
    std::vector<Page> out;
    for (const auto& entry : std::filesystem::directory_iterator(VL_SOURCE_DIR "/examples"))
        if (entry.path().extension() == ".html")
            out.push_back({entry.path().filename().string(), read_text(entry.path().string())});
    std::sort(out.begin(), out.end(), [](const Page& a, const Page& b) { return a.name < b.name; });
    const std::regex snippet("```html\n([^`]*)```");
    int n = 0;
    for (std::sregex_iterator it(guide().begin(), guide().end(), snippet), end; it != end; ++it)
        out.push_back({"guide snippet " + std::to_string(++n), (*it)[1]});
    const std::regex comment("<!--[\\s\\S]*?-->");
    for (Page& p : out) p.text = std::regex_replace(p.text, comment, "");
    return out;
}

// Arguments of the call whose "(" is at `open`, counted by the commas outside
// nested brackets and quotes.
int call_args(const std::string& s, size_t open) {
    int depth = 0, commas = 0;
    bool any = false;
    for (size_t i = open + 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\'' || c == '"') {
            i = s.find(c, i + 1);
            if (i == std::string::npos) return -1;
        } else if (c == '(' || c == '[')
            ++depth;
        else if ((c == ')' || c == ']') && depth > 0)
            --depth;
        else if (c == ')')
            return any ? commas + 1 : 0;
        else if (c == ',' && depth == 0)
            ++commas;
        if (c != ' ' && c != '\n') any = true;
    }
    return -1;
}

Names mime_types() {
    const std::string rc = read_text(VL_SOURCE_DIR "/resources/npvellarion.rc");
    std::smatch m;
    EXPECT_TRUE(std::regex_search(rc, m, std::regex("VALUE \"MIMEType\", \"([^\"]*)\"")));
    Names types;
    std::istringstream list(m[1].str());
    for (std::string t; std::getline(list, t, '|');) types.insert(t);
    return types;
}
}  // namespace

TEST(Guide, NamesTheMimeTypesThePluginDeclares) {
    const Names types = mime_types();
    ASSERT_FALSE(types.empty());
    for (const std::string& t : types) EXPECT_NE(guide().find("`" + t + "`"), std::string::npos) << t;
}

TEST(Examples, UseOnlyParametersMethodsAndEventsTheViewerHas) {
    const Names params = embed_param_names(), types = mime_types();
    const Names html = {"id", "type", "width", "height", "data", "name", "style", "class"};
    const std::map<std::string, int> methods = method_args();
    Names events;
    for (const PageEventInfo& e : kPageEvents) events.insert(e.name);
    const std::regex element("<(embed|object)\\b([^>]*)>"), attribute("([A-Za-z-]+)\\s*=\\s*\"([^\"]*)\"");
    const std::regex param("<param\\b[^>]*\\bname\\s*=\\s*\"([^\"]*)\""), call("\\.([A-Z]\\w*)\\s*\\(");
    const std::regex handler("function\\s+(vlar_\\w+)");
    int example_files = 0;
    for (const Page& page : pages()) {
        SCOPED_TRACE(page.name);
        example_files += page.name.find(".html") != std::string::npos;
        const std::string& t = page.text;
        int viewers = 0;
        for (std::sregex_iterator it(t.begin(), t.end(), element), end; it != end; ++it, ++viewers) {
            const std::string attributes = (*it)[2];
            for (std::sregex_iterator a(attributes.begin(), attributes.end(), attribute); a != end; ++a) {
                std::string name = (*a)[1];
                std::transform(name.begin(), name.end(), name.begin(), ::tolower);
                if (name == "type") {
                    EXPECT_TRUE(types.count((*a)[2])) << (*a)[2] << " is not a MIME type of the plug-in";
                } else if (!html.count(name)) {
                    EXPECT_TRUE((*it)[1] == "embed" && params.count(name)) << name << " is not an embed parameter";
                }
            }
        }
        EXPECT_GT(viewers, 0) << "no viewer on the page";
        for (std::sregex_iterator it(t.begin(), t.end(), param), end; it != end; ++it)
            EXPECT_TRUE(params.count((*it)[1])) << (*it)[1] << " is not an embed parameter";
        for (std::sregex_iterator it(t.begin(), t.end(), call), end; it != end; ++it) {
            const std::string name = (*it)[1];
            if (!methods.count(name)) {
                ADD_FAILURE() << name << " is not a script method";
                continue;
            }
            const size_t open = size_t(it->position() + it->length() - 1);
            EXPECT_EQ(call_args(t, open), methods.at(name)) << "arguments of " << name;
        }
        for (std::sregex_iterator it(t.begin(), t.end(), handler), end; it != end; ++it)
            EXPECT_TRUE(events.count((*it)[1])) << (*it)[1] << " is not a page event";
    }
    EXPECT_EQ(example_files, 3);
}
