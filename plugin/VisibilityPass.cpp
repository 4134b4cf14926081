#include "plugin/VisibilityPass.h"

#include "host/HostHelpers.h"
#include "host/IcqAccountLookup.h"
#include "plugin/SettingNames.h"

ApparentMode DecideApparentMode(int passKind, VisibilityLevel globalLevel,
                                VisibilityLevel contactLevel) {
    if (passKind == StartupPass) return ApparentMode::Offline;
    if (globalLevel == kAlwaysVisible) return ApparentMode::Online;
    if (globalLevel == kNeverVisible) return ApparentMode::Offline;
    if (contactLevel == kAlwaysVisible) return ApparentMode::Online;
    if (contactLevel == kNeverVisible) return ApparentMode::Offline;
    if (contactLevel >= 1 && contactLevel <= 5)
        return globalLevel > contactLevel ? ApparentMode::Offline : ApparentMode::Online;
    return ApparentMode::Unchanged;
}

VisibilityLevel ReadVisibilityLevel(ContactHandle contact) {
    return static_cast<VisibilityLevel>(
        GetSettingDword(contact, kSettingsModule, kSettingVisibilityLevel, 0));
}

namespace {

struct PassState {
    int passKind;
    VisibilityLevel globalLevel;
    IcqAccountLookup icqModules;
};

void ApplyToContact(ContactHandle contact, const char* module, void* context) {
    auto& pass = *static_cast<PassState*>(context);
    if (!pass.icqModules.IsIcq(module)) return;
    switch (DecideApparentMode(pass.passKind, pass.globalLevel, ReadVisibilityLevel(contact))) {
    case ApparentMode::Online: SetApparentOnline(contact); break;
    case ApparentMode::Offline: SetApparentOffline(contact); break;
    case ApparentMode::Unchanged: break;
    }
}

}  // namespace

void ApplyVisibility(int passKind) {
    PassState pass = {passKind, ReadVisibilityLevel(0), {}};
    ForEachContact(ApplyToContact, &pass);
}
