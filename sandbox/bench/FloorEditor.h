// The floor editor: what the plug-in's editor shows, made the way a small
// Win32 program makes it, opened from an entry of the host's main menu.
#pragma once

#include <cstddef>

#include "sandbox/SandboxHost.h"

// Adds the floor's entry to the host's main menu, after the plug-in's, and
// returns its index. The floor editor's windows belong to the bench
// program's module (GetModuleHandle(nullptr)), as the plug-in's belong to
// the DLL: that is how the editor bench tells them apart.
size_t AddFloorMenuEntry(SandboxHost& host);
