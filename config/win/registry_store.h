#pragma once
// The settings store over the registry: HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER
// `SOFTWARE\ZEB\Vellarion`, and the user's low-integrity copy under
// `SOFTWARE\AppDataLow\Software\ZEB\Vellarion`.
#include "config/settings_store.h"

extern const wchar_t kRegistryKeyPath[];
extern const wchar_t kRegistryLowKeyPath[];

// The process-wide store every viewer reads its settings from.
SettingsStore* registry_settings_store();
