#include "plugin/VisibilityPass.h"

#include "host/HostHelpers.h"
#include "host/IcqAccountLookup.h"
#include "host/HostLink.h"
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

static VisibilityLevel ReadLevel(ContactHandle contact) {
    return static_cast<VisibilityLevel>(
        GetSettingDword(contact, kSettingsModule, kSettingVisibilityLevel, 0));
}

void ApplyVisibility(int passKind) {
    const VisibilityLevel globalLevel = ReadLevel(0);
    intptr_t contactCount = CallHostService(kSvcGetContactCount, 0, 0);
    // "No such service" is the most negative count on either host, and a
    // host without the count has no contacts to walk.
    if (contactCount == kServiceNotFound) contactCount = 0;
    ContactHandle contact = CallHostService(kSvcFindFirstContact, 0, 0);
    // The walk also ends when the host runs out of contacts (handle 0, the
    // user's own record) before the count it announced: a count larger than
    // the list must not turn into billions of calls about nobody.
    IcqAccountLookup icqModules;
    for (intptr_t i = 0; i < contactCount && contact != 0; ++i) {
        // The host's text is compared where it lies: the pass makes a call
        // for every contact and copies nothing it need not.
        const intptr_t module = CallHostService(kSvcGetContactBaseProto, contact, 0);
        if (icqModules.IsIcq(reinterpret_cast<const char*>(module))) {
            switch (DecideApparentMode(passKind, globalLevel, ReadLevel(contact))) {
            case ApparentMode::Online: SetApparentOnline(contact); break;
            case ApparentMode::Offline: SetApparentOffline(contact); break;
            case ApparentMode::Unchanged: break;
            }
        }
        contact = CallHostService(kSvcFindNextContact, contact, 0);
    }
}
