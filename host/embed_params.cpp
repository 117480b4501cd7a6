// The page's embed parameters. Pages in the wild spell values loosely, so the
// rules are forgiving where they always were (first letter of yes/no, leading
// digits of numbers) and strict only where they always were (whole words for
// `negative` and `smooth`, exactly "#rrggbb" for colours).
#include "host/embed_params.h"

#include "annotate/upload_fields.h"
#include "config/zoom_steps.h"
#include "host/viewer.h"

namespace {
using View = std::u16string_view;

bool is_yes(View v) { return !v.empty() && (v[0] == u'y' || v[0] == u'Y'); }
bool is_no(View v) { return !v.empty() && (v[0] == u'n' || v[0] == u'N'); }
int number(View v) {
    const long long n = text_leading_int(v);
    return n > 0x7FFFFFFF ? 0x7FFFFFFF : n < -0x7FFFFFFF ? -0x7FFFFFFF : int(n);
}

int hex_digit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'z') return c - u'a' + 10;  // letters past f are not refused
    if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
    return 0;
}

void apply_bgcolor(Viewer* v, View value) {
    if (value.size() != 7 || value[0] != u'#') return;
    uint32_t rgb[3];
    for (int i = 0; i < 3; ++i)
        rgb[i] = uint32_t(hex_digit(value[1 + 2 * i]) * 16 + hex_digit(value[2 + 2 * i])) & 0xFF;
    v->ui.background_color = rgb[0] | rgb[1] << 8 | rgb[2] << 16;
    v->ui.bgcolor_from_settings = 0;
}

void apply_toolbar(Viewer* v, View value) {
    if (text_iequal(value, u"top")) v->ui.toolbar_position = 1;
    else if (text_iequal(value, u"bottom"))
        v->ui.toolbar_position = 2;
    else if (text_iequal(value, u"off"))
        v->ui.toolbar_position = 0;
    else if (text_iequal(value, u"on") && v->ui.toolbar_position == 0)
        v->ui.toolbar_position = 1;
    v->ui.toolbar_from_settings = 0;
}

void apply_fit(Viewer* v, View value) {
    if (text_iequal(value, u"best")) v->view.size_mode = 3;
    else if (text_iequal(value, u"width"))
        v->view.size_mode = 1;
    else if (text_iequal(value, u"height"))
        v->view.size_mode = 2;
    else if (text_iequal(value, u"none")) {
        v->view.size_mode = 0;
        v->view.zoom_index = zoom_index_of_100(ZoomTable::kImage);
    } else if (const int pct = number(value); pct > 0) {
        v->view.size_mode = 0;
        v->view.zoom_index = zoom_nearest_step(ZoomTable::kImage, pct);
    }
}

void apply_orient(Viewer* v, View value) {
    static const char16_t* const kWords[] = {u"top", u"right", u"bottom", u"left"};
    for (int i = 0; i < 4; ++i)
        if (text_iequal(value, kWords[i])) v->view.orientation = i;
}

void apply_whole_word(int* field, View value) {
    if (text_iequal(value, u"yes")) *field = 1;
    else if (text_iequal(value, u"no"))
        *field = 0;
}

void apply_mousemode(Viewer* v, View value) {
    struct Word {
        const char16_t* word;
        int mode;
    };
    static const Word kWords[] = {{u"pan", kMousePan},         {u"zoom", kMouseZoom},     {u"draw", kMouseDraw},
                                  {u"erase", kMouseErase},     {u"select", kMouseSelect}, {u"whiteout", kMouseSelect},
                                  {u"cropselect", kMouseCrop}, {u"none", kMouseNone}};
    for (const Word& w : kWords) {
        if (!text_iequal(value, w.word)) continue;
        v->view.mouse_mode = w.mode;
        if (w.mode == kMouseSelect) v->mouse.allow_select = 1;
        if (w.mode == kMouseCrop) v->mouse.crop_select = 1;
        return;
    }
}

void apply_flag(int* field, View value) {
    if (is_yes(value)) *field = 1;
    else if (is_no(value))
        *field = 0;
}

void apply_href(Viewer* v, View value) {
    btext_set_view(&v->mouse.href, value);
    v->mouse.has_href = 1;
}

void apply_access(Viewer* v, View value) {
    if (!(v->settings.miscflags & kMiscIgnoreAccessParam)) v->access_flags |= uint32_t(number(value));
}
}  // namespace

// An unknown name matches no row and is ignored. Upload texts are made safe as
// they are stored, whoever stores them.
const EmbedParam kEmbedParams[kEmbedParamCount] = {
    {u"href", apply_href},
    {u"target", [](Viewer* v, View s) { btext_set_view(&v->mouse.target, s); }},
    {u"toolbar", apply_toolbar},
    {u"fit", apply_fit},
    {u"orient", apply_orient},
    {u"negative", [](Viewer* v, View s) { apply_whole_word(&v->view.negative, s); }},
    {u"smooth", [](Viewer* v, View s) { apply_whole_word(&v->view.smooth, s); }},
    {u"mousemode", apply_mousemode},
    {u"page", [](Viewer* v, View s) { v->stream.start_page = number(s) - 1; }},
    {u"access", apply_access},
    {u"bgcolor", apply_bgcolor},
    {u"toolbaritems", [](Viewer* v, View s) { btext_set_view(&v->ui.page_toolbar_items, s); }},
    {u"zebprinthack",
     [](Viewer* v, View s) {
         if (is_yes(s)) v->document.print_hack = 1;
     }},
    {u"autoprint", [](Viewer* v, View s) { v->stream.autoprint = number(s); }},
    {u"allowselect", [](Viewer* v, View s) { apply_flag(&v->mouse.allow_select, s); }},
    {u"enableevents", [](Viewer* v, View s) { v->events.mask = uint32_t(number(s)); }},
    {u"src", [](Viewer* v, View) { v->stream.state = DownloadState::kRequested; }},
    {u"uploadurl", [](Viewer* v, View s) { btext_set_view(&v->annotate.upload.url, upload_sanitise_url(s)); }},
    {u"uploadparamname",
     [](Viewer* v, View s) { btext_set_view(&v->annotate.upload.param_name, upload_sanitise_name(s)); }},
    {u"uploadfilename",
     [](Viewer* v, View s) { btext_set_view(&v->annotate.upload.file_name, upload_sanitise_name(s)); }},
    {u"enablesketchbuttons", [](Viewer* v, View s) { apply_flag(&v->annotate.sketch_buttons, s); }},
};

namespace {
void apply_pair(Viewer* v, View name, View value) {
    for (const EmbedParam& p : kEmbedParams) {
        if (!text_iequal(name, p.name)) continue;
        p.apply(v, value);
        return;
    }
}
}  // namespace

int viewer_parse_params(Viewer* v, int count, const char16_t* const* names, const char16_t* const* values) {
    if (!names || !values || count <= 0) return 0;
    if (count > kMaxEmbedPairs) count = kMaxEmbedPairs;
    for (int i = 0; i < count; ++i) {
        if (!names[i] || !values[i]) continue;
        apply_pair(v, View(names[i], text_len(names[i])), View(values[i], text_len(values[i])));
    }
    return count;
}
