// The module's three exports and its load notification. The exports use the
// platform's standard calling convention and are listed undecorated in the
// .def file: browsers look them up by their bare names.
#include <windows.h>

#include "config/win/message_box_win.h"
#include "host/browser.h"
#include "host/win/module.h"
#include "host/win/npp_slots.h"
#include "host/win/viewer_quarantine.h"
#include "host/script_object.h"

extern "C" NPError __stdcall NP_GetEntryPoints(NPPluginFuncs* funcs);
extern "C" NPError __stdcall NP_Initialize(NPNetscapeFuncs* funcs);
extern "C" NPError __stdcall NP_Shutdown();

extern "C" NPError __stdcall NP_GetEntryPoints(NPPluginFuncs* funcs) {
    if (!funcs) return NPERR_INVALID_FUNCTABLE_ERROR;
    npp_fill_table(funcs);
    return NPERR_NO_ERROR;
}

extern "C" NPError __stdcall NP_Initialize(NPNetscapeFuncs* funcs) {
    const NPError installed = browser_install(funcs);
    if (installed != NPERR_NO_ERROR) return installed;
    script_class_create();  // a failure leaves the viewers without a scriptable object
    return static_cast<NPError>(module_startup());
}

extern "C" NPError __stdcall NP_Shutdown() {
    module_shutdown();
    script_class_free();
    browser_clear();
    return NPERR_NO_ERROR;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        module() = Module{};
        module().instance = instance;
        viewer_quarantine_from_environment();  // before the first viewer is made
        // A browser that creates viewers without initialising the module must
        // still see the box that says so.
        msgbox_install_platform();
    }
    return TRUE;
}
