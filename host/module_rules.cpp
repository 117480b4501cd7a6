#include "host/module_rules.h"

int module_ui_font_height(int lf_height) {
    int height = lf_height;
    if (height < 0) height = static_cast<int>(-height * 16.0 / 11.0 + 0.5);
    return height < 16 ? 16 : height;
}

bool module_wheel_needs_registered_message(unsigned major_version, bool nt_platform) {
    return major_version < 4 || (major_version == 4 && !nt_platform);
}
