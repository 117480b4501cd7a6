// The Win32 tests run with the shell's side of the seam installed, as module
// start-up installs it: the commands and dialogs under test reach their windows
// through it.
#include "host/win/shell_win.h"

#include <gtest/gtest.h>

#include "view/shell_seam.h"

namespace {
struct ShellSeamEnvironment : ::testing::Environment {
    void SetUp() override { shell_win_install(); }
    void TearDown() override { shell_install(ShellSeam{}); }
};
[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new ShellSeamEnvironment);
}  // namespace
