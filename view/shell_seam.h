#pragma once
// The one way the portable core reaches the Win32 shell. A state change names
// the parts of the screen that show it in one shell_repaint(v, what); the
// shell brings them up to date in a fixed order. The kinds of change below
// list every window that shows each state, so no caller can forget one (the
// magnifier shows the same page, marks and background as the image window).
// The few requests that are not repaints (the progress bar, the wait cursor,
// what a page's script runs in the shell) are the other members.
// The shell installs the seam once at module start-up; tests install a
// recording fake. A member left null does nothing.
struct Viewer;

// Parts of the screen, one bit each. The shell handles them in this order.
enum ShellPart : unsigned {
    kShellBrush = 1u << 0,          // a new background brush from the viewer's colour
    kShellToolbarBuild = 1u << 1,   // the toolbar measured and built again, then the windows placed
    kShellWindowLayout = 1u << 2,   // the toolbar band and the image window placed again
    kShellTooltips = 1u << 3,       // tooltips on or off from the settings
    kShellToolbarStates = 1u << 4,  // the toolbar's enabled and checked states
    kShellToolbarChecks = 1u << 5,  // only its checked states (the view's modes)
    kShellFit = 1u << 6,            // displayed size and scroll bars anew, from the start; repaints
    kShellRefit = 1u << 7,          // the same keeping the relative scroll position; repaints
    kShellImage = 1u << 8,          // the image window paints again
    kShellErase = 1u << 9,          // ... its background erased first (with kShellImage)
    kShellMagnifier = 1u << 10,     // the open magnifier paints again
    kShellPageList = 1u << 11,      // the page list holds 1 .. page count
    kShellStatus = 1u << 12,        // the status line shows v->shell.status_text; empty removes it
    kShellToolbarNow = 1u << 13,    // the toolbar paints at once, not when the queue reaches it
};

// The kinds of change, each with every part that shows it.
// What the page looks like: its turn, negative, smoothing, white-outs and pen.
constexpr unsigned kShowPageLook = kShellImage | kShellMagnifier;
// The background colour: around the page in both windows.
constexpr unsigned kShowBackground = kShellBrush | kShellImage | kShellErase | kShellMagnifier;
// Another page (or none) shown: its size, the scroll bars and the picture.
constexpr unsigned kShowNewPage = kShellFit | kShellMagnifier;
// The view's size mode or zoom step: the toolbar's checks and the fitted size.
constexpr unsigned kShowViewSize = kShellToolbarChecks | kShellRefit;

struct ShellSeam {
    // Brings the parts named by `what` (ShellPart bits) up to date.
    void (*repaint)(Viewer* v, unsigned what) = nullptr;
    // The download's progress bar at `percent`; a negative value removes it.
    void (*progress)(Viewer* v, int percent) = nullptr;
    void (*wait_cursor)(Viewer* v, bool on) = nullptr;
    void (*post_autoprint)(Viewer* v) = nullptr;  // the deferred print, once the stream call has returned

    // What a page's script asks for that runs in the shell.
    void (*about_box)(Viewer* v) = nullptr;
    // 1 printed, 0 not; -1 the viewer was destroyed meanwhile (touch nothing).
    int (*print)(Viewer* v, bool with_dialog) = nullptr;
    void (*zoom_window)(Viewer* v, bool open) = nullptr;
    void (*set_orientation)(Viewer* v, int orientation) = nullptr;  // fires its event
    void (*toggle_negative)(Viewer* v) = nullptr;                   // fires its event
    void (*toggle_smoothing)(Viewer* v) = nullptr;
    void (*set_mouse_mode)(Viewer* v, int mode) = nullptr;                    // fires its event when it changes
    void (*set_size_mode)(Viewer* v, int mode) = nullptr;                     // lays out, fires its event
    void (*scroll)(Viewer* v, bool vertical, int code, int thumb) = nullptr;  // SB_* codes
    int (*upload)(Viewer* v, int tag) = nullptr;                              // asks first; 1 uploaded
};

// Installs the shell (a copy is kept); an empty ShellSeam uninstalls it.
void shell_install(const ShellSeam& seam);
const ShellSeam& shell();
// The one call every state change goes through.
void shell_repaint(Viewer* v, unsigned what);
