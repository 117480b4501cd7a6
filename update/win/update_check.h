#pragma once
// The new-version check: one per process, asynchronous through Winsock
// notifications posted to the plug-in window of the viewer that started it,
// so the browser's thread never waits on the network.
#include <windows.h>

#include <cstdint>

#include "base/text.h"

class SettingsStore;
struct ErrorLog;
struct ProcessSettings;

// What a check needs of the viewer it runs for; the host gathers it for each
// call.
struct UpdateViewer {
    HWND window = nullptr;               // the plug-in window: notifications and message boxes
    bool allowed = false;                // the page has not switched checks off
    int auto_update = 0;                 // the viewer's "autoupdate" setting
    ErrorLog* errors = nullptr;          // where an invalid reply is logged
    ProcessSettings* process = nullptr;  // the module's: server, resource and the times of the checks
    HINSTANCE instance = nullptr;        // the new-version dialog's resources
};

// What the user answered in the new-version dialog. Its loop may see the
// viewer destroyed, so the caller applies this only to a viewer still there.
struct UpdateAnswer {
    bool answered = false;  // the viewer's "autoupdate" becomes auto_update
    bool auto_update = false;
    Text16 page_url, target;  // the download page to open; empty: none
};

// Winsock's answers, delivered to the plug-in window's procedure.
constexpr UINT kUpdateHostMessage = WM_APP + 703;    // the host lookup finished
constexpr UINT kUpdateSocketMessage = WM_APP + 704;  // a socket event

// Timer 1 on the plug-in window starts the automatic check.
constexpr UINT_PTR kUpdateTimerId = 1;
constexpr UINT kUpdateTimerDelay = 1500;

// When the image window is made: sets timer 1 when automatic checks are on
// and one is due.
void update_arm(const UpdateViewer& v);
// Timer 1 fired (it is killed by the caller): starts the automatic, silent
// check once per process, if it is still wanted and due.
void update_on_timer(const UpdateViewer& v);
// "Check for New Version": every outcome is reported from now on.
void update_command(const UpdateViewer& v);
// Starts a check for this viewer; false when refused or it could not begin.
bool update_start(const UpdateViewer& v);

LRESULT update_on_host_message(const UpdateViewer& v, WPARAM wp, LPARAM lp);
// The reply is judged when the server closes; a newer version asks the user.
UpdateAnswer update_on_socket_message(const UpdateViewer& v, WPARAM wp, LPARAM lp);

// A plug-in window goes away or the module unloads: the connection is closed
// and the state freed. Harmless when no check runs.
void update_abort();
bool update_running();

// The check's connections to the world, replaceable by tests: the server's
// port (its address comes from the process settings), the clock in stored
// time units, and where the times are written.
struct UpdateHooks {
    uint16_t port = 80;
    uint32_t (*now)() = nullptr;     // null: the system clock
    SettingsStore* store = nullptr;  // null: the registry
};
void update_set_hooks(const UpdateHooks& hooks);
// Clears the process's "verbose" and "checked" flags, as a fresh process has them.
void update_reset_process_flags();
