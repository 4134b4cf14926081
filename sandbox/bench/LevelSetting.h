// The plug-in's level setting, read through the host as the bench's floors
// read it: one "DB/Contact/GetSetting" call.
#pragma once

#include "host/HostAbi.h"

// The contact's level (0: the global one); 0 when the host has none.
int32_t ReadLevelSetting(const PLUGINLINK& link, ContactHandle contact);
