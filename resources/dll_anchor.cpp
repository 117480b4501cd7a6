// The DLL is the Win32 shell library linked whole; this file gives the target
// one source of its own, as CMake requires.
