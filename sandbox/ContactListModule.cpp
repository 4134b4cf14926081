// The sandbox host's contact list: the names it shows for contacts, and the
// main menu and the contact menu with the entries plug-ins add to them.
#include "sandbox/CallLogText.h"
#include "sandbox/SandboxHost.h"
#include "sandbox/TextCodec.h"

void SandboxHost::AddContactListServices() {
    AddHostService(kSvcGetContactDisplayName, [this](HostWParam wParam, HostLParam lParam) {
        Record(std::string(kSvcGetContactDisplayName) + " " + std::to_string(wParam) +
               (lParam ? " " + std::to_string(lParam) : ""));
        return ServeDisplayName(wParam, lParam);
    });
    AddHostService(kSvcAddMainMenuItem, [this](HostWParam, HostLParam lParam) {
        return ServeAddMenuItem(mainMenu_, kSvcAddMainMenuItem, reinterpret_cast<const CLISTMENUITEM*>(lParam));
    });
    AddHostService(kSvcAddContactMenuItem, [this](HostWParam, HostLParam lParam) {
        return ServeAddMenuItem(contactMenu_, kSvcAddContactMenuItem,
                                reinterpret_cast<const CLISTMENUITEM*>(lParam));
    });
    AddHostService(kSvcModifyMenuItem, [this](HostWParam wParam, HostLParam lParam) {
        return ServeModifyMenuItem(wParam, reinterpret_cast<const CLISTMENUITEM*>(lParam));
    });
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

// --- Menus ---------------------------------------------------------------------------

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
