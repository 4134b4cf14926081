#include "sandbox/bench/LevelSetting.h"

int32_t ReadLevelSetting(const PLUGINLINK& link, ContactHandle contact) {
    DBVARIANT value = {};
    value.type = DBVT_DWORD;
    DBCONTACTGETSETTING request = {"Quillmere", "VisibilityLevel", &value};
    if (link.CallService(kSvcGetSetting, contact, reinterpret_cast<HostLParam>(&request)) != 0) return 0;
    return static_cast<int32_t>(value.dVal);
}
