// The instance handle of the module this code is linked into (the DLL, or a
// test program), for window classes, windows and resource lookups.
#pragma once

#include <windows.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

inline HINSTANCE ModuleInstance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }
