#include "host/HostLink.h"

PLUGINLINK PluginLink = {};
uint32_t HostVersion = 0;
bool HostIsUnicode = false;

intptr_t CallHostService(const char* serviceName, HostWParam wParam, HostLParam lParam) {
    if (!PluginLink.CallService) return 0;
    return PluginLink.CallService(serviceName, wParam, lParam);
}
