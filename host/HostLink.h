// The module's copy of the host's entry-point table and the host's version.
// Both are module-wide: Load fills the table, MirandaPluginInfo the version.
#pragma once

#include "host/HostAbi.h"

extern PLUGINLINK PluginLink;  // copied from the host in Load; all-zero before
extern uint32_t HostVersion;   // 0 until the host's information query
// A Unicode build of the host, as Load found out; false before Load. On such
// a host the plug-in's texts are UTF-8 and reach it as wide text.
extern bool HostIsUnicode;

// "CallService" through the copied table; 0 when the host has not given one
// yet, so that nothing reached before Load can jump through a null pointer.
intptr_t CallHostService(const char* serviceName, HostWParam wParam, HostLParam lParam);
