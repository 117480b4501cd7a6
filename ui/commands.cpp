#include "ui/commands.h"

#include "ui/context_menu.h"

const char16_t kHomePageUrl[] = u"https://www.vellarion.com/";

namespace {
struct Entry {
    int id;
    const char16_t* text;
};

constexpr Entry kTexts[] = {
    {kCmdPrint, u"&Print\u2026"},
    {kCmdSaveAs, u"Save &As\u2026"},
    {kCmdCopyImage, u"&Copy Image"},
    {kCmdSmooth, u"S&mooth Image"},
    {kCmdNegative, u"&Negative Image"},
    {49005, u"&Original Orientation"},
    {49006, u"Rotated &Right"},
    {49007, u"Upside &Down"},
    {49008, u"Rotated &Left"},
    {kCmdRotateRight, u"Rotate Right"},
    {kCmdRotateLeft, u"Rotate Left"},
    {kCmdRotate180, u"Rotate 180 Degrees"},
    {kCmdAbout, u"About"},
    {kCmdNextPage, u"&Next page"},
    {kCmdPreviousPage, u"&Previous page"},
    {kCmdFirstPage, u"&First Page"},
    {kCmdLastPage, u"&Last Page"},
    {kCmdViewImage, u"&View Image"},
    {kCmdOpenNewWindow, u"Open in New &Window"},
    {kCmdOpenLocalFile, u"Open Local File\u2026"},
    {kCmdCopyImageLocation, u"Copy Image &Location"},
    {kCmdSaveAllSettings, u"Save All Settings"},
    {kCmdCopyLinkLocation, u"Copy Link Location"},
    {kCmdWallpaperCentered, u"Set As Desktop Background \u2013 &Centered"},
    {kCmdWallpaperTiled, u"Set As Desktop Background \u2013 &Tiled"},
    {kCmdWallpaperStretched, u"Set As Desktop Background \u2013 &Stretched"},
    {kCmdCheckVersion, u"Check for New &Version"},
    {kCmdZoom100, u"&Original Size (100%)"},
    {kCmdFitWidth, u"Fit &Width"},
    {kCmdFitHeight, u"Fit &Height"},
    {kCmdBestFit, u"Best &Fit"},
    {49040, u"5%"},
    {49041, u"10%"},
    {49042, u"&17%"},
    {49043, u"&25%"},
    {49044, u"&33%"},
    {49045, u"&50%"},
    {49046, u"&70%"},
    {49100, u"200%"},
    {49101, u"300%"},
    {49102, u"400%"},
    {49103, u"800%"},
    {49104, u"1600%"},
    {49050, u"&100% (Default)"},
    {49051, u"&90%"},
    {49052, u"&80%"},
    {49053, u"&70%"},
    {49054, u"&60%"},
    {49055, u"&50%"},
    {49056, u"&40%"},
    {49057, u"&30%"},
    {49058, u"&20%"},
    {49059, u"10%"},
    {49110, u"200%"},
    {49111, u"300%"},
    {49112, u"400%"},
    {49113, u"800%"},
    {49114, u"1600%"},
    {kCmdSendImage, u"S&end Image\u2026"},
    {kCmdMoreSettings, u"Mo&re Settings"},
    {kCmdShowErrorLog, u"Show &Error Log"},
    {kCmdRemoveLastMark, u"Remove Last Mark"},
    {kCmdRemoveAllMarks, u"Remove All Marks"},
    {kCmdTagsThisPage, u"Show TIFF T&ags \u2013 This Page"},
    {kCmdTagsAllPages, u"Show TIFF Tags \u2013 All Pages"},
    {kCmdMouseNone, u"&None"},
    {kCmdMouseZoom, u"&Zoom"},
    {kCmdMousePan, u"&Pan"},
    {kCmdMouseWhiteOut, u"White-out"},
    {kCmdMouseCrop, u"Crop Select"},
    {kCmdMouseDraw, u"Draw"},
    {kCmdMouseErase, u"Erase"},
    {kCmdUpload, u"Upload"},
    {kCmdPenColor, u"Pen Color\u2026"},
    {kCmdClearPen, u"Clear"},
    {kCmdHomePage, u"Vellarion &Home Page"},
    {kMenuSketch, u"Sketch"},
    {kMenuOrientation, u"&Orientation"},
    {kMenuSize, u"&Size"},
    {kMenuZoomImageSize, u"Zoom Image Size"},
    {kMenuPage, u"Pa&ge"},
    {kMenuMouseMode, u"Mouse Mode"},
    {kMenuTools, u"&Tools"},
};

constexpr int kFixedZoomLow[] = {5, 10, 17, 25, 33, 50, 70};                 // 49040 …
constexpr int kFixedZoomHigh[] = {200, 300, 400, 800, 1600};                 // 49100 …
constexpr int kZoomWindowLow[] = {100, 90, 80, 70, 60, 50, 40, 30, 20, 10};  // 49050 …
constexpr int kMouseModes[] = {2, 0, 1, 3, 4, 5, 6};                         // 49080 …
}  // namespace

const char16_t* command_text(int id) {
    for (const Entry& e : kTexts)
        if (e.id == id) return e.text;
    return nullptr;
}

Command command_decode(int id) {
    using K = CommandKind;
    if (id >= 49005 && id <= 49008) return {K::kSetOrientation, id - 49005};
    if (id >= 49040 && id <= 49046) return {K::kFixedZoom, kFixedZoomLow[id - 49040]};
    if (id >= 49100 && id <= 49104) return {K::kFixedZoom, kFixedZoomHigh[id - 49100]};
    if (id >= 49050 && id <= 49059) return {K::kZoomWindowScale, kZoomWindowLow[id - 49050]};
    if (id >= 49110 && id <= 49114) return {K::kZoomWindowScale, kFixedZoomHigh[id - 49110]};
    if (id >= 49080 && id <= 49086) return {K::kMouseMode, kMouseModes[id - 49080]};
    if (id >= 49027 && id <= 49029) return {K::kWallpaper, id - 49027};
    switch (id) {
    case kCmdPrint: return {K::kPrint};
    case kCmdQuickPrint: return {K::kPrint, 1};
    case kCmdSaveAs: return {K::kSaveAs};
    case kCmdCopyImage: return {K::kCopyImage};
    case kCmdSmooth: return {K::kToggleSmooth};
    case kCmdNegative: return {K::kToggleNegative};
    case kCmdRotateRight: return {K::kTurn, 1};
    case kCmdRotateLeft: return {K::kTurn, -1};
    case kCmdRotate180: return {K::kTurn, 2};
    case kCmdAbout: return {K::kAbout};
    case kCmdPreviousPage: return {K::kPageStep, 0};
    case kCmdNextPage: return {K::kPageStep, 1};
    case kCmdFirstPage: return {K::kPageStep, 2};
    case kCmdLastPage: return {K::kPageStep, 3};
    case kCmdViewImage: return {K::kOpenDownloadUrl, 0};
    case kCmdOpenNewWindow: return {K::kOpenDownloadUrl, 1};
    case kCmdOpenLocalFile: return {K::kOpenLocalFile};
    case kCmdCopyImageLocation: return {K::kCopyImageLocation};
    case kCmdSaveAllSettings: return {K::kSaveAllSettings};
    case kCmdCopyLinkLocation: return {K::kCopyLinkLocation};
    case kCmdCheckVersion: return {K::kCheckVersion};
    case kCmdZoom100: return {K::kFixedZoom, 100};
    case kCmdFitWidth: return {K::kSizeMode, 1};
    case kCmdFitHeight: return {K::kSizeMode, 2};
    case kCmdBestFit: return {K::kSizeMode, 3};
    case kCmdSendImage: return {K::kSendImage};
    case kCmdMoreSettings: return {K::kMoreSettings};
    case kCmdShowErrorLog: return {K::kShowErrorLog};
    case kCmdRemoveLastMark: return {K::kRemoveLastMark};
    case kCmdRemoveAllMarks: return {K::kRemoveAllMarks};
    case kCmdTagsThisPage: return {K::kTags, 0};
    case kCmdTagsAllPages: return {K::kTags, 1};
    case kCmdUpload: return {K::kUpload};
    case kCmdPenColor: return {K::kPenColor};
    case kCmdClearPen: return {K::kClearPen};
    case kCmdHomePage: return {K::kHomePage};
    default: return {};
    }
}
