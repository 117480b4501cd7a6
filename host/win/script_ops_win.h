#pragma once
// Gives the script methods the shell's operations (windows, repainting, the
// shared view commands). Installed once at module start.
void script_install_shell_ops();
