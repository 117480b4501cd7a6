#include "host/script_methods.h"

#include <cmath>
#include <cstring>

#include "analysis/page_analysis.h"
#include "host/viewer_sketch.h"
#include "base/text.h"
#include "config/zoom_steps.h"
#include "document/page_marks.h"
#include "host/browser.h"
#include "host/stream_reception.h"
#include "host/viewer_pages.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/viewer_registry.h"
#include "host/page_events.h"
#include "view/shell_seam.h"

// A call's arguments, and the first six read as integers (what most methods take).
struct ScriptCall {
    const NPVariant* args;
    int32_t a[6];
};

namespace {
constexpr uint32_t kStringMax = 1048576;
constexpr size_t kValueStringMax = 2047;

// The keys of GetValue/SetValue and of GetValueString/SetValueString, as pages number them.
enum ValueKey : int32_t {
    kKeyOrientation = 1,
    kKeyNegative = 2,
    kKeySmoothing = 3,
    kKeyMouseMode = 4,
    kKeySizeMode = 5,
    kKeyZoomPercent = 6,
    kKeyPageWidth = 9,
    kKeyPageHeight = 10,
    kKeyDecodedWidth = 11,
    kKeyDecodedHeight = 12,
    kKeyShownWidth = 13,
    kKeyShownHeight = 14,
    kKeyScrollX = 15,
    kKeyScrollY = 16,
    kKeyToolbarButtonSize = 18,
    kKeyBackgroundColour = 19,  // string
    kKeyEventMask = 20,
    kKeyUploadUrl = 21,        // string
    kKeyUploadFieldName = 22,  // string
    kKeyUploadFileName = 23,   // string
    kKeyAlwaysOne = 24,
    kKeyPenColour = 31,  // string
    kKeyHasPen = 41,     // any page for GetValue, one page for GetPageValue
};

// Scroll-bar codes, as the platform numbers them.
constexpr int kLineUp = 0, kLineDown = 1, kPageUp = 2, kPageDown = 3, kThumbPosition = 4, kTop = 6, kBottom = 7;

void set_int(NPVariant* r, int32_t n) {
    r->type = NPVariantType_Int32;
    r->value.intValue = n;
}
void set_double(NPVariant* r, double d) {
    r->type = NPVariantType_Double;
    r->value.doubleValue = d;
}
void set_void(NPVariant* r) {
    r->type = NPVariantType_Void;
    r->value.objectValue = nullptr;
}

// UTF-8 in browser memory, which the browser frees; Null when it cannot be made.
void set_string(NPVariant* r, std::u16string_view text) {
    r->type = NPVariantType_Null;
    r->value.objectValue = nullptr;
    if (text.size() > kStringMax || !browser().memalloc) return;
    const std::string utf8 = text_to_utf8(text);
    auto* copy = static_cast<char*>(browser().memalloc(uint32_t(utf8.size() + 1)));
    if (!copy) return;
    std::memcpy(copy, utf8.c_str(), utf8.size() + 1);
    r->type = NPVariantType_String;
    r->value.stringValue.UTF8Characters = copy;
    r->value.stringValue.UTF8Length = uint32_t(utf8.size());
}

int32_t saturate(long long n) { return n > INT32_MAX ? INT32_MAX : n < INT32_MIN ? INT32_MIN : int32_t(n); }

// Leading white space, a sign, digits; the first other character ends it.
int32_t read_decimal(std::u16string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == u' ' || (s[i] >= u'\t' && s[i] <= u'\r'))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
    long long n = 0;
    for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) n = std::min(n * 10 + (s[i] - u'0'), 1LL << 40);
    return saturate(negative ? -n : n);
}

bool has_document(const Viewer* v) { return v->document.loaded && v->document.page_count > 0; }
bool page_decoded(const Viewer* v) { return v->stream.state == DownloadState::kFinished && viewer_page_shown(v); }

// A 1-based page number to its directory; -1 when it names no page.
int directory_of_page(Viewer* v, int page) {
    if (!has_document(v) || !v->document.file || page < 1 || page > v->document.page_count) return -1;
    return document_directory_of_page(&v->document.file->document, page - 1);
}

int orientation_value(const Viewer* v) { return v->view.orientation + 1; }

int32_t get_state(const Viewer* v, int what) {
    switch (what) {
    case 0: return 1;
    case 1:
        if (v->stream.state == DownloadState::kRequested || v->stream.state == DownloadState::kReceiving) return 1;
        if (v->stream.state == DownloadState::kFinished) return v->document.loaded ? 3 : 2;
        return 0;
    case 2: return page_decoded(v) ? 1 : 0;
    case 3: return 1;
    default: return 0;
    }
}

int32_t get_version(int what) {
    switch (what) {
    case 0: return 2000002;
    case 1: return 1;  // the plug-in; the control flavour answers 2
    case 2: return 32;
    case 3: return 1;
    default: return 0;
    }
}

int32_t print(Viewer* v, int how) {
    int printed = 0;
    const bool auto_allowed = v->settings.allowautoprint != 0;
    const bool dialog = how == 0 || how == 1 || (how == 5 && !auto_allowed);
    const bool quick = (how == 4 || how == 5) && auto_allowed;
    if ((dialog || quick) && shell().print) printed = shell().print(v, dialog);
    if (printed < 0) return 0;  // the page closed the viewer while the dialog was open
    events_print_complete(v, printed);
    return printed;
}

int32_t go_to_page(Viewer* v, int page) {
    if (!has_document(v)) return 0;
    const int n = page > 0 ? std::min(page - 1, v->document.page_count - 1) : 0;  // INT32_MIN - 1 would overflow
    // The page-change event runs the page, which may remove the viewer.
    const ViewerHandle handle(v);
    return viewer_go_to_page(v, n) && handle.alive() ? v->document.current_page + 1 : 0;
}

int32_t go_to_page_special(Viewer* v, int code) {
    if (!has_document(v) || code < 1 || code > 4) return 0;
    const int target = code == 1   ? 0
                       : code == 2 ? v->document.page_count - 1
                       : code == 3 ? v->document.current_page - 1
                                   : v->document.current_page + 1;
    if (target < 0 || target >= v->document.page_count) return 0;
    const ViewerHandle handle(v);
    return viewer_go_to_page(v, target) && handle.alive() ? v->document.current_page + 1 : 0;
}

int32_t load_image(Viewer* v, const NPVariant* args) {
    std::u16string url;
    if (!script_arg_string(args[0], &url)) return 0;
    if (v->stream.state == DownloadState::kReceiving) return 0;
    return viewer_start_download(v, url.c_str(), script_arg_int(args[1])) ? 1 : 0;
}

// The view numbers a page can read; 0 while no page is shown.
int32_t shown_value(const Viewer* v, int key) {
    if (!page_decoded(v) || !v->document.loaded) return 0;
    const DisplayRaster* r = &v->document.file->raster;
    switch (key) {
    case kKeyPageWidth: return v->document.file->page.width;
    case kKeyPageHeight: return v->document.file->page.height;
    case kKeyDecodedWidth: return raster_width(r);
    case kKeyDecodedHeight: return raster_height(r);
    case kKeyShownWidth: return v->layout.view_width;
    case kKeyShownHeight: return v->layout.view_height;
    case kKeyScrollX: return v->layout.scroll_x;
    case kKeyScrollY: return v->layout.scroll_y;
    default: return 0;
    }
}

int32_t get_value(Viewer* v, int key) {
    switch (key) {
    case kKeyOrientation: return orientation_value(v);
    case kKeyNegative: return v->view.negative ? 1 : 0;
    case kKeySmoothing: return v->view.smooth ? 1 : 0;
    case kKeyMouseMode: return v->view.mouse_mode;
    case kKeySizeMode: return v->view.size_mode;
    case kKeyZoomPercent: return zoom_step_percent(ZoomTable::kImage, v->view.zoom_index);
    case kKeyPageWidth:
    case kKeyPageHeight:
    case kKeyDecodedWidth:
    case kKeyDecodedHeight:
    case kKeyShownWidth:
    case kKeyShownHeight:
    case kKeyScrollX:
    case kKeyScrollY: return shown_value(v, key);
    case kKeyToolbarButtonSize: return v->shell.toolbar_window ? v->settings.toolbar_height - 4 : 0;
    case kKeyEventMask: return int32_t(v->events.mask);
    case kKeyAlwaysOne: return 1;
    case kKeyHasPen: return sketch_any_page_has_pen(v) ? 1 : 0;
    default: return 0;
    }
}

int32_t set_orientation_value(Viewer* v, int value) {
    const int now = v->view.orientation;
    int target = now;
    if (value >= 1 && value <= 4) target = value - 1;
    else if (value == 5)
        target = (now + 1) % 4;
    else if (value == 6)
        target = (now + 3) % 4;
    else if (value == 7)
        target = (now + 2) % 4;
    if (target == now || !shell().set_orientation) return 0;
    shell().set_orientation(v, target);
    return v->view.orientation == target ? 1 : 0;
}

// The zoom step whose percentage is nearest (percentages are whole numbers,
// so the truncated factor is the percentage itself); the later step on a tie.
void set_zoom_percent(Viewer* v, int percent) {
    if (percent <= 0) return;
    const int index = zoom_nearest_step(ZoomTable::kImage, percent);
    if (index == v->view.zoom_index) return;
    v->view.zoom_index = index;
    shell_repaint(v, kShowViewSize);
    events_size_mode_change(v, v->view.size_mode, zoom_step_percent(ZoomTable::kImage, v->view.zoom_index));
}

int32_t set_value(Viewer* v, int key, int value) {
    switch (key) {
    case kKeyOrientation: return set_orientation_value(v, value);
    case kKeyNegative:
        if ((value == 0 || value == 1) && bool(value) != bool(v->view.negative) && shell().toggle_negative)
            shell().toggle_negative(v);
        else if (value == 2 && shell().toggle_negative)
            shell().toggle_negative(v);
        return 1;
    case kKeySmoothing:
        if ((value == 0 || value == 1) && bool(value) != bool(v->view.smooth) && shell().toggle_smoothing)
            shell().toggle_smoothing(v);
        return 1;
    case kKeyMouseMode:
        if (value >= 0 && value <= 6 && value != v->view.mouse_mode && shell().set_mouse_mode)
            shell().set_mouse_mode(v, value);
        return 1;
    case kKeySizeMode:
        if (value >= 0 && value <= 3 && value != v->view.size_mode && shell().set_size_mode)
            shell().set_size_mode(v, value);
        return 1;
    case kKeyZoomPercent: set_zoom_percent(v, value); return 1;
    case kKeyScrollX:
    case kKeyScrollY:
        if (page_decoded(v) && shell().scroll) shell().scroll(v, key == kKeyScrollY, kThumbPosition, value);
        return 1;
    case kKeyEventMask: v->events.mask = uint32_t(value); return 1;
    default: return 0;
    }
}

void scroll(Viewer* v, int direction, int amount) {
    if (direction < 1 || direction > 4 || amount < 1 || amount > 3 || !shell().scroll) return;
    const bool vertical = direction == 1 || direction == 3;
    const bool backwards = direction == 1 || direction == 4;  // up, left
    static const int kForward[3] = {kLineDown, kPageDown, kBottom};
    static const int kBackward[3] = {kLineUp, kPageUp, kTop};
    shell().scroll(v, vertical, (backwards ? kBackward : kForward)[amount - 1], 0);
}

void set_crop_select(Viewer* v, const int32_t* a) {
    if (v->access_flags & kAccessNoAnnotation) return;
    v->mouse.crop_select = 1;
    const int page = a[1] == 0 ? v->document.current_page + 1 : a[1];
    const int directory = directory_of_page(v, page);
    if (directory < 0 || (a[0] != 0 && a[0] != 1)) return;
    // Inclusive edges, in 64 bits so that huge sizes cannot wrap.
    const auto edge = [](int32_t from, int32_t size) { return saturate(int64_t(from) + size - 1); };
    if (!sketch_store_crop(v, directory, PageRect{a[2], a[3], edge(a[2], a[4]), edge(a[3], a[5])}, a[0] == 1)) return;
    v->annotate.annotations_shown = 1;
    shell_repaint(v, kShowPageLook);
}

const DisplayRaster* current_raster(Viewer* v) { return page_decoded(v) ? &v->document.file->raster : nullptr; }

std::u16string colour_text(uint32_t c) {
    return text_printf(u"#%02x%02x%02x", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

int32_t set_value_string(Viewer* v, int key, const std::u16string& text) {
    if (text.size() > kValueStringMax) return 0;
    switch (key) {
    case kKeyBackgroundColour:
        if (text.empty()) {
            v->ui.background_color = v->settings.bgcolor;
            v->ui.bgcolor_from_settings = 1;
        } else {
            uint32_t colour;
            if (!script_parse_colour(text, &colour)) return 0;
            v->ui.background_color = colour;
            v->ui.bgcolor_from_settings = 0;
        }
        shell_repaint(v, kShowBackground);
        return 1;
    case kKeyUploadUrl:
        btext_set_view(&v->annotate.upload.url, upload_sanitise_url(text));
        shell_repaint(v, kShellToolbarStates);
        return 1;
    case kKeyUploadFieldName: btext_set_view(&v->annotate.upload.param_name, upload_sanitise_name(text)); return 1;
    case kKeyUploadFileName: btext_set_view(&v->annotate.upload.file_name, upload_sanitise_name(text)); return 1;
    case kKeyPenColour: {
        uint32_t colour;
        if (!script_parse_colour(text, &colour)) return 0;
        sketch_set_pen_colour(&v->annotate, colour);
        return 1;
    }
    default: return 0;
    }
}

std::u16string get_value_string(Viewer* v, int key) {
    auto cut = [](std::u16string_view s) { return std::u16string(s.substr(0, kValueStringMax)); };
    switch (key) {
    case kKeyBackgroundColour: return colour_text(v->ui.background_color);
    case kKeyUploadUrl: return cut(btext_view(&v->annotate.upload.url));
    case kKeyUploadFieldName: return cut(btext_view(&v->annotate.upload.param_name));
    case kKeyUploadFileName: return cut(btext_view(&v->annotate.upload.file_name));
    case kKeyPenColour: return colour_text(v->annotate.pen_color);
    default: return {};
    }
}

int32_t clear_annotations(Viewer* v, int page, int which) {
    if (v->access_flags & kAccessNoAnnotation) return 0;
    if (which == 1) {
        const int directory = directory_of_page(v, page);
        if (directory >= 0 && sketch_remove_pen(v, directory)) {
            shell_repaint(v, kShowPageLook);
            events_annotation_change(v, page);
        }
    }
    return 1;
}

PageAnalysis* analysis(Viewer* v) {
    ViewerFile* f = viewer_file(v);
    return f ? &f->analysis : nullptr;
}
// The methods' bodies, in table order. Each sets the result itself; the
// result is Int32 0 when it sets nothing.
void about_box(Viewer* v, const ScriptCall&, NPVariant* r) {
    if (shell().about_box) shell().about_box(v);
    set_int(r, 1);
}
void get_version_method(Viewer*, const ScriptCall& c, NPVariant* r) { set_int(r, get_version(c.a[0])); }
void get_state_method(Viewer* v, const ScriptCall& c, NPVariant* r) { set_int(r, get_state(v, c.a[0])); }
void nothing(Viewer*, const ScriptCall&, NPVariant*) {}  // RegisterFileTypes, SetPageValue
void print_method(Viewer* v, const ScriptCall& c, NPVariant* r) { set_int(r, print(v, c.a[0])); }
void zoom(Viewer* v, const ScriptCall& c, NPVariant* r) {
    if (c.a[0] == 1 && page_decoded(v) && v->shell.plugin_window && shell().zoom_window) shell().zoom_window(v, true);
    else if (c.a[0] == 0 && v->shell.zoom_window && shell().zoom_window)
        shell().zoom_window(v, false);
    set_int(r, 1);
}
void go_to_page_method(Viewer* v, const ScriptCall& c, NPVariant* r) { set_int(r, go_to_page(v, c.a[0])); }
void go_to_page_special_method(Viewer* v, const ScriptCall& c, NPVariant* r) {
    set_int(r, go_to_page_special(v, c.a[0]));
}
void get_current_page(Viewer* v, const ScriptCall&, NPVariant* r) {
    set_int(r, has_document(v) ? v->document.current_page + 1 : 0);
}
void get_number_of_pages(Viewer* v, const ScriptCall&, NPVariant* r) {
    set_int(r, has_document(v) ? v->document.page_count : 0);
}
void load_image_method(Viewer* v, const ScriptCall& c, NPVariant* r) { set_int(r, load_image(v, c.args)); }
void get_value_method(Viewer* v, const ScriptCall& c, NPVariant* r) { set_int(r, get_value(v, c.a[0])); }
void set_value_method(Viewer* v, const ScriptCall& c, NPVariant* r) { set_int(r, set_value(v, c.a[0], c.a[1])); }
void scroll_method(Viewer* v, const ScriptCall& c, NPVariant* r) {
    scroll(v, c.a[0], c.a[1]);
    set_int(r, 1);
}
void set_crop_select_method(Viewer* v, const ScriptCall& c, NPVariant* r) {
    set_crop_select(v, c.a);
    set_int(r, 1);
}
void detect_barcodes(Viewer* v, const ScriptCall& c, NPVariant* r) {
    if (PageAnalysis* p = analysis(v)) analysis_detect_barcodes(p, current_raster(v), c.a[0], c.a[1], c.a[2], c.a[3]);
    set_void(r);
}
void get_barcode(Viewer* v, const ScriptCall&, NPVariant* r) {
    PageAnalysis* p = analysis(v);
    set_string(r, p ? analysis_get_barcode(p) : std::u16string());
}
void detect_blank_page(Viewer* v, const ScriptCall&, NPVariant* r) {
    PageAnalysis* p = analysis(v);
    set_double(r, p ? analysis_detect_blank_page(p, current_raster(v)) : -1);
}
void omr_init(Viewer* v, const ScriptCall& c, NPVariant* r) {
    if (PageAnalysis* p = analysis(v)) analysis_omr_init(p, current_raster(v), c.a[0], c.a[1], c.a[2], c.a[3]);
    set_void(r);
}
void omr_check(Viewer* v, const ScriptCall& c, NPVariant* r) {
    PageAnalysis* p = analysis(v);
    set_double(r, p ? analysis_omr_check(p, current_raster(v), c.a[0], c.a[1], c.a[2], c.a[3]) : 0);
}
void set_value_string_method(Viewer* v, const ScriptCall& c, NPVariant* r) {
    std::u16string text;
    if (script_arg_string(c.args[1], &text)) set_int(r, set_value_string(v, c.a[0], text));
}
void get_value_string_method(Viewer* v, const ScriptCall& c, NPVariant* r) {
    set_string(r, get_value_string(v, c.a[0]));
}
void get_page_value(Viewer* v, const ScriptCall& c, NPVariant* r) {
    const int directory = directory_of_page(v, c.a[0]);
    set_int(r, c.a[1] == kKeyHasPen && directory >= 0 && sketch_page_has_pen(v, directory) ? 1 : 0);
}
void upload(Viewer* v, const ScriptCall& c, NPVariant* r) {
    if (!(v->access_flags & kAccessNoUpload) && !v->busy && !btext_empty(&v->annotate.upload.url) && shell().upload)
        set_int(r, shell().upload(v, c.a[0]));
}
void clear_annotations_method(Viewer* v, const ScriptCall& c, NPVariant* r) {
    set_int(r, clear_annotations(v, c.a[0], c.a[1]));
}
void add_upload_param(Viewer* v, const ScriptCall& c, NPVariant* r) {
    std::u16string name, value;
    if (!script_arg_string(c.args[0], &name) || !script_arg_string(c.args[1], &value)) return;
    if (v->access_flags & kAccessNoUpload) return;
    set_int(r, upload_param_add(&v->annotate.upload.params, name, value) ? 1 : 0);
}
void delete_upload_param(Viewer* v, const ScriptCall& c, NPVariant* r) {
    std::u16string name;
    if (script_arg_string(c.args[0], &name)) set_int(r, upload_param_delete(&v->annotate.upload.params, name));
}

// While the upload's confirmation box is open the user is agreeing to one
// address, one set of fields and one document; the calls that would change
// any of them are refused as a busy viewer refuses a second upload.
bool changes_upload(const ScriptMethod& m, int32_t key) {
    switch (m.upload) {
    case UploadEffect::kChanges: return true;
    case UploadEffect::kChangesByKey:  // the address, field and file names
        return key == kKeyUploadUrl || key == kKeyUploadFieldName || key == kKeyUploadFileName;
    case UploadEffect::kNone: break;
    }
    return false;
}
}  // namespace

int32_t script_arg_int(const NPVariant& v) {
    switch (v.type) {
    case NPVariantType_Bool: return v.value.boolValue ? 1 : 0;
    case NPVariantType_Int32: return v.value.intValue;
    case NPVariantType_Double: {
        const double d = v.value.doubleValue + 1e-8;
        if (std::isnan(d)) return 0;
        return d >= 2147483647.0 ? INT32_MAX : d <= -2147483648.0 ? INT32_MIN : int32_t(std::trunc(d));
    }
    case NPVariantType_String: {
        std::u16string text;
        return script_arg_string(v, &text) ? read_decimal(text) : 0;
    }
    default: return 0;
    }
}

bool script_arg_string(const NPVariant& v, std::u16string* out) {
    out->clear();
    if (v.type != NPVariantType_String) return false;
    const NPString& s = v.value.stringValue;
    if (s.UTF8Length > kStringMax) return false;
    if (s.UTF8Length) *out = text_from_utf8(std::string_view(s.UTF8Characters, s.UTF8Length));
    return true;
}

bool script_parse_colour(std::u16string_view text, uint32_t* colour) {
    if (text.size() != 7 || text[0] != u'#') return false;
    uint32_t rgb[3];
    for (int i = 0; i < 3; ++i) {
        int digits[2];
        for (int j = 0; j < 2; ++j) {
            const char16_t c = text[1 + 2 * i + j];
            if (c >= u'0' && c <= u'9') digits[j] = c - u'0';
            else if (c >= u'a' && c <= u'f')
                digits[j] = c - u'a' + 10;
            else if (c >= u'A' && c <= u'F')
                digits[j] = c - u'A' + 10;
            else
                return false;
        }
        rgb[i] = uint32_t(digits[0] * 16 + digits[1]);
    }
    *colour = rgb[0] | rgb[1] << 8 | rgb[2] << 16;
    return true;
}

using U = UploadEffect;
const ScriptMethod kScriptMethods[kScriptMethodCount] = {
    {"AboutBox", 0, about_box},
    {"GetVersion", 1, get_version_method},
    {"GetState", 1, get_state_method},
    {"RegisterFileTypes", 1, nothing},  // nothing to register for a plug-in
    {"Print", 1, print_method},
    {"Zoom", 1, zoom},
    {"GoToPage", 1, go_to_page_method},
    {"GoToPageSpecial", 1, go_to_page_special_method},
    {"GetCurrentPage", 0, get_current_page},
    {"GetNumberOfPages", 0, get_number_of_pages},
    {"LoadImage", 3, load_image_method, U::kChanges},
    {"GetValue", 1, get_value_method},
    {"SetValue", 2, set_value_method},
    {"Scroll", 2, scroll_method},
    {"SetCropSelect", 6, set_crop_select_method},
    {"DetectBarcodes", 4, detect_barcodes},
    {"GetBarcode", 0, get_barcode},
    {"DetectBlankPage", 0, detect_blank_page},
    {"OMRInit", 4, omr_init},
    {"OMRCheck", 4, omr_check},
    {"SetValueString", 2, set_value_string_method, U::kChangesByKey},
    {"GetValueString", 1, get_value_string_method},
    {"SetPageValue", 3, nothing},  // no page values can be set
    {"GetPageValue", 2, get_page_value},
    {"Upload", 2, upload},
    {"ClearAnnotations", 2, clear_annotations_method, U::kChanges},  // pen marks are burnt into the sent pages
    {"AddUploadParam", 2, add_upload_param, U::kChanges},
    {"DeleteUploadParam", 1, delete_upload_param, U::kChanges},
};

bool script_run_method(Viewer* v, int index, const NPVariant* args, uint32_t count, NPVariant* r) {
    if (index < 0 || index >= kScriptMethodCount) return false;
    const ScriptMethod& method = kScriptMethods[index];
    if (count != method.argc) return false;
    set_int(r, 0);
    ScriptCall call{args, {}};
    for (uint32_t i = 0; i < count && i < 6; ++i) call.a[i] = script_arg_int(args[i]);
    if (v->annotate.upload.confirming && changes_upload(method, call.a[0])) return true;
    method.run(v, call, r);
    return true;
}
