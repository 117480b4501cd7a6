#pragma once
// Points the core's message boxes at MessageBoxW.
void msgbox_install_platform();
