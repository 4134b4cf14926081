#include "sandbox/SandboxHost.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sandbox/GuardedRecord.h"
#include "sandbox/TextCodec.h"

static SandboxHost* g_currentHost = nullptr;
static HMODULE g_pluginModule = nullptr;  // mapped once per process

SandboxHost* SandboxHost::Current() { return g_currentHost; }

// --- The entry-point table ---------------------------------------------------------

static HookHandle __cdecl HostHookEvent(const char* eventName, HostHook hook) {
    return g_currentHost ? g_currentHost->OnHookEvent(eventName, hook) : 0;
}
static int __cdecl HostUnhookEvent(HookHandle hook) {
    return g_currentHost ? g_currentHost->OnUnhookEvent(hook) : 1;
}
static uintptr_t __cdecl HostCreateServiceFunction(const char* name, HostService service) {
    return g_currentHost ? g_currentHost->OnCreateServiceFunction(name, service) : 0;
}
static intptr_t __cdecl HostCallService(const char* name, HostWParam wParam, HostLParam lParam) {
    return g_currentHost ? g_currentHost->OnCallService(name, wParam, lParam) : kSandboxServiceNotFound;
}

// The seven slots the plug-in has no business calling. A cdecl caller cleans
// its own arguments, so a trap without parameters is safe to call with any.
template <int kOffset>
static intptr_t __cdecl HostTrap() {
    if (g_currentHost) g_currentHost->OnTrap(kOffset);
    return 0;
}

template <class Slot>
static Slot TrapSlot(intptr_t (__cdecl *trap)()) {
    return reinterpret_cast<Slot>(reinterpret_cast<void*>(trap));
}

// --- Text helpers -------------------------------------------------------------------

static std::string Quote(const char* text) {
    if (!text) return "(null)";
    std::string quoted(text);
    // Long texts are logged by length, so that a log stays readable.
    if (quoted.size() > 300) return "<" + std::to_string(quoted.size()) + " chars>";
    return quoted;
}

static std::string Hex(uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(value));
    return buffer;
}

// --- Construction and the plug-in -----------------------------------------------

SandboxHost::SandboxHost() {
    g_currentHost = this;
    link_.unusedSlot0 = TrapSlot<void*>(HostTrap<0>);
    link_.unusedSlot4 = TrapSlot<void*>(HostTrap<4>);
    link_.unusedSlot8 = TrapSlot<void*>(HostTrap<8>);
    link_.HookEvent = HostHookEvent;
    link_.unusedSlot16 = TrapSlot<void*>(HostTrap<16>);
    link_.UnhookEvent = HostUnhookEvent;
    link_.CreateServiceFunction = HostCreateServiceFunction;
    link_.unusedSlot28 = TrapSlot<void*>(HostTrap<28>);
    link_.unusedSlot32 = TrapSlot<void*>(HostTrap<32>);
    link_.CallService = HostCallService;
    link_.unusedSlot40 = TrapSlot<void*>(HostTrap<40>);
    loadedProtocols_.insert("ICQ");
    SetUnicode(false);
}

SandboxHost::~SandboxHost() {
    if (g_currentHost == this) g_currentHost = nullptr;
    for (const auto& [copy, type] : copiesOut_) {
        (void)type;
        std::free(copy);
    }
}

bool SandboxHost::LoadPlugin(const char* dllPath) {
    if (!g_pluginModule) g_pluginModule = LoadLibraryA(dllPath);
    module_ = g_pluginModule;
    if (!module_) return false;
    pluginInfo_ = reinterpret_cast<MirandaPluginInfoProc>(
        reinterpret_cast<void*>(GetProcAddress(module_, "MirandaPluginInfo")));
    load_ = reinterpret_cast<LoadProc>(reinterpret_cast<void*>(GetProcAddress(module_, "Load")));
    unload_ =
        reinterpret_cast<UnloadProc>(reinterpret_cast<void*>(GetProcAddress(module_, "Unload")));
    return pluginInfo_ && load_ && unload_;
}

PLUGININFO* SandboxHost::CallPluginInfo(uint32_t hostVersion) {
    return pluginInfo_ ? pluginInfo_(hostVersion) : nullptr;
}

// The plug-in gets a copy it may keep or not; the host's own stays put.
static PLUGINLINK g_handedOutLink;

int SandboxHost::CallLoad() {
    g_handedOutLink = link_;
    return load_ ? load_(&g_handedOutLink) : -1;
}

void SandboxHost::SpoilHandedOutLink() {
    // Every slot becomes a trap, so a plug-in that kept the pointer instead
    // of copying the table shows up in TrapCount() and misses its calls.
    void** slots = reinterpret_cast<void**>(&g_handedOutLink);
    slots[0] = TrapSlot<void*>(HostTrap<0>);
    slots[1] = TrapSlot<void*>(HostTrap<4>);
    slots[2] = TrapSlot<void*>(HostTrap<8>);
    slots[3] = TrapSlot<void*>(HostTrap<12>);
    slots[4] = TrapSlot<void*>(HostTrap<16>);
    slots[5] = TrapSlot<void*>(HostTrap<20>);
    slots[6] = TrapSlot<void*>(HostTrap<24>);
    slots[7] = TrapSlot<void*>(HostTrap<28>);
    slots[8] = TrapSlot<void*>(HostTrap<32>);
    slots[9] = TrapSlot<void*>(HostTrap<36>);
    slots[10] = TrapSlot<void*>(HostTrap<40>);
}

int SandboxHost::CallUnload() { return unload_ ? unload_() : -1; }

bool SandboxHost::Start(uint32_t hostVersion) {
    if (!module_ && !LoadPlugin()) return false;
    const PLUGININFO* info = CallPluginInfo(hostVersion);
    // A host refuses a plug-in whose record is not the one it knows.
    if (!info || info->cbSize != sizeof(PLUGININFO) || !info->shortName) return false;
    if (CallLoad() != 0) return false;
    FireModulesLoaded();
    return true;
}

// --- Events and services ----------------------------------------------------------

int SandboxHost::FireEvent(const char* eventName, HostWParam wParam, HostLParam lParam) {
    auto found = hooks_.find(eventName);
    if (found == hooks_.end()) return 0;
    const std::vector<Hook> hooks = found->second;  // a hook may unhook
    for (const Hook& hook : hooks) {
        const int result = hook.function(wParam, lParam);
        if (result != 0) return result;  // a nonzero result stops the chain
    }
    return 0;
}

intptr_t SandboxHost::CallPluginService(const char* serviceName, HostWParam wParam,
                                        HostLParam lParam) {
    auto found = pluginServices_.find(serviceName);
    if (found == pluginServices_.end()) return kSandboxServiceNotFound;
    return found->second(wParam, lParam);
}

bool SandboxHost::ServiceExists(const char* serviceName) const {
    return pluginServices_.count(serviceName) != 0;
}

size_t SandboxHost::HookCount(const char* eventName) const {
    auto found = hooks_.find(eventName);
    return found == hooks_.end() ? 0 : found->second.size();
}

HookHandle SandboxHost::OnHookEvent(const char* eventName, HostHook hook) {
    const HookHandle handle = nextHandle_++;
    Record("HookEvent " + Quote(eventName) + " -> " + std::to_string(handle));
    if (!eventName || !hook) return 0;
    hooks_[eventName].push_back({handle, hook});
    return handle;
}

int SandboxHost::OnUnhookEvent(HookHandle handle) {
    Record("UnhookEvent " + std::to_string(handle));
    for (auto& event : hooks_) {
        auto& hooks = event.second;
        for (auto it = hooks.begin(); it != hooks.end(); ++it) {
            if (it->handle == handle) {
                hooks.erase(it);
                return 0;
            }
        }
    }
    return 1;
}

uintptr_t SandboxHost::OnCreateServiceFunction(const char* serviceName, HostService service) {
    Record("CreateServiceFunction " + Quote(serviceName));
    if (!serviceName || !service || pluginServices_.count(serviceName)) return 0;
    pluginServices_[serviceName] = service;
    return nextHandle_++;
}

void SandboxHost::OnTrap(int slotOffset) {
    ++trapCount_;
    Record("TRAP slot at offset " + std::to_string(slotOffset));
}

void SandboxHost::NotifyChange() {
    if (changeListener_) changeListener_();
}

void SandboxHost::Record(std::string text, const void* record, size_t size) {
    if (!logging_) return;
    HostCall call;
    call.text = std::move(text);
    if (record) {
        const auto* bytes = static_cast<const uint8_t*>(record);
        call.record.assign(bytes, bytes + size);
    }
    log_.push_back(std::move(call));
}

intptr_t SandboxHost::OnCallService(const char* serviceName, HostWParam wParam, HostLParam lParam) {
    if (!serviceName) {
        Record("CallService (null)");
        return kSandboxServiceNotFound;
    }
    if (FaultApplies(serviceName, lParam)) {
        Record("HostFault " + std::string(serviceName) + (fault_->setting.empty() ? "" : " " + fault_->setting));
        throw HostFault{serviceName};
    }
    return Serve(serviceName, wParam, lParam);
}

void SandboxHost::SetFault(const std::string& service, const std::string& setting) {
    fault_ = Fault{service, setting};
}

bool SandboxHost::FaultApplies(const char* serviceName, HostLParam lParam) const {
    if (!fault_ || fault_->service != serviceName) return false;
    if (fault_->setting.empty()) return true;
    const auto* request = reinterpret_cast<const DBCONTACTGETSETTING*>(lParam);
    return fault_->service == kSvcGetSetting && request && request->szSetting &&
           fault_->setting == request->szSetting;
}

// --- The host's services ------------------------------------------------------------

intptr_t SandboxHost::Serve(const std::string& service, HostWParam wParam, HostLParam lParam) {
    const std::string w = std::to_string(wParam);
    if (service == kSvcGetVersionText) {
        Record(service + " " + w);
        return ServeVersionText(wParam, reinterpret_cast<char*>(lParam));
    }
    if (service == kSvcTranslateString) return ServeTranslate(wParam, lParam);
    if (service == kSvcGetSetting)
        return ServeGetSetting(wParam, reinterpret_cast<const DBCONTACTGETSETTING*>(lParam));
    if (service == kSvcWriteSetting)
        return ServeWriteSetting(wParam, reinterpret_cast<const DBCONTACTWRITESETTING*>(lParam));
    if (service == kSvcFreeVariant) {
        const auto* value = reinterpret_cast<const DBVARIANT*>(lParam);
        Record(service + " " + w + " " + (value ? "type=" + std::to_string(value->type) : "(null)"));
        return ServeFreeVariant(value);
    }
    if (service == kSvcGetAccount) {
        const char* module = reinterpret_cast<const char*>(lParam);
        Record(service + " " + w + " " + Quote(module));
        return ServeGetAccount(module);
    }
    if (service == kSvcGetContactCount) {
        Record(service);
        return countOverride_ ? *countOverride_ : static_cast<intptr_t>(contacts_.size());
    }
    if (service == kSvcFindFirstContact) {
        Record(service);
        return contacts_.empty() ? 0 : contacts_.front();
    }
    if (service == kSvcFindNextContact) {
        Record(service + " " + w);
        // Handles are handed out in increasing order, so the list is sorted.
        auto found = std::lower_bound(contacts_.begin(), contacts_.end(), wParam);
        if (found == contacts_.end() || *found != wParam || found + 1 == contacts_.end()) return 0;
        return *(found + 1);
    }
    if (service == kSvcGetContactBaseProto) {
        Record(service + " " + w);
        const std::string* proto = ProtocolOf(wParam);
        return proto ? reinterpret_cast<intptr_t>(proto->c_str()) : 0;
    }
    if (service == kSvcIsProtocolLoaded) {
        const char* proto = reinterpret_cast<const char*>(lParam);
        Record(service + " " + Quote(proto));
        return proto && loadedProtocols_.count(proto) ? 1 : 0;
    }
    if (service == kSvcCallContactService)
        return ServeCallContactService(reinterpret_cast<const CCSDATA*>(lParam));
    if (service == kSvcGetContactDisplayName) {
        Record(service + " " + w + (lParam ? " " + std::to_string(lParam) : ""));
        return ServeDisplayName(wParam, lParam);
    }
    if (service == kSvcAddMainMenuItem)
        return ServeAddMenuItem(mainMenu_, kSvcAddMainMenuItem,
                                reinterpret_cast<const CLISTMENUITEM*>(lParam));
    if (service == kSvcAddContactMenuItem)
        return ServeAddMenuItem(contactMenu_, kSvcAddContactMenuItem,
                                reinterpret_cast<const CLISTMENUITEM*>(lParam));
    if (service == kSvcModifyMenuItem)
        return ServeModifyMenuItem(wParam, reinterpret_cast<const CLISTMENUITEM*>(lParam));

    // Anything else: a service of the plug-in's own, or one the host lacks.
    Record(service + " " + w + " " + std::to_string(lParam));
    auto own = pluginServices_.find(service);
    if (own != pluginServices_.end()) return own->second(wParam, lParam);
    return kSandboxServiceNotFound;
}

static std::string SettingName(const char* module, const char* setting) {
    return Quote(module) + "/" + Quote(setting);
}

intptr_t SandboxHost::ServeGetSetting(HostWParam contact, const DBCONTACTGETSETTING* request) {
    if (!request) {
        Record(std::string(kSvcGetSetting) + " " + std::to_string(contact) + " (null)");
        return 1;
    }
    Record(std::string(kSvcGetSetting) + " " + std::to_string(contact) + " " +
               SettingName(request->szModule, request->szSetting),
           request, sizeof *request);
    if (!request->szModule || !request->szSetting || !request->pValue) return 1;
    auto found = settings_.find(SettingKey{contact, request->szModule, request->szSetting});
    if (found == settings_.end()) return 1;
    // The host writes the value in its stored type and width, as a real
    // database does; the rest of the union keeps what the caller put there,
    // or what a cache left there when stale bytes are asked for.
    DBVARIANT* value = request->pValue;
    const StoredSetting& stored = found->second;
    value->type = stored.type;
    const bool isNumber = stored.type == DBVT_BYTE || stored.type == DBVT_WORD || stored.type == DBVT_DWORD;
    if (staleValueBytes_ && isNumber)
        std::memset(reinterpret_cast<uint8_t*>(value) + offsetof(DBVARIANT, dVal), *staleValueBytes_,
                    sizeof(DBVARIANT) - offsetof(DBVARIANT, dVal));
    switch (stored.type) {
    case DBVT_BYTE: value->bVal = static_cast<uint8_t>(stored.number); break;
    case DBVT_WORD: value->wVal = static_cast<uint16_t>(stored.number); break;
    case DBVT_DWORD: value->dVal = stored.number; break;
    case DBVT_ASCIIZ:
    case DBVT_UTF8:
    case DBVT_WCHAR: value->pszVal = static_cast<char*>(CopyOfValue(stored)); break;
    case DBVT_BLOB:
        value->blob.cpbVal = static_cast<uint16_t>(stored.text.size());
        value->blob.pbVal = static_cast<uint8_t*>(CopyOfValue(stored));
        break;
    default: break;
    }
    return 0;
}

// A copy of its own the caller must give back, as a real database hands out.
void* SandboxHost::CopyOfValue(const StoredSetting& stored) {
    void* copy = nullptr;
    if (stored.type == DBVT_WCHAR) {
        const int length = MultiByteToWideChar(CP_ACP, 0, stored.text.c_str(), -1, nullptr, 0);
        copy = std::calloc(static_cast<size_t>(std::max(length, 1)), sizeof(wchar_t));
        if (copy && length > 0)
            MultiByteToWideChar(CP_ACP, 0, stored.text.c_str(), -1, static_cast<wchar_t*>(copy), length);
    } else {
        copy = std::calloc(stored.text.size() + 1, 1);
        if (copy) std::memcpy(copy, stored.text.data(), stored.text.size());
    }
    if (!copy) return nullptr;
    copiesOut_[copy] = stored.type;
    ++copiesHandedOut_;
    return copy;
}

intptr_t SandboxHost::ServeFreeVariant(const DBVARIANT* value) {
    if (!value) return 1;
    void* copy = nullptr;
    switch (value->type) {
    case DBVT_ASCIIZ:
    case DBVT_UTF8:
    case DBVT_WCHAR: copy = value->pszVal; break;
    case DBVT_BLOB: copy = value->blob.pbVal; break;
    default: return 0;  // nothing was copied for a number
    }
    auto found = copiesOut_.find(copy);
    if (found == copiesOut_.end()) {
        ++strayFrees_;
        return 1;
    }
    std::free(found->first);
    copiesOut_.erase(found);
    ++copiesGivenBack_;
    return 0;
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

intptr_t SandboxHost::ServeWriteSetting(HostWParam contact, const DBCONTACTWRITESETTING* request) {
    if (!request) {
        Record(std::string(kSvcWriteSetting) + " " + std::to_string(contact) + " (null)");
        return 1;
    }
    const DBVARIANT& value = request->value;
    std::string shown = "type=" + std::to_string(value.type) + " ";
    StoredSetting stored;
    stored.type = value.type;
    switch (value.type) {
    case DBVT_BYTE: stored.number = value.bVal; break;
    case DBVT_WORD: stored.number = value.wVal; break;
    case DBVT_DWORD: stored.number = value.dVal; break;
    case DBVT_ASCIIZ:
    case DBVT_UTF8: stored.text = value.pszVal ? value.pszVal : ""; break;
    default: break;
    }
    shown += value.type == DBVT_ASCIIZ || value.type == DBVT_UTF8 ? Quote(value.pszVal)
                                       : std::to_string(static_cast<int32_t>(stored.number));
    Record(std::string(kSvcWriteSetting) + " " + std::to_string(contact) + " " +
               SettingName(request->szModule, request->szSetting) + " " + shown,
           request, sizeof *request);
    if (!request->szModule || !request->szSetting) return 1;
    settings_[SettingKey{contact, request->szModule, request->szSetting}] = stored;
    ++settingsRevision_;
    NotifyChange();
    return 0;
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

intptr_t SandboxHost::ServeAddMenuItem(std::vector<HostMenuItem>& menu, const char* service,
                                       const CLISTMENUITEM* item) {
    if (!item) {
        Record(std::string(service) + " (null)");
        return 0;
    }
    Record(std::string(service) + " name=" + Quote(item->pszName) + " flags=" + Hex(item->flags) +
               " position=" + std::to_string(item->position) +
               " service=" + Quote(item->pszService),
           item, sizeof *item);
    if (item->cbSize != sizeof(CLISTMENUITEM)) return 0;
    HostMenuItem added;
    added.handle = 0x7000 + nextHandle_++;
    added.name = MenuName(item->pszName);
    added.flags = item->flags;
    added.position = item->position;
    added.service = item->pszService ? item->pszService : "";
    menu.push_back(added);
    return added.handle;
}

intptr_t SandboxHost::ServeModifyMenuItem(uintptr_t handle, const CLISTMENUITEM* item) {
    if (!item) {
        Record(std::string(kSvcModifyMenuItem) + " " + std::to_string(handle) + " (null)");
        return 1;
    }
    Record(std::string(kSvcModifyMenuItem) + " " + std::to_string(handle) +
               " name=" + Quote(item->pszName) + " flags=" + Hex(item->flags) +
               " position=" + std::to_string(item->position) +
               " service=" + Quote(item->pszService),
           item, sizeof *item);
    if (item->cbSize != sizeof(CLISTMENUITEM)) return 1;
    for (auto* menu : {&mainMenu_, &contactMenu_}) {
        for (HostMenuItem& existing : *menu) {
            if (existing.handle != handle) continue;
            // The CMIM_ bits say which fields change; only the flags do here.
            constexpr uint32_t kCmimName = 0x80000000;
            if (item->flags & kCmimName) existing.name = MenuName(item->pszName);
            if (item->flags & CMIM_FLAGS) existing.flags = item->flags & 0x0FFFFFFF;
            return 0;
        }
    }
    return 1;
}

// --- Contacts, protocols, settings, translation, menus -------------------------------

ContactHandle SandboxHost::AddContact(const char* proto, const char* displayName) {
    const ContactHandle contact = nextContact_;
    nextContact_ += 0x10;
    contacts_.push_back(contact);
    protos_[contact] = proto ? std::make_unique<std::string>(proto) : nullptr;
    SetDisplayName(contact, displayName);
    return contact;
}

void SandboxHost::SetDisplayName(ContactHandle contact, const char* displayName) {
    displayNames_[contact] = displayName ? std::make_unique<std::string>(displayName) : nullptr;
}

const std::string* SandboxHost::DisplayNameOf(ContactHandle contact) const {
    auto found = displayNames_.find(contact);
    return found == displayNames_.end() ? nullptr : found->second.get();
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

void SandboxHost::SetSetting(ContactHandle contact, const std::string& module,
                             const std::string& setting, const StoredSetting& value) {
    settings_[SettingKey{contact, module, setting}] = value;
}

void SandboxHost::SetDword(ContactHandle contact, const std::string& module,
                           const std::string& setting, uint32_t value) {
    StoredSetting stored;
    stored.type = DBVT_DWORD;
    stored.number = value;
    SetSetting(contact, module, setting, stored);
}

void SandboxHost::RemoveSetting(ContactHandle contact, const std::string& module,
                                const std::string& setting) {
    settings_.erase(SettingKey{contact, module, setting});
}

size_t SandboxHost::SettingCount(const std::string& module) const {
    size_t count = 0;
    for (const auto& [key, value] : settings_) count += std::get<1>(key) == module ? 1 : 0;
    return count;
}

std::optional<StoredSetting> SandboxHost::Setting(ContactHandle contact, const std::string& module,
                                                  const std::string& setting) const {
    auto found = settings_.find(SettingKey{contact, module, setting});
    if (found == settings_.end()) return std::nullopt;
    return found->second;
}

std::optional<uint32_t> SandboxHost::Dword(ContactHandle contact, const std::string& module,
                                           const std::string& setting) const {
    auto stored = Setting(contact, module, setting);
    if (!stored || stored->type != DBVT_DWORD) return std::nullopt;
    return stored->number;
}

void SandboxHost::AddTranslation(const std::string& from, const std::string& to) {
    translations_[from] = to;
}

// --- ANSI and Unicode hosts -------------------------------------------------------------

void SandboxHost::SetUnicode(bool unicode) {
    unicode_ = unicode;
    versionText_ = VersionTextAnswer{};
    if (!unicode)
        versionText_.text = "0.3.3.0";
    else
        versionText_.text = kHostIs64Bit ? "0.10.24.0 x64 Unicode" : "0.10.24.0 Unicode";
}

intptr_t SandboxHost::ServeVersionText(HostWParam size, char* buffer) {
    if (!versionText_.served) return kSandboxServiceNotFound;
    if (buffer && size > 0) {
        const size_t length = std::min<size_t>(versionText_.text.size(), size - 1);
        std::memcpy(buffer, versionText_.text.data(), length);
        buffer[length] = '\0';
    }
    return versionText_.result;
}

intptr_t SandboxHost::ServeTranslate(HostWParam flags, HostLParam lParam) {
    // An ANSI host knows no flag: it reads 8-bit text whatever wParam says.
    const bool wide = unicode_ && (flags & LANG_UNICODE);
    std::string text;
    if (lParam)
        text = wide ? Utf8FromWide(reinterpret_cast<const wchar_t*>(lParam))
                    : std::string(reinterpret_cast<const char*>(lParam));
    Record(std::string(kSvcTranslateString) + (flags ? " " + std::to_string(flags) : "") + " " +
           (lParam ? Quote(text.c_str()) : "(null)"));
    if (translateNull_ || !lParam) return 0;
    auto found = translations_.find(text);
    // Untranslated text comes back as the caller's own pointer.
    if (found == translations_.end()) return lParam;
    if (!unicode_) return reinterpret_cast<intptr_t>(found->second.c_str());
    if (wide) {
        std::wstring& copy = wideTranslations_[text];
        copy = WideFromUtf8(found->second);
        return reinterpret_cast<intptr_t>(copy.c_str());
    }
    std::string& copy = narrowTranslations_[text];
    copy = CodePageFromUtf8(found->second, languagePackCodePage_);
    return reinterpret_cast<intptr_t>(copy.c_str());
}

intptr_t SandboxHost::ServeDisplayName(ContactHandle contact, HostLParam flags) {
    auto found = displayNames_.find(contact);
    if (found == displayNames_.end()) {
        if (unicode_ && (flags & GCDNF_UNICODE)) return reinterpret_cast<intptr_t>(L"(Unknown Contact)");
        return reinterpret_cast<intptr_t>("(Unknown Contact)");
    }
    const std::string* name = found->second.get();
    if (!name) return 0;
    // An ANSI host ignores the flag and answers in 8 bits.
    if (!unicode_) return reinterpret_cast<intptr_t>(name->c_str());
    if (flags & GCDNF_UNICODE) {
        std::wstring& copy = wideNames_[contact];
        copy = WideFromUtf8(*name);
        return reinterpret_cast<intptr_t>(copy.c_str());
    }
    std::string& copy = narrowNames_[contact];
    copy = CodePageFromUtf8(*name, languagePackCodePage_);
    return reinterpret_cast<intptr_t>(copy.c_str());
}

std::string SandboxHost::HostTextFromUtf8(const std::string& utf8) const {
    return unicode_ ? utf8 : CodePageFromUtf8(utf8, CP_ACP);
}

std::string SandboxHost::Utf8FromHostText(const std::string& text) const {
    return unicode_ ? text : Utf8FromWide(WideFromCodePage(text, CP_ACP).c_str());
}

std::string SandboxHost::MenuName(const char* name) const {
    if (!name) return "";
    if (!unicode_) return name;
    // A Unicode host translates the 8-bit English name into wide text itself.
    auto found = translations_.find(name);
    return found == translations_.end() ? name : found->second;
}

bool SandboxHost::ContactMenuShows(ContactHandle contact, const char* service) {
    FireEvent(kEvPreBuildContactMenu, contact, 0);
    for (const HostMenuItem& item : contactMenu_)
        if (item.service == service && !(item.flags & CMIF_HIDDEN)) return true;
    return false;
}

intptr_t SandboxHost::ClickMainMenuItem(size_t index) {
    if (index >= mainMenu_.size()) return kSandboxServiceNotFound;
    return CallPluginService(mainMenu_[index].service.c_str(), 0, 0);
}

intptr_t SandboxHost::ClickContactMenuItem(size_t index, ContactHandle contact) {
    if (index >= contactMenu_.size()) return kSandboxServiceNotFound;
    return CallPluginService(contactMenu_[index].service.c_str(), contact, 0);
}

// --- The log ---------------------------------------------------------------------------

std::vector<std::string> SandboxHost::LogTexts() const { return LogTexts(""); }

std::vector<std::string> SandboxHost::LogTexts(const std::string& prefix) const {
    std::vector<std::string> texts;
    for (const HostCall& call : log_)
        if (call.text.compare(0, prefix.size(), prefix) == 0) texts.push_back(call.text);
    return texts;
}

size_t SandboxHost::CountCalls(const std::string& prefix) const { return LogTexts(prefix).size(); }
