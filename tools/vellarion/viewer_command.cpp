// `vellarion viewer [name=value ...]`: makes a viewer from embed parameters, as a
// page would, and prints what it decided. Handy for checking how a page's
// parameters will be read before deploying it.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "config/zoom_steps.h"
#include "host/viewer.h"
#include "tools/vellarion/command.h"
#include "ui/toolbar_items.h"

namespace {
std::string utf8(const BoundedText* t) { return text_to_utf8(btext_view(t)); }

void print_viewer(const Viewer* v) {
    static const char* const kSizeModes[] = {"fixed", "fit width", "fit height", "best fit"};
    static const char* const kOrient[] = {"top", "right", "bottom", "left"};
    const int sm = v->view.size_mode, ori = v->view.orientation;
    printf("mode            %s\n", v->browser.mode == kModeFull ? "full page" : "embedded");
    printf("size mode       %s\n", sm >= 0 && sm < 4 ? kSizeModes[sm] : "?");
    printf("zoom            %d%%\n", zoom_step_percent(ZoomTable::kImage, v->view.zoom_index));
    printf("orientation     %s\n", ori >= 0 && ori < 4 ? kOrient[ori] : "?");
    printf("negative        %d\nsmooth          %d\nmouse mode      %d\n", v->view.negative, v->view.smooth,
           v->view.mouse_mode);
    printf("start page      %d\n", v->stream.start_page + 1);
    printf("toolbar         %s\n", v->ui.toolbar_position == 0   ? "off"
                                   : v->ui.toolbar_position == 1 ? "top"
                                                                 : "bottom");
    std::string items;
    // Appended in two steps: GCC 12's -Wrestrict misreads `"," + std::string`, inlined
    // into an optimised build, as an overlapping copy.
    for (int i : v->ui.toolbar_items) {
        if (!items.empty()) items += ',';
        items += text_to_utf8(kToolbarCodes[i]);
    }
    printf("toolbar items   %s\n", items.c_str());
    char16_t colour[8];
    colour_to_text(v->ui.background_color, colour, 8);
    printf("background      %s\n", text_to_utf8(colour).c_str());
    printf("access flags    0x%X\n", unsigned(v->access_flags));
    printf("event mask      %u\n", unsigned(v->events.mask));
    printf("allow select    %d\ncrop select     %d\nsketch buttons  %d\n", v->mouse.allow_select, v->mouse.crop_select,
           v->annotate.sketch_buttons);
    printf("href            %s\ntarget          %s\n", utf8(&v->mouse.href).c_str(), utf8(&v->mouse.target).c_str());
    printf("upload url      %s\n", utf8(&v->annotate.upload.url).c_str());
    printf("download        %s\n", v->stream.state == DownloadState::kRequested ? "requested (src given)" : "none");
}

int run(int argc, char** argv) {
    std::vector<Text16> names, values;
    bool full = false;
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--full-page")) {
            full = true;
            continue;
        }
        const char* eq = strchr(argv[i], '=');
        if (!eq) {
            fprintf(stderr, "vellarion viewer: expected name=value, got '%s'\n", argv[i]);
            return 2;
        }
        names.push_back(text_from_utf8(std::string(argv[i], size_t(eq - argv[i]))));
        values.push_back(text_from_utf8(eq + 1));
    }
    std::vector<const char16_t*> np, vp;
    for (size_t i = 0; i < names.size(); ++i) {
        np.push_back(names[i].c_str());
        vp.push_back(values[i].c_str());
    }
    MemorySettingsStore store;  // the defaults: no registry here
    ViewerCreateArgs a;
    a.mode = full ? kModeFull : kModeEmbed;
    a.count = int(np.size());
    a.names = np.data();
    a.values = vp.data();
    a.store = &store;
    Viewer* v = nullptr;
    const int result = viewer_create(a, &v);
    if (result != 0) {
        fprintf(stderr, "vellarion viewer: creation failed with %d\n", result);
        return 1;
    }
    print_viewer(v);
    viewer_free(v);
    return 0;
}
}  // namespace

VL_CLI_COMMAND(viewer, "viewer", "[--full-page] [name=value ...]  how a page's embed parameters are read", run);
