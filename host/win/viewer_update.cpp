#include "host/win/viewer_update.h"

#include "host/browser.h"
#include "host/viewer.h"
#include "host/viewer_registry.h"
#include "host/win/module.h"

UpdateViewer viewer_update_target(Viewer* v) {
    UpdateViewer u;
    u.window = static_cast<HWND>(v->shell.plugin_window);
    u.allowed = !(v->access_flags & kAccessNoUpdateCheck);
    u.auto_update = v->settings.autoupdate;
    u.errors = &v->logs.error;
    u.process = &module().process;
    u.instance = module().instance;
    return u;
}

void update_arm(Viewer* v) { update_arm(viewer_update_target(v)); }

void update_on_timer(Viewer* v) { update_on_timer(viewer_update_target(v)); }

void update_command(Viewer* v) { update_command(viewer_update_target(v)); }

bool update_start(Viewer* v) { return v && update_start(viewer_update_target(v)); }

LRESULT update_on_host_message(Viewer* v, WPARAM wp, LPARAM lp) {
    return update_on_host_message(viewer_update_target(v), wp, lp);
}

LRESULT update_on_socket_message(Viewer* v, WPARAM wp, LPARAM lp) {
    const ViewerHandle handle(v);
    const UpdateAnswer a = update_on_socket_message(viewer_update_target(v), wp, lp);
    // The new-version dialog's loop may have seen the viewer destroyed.
    if (!(v = handle.get())) return 0;
    if (a.answered) v->settings.autoupdate = a.auto_update ? 1 : 0;
    if (!a.page_url.empty())
        browser_navigate(static_cast<NPP>(v->browser.npp), a.page_url.c_str(), a.target.c_str(), Navigable::kWebOnly);
    return 0;
}
