#include "host/script_methods.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/text.h"
#include "config/settings_store.h"
#include "document/page_marks.h"
#include "host/browser.h"
#include "host/stream_reception.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/script_object.h"
#include "testing/recording_shell.h"
#include "testing/tiff_builder.h"

namespace {
// A browser whose identifiers are the method names' own addresses (stable for
// the process) and whose memory is malloc's.
void fake_identifiers(const NPUTF8** names, int32_t count, NPIdentifier* out) {
    for (int32_t i = 0; i < count; ++i) out[i] = const_cast<NPUTF8*>(names[i]);
}
void* fake_alloc(uint32_t size) { return std::malloc(size); }

std::vector<std::string> g_ops;  // what the shell was asked to do
ShellSeam recording_ops() {
    ShellSeam o;
    o.set_orientation = [](Viewer* v, int value) {
        v->view.orientation = value;
        g_ops.push_back("orientation " + std::to_string(value));
    };
    o.toggle_negative = [](Viewer* v) {
        v->view.negative = !v->view.negative;
        g_ops.push_back("negative");
    };
    o.toggle_smoothing = [](Viewer* v) {
        v->view.smooth = !v->view.smooth;
        g_ops.push_back("smooth");
    };
    o.set_mouse_mode = [](Viewer* v, int m) {
        v->view.mouse_mode = m;
        g_ops.push_back("mouse " + std::to_string(m));
    };
    o.scroll = [](Viewer*, bool vertical, int code, int thumb) {
        g_ops.push_back(std::string(vertical ? "v" : "h") + " " + std::to_string(code) + " " + std::to_string(thumb));
    };
    o.print = [](Viewer*, bool dialog) {
        g_ops.push_back(dialog ? "print dialog" : "print quick");
        return 1;
    };
    return o;
}

NPVariant i(int32_t n) {
    NPVariant v{};
    v.type = NPVariantType_Int32;
    v.value.intValue = n;
    return v;
}
NPVariant d(double x) {
    NPVariant v{};
    v.type = NPVariantType_Double;
    v.value.doubleValue = x;
    return v;
}
NPVariant s(const char* text) {
    NPVariant v{};
    v.type = NPVariantType_String;
    v.value.stringValue = {text, uint32_t(std::strlen(text))};
    return v;
}
NPVariant null_variant() {
    NPVariant v{};
    v.type = NPVariantType_Null;
    return v;
}

// Page `lzw` (0-based) is LZW-compressed, which a test can switch off.
std::vector<uint8_t> three_pages(int lzw = -1) {
    std::vector<TiffPage> pages(3);
    for (auto& p : pages) {
        p.width = 8;
        p.height = 4;
        p.pixels.assign(32, 0x80);
    }
    if (lzw >= 0) pages[size_t(lzw)].compression = 5;
    return tiff_build(pages);
}

class ScriptMethods : public ::testing::Test {
protected:
    void SetUp() override {
        NPNetscapeFuncs f{};
        f.size = sizeof f;
        f.version = 27;
        f.getstringidentifiers = fake_identifiers;
        f.memalloc = fake_alloc;
        ASSERT_EQ(browser_install(&f), NPERR_NO_ERROR);
        script_forget_identifiers();
        ASSERT_NE(script_class_create(), nullptr);
        settings_forget_low_integrity();
        g_ops.clear();
        recording_shell_install(&g_ops, ~0u, recording_ops());
        ViewerCreateArgs a;
        a.store = &store;
        ASSERT_EQ(viewer_create(a, &v), 0);
        npp.pdata = v;
        object = script_class()->allocate(&npp, script_class());
        object->_class = script_class();
        object->referenceCount = 1;
    }
    void TearDown() override {
        script_class()->deallocate(object);
        script_class_free();
        recording_shell_remove();
        viewer_file_free(v);
        viewer_free(v);
        browser_clear();
        script_forget_identifiers();
    }
    void open_document(int lzw = -1) {
        const auto bytes = three_pages(lzw);
        const StreamInfo info{&token, "http://example.test/doc.tif", uint32_t(bytes.size())};
        ASSERT_EQ(reception_new(v, info), 0);
        reception_write(v, info, 0, int32_t(bytes.size()), bytes.data());
        reception_end(v, info, 0);
        ASSERT_EQ(v->document.page_count, 3);
        g_ops.clear();  // the arrival's own repaints
    }
    // Calls by name, as a page does; the result must be an integer.
    int32_t call(const char* name, std::vector<NPVariant> args = {}) {
        NPVariant r{};
        EXPECT_TRUE(invoke(name, args, &r)) << name;
        EXPECT_EQ(r.type, NPVariantType_Int32) << name;
        return r.value.intValue;
    }
    std::string call_string(const char* name, std::vector<NPVariant> args) {
        NPVariant r{};
        EXPECT_TRUE(invoke(name, args, &r)) << name;
        if (r.type != NPVariantType_String) return "<not a string>";
        std::string out(r.value.stringValue.UTF8Characters, r.value.stringValue.UTF8Length);
        std::free(const_cast<NPUTF8*>(r.value.stringValue.UTF8Characters));
        return out;
    }
    bool invoke(const char* name, const std::vector<NPVariant>& args, NPVariant* r) {
        for (int k = 0; k < kScriptMethodCount; ++k)
            if (std::strcmp(kScriptMethods[k].name, name) == 0)
                return script_class()->invoke(object, const_cast<char*>(kScriptMethods[k].name), args.data(),
                                              uint32_t(args.size()), r);
        return script_class()->invoke(object, const_cast<char*>(name), args.data(), uint32_t(args.size()), r);
    }

    MemorySettingsStore store;
    Viewer* v = nullptr;
    NPP_t npp{};
    NPObject* object = nullptr;
    int token = 0;
};
}  // namespace

TEST(ScriptArguments, NumbersAndTextsAreReadAsPagesExpect) {
    EXPECT_EQ(script_arg_int(d(2.9999999999)), 3);
    EXPECT_EQ(script_arg_int(d(2.5)), 2);
    EXPECT_EQ(script_arg_int(d(-2.5)), -2);
    EXPECT_EQ(script_arg_int(d(1e300)), INT32_MAX);  // out of range saturates instead of overflowing
    EXPECT_EQ(script_arg_int(d(-1e300)), INT32_MIN);
    EXPECT_EQ(script_arg_int(d(std::nan(""))), 0);
    EXPECT_EQ(script_arg_int(s("  -12abc")), -12);
    EXPECT_EQ(script_arg_int(s("+7")), 7);
    EXPECT_EQ(script_arg_int(s("abc")), 0);
    EXPECT_EQ(script_arg_int(s("99999999999999999999")), INT32_MAX);
    NPVariant b{};
    b.type = NPVariantType_Bool;
    b.value.boolValue = true;
    EXPECT_EQ(script_arg_int(b), 1);
    EXPECT_EQ(script_arg_int(null_variant()), 0);
    std::u16string text = u"x";
    EXPECT_FALSE(script_arg_string(i(5), &text));
    EXPECT_TRUE(text.empty());
    EXPECT_TRUE(script_arg_string(s("caf\xC3\xA9"), &text));
    EXPECT_EQ(text, u"caf\u00e9");
    NPVariant huge = s("");
    huge.value.stringValue.UTF8Length = 1048577;  // longer than allowed: never read
    EXPECT_FALSE(script_arg_string(huge, &text));
    EXPECT_EQ(script_arg_int(huge), 0);
}

TEST(ScriptArguments, ColoursAreExactlySevenCharacters) {
    uint32_t c = 0;
    EXPECT_TRUE(script_parse_colour(u"#FF8000", &c));
    EXPECT_EQ(c, 0x0080FFu);
    EXPECT_FALSE(script_parse_colour(u"FF8000", &c));
    EXPECT_FALSE(script_parse_colour(u"#FF800", &c));
    EXPECT_FALSE(script_parse_colour(u"#GG8000", &c));
    EXPECT_FALSE(script_parse_colour(u"#FF80001", &c));
}

TEST_F(ScriptMethods, TheGateTheTableAndTheArgumentCounts) {
    EXPECT_TRUE(script_class()->hasMethod(object, const_cast<char*>(kScriptMethods[27].name)));
    NPVariant r{};
    EXPECT_FALSE(invoke("NoSuchMethod", {}, &r));
    EXPECT_FALSE(invoke("GetState", {}, &r));  // one argument expected
    EXPECT_EQ(call("GetState", {i(0)}), 1);    // alive even before any download
    EXPECT_EQ(call("GetState", {i(1)}), 0);
    EXPECT_EQ(call("GetVersion", {i(0)}), 2000002);
    EXPECT_EQ(call("GetVersion", {i(1)}), 1);
    EXPECT_EQ(call("GetVersion", {i(9)}), 0);
    EXPECT_EQ(call("RegisterFileTypes", {i(1)}), 0);
    EXPECT_EQ(call("SetPageValue", {i(1), i(2), i(3)}), 0);
    EXPECT_EQ(call_string("GetBarcode", {}), "");

    // Scripting switched off: everything succeeds with 0 and does nothing.
    v->access_flags |= kAccessNoScript;
    EXPECT_EQ(call("GetState", {i(0)}), 0);
    EXPECT_EQ(call("SetValue", {i(1), i(2)}), 0);
    EXPECT_TRUE(g_ops.empty());
    v->access_flags &= ~kAccessNoScript;

    // Once the viewer is gone the page holds an invalid object.
    script_object_detach(object);
    EXPECT_FALSE(invoke("GetState", {i(0)}, &r));
}

TEST_F(ScriptMethods, WithoutStringIdentifiersNothingIsOffered) {
    script_forget_identifiers();
    NPNetscapeFuncs f{};
    f.size = sizeof f;
    f.version = 27;
    ASSERT_EQ(browser_install(&f), NPERR_NO_ERROR);
    NPVariant r{};
    EXPECT_FALSE(script_class()->hasMethod(object, const_cast<char*>(kScriptMethods[0].name)));
    EXPECT_FALSE(script_class()->invoke(object, const_cast<char*>(kScriptMethods[0].name), nullptr, 0, &r));
}

TEST_F(ScriptMethods, PageNavigation) {
    EXPECT_EQ(call("GoToPage", {i(2)}), 0);  // no document yet
    EXPECT_EQ(call("GetCurrentPage"), 0);
    open_document();
    EXPECT_EQ(call("GetState", {i(1)}), 3);
    EXPECT_EQ(call("GetState", {i(2)}), 1);
    EXPECT_EQ(call("GetNumberOfPages"), 3);
    EXPECT_EQ(call("GoToPage", {i(-4)}), 1);
    EXPECT_EQ(call("GoToPage", {i(99)}), 3);
    EXPECT_EQ(call("GoToPage", {i(INT32_MIN)}), 1);
    EXPECT_EQ(call("GoToPage", {s("2")}), 2);
    EXPECT_EQ(call("GoToPageSpecial", {i(1)}), 1);
    EXPECT_EQ(call("GoToPageSpecial", {i(3)}), 0);  // before the first page
    EXPECT_EQ(call("GetCurrentPage"), 1);
    EXPECT_EQ(call("GoToPageSpecial", {i(4)}), 2);
    EXPECT_EQ(call("GoToPageSpecial", {i(2)}), 3);
    EXPECT_EQ(call("GoToPageSpecial", {i(4)}), 0);
    EXPECT_EQ(call("GoToPageSpecial", {i(5)}), 0);
    EXPECT_EQ(call("GetValue", {i(9)}), 8);
    EXPECT_EQ(call("GetValue", {i(10)}), 4);
}

TEST_F(ScriptMethods, APageThatIsNotShownAnswersZero) {
    viewer_set_disabled_compressions(u"5");  // page 2 is counted but never decodes
    open_document(1);
    EXPECT_EQ(call("GoToPage", {i(2)}), 0);
    EXPECT_EQ(call("GetCurrentPage"), 2);
    EXPECT_EQ(call("GoToPage", {i(2)}), 0);
    EXPECT_EQ(call("GoToPageSpecial", {i(4)}), 3);
    EXPECT_EQ(call("GoToPageSpecial", {i(3)}), 0);
    EXPECT_EQ(call("GoToPageSpecial", {i(3)}), 1);
    viewer_set_disabled_compressions(u"");
}

TEST_F(ScriptMethods, ViewValues) {
    v->view.orientation = 3;
    EXPECT_EQ(call("SetValue", {i(1), i(5)}), 1);  // left turns on to top
    EXPECT_EQ(v->view.orientation, 0);
    EXPECT_EQ(call("SetValue", {i(1), i(6)}), 1);  // top turns back to left
    EXPECT_EQ(call("GetValue", {i(1)}), 4);
    EXPECT_EQ(call("SetValue", {i(1), i(4)}), 0);  // already there
    EXPECT_EQ(call("SetValue", {i(1), i(7)}), 1);
    EXPECT_EQ(call("GetValue", {i(1)}), 2);
    EXPECT_EQ(call("SetValue", {i(1), i(8)}), 0);

    EXPECT_EQ(call("SetValue", {i(2), i(1)}), 1);
    EXPECT_EQ(call("SetValue", {i(2), i(1)}), 1);  // already on: no second toggle
    EXPECT_EQ(call("SetValue", {i(2), i(2)}), 1);
    EXPECT_EQ(call("GetValue", {i(2)}), 0);
    EXPECT_EQ(call("SetValue", {i(3), i(v->view.smooth ? 0 : 1)}), 1);
    EXPECT_EQ(call("SetValue", {i(4), i(1)}), 1);
    EXPECT_EQ(call("SetValue", {i(4), i(9)}), 1);
    EXPECT_EQ(call("GetValue", {i(4)}), 1);
    EXPECT_EQ(call("SetValue", {i(6), i(60)}), 1);  // nearest step: 50 and 70 tie, the later wins
    EXPECT_EQ(call("GetValue", {i(6)}), 50);
    EXPECT_EQ(call("SetValue", {i(6), i(50)}), 1);  // same step: nothing to lay out
    EXPECT_EQ(call("SetValue", {i(20), i(0x7F)}), 1);
    EXPECT_EQ(call("GetValue", {i(20)}), 0x7F);
    EXPECT_EQ(call("GetValue", {i(24)}), 1);
    EXPECT_EQ(call("SetValue", {i(9), i(1)}), 0);
    EXPECT_EQ(call("GetValue", {i(13)}), 0);  // no page shown
    EXPECT_EQ(call("Scroll", {i(3), i(2)}), 1);
    EXPECT_EQ(call("Scroll", {i(4), i(3)}), 1);
    EXPECT_EQ(call("Scroll", {i(5), i(1)}), 1);
    const std::vector<std::string> expected = {
        "orientation 0", "orientation 3", "orientation 1", "negative",
        "negative",      "smooth",        "mouse 1",       "repaint toolbar-checks refit",
        "v 3 0",         "h 6 0"};
    EXPECT_EQ(g_ops, expected);
}

TEST_F(ScriptMethods, PrintAlwaysTellsThePage) {
    EXPECT_EQ(call("Print", {i(4)}), 0);  // automatic printing not allowed
    EXPECT_EQ(call("Print", {i(7)}), 0);
    EXPECT_TRUE(g_ops.empty());
    EXPECT_EQ(call("Print", {i(5)}), 1);  // falls back to the dialog
    v->settings.allowautoprint = 1;
    EXPECT_EQ(call("Print", {i(4)}), 1);
    EXPECT_EQ(g_ops, (std::vector<std::string>{"print dialog", "print quick"}));
}

TEST_F(ScriptMethods, TextValuesAndUploadFields) {
    EXPECT_EQ(call("SetValueString", {i(19), s("#102030")}), 1);
    EXPECT_EQ(call_string("GetValueString", {i(19)}), "#102030");
    EXPECT_EQ(call("SetValueString", {i(19), s("102030")}), 0);
    EXPECT_EQ(call("SetValueString", {i(19), i(5)}), 0);  // not a text
    v->settings.bgcolor = 0x00FF00;
    EXPECT_EQ(call("SetValueString", {i(19), s("")}), 1);
    EXPECT_EQ(call_string("GetValueString", {i(19)}), "#00ff00");
    EXPECT_EQ(v->ui.bgcolor_from_settings, 1);

    EXPECT_EQ(call("SetValueString", {i(21), s("http://up.test/a b#c")}), 1);
    EXPECT_EQ(call_string("GetValueString", {i(21)}), "http://up.test/a_b_c");
    EXPECT_EQ(call("SetValueString", {i(23), s("scan 1#.tif")}), 1);
    EXPECT_EQ(call_string("GetValueString", {i(23)}), "scan 1_.tif");
    EXPECT_EQ(call_string("GetValueString", {i(22)}), "");
    EXPECT_EQ(call("SetValueString", {i(21), s(std::string(2048, 'x').c_str())}), 0);
    EXPECT_EQ(call("SetValueString", {i(99), s("x")}), 0);

    EXPECT_EQ(call("AddUploadParam", {s("a#b"), s("1")}), 1);
    EXPECT_EQ(call("AddUploadParam", {s("a"), i(1)}), 0);
    EXPECT_EQ(call("DeleteUploadParam", {s("a#b")}), 0);
    EXPECT_EQ(call("DeleteUploadParam", {s("a_b")}), 1);
    v->access_flags |= 0x4000;
    EXPECT_EQ(call("AddUploadParam", {s("a"), s("1")}), 0);
    EXPECT_EQ(call("Upload", {i(1), i(0)}), 0);
}

TEST_F(ScriptMethods, WhatTheUploadBoxNamesCannotChangeWhileItIsOpen) {
    EXPECT_EQ(call("SetValueString", {i(21), s("http://up.test/agreed")}), 1);
    EXPECT_EQ(call("AddUploadParam", {s("kept"), s("1")}), 1);
    v->annotate.upload.confirming = 1;
    EXPECT_EQ(call("SetValueString", {i(21), s("http://elsewhere.test/")}), 0);
    EXPECT_EQ(call("SetValueString", {i(22), s("other")}), 0);
    EXPECT_EQ(call("SetValueString", {i(23), s("other.tif")}), 0);
    EXPECT_EQ(call("AddUploadParam", {s("added"), s("2")}), 0);
    EXPECT_EQ(call("DeleteUploadParam", {s("kept")}), 0);
    EXPECT_EQ(call("LoadImage", {s("http://x.test/b.tif"), i(0), i(0)}), 0);
    EXPECT_EQ(call("ClearAnnotations", {i(1), i(1)}), 0);
    EXPECT_EQ(call_string("GetValueString", {i(21)}), "http://up.test/agreed");
    EXPECT_EQ(call("SetValueString", {i(19), s("#102030")}), 1);  // unrelated values still change
    v->annotate.upload.confirming = 0;
    EXPECT_EQ(call("DeleteUploadParam", {s("kept")}), 1);
}

// The magnifier shows the page's background too: a new colour repaints it.
TEST_F(ScriptMethods, BackgroundColourReachesBothWindows) {
    EXPECT_EQ(call("SetValueString", {i(19), s("#102030")}), 1);
    EXPECT_EQ(call("SetValueString", {i(19), s("")}), 1);  // back to the settings' colour
    EXPECT_EQ(call("SetValueString", {i(19), s("red")}), 0);
    const std::string both = "repaint brush image erase magnifier";
    EXPECT_EQ(g_ops, (std::vector<std::string>{both, both}));
}

TEST_F(ScriptMethods, CropSelectionByPageNumber) {
    open_document();
    EXPECT_EQ(call("SetCropSelect", {i(1), i(2), i(1), i(1), i(4), i(2)}), 1);
    EXPECT_EQ(v->mouse.crop_select, 1);
    const int dir = document_directory_of_page(&v->document.file->document, 1);
    const PageMarks* m = marks_find(&v->document.file->marks, dir);
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->crop_set);
    EXPECT_EQ(m->crop.left, 1);
    EXPECT_EQ(m->crop.right, 4);
    EXPECT_EQ(m->crop.bottom, 2);
    EXPECT_EQ(call("SetCropSelect", {i(0), i(2), i(0), i(0), i(0), i(0)}), 1);
    EXPECT_FALSE(m->crop_set);
    EXPECT_EQ(call("SetCropSelect", {i(1), i(9), i(0), i(0), i(1), i(1)}), 1);  // no such page
    EXPECT_EQ(g_ops, (std::vector<std::string>{"repaint image magnifier", "repaint image magnifier"}));
    v->access_flags |= 0x800;
    v->mouse.crop_select = 0;
    EXPECT_EQ(call("SetCropSelect", {i(1), i(0), i(0), i(0), i(1), i(1)}), 1);
    EXPECT_EQ(v->mouse.crop_select, 0);
    EXPECT_EQ(call("ClearAnnotations", {i(1), i(1)}), 0);
}

TEST_F(ScriptMethods, LoadImageNeedsATextAndNoDownloadUnderWay) {
    EXPECT_EQ(call("LoadImage", {i(1), i(1), i(0)}), 0);
    EXPECT_EQ(call("LoadImage", {s(""), i(1), i(0)}), 1);  // just closes
    v->stream.state = DownloadState::kReceiving;
    EXPECT_EQ(call("LoadImage", {s("http://x.test/a.tif"), i(1), i(0)}), 0);
}

TEST_F(ScriptMethods, PenMarksByPageAndThePenColour) {
    open_document();
    EXPECT_EQ(call("GetValue", {i(41)}), 0);
    const int dir = document_directory_of_page(&v->document.file->document, 2);
    PageMarks* m = marks_for(&v->document.file->marks, dir, v->document.file->document.directory_count);
    ASSERT_NE(m, nullptr);
    ASSERT_TRUE(marks_add_pen(m, PenSegment{1, 1, 2, 2, 0}));
    EXPECT_EQ(call("GetValue", {i(41)}), 1);
    EXPECT_EQ(call("GetPageValue", {i(3), i(41)}), 1);
    EXPECT_EQ(call("GetPageValue", {i(2), i(41)}), 0);
    EXPECT_EQ(call("GetPageValue", {i(3), i(40)}), 0);
    EXPECT_EQ(call("GetPageValue", {i(4), i(41)}), 0);
    EXPECT_EQ(call("ClearAnnotations", {i(3), i(2)}), 1);  // only which 1 clears
    EXPECT_EQ(call("GetPageValue", {i(3), i(41)}), 1);
    EXPECT_EQ(call("ClearAnnotations", {i(3), i(1)}), 1);
    EXPECT_EQ(call("GetValue", {i(41)}), 0);
    EXPECT_EQ(g_ops, (std::vector<std::string>{"repaint image magnifier"}));

    EXPECT_EQ(call_string("GetValueString", {i(31)}), "#000000");
    EXPECT_EQ(call("SetValueString", {i(31), s("#ff0010")}), 1);
    EXPECT_EQ(v->annotate.pen_color, 0x1000FFu);
    EXPECT_EQ(call_string("GetValueString", {i(31)}), "#ff0010");
    EXPECT_EQ(call("SetValueString", {i(31), s("red")}), 0);
}
