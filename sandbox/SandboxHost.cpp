// The sandbox host's core: the entry-point table it hands the plug-in, the
// events and their hooks, the services by name, the faults it can be set to
// raise and the call log. Its modules, each in a file of its own, add the
// services they serve to the table: the database, protocols and accounts,
// the contact list with its menus, the language pack, the ICQ protocol and
// the Options dialog.
#include "sandbox/SandboxHost.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "sandbox/CallLogText.h"

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
    AddHostService(kSvcGetVersionText, [this](HostWParam wParam, HostLParam lParam) {
        Record(std::string(kSvcGetVersionText) + " " + std::to_string(wParam));
        return ServeVersionText(wParam, reinterpret_cast<char*>(lParam));
    });
    AddDatabaseServices();
    AddProtocolServices();
    AddContactListServices();
    AddLanguageServices();
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

void SandboxHost::AddHostService(const char* name, HostServiceHandler handler) {
    hostServices_[name] = std::move(handler);
}

intptr_t SandboxHost::Serve(const std::string& service, HostWParam wParam, HostLParam lParam) {
    auto served = hostServices_.find(service);
    if (served != hostServices_.end()) return served->second(wParam, lParam);
    // Anything else: a service of the plug-in's own, or one the host lacks.
    Record(service + " " + std::to_string(wParam) + " " + std::to_string(lParam));
    auto own = pluginServices_.find(service);
    if (own != pluginServices_.end()) return own->second(wParam, lParam);
    return kSandboxServiceNotFound;
}

// "Miranda/System/GetVersionText": the build the host says it is.
intptr_t SandboxHost::ServeVersionText(HostWParam size, char* buffer) {
    if (!versionText_.served) return kSandboxServiceNotFound;
    if (buffer && size > 0) {
        const size_t length = std::min<size_t>(versionText_.text.size(), size - 1);
        std::memcpy(buffer, versionText_.text.data(), length);
        buffer[length] = '\0';
    }
    return versionText_.result;
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
