// The smallest plug-in there can be: the three exports, doing nothing. Built
// with the real plug-in's compiler, flags and runtime, its size is what the
// toolchain costs before the plug-in adds anything.
#include "host/HostAbi.h"

extern "C" __cdecl PLUGININFO* MirandaPluginInfo(uint32_t) { return nullptr; }

extern "C" __cdecl int Load(PLUGINLINK*) { return 0; }

extern "C" __cdecl int Unload() { return 0; }
