// The sandbox host's ICQ protocol module: the apparent mode it stores per
// contact, the server entries it moves while logged in, the login that reads
// the server's lists, and the status acks, in the order the real module
// sends them.
//
// The real module logs in on a network thread of its own. Once it has read
// the server's list it stores the number of records the server sent, sends
// the user's status (the status ack's hooks run on the user-interface thread
// while the network thread waits), starts its queue of server-list changes,
// and then, if the count it stored is 0, takes the server's list for empty
// and adds a root group without data, which replaces the user's own root
// group on the server. Every server change it queues sets the count to 0 at
// once, so that the next login reads the whole list again: a change made
// while the ack's hooks run costs the user the order of their groups.
#include <algorithm>
#include <map>
#include <optional>

#include "sandbox/GuardedRecord.h"
#include "sandbox/SandboxHost.h"

namespace {

// The ICQ module's own names, stated here apart from the plug-in's.
constexpr const char* kUin = "UIN";
constexpr const char* kApparentMode = "ApparentMode";
constexpr const char* kVisibleItemId = "SrvPermitId";
constexpr const char* kInvisibleItemId = "SrvDenyId";
constexpr const char* kUseServerList = "UseServerCList";
// A WORD on contact 0: the records the server sent at the last login.
constexpr const char* kRecordCount = "SrvRecordCount";

constexpr uint32_t kOffline = 40071;
constexpr uint32_t kOnline = 40072;
constexpr uint32_t kConnecting = 1;

bool IsConnecting(uint32_t status) { return status >= 1 && status <= 10000; }

// The server list an apparent mode puts a contact on; none for 0.
std::optional<IcqServer::List> ListOfMode(uint32_t mode) {
    if (mode == kOnline) return IcqServer::List::Visible;
    if (mode == kOffline) return IcqServer::List::Invisible;
    return std::nullopt;
}

const char* ItemIdSetting(IcqServer::List list) {
    return list == IcqServer::List::Visible ? kVisibleItemId : kInvisibleItemId;
}

}  // namespace

std::vector<std::string> SandboxHost::IcqModules() const {
    std::vector<std::string> modules;
    for (const std::string& module : loadedProtocols_)
        if (IsIcqModule(module)) modules.push_back(module);
    return modules;
}

std::vector<ContactHandle> SandboxHost::ContactsOf(const std::string& module) const {
    std::vector<ContactHandle> contacts;
    for (ContactHandle contact : contacts_) {
        const std::string* proto = ProtocolOf(contact);
        if (proto && *proto == module) contacts.push_back(contact);
    }
    return contacts;
}

uint32_t SandboxHost::IcqNumber(ContactHandle contact, const std::string& module,
                                const char* setting) const {
    auto found = settings_.find(SettingKey{contact, module, setting});
    if (found == settings_.end()) return 0;
    const uint8_t type = found->second.type;
    return type == DBVT_BYTE || type == DBVT_WORD || type == DBVT_DWORD ? found->second.number : 0;
}

void SandboxHost::SetIcqWord(ContactHandle contact, const std::string& module, const char* setting,
                             uint32_t value) {
    if (value == 0)
        settings_.erase(SettingKey{contact, module, setting});
    else
        settings_[SettingKey{contact, module, setting}] = StoredSetting{DBVT_WORD, value & 0xFFFF, ""};
    ++settingsRevision_;
}

bool SandboxHost::UsesServerList(const std::string& module) const {
    auto found = settings_.find(SettingKey{0, module, kUseServerList});
    return found == settings_.end() || found->second.number != 0;
}

intptr_t SandboxHost::IcqSetApparentMode(ContactHandle contact, const std::string& module,
                                         HostWParam mode) {
    if (mode != 0 && mode != kOffline && mode != kOnline) return 1;
    const uint32_t stored = IcqNumber(contact, module, kApparentMode);
    if (stored == mode) return 0;
    SetIcqWord(contact, module, kApparentMode, static_cast<uint32_t>(mode));
    const uint32_t uin = IcqNumber(contact, module, kUin);
    if (!IsLoggedInStatus(IcqStatus(module)) || uin == 0) return 0;

    const auto oldList = ListOfMode(stored);
    const auto newList = ListOfMode(static_cast<uint32_t>(mode));
    if (!UsesServerList(module)) {
        // The lists of this session, which login sent: no entries are kept.
        if (oldList) icqServer_->Remove(module, *oldList, uin);
        if (newList) icqServer_->Add(module, *newList, uin);
        return 0;
    }
    // What the module knows of the server is what it stored at login and since.
    bool serverChanged = false;
    if (oldList && IcqNumber(contact, module, ItemIdSetting(*oldList)) != 0) {
        icqServer_->Remove(module, *oldList, uin);
        SetIcqWord(contact, module, ItemIdSetting(*oldList), 0);
        serverChanged = true;
    }
    if (newList && IcqNumber(contact, module, ItemIdSetting(*newList)) == 0) {
        SetIcqWord(contact, module, ItemIdSetting(*newList), icqServer_->Add(module, *newList, uin));
        serverChanged = true;
    }
    // The next login is to read the whole list again.
    if (serverChanged) SetIcqWord(0, module, kRecordCount, 0);
    return 0;
}

uint32_t SandboxHost::IcqStatus(const std::string& module) const {
    auto found = icqAccounts_.find(module);
    return found == icqAccounts_.end() ? kOffline : found->second.status;
}

uint32_t SandboxHost::StoredApparentMode(ContactHandle contact) const {
    const std::string* module = ProtocolOf(contact);
    return module ? IcqNumber(contact, *module, kApparentMode) : 0;
}

uint16_t SandboxHost::ServerItemId(ContactHandle contact, IcqServer::List list) const {
    const std::string* module = ProtocolOf(contact);
    if (!module) return 0;
    const uint32_t uin = IcqNumber(contact, *module, kUin);
    return uin == 0 ? 0 : icqServer_->ItemId(*module, list, uin);
}

int SandboxHost::FireAck(const ACKDATA& ack, size_t readable) {
    const std::shared_ptr<void> record = CopyAgainstGuardPage(&ack, std::min(readable, sizeof ack));
    if (!record) return 0;
    return FireEvent(kEvProtoAck, 0, reinterpret_cast<HostLParam>(record.get()));
}

void SandboxHost::AckIcqStatus(const std::string& module, uint32_t previous, uint32_t status) {
    icqAccounts_[module].status = status;
    ACKDATA ack = {};
    ack.cbSize = sizeof ack;
    ack.szModule = icqAccounts_.find(module)->first.c_str();
    ack.type = ACKTYPE_STATUS;
    ack.result = ACKRESULT_SUCCESS;
    ack.hProcess = reinterpret_cast<void*>(static_cast<uintptr_t>(previous));
    ack.lParam = status;
    NotifyChange();
    FireAck(ack);
}

void SandboxHost::ChangeStatus(uint32_t status) {
    for (const std::string& module : IcqModules()) {
        const uint32_t current = IcqStatus(module);
        if (status == kOffline) {
            if (current != kOffline) AckIcqStatus(module, current, kOffline);
        } else if (current == kOffline) {
            ConnectIcqAccount(module, status);
        } else if (IsConnecting(current)) {
            icqAccounts_[module].loginStatus = status;
        } else if (current != status) {
            AckIcqStatus(module, current, status);
        }
    }
    FireEvent(kEvStatusModeChange, status, 0);
}

void SandboxHost::ConnectIcqAccount(const std::string& module, uint32_t status, int retries) {
    if (IcqStatus(module) != kOffline) return;
    icqAccounts_[module].loginStatus = status;
    AckIcqStatus(module, kOffline, kConnecting);
    for (int retry = 1; retry <= retries; ++retry) AckIcqStatus(module, retry, retry + 1);
}

void SandboxHost::FinishLogins() {
    for (auto& [module, account] : icqAccounts_) {
        if (!IsConnecting(account.status)) continue;
        IcqLogIn(module);
        AckIcqStatus(module, account.status, account.loginStatus);
        // The queue of server changes starts once the ack's hooks are done; a
        // count of 0 now makes the module take the server's list for empty.
        if (UsesServerList(module) && IcqNumber(0, module, kRecordCount) == 0)
            icqServer_->SetRootGroup(module, {});
    }
}

void SandboxHost::IcqLogIn(const std::string& module) {
    const std::vector<ContactHandle> contacts = ContactsOf(module);
    if (!UsesServerList(module)) {
        // The visible and invisible lists of this session, built from the
        // stored modes; the server keeps no entries of them for the module.
        icqServer_->ClearAccount(module);
        for (ContactHandle contact : contacts) {
            const uint32_t uin = IcqNumber(contact, module, kUin);
            const auto list = ListOfMode(IcqNumber(contact, module, kApparentMode));
            if (uin != 0 && list) icqServer_->Add(module, *list, uin);
        }
        ++settingsRevision_;
        return;
    }
    SetIcqWord(0, module, kRecordCount, static_cast<uint32_t>(icqServer_->RecordCount(module)));
    std::map<uint32_t, ContactHandle> byUin;
    for (ContactHandle contact : contacts) {
        SetIcqWord(contact, module, kVisibleItemId, 0);
        SetIcqWord(contact, module, kInvisibleItemId, 0);
        if (const uint32_t uin = IcqNumber(contact, module, kUin)) byUin[uin] = contact;
    }
    // In the server's order: a contact on both lists ends with the mode of
    // the entry the server got last.
    for (const IcqServer::Entry& entry : icqServer_->AllEntries()) {
        auto found = byUin.find(entry.uin);
        if (entry.account != module || found == byUin.end()) continue;
        SetIcqWord(found->second, module, ItemIdSetting(entry.list), entry.itemId);
        SetIcqWord(found->second, module, kApparentMode,
                   entry.list == IcqServer::List::Visible ? kOnline : kOffline);
    }
}
