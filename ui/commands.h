#pragma once
// The viewer's command identifiers and what each one does. The context menu,
// the toolbar and scripts all reach the same operations through these
// numbers; the numbers double as string-table ids of the menu texts.
#include <cstdint>

enum CommandId : int {
    kCmdPrint = 49001,
    kCmdSaveAs = 49002,
    kCmdCopyImage = 40016,
    kCmdSmooth = 49003,
    kCmdNegative = 49004,
    kCmdOrientationOriginal = 49005,  // … 49008: orientation 0 … 3
    kCmdOrientationRight = 49006,
    kCmdOrientationUpsideDown = 49007,
    kCmdOrientationLeft = 49008,
    kCmdRotateRight = 49009,
    kCmdRotateLeft = 49010,
    kCmdRotate180 = 49011,
    kCmdAbout = 49013,
    kCmdNextPage = 49014,
    kCmdPreviousPage = 49015,
    kCmdFirstPage = 49016,
    kCmdLastPage = 49017,
    kCmdViewImage = 49020,
    kCmdOpenNewWindow = 49021,
    kCmdOpenLocalFile = 49022,
    kCmdCopyImageLocation = 49023,
    kCmdSaveAllSettings = 49024,
    kCmdCopyLinkLocation = 49026,
    kCmdWallpaperCentered = 49027,
    kCmdWallpaperTiled = 49028,
    kCmdWallpaperStretched = 49029,
    kCmdCheckVersion = 49034,
    kCmdZoom100 = 49036,
    kCmdFitWidth = 49037,
    kCmdFitHeight = 49038,
    kCmdBestFit = 49039,
    kCmdZoom5 = 49040,  // … 49046: 5, 10, 17, 25, 33, 50, 70 %
    kCmdZoom70 = 49046,
    kCmdZoomWindow100 = 49050,  // … 49059: 100, 90, … 10 %
    kCmdZoomWindow10 = 49059,
    kCmdSendImage = 49069,
    kCmdMoreSettings = 49071,
    kCmdShowErrorLog = 49074,
    kCmdRemoveLastMark = 49076,
    kCmdRemoveAllMarks = 49077,
    kCmdTagsThisPage = 49078,
    kCmdTagsAllPages = 49079,
    kCmdMouseNone = 49080,
    kCmdMouseZoom = 49081,
    kCmdMousePan = 49082,
    kCmdMouseWhiteOut = 49083,
    kCmdMouseCrop = 49084,
    kCmdMouseDraw = 49085,
    kCmdMouseErase = 49086,
    kCmdZoom200 = 49100,  // … 49104: 200, 300, 400, 800, 1600 %
    kCmdZoom1600 = 49104,
    kCmdZoomWindow200 = 49110,  // … 49114
    kCmdZoomWindow1600 = 49114,
    kCmdUpload = 49115,
    kCmdPenColor = 49116,
    kCmdClearPen = 49117,
    // Not on the menu: the toolbar's quick-print button (default printer, no dialog).
    kCmdQuickPrint = 49118,
    kCmdHomePage = 40025,
};

// What a command does, with its one value.
enum class CommandKind {
    kNone,   // not a command: nothing happens
    kPrint,  // value: 0 with the print dialog, 1 quick print to the default printer
    kSaveAs,
    kCopyImage,
    kToggleSmooth,
    kToggleNegative,
    kSetOrientation,  // value: 0 … 3
    kTurn,            // value: quarter turns to add (1, -1, 2)
    kAbout,
    kPageStep,         // value: a PageStep (0 previous, 1 next, 2 first, 3 last)
    kOpenDownloadUrl,  // value: 0 "_self", 1 "_blank"
    kOpenLocalFile,
    kCopyImageLocation,
    kSaveAllSettings,
    kCopyLinkLocation,
    kWallpaper,  // value: 0 centred, 1 tiled, 2 stretched
    kCheckVersion,
    kFixedZoom,        // value: percent
    kSizeMode,         // value: 1 fit width, 2 fit height, 3 best fit
    kZoomWindowScale,  // value: percent
    kSendImage,
    kMoreSettings,
    kShowErrorLog,
    kRemoveLastMark,
    kRemoveAllMarks,
    kTags,       // value: 0 this page, 1 all pages
    kMouseMode,  // value: 0 … 6
    kUpload,
    kPenColor,
    kClearPen,
    kHomePage,
};

struct Command {
    CommandKind kind = CommandKind::kNone;
    int value = 0;
};

Command command_decode(int id);

// The menu text of a command or submenu id (with its & mnemonic); null for an
// unknown id. The resource string table carries the same texts.
const char16_t* command_text(int id);

// The product home page the "Home Page" item opens.
extern const char16_t kHomePageUrl[];
