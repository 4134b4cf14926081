#include "plugin/LoginSync.h"

#include <cstring>

#include "host/HostHelpers.h"
#include "host/IcqAccountLookup.h"
#include "host/IcqProtocol.h"
#include "plugin/VisibilityPass.h"

// A successful status ack of the account itself, with the module named:
// the only kind that says whether an account is logged in.
static const ACKDATA* AccountStatusAck(const ACKDATA* ack) {
    if (!ack || ack->cbSize < static_cast<int32_t>(sizeof(ACKDATA))) return nullptr;
    if (ack->type != ACKTYPE_STATUS || ack->result != ACKRESULT_SUCCESS || ack->hContact != 0)
        return nullptr;
    if (!ack->szModule || !*ack->szModule) return nullptr;
    return ack;
}

const char* ModuleThatLoggedIn(const ACKDATA* ack) {
    ack = AccountStatusAck(ack);
    if (!ack) return nullptr;
    const intptr_t previous = reinterpret_cast<intptr_t>(ack->hProcess);
    if (IsLoggedInStatus(previous) || !IsLoggedInStatus(ack->lParam)) return nullptr;
    return ack->szModule;
}

const char* ModuleNotLoggedIn(const ACKDATA* ack) {
    ack = AccountStatusAck(ack);
    return ack && !IsLoggedInStatus(ack->lParam) ? ack->szModule : nullptr;
}

static void SetApparentMode(ContactHandle contact, HostWParam mode) {
    CallContactService(contact, kPssSetApparentMode, mode, 0);
}

// The module changes the server only when a call changes the stored mode:
// it takes the contact off the old mode's list, if it has an entry there,
// and puts it on the new mode's list, if it has none there yet. An entry the
// module adds and at once removes again can stay on the server, so no call
// here adds an entry that a later one takes away, nor one on the wrong list.
static void LineUpContact(ContactHandle contact, const char* module, ApparentMode decision) {
    const bool onVisible = GetSettingDword(contact, module, kIcqVisibleItemId, 0) != 0;
    const bool onInvisible = GetSettingDword(contact, module, kIcqInvisibleItemId, 0) != 0;
    const bool visible = decision == ApparentMode::Online;
    const bool onDecided = visible ? onVisible : onInvisible;
    const bool onOpposite = visible ? onInvisible : onVisible;
    if (onDecided && !onOpposite) return;

    const HostWParam decided = visible ? ID_STATUS_ONLINE : ID_STATUS_OFFLINE;
    const HostWParam opposite = visible ? ID_STATUS_OFFLINE : ID_STATUS_ONLINE;
    const uint32_t stored = GetSettingDword(contact, module, kIcqApparentMode, 0);
    if (onOpposite) {
        // Only a change away from the opposite mode removes that entry; the
        // opposite mode itself adds nothing, since the entry is there.
        if (stored != opposite) SetApparentMode(contact, opposite);
    } else if (stored == decided) {
        // The stored mode already says so, and a call with it does nothing:
        // 0 first, which finds no entry to remove.
        SetApparentMode(contact, 0);
    }
    SetApparentMode(contact, decided);
}

namespace {

struct SyncState {
    const char* module;
    VisibilityLevel globalLevel;
};

void SyncContact(ContactHandle contact, const char* module, void* context) {
    const auto& sync = *static_cast<const SyncState*>(context);
    if (!module || std::strcmp(module, sync.module) != 0) return;
    const ApparentMode decision = DecideApparentMode(NormalPass, sync.globalLevel, ReadVisibilityLevel(contact));
    if (decision != ApparentMode::Unchanged) LineUpContact(contact, sync.module, decision);
}

}  // namespace

void SyncServerLists(const char* module) {
    if (!IcqAccountLookup().IsIcq(module)) return;
    // Without the server-side list, login sent lists built from the stored
    // modes, which the pass on that status change has set.
    if (GetSettingDword(0, module, kIcqUseServerList, 1) == 0) return;
    SyncState sync = {module, ReadVisibilityLevel(0)};
    ForEachContact(SyncContact, &sync);
}
