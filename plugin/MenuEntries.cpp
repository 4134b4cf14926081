#include "plugin/MenuEntries.h"

#include <string>

#include "host/HostHelpers.h"
#include "host/HostLink.h"
#include "host/IcqAccountLookup.h"
#include "plugin/InterfaceTexts.h"

CLISTMENUITEM ContactMenuItem;
uintptr_t ContactMenuHandle;

// An ANSI host shows the name as it is given. Every Unicode host translates
// a menu entry's 8-bit English name itself, into wide text; a name already
// translated into the language pack's code page would reach it as mojibake.
static std::string MenuEntryName() {
    return HostIsUnicode ? std::string(kMenuEntryText) : Translate(kMenuEntryText);
}

void AddMenuItems() {
    // The name lives until the host's call returns; the host copies it.
    const std::string name = MenuEntryName();

    CLISTMENUITEM mainItem = {};
    mainItem.cbSize = sizeof(CLISTMENUITEM);
    mainItem.pszName = name.c_str();
    mainItem.position = kMainMenuPosition;
    mainItem.pszService = kSvcEditVisibility;
    CallHostService(kSvcAddMainMenuItem, 0, reinterpret_cast<HostLParam>(&mainItem));

    ContactMenuItem = CLISTMENUITEM{};
    ContactMenuItem.cbSize = sizeof(CLISTMENUITEM);
    ContactMenuItem.pszName = name.c_str();
    ContactMenuItem.position = kContactMenuPosition;
    ContactMenuItem.pszService = kSvcEditVisibility;
    ContactMenuHandle = CallHostService(kSvcAddContactMenuItem, 0,
                                        reinterpret_cast<HostLParam>(&ContactMenuItem));
    ContactMenuItem.pszName = nullptr;  // the string is about to go
}

uint32_t MenuFlagsFor(ContactHandle contact) {
    const uint32_t hidden = CMIM_FLAGS | CMIF_HIDDEN;
    const intptr_t hostProto = CallHostService(kSvcGetContactBaseProto, contact, 0);
    if (hostProto == 0) return hidden;
    // Our own copy: the host's text need not outlive its next call.
    const std::string proto = CopyHostText(hostProto);
    if (CallHostService(kSvcIsProtocolLoaded, 0, reinterpret_cast<HostLParam>(proto.c_str())) == 0)
        return hidden;
    return IcqAccountLookup().IsIcq(proto.c_str()) ? CMIM_FLAGS : hidden;
}

int __cdecl OnPreBuildContactMenu(HostWParam contact, HostLParam) {
    const std::string name = MenuEntryName();
    ContactMenuItem = CLISTMENUITEM{};
    ContactMenuItem.cbSize = sizeof(CLISTMENUITEM);
    ContactMenuItem.pszName = name.c_str();
    ContactMenuItem.flags = MenuFlagsFor(contact);
    ContactMenuItem.position = kContactMenuPosition;
    CallHostService(kSvcModifyMenuItem, ContactMenuHandle,
                    reinterpret_cast<HostLParam>(&ContactMenuItem));
    ContactMenuItem.pszName = nullptr;
    return 0;
}
