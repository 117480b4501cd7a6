#pragma once
// GetProcAddress hands back a generic function pointer; going through void*
// says that we know the real type, which the compiler cannot check.
#include <windows.h>

template <class F>
F proc_address(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
