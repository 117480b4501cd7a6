#include "ui/toolbar_table.h"

#include "ui/commands.h"

namespace {
using K = ToolbarKind;
using A = ToolbarAction;
constexpr uint16_t tip(int index) { return uint16_t(kToolbarTooltipBase + index); }
}  // namespace

const char16_t kToolbarUploadToText[] = u"Upload to";

// kind, width units, icon, tooltip id, created disabled, action, value, tooltip text
const ToolbarItemInfo kToolbarItemTable[kToolbarItemCount] = {
    {K::kSeparator, 6, 0, 0, false, A::kNone, 0, nullptr},
    {K::kPush, 23, 105, tip(1), true, A::kCommand, kCmdPrint, u"Print"},
    {K::kPush, 23, 110, tip(2), true, A::kCommand, kCmdSaveAs, u"Save as"},
    {K::kPush, 23, 109, tip(3), true, A::kCommand, kCmdCopyImage, u"Copy to clipboard"},
    {K::kToggle, 23, 140, tip(4), false, A::kCommand, kCmdMouseZoom, u"Zooming mode"},
    {K::kToggle, 23, 141, tip(5), false, A::kCommand, kCmdMousePan, u"Panning mode"},
    {K::kToggle, 23, 131, tip(6), false, A::kSizeMode, 3, u"Best fit"},
    {K::kToggle, 23, 117, tip(7), false, A::kSizeMode, 1, u"Fit to window width"},
    {K::kToggle, 23, 133, tip(8), false, A::kSizeMode, 0, u"Fixed size"},
    {K::kSpinner, 12, 0, tip(9), false, A::kSpinner, 0, u"Select fixed size"},
    {K::kToggle, 23, 114, tip(10), false, A::kCommand, kCmdOrientationLeft, u"Rotated left"},
    {K::kToggle, 23, 111, tip(11), false, A::kCommand, kCmdOrientationOriginal, u"Original orientation"},
    {K::kToggle, 23, 113, tip(12), false, A::kCommand, kCmdOrientationRight, u"Rotated right"},
    {K::kToggle, 23, 112, tip(13), false, A::kCommand, kCmdOrientationUpsideDown, u"Upside down"},
    {K::kToggle, 23, 115, tip(14), false, A::kCommand, kCmdNegative, u"Negative image"},
    {K::kPush, 17, 108, tip(15), true, A::kCommand, kCmdPreviousPage, u"Previous page"},
    {K::kPush, 17, 107, tip(16), true, A::kCommand, kCmdNextPage, u"Next page"},
    {K::kToggle, 23, 151, tip(17), false, A::kMenu, 0, u"Menu"},
    {K::kPush, 23, 106, tip(18), false, A::kCommand, kCmdAbout, u"Viewer information and image properties"},
    {K::kPageList, 42, 0, tip(19), true, A::kPageList, 0, u"Choose page"},
    {K::kPush, 23, 123, tip(20), false, A::kCommand, kCmdOpenLocalFile, u"Open"},
    {K::kToggle, 23, 118, tip(21), false, A::kSizeMode, 2, u"Fit to window height"},
    {K::kToggle, 23, 136, tip(22), false, A::kCommand, kCmdSmooth, u"Smooth image"},
    {K::kPush, 23, 154, tip(23), false, A::kCommand, kCmdRotateLeft, u"Rotate 90 degrees left"},
    {K::kPush, 23, 155, tip(24), false, A::kCommand, kCmdRotateRight, u"Rotate 90 degrees right"},
    {K::kPush, 23, 156, tip(25), true, A::kCommand, kCmdSendImage, u"Send as email attachment"},
    {K::kPush, 23, 157, tip(26), true, A::kCommand, kCmdQuickPrint, u"Quick print to default printer"},
    {K::kToggle, 23, 161, tip(27), false, A::kCommand, kCmdMouseWhiteOut, u"White-out mode"},
    {K::kToggle, 23, 165, tip(28), false, A::kCommand, kCmdMouseDraw, u"Drawing mode"},
    {K::kToggle, 23, 166, tip(29), false, A::kCommand, kCmdMouseErase, u"Erasing mode"},
    {K::kPush, 23, 167, tip(30), true, A::kCommand, kCmdUpload, u"Upload"},
    {K::kPush, 23, 168, tip(31), false, A::kCommand, kCmdRotate180, u"Rotate 180 degrees"},
};
