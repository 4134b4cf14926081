// The sandbox host's protocols and accounts: which protocol modules are
// loaded, the protocol of each contact, the accounts of a host from 0.8 on,
// and the calls routed to a contact's protocol, which the ICQ protocol's
// modules answer (IcqModule.cpp).
#include <algorithm>
#include <cstring>

#include "sandbox/CallLogText.h"
#include "sandbox/GuardedRecord.h"
#include "sandbox/SandboxHost.h"
#include "sandbox/TextCodec.h"

void SandboxHost::AddProtocolServices() {
    AddHostService(kSvcGetAccount, [this](HostWParam wParam, HostLParam lParam) {
        const char* module = reinterpret_cast<const char*>(lParam);
        Record(std::string(kSvcGetAccount) + " " + std::to_string(wParam) + " " + Quote(module));
        return ServeGetAccount(module);
    });
    AddHostService(kSvcGetContactBaseProto, [this](HostWParam wParam, HostLParam) {
        Record(std::string(kSvcGetContactBaseProto) + " " + std::to_string(wParam));
        const std::string* proto = ProtocolOf(wParam);
        return proto ? reinterpret_cast<intptr_t>(proto->c_str()) : 0;
    });
    AddHostService(kSvcIsProtocolLoaded, [this](HostWParam, HostLParam lParam) -> intptr_t {
        const char* proto = reinterpret_cast<const char*>(lParam);
        Record(std::string(kSvcIsProtocolLoaded) + " " + Quote(proto));
        return proto && loadedProtocols_.count(proto) ? 1 : 0;
    });
    AddHostService(kSvcCallContactService, [this](HostWParam, HostLParam lParam) {
        return ServeCallContactService(reinterpret_cast<const CCSDATA*>(lParam));
    });
}

intptr_t SandboxHost::ServeCallContactService(const CCSDATA* call) {
    if (!call) {
        Record(std::string(kSvcCallContactService) + " (null)");
        return kSandboxServiceNotFound;
    }
    Record(std::string(kSvcCallContactService) + " " + std::to_string(call->hContact) + " " +
               Quote(call->szProtoService) + " " + std::to_string(call->wParam) + " " +
               std::to_string(call->lParam),
           call, sizeof *call);
    // The host prefixes the contact's module to the relative service name;
    // an ICQ account's module serves the ICQ protocol's services.
    const std::string* proto = ProtocolOf(call->hContact);
    if (!proto || !loadedProtocols_.count(*proto) || !call->szProtoService) return kSandboxServiceNotFound;
    if (!IsIcqModule(*proto) || std::strcmp(call->szProtoService, kPssSetApparentMode) != 0)
        return kSandboxServiceNotFound;
    apparentModes_[call->hContact] = static_cast<uint32_t>(call->wParam);
    const intptr_t result = IcqSetApparentMode(call->hContact, *proto, call->wParam);
    NotifyChange();
    return result;
}

void SandboxHost::SetProtocolLoaded(const std::string& proto, bool loaded) {
    if (loaded)
        loadedProtocols_.insert(proto);
    else
        loadedProtocols_.erase(proto);
}

const std::string* SandboxHost::ProtocolOf(ContactHandle contact) const {
    auto found = protos_.find(contact);
    return found == protos_.end() ? nullptr : found->second.get();
}

std::optional<uint32_t> SandboxHost::ApparentMode(ContactHandle contact) const {
    auto found = apparentModes_.find(contact);
    if (found == apparentModes_.end()) return std::nullopt;
    return found->second;
}

// --- Accounts ------------------------------------------------------------------------------

void SandboxHost::SetAccount(const std::string& module, const HostAccount& account) {
    accounts_[module] = account;
    auto found = accounts_.find(module);
    const HostAccount& kept = found->second;
    PROTOACCOUNT record = {};
    record.cbSize = kept.cbSize;
    record.szModuleName = const_cast<char*>(found->first.c_str());
    record.szProtoName = kept.protocol ? const_cast<char*>(kept.protocol->c_str()) : nullptr;
    const std::string name = kept.name.empty() ? module : kept.name;
    if (unicode_) {
        accountWideNames_[module] = WideFromUtf8(name);
        record.tszAccountName = const_cast<wchar_t*>(accountWideNames_[module].c_str());
    } else {
        accountNarrowNames_[module] = HostTextFromUtf8(name);
        record.tszAccountName = const_cast<char*>(accountNarrowNames_[module].c_str());
    }
    // cbSize itself can always be read; past it, nothing.
    const size_t readable = std::clamp<int64_t>(kept.cbSize, sizeof(int32_t), sizeof(PROTOACCOUNT));
    accountRecords_[module] = CopyAgainstGuardPage(&record, readable);
}

void SandboxHost::AddAccount(const std::string& module, const std::string& protocol) {
    HostAccount account;
    account.protocol = protocol;
    SetAccount(module, account);
}

const std::string* SandboxHost::AccountProtocolOf(const std::string& module) const {
    if (!accountsEnabled_) return nullptr;
    auto found = accounts_.find(module);
    if (found == accounts_.end() || !found->second.protocol) return nullptr;
    return &*found->second.protocol;
}

bool SandboxHost::IsIcqModule(const std::string& module) const {
    if (module == "ICQ") return true;
    const std::string* protocol = AccountProtocolOf(module);
    return protocol && *protocol == "ICQ";
}

intptr_t SandboxHost::ServeGetAccount(const char* module) {
    if (!accountsEnabled_) return kSandboxServiceNotFound;
    if (!module) return 0;
    auto found = accountRecords_.find(module);
    return found == accountRecords_.end() ? 0 : reinterpret_cast<intptr_t>(found->second.get());
}
