// The host's binary interface as this plug-in uses it: the records the host
// passes or receives, the entry points of its table, the service and event
// names, and the three exports. Every record is laid out byte for byte as the
// host expects it on 32-bit Windows; the static_asserts pin each size and each
// offset the plug-in reads or writes. Behaviour lives elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>

#if !defined(_WIN32) || defined(_WIN64)
#error "The host is a 32-bit Windows program; build this for i686 Windows."
#endif

// Pointer-sized host integers (WPARAM and LPARAM on 32-bit Windows).
using HostWParam = uintptr_t;
using HostLParam = intptr_t;
using ContactHandle = uintptr_t;  // opaque; 0 names the user's own record
using HookHandle = uintptr_t;

// Handlers of events and services: (wParam, lParam) -> int, C calling convention.
typedef int(__cdecl* HostHandler)(HostWParam, HostLParam);

// The host's table of eleven entry points, handed to Load. Only four are used;
// the others are kept as opaque slots so that the table is copied whole.
struct PLUGINLINK {
    void* unusedSlot0;
    void* unusedSlot4;
    void* unusedSlot8;
    HookHandle(__cdecl* HookEvent)(const char* eventName, HostHandler hook);
    void* unusedSlot16;
    int(__cdecl* UnhookEvent)(HookHandle hook);
    uintptr_t(__cdecl* CreateServiceFunction)(const char* serviceName, HostHandler service);
    void* unusedSlot28;
    void* unusedSlot32;
    intptr_t(__cdecl* CallService)(const char* serviceName, HostWParam wParam, HostLParam lParam);
    void* unusedSlot40;
};
static_assert(sizeof(PLUGINLINK) == 44, "PLUGINLINK is 44 bytes");
static_assert(offsetof(PLUGINLINK, HookEvent) == 12, "HookEvent at 12");
static_assert(offsetof(PLUGINLINK, UnhookEvent) == 20, "UnhookEvent at 20");
static_assert(offsetof(PLUGINLINK, CreateServiceFunction) == 24, "CreateServiceFunction at 24");
static_assert(offsetof(PLUGINLINK, CallService) == 36, "CallService at 36");

// The information record returned by MirandaPluginInfo.
struct PLUGININFO {
    int32_t cbSize;
    const char* shortName;
    uint32_t version;
    const char* description;
    const char* author;
    const char* authorEmail;
    const char* copyright;
    const char* homepage;
    uint8_t isTransient;
    int32_t replacesDefaultModule;
};
static_assert(sizeof(PLUGININFO) == 40, "PLUGININFO is 40 bytes");
static_assert(offsetof(PLUGININFO, cbSize) == 0, "cbSize at 0");
static_assert(offsetof(PLUGININFO, shortName) == 4, "shortName at 4");
static_assert(offsetof(PLUGININFO, version) == 8, "version at 8");
static_assert(offsetof(PLUGININFO, description) == 12, "description at 12");
static_assert(offsetof(PLUGININFO, author) == 16, "author at 16");
static_assert(offsetof(PLUGININFO, authorEmail) == 20, "authorEmail at 20");
static_assert(offsetof(PLUGININFO, copyright) == 24, "copyright at 24");
static_assert(offsetof(PLUGININFO, homepage) == 28, "homepage at 28");
static_assert(offsetof(PLUGININFO, isTransient) == 32, "isTransient at 32");
static_assert(offsetof(PLUGININFO, replacesDefaultModule) == 36, "replacesDefaultModule at 36");

// A settings value. Only the 32-bit form is written by the plug-in; the byte
// and word forms are declared because the host may report them on a read.
struct DBVARIANT {
    uint8_t type;
    union {
        uint8_t bVal;
        uint16_t wVal;
        uint32_t dVal;
        char* pszVal;
    };
    uint32_t unusedTail;
};
static_assert(sizeof(DBVARIANT) == 12, "DBVARIANT is 12 bytes");
static_assert(offsetof(DBVARIANT, type) == 0, "type at 0");
static_assert(offsetof(DBVARIANT, dVal) == 4, "dVal at 4");

constexpr uint8_t DBVT_BYTE = 1;
constexpr uint8_t DBVT_WORD = 2;
constexpr uint8_t DBVT_DWORD = 4;
constexpr uint8_t DBVT_ASCIIZ = 255;

struct DBCONTACTGETSETTING {
    const char* szModule;
    const char* szSetting;
    DBVARIANT* pValue;
};
static_assert(sizeof(DBCONTACTGETSETTING) == 12, "DBCONTACTGETSETTING is 12 bytes");
static_assert(offsetof(DBCONTACTGETSETTING, szModule) == 0, "szModule at 0");
static_assert(offsetof(DBCONTACTGETSETTING, szSetting) == 4, "szSetting at 4");
static_assert(offsetof(DBCONTACTGETSETTING, pValue) == 8, "pValue at 8");

struct DBCONTACTWRITESETTING {
    const char* szModule;
    const char* szSetting;
    DBVARIANT value;
};
static_assert(sizeof(DBCONTACTWRITESETTING) == 20, "DBCONTACTWRITESETTING is 20 bytes");
static_assert(offsetof(DBCONTACTWRITESETTING, szModule) == 0, "szModule at 0");
static_assert(offsetof(DBCONTACTWRITESETTING, szSetting) == 4, "szSetting at 4");
static_assert(offsetof(DBCONTACTWRITESETTING, value) == 8, "value at 8");

// A call routed to a contact's protocol by "Proto/CallContactService".
struct CCSDATA {
    ContactHandle hContact;
    const char* szProtoService;
    HostWParam wParam;
    HostLParam lParam;
};
static_assert(sizeof(CCSDATA) == 16, "CCSDATA is 16 bytes");
static_assert(offsetof(CCSDATA, hContact) == 0, "hContact at 0");
static_assert(offsetof(CCSDATA, szProtoService) == 4, "szProtoService at 4");
static_assert(offsetof(CCSDATA, wParam) == 8, "wParam at 8");
static_assert(offsetof(CCSDATA, lParam) == 12, "lParam at 12");

// A main-menu or contact-menu entry, for adding and for modifying it.
struct CLISTMENUITEM {
    int32_t cbSize;
    const char* pszName;
    uint32_t flags;
    int32_t position;
    void* hIcon;
    const char* pszService;
    const char* pszPopupName;
    int32_t popupPosition;
    uint32_t hotKey;
    const char* pszContactOwner;
};
static_assert(sizeof(CLISTMENUITEM) == 40, "CLISTMENUITEM is 40 bytes");
static_assert(offsetof(CLISTMENUITEM, cbSize) == 0, "cbSize at 0");
static_assert(offsetof(CLISTMENUITEM, pszName) == 4, "pszName at 4");
static_assert(offsetof(CLISTMENUITEM, flags) == 8, "flags at 8");
static_assert(offsetof(CLISTMENUITEM, position) == 12, "position at 12");
static_assert(offsetof(CLISTMENUITEM, hIcon) == 16, "hIcon at 16");
static_assert(offsetof(CLISTMENUITEM, pszService) == 20, "pszService at 20");
static_assert(offsetof(CLISTMENUITEM, pszPopupName) == 24, "pszPopupName at 24");
static_assert(offsetof(CLISTMENUITEM, popupPosition) == 28, "popupPosition at 28");
static_assert(offsetof(CLISTMENUITEM, hotKey) == 32, "hotKey at 32");
static_assert(offsetof(CLISTMENUITEM, pszContactOwner) == 36, "pszContactOwner at 36");

constexpr uint32_t CMIF_HIDDEN = 0x00000004;
constexpr uint32_t CMIM_FLAGS = 0x40000000;

constexpr HostWParam ID_STATUS_OFFLINE = 40071;
constexpr HostWParam ID_STATUS_ONLINE = 40072;

// Services the plug-in calls.
constexpr const char* kSvcTranslateString = "LangPack/TranslateString";
constexpr const char* kSvcGetSetting = "DB/Contact/GetSetting";
constexpr const char* kSvcWriteSetting = "DB/Contact/WriteSetting";
constexpr const char* kSvcGetContactCount = "DB/Contact/GetCount";
constexpr const char* kSvcFindFirstContact = "DB/Contact/FindFirst";
constexpr const char* kSvcFindNextContact = "DB/Contact/FindNext";
constexpr const char* kSvcGetContactBaseProto = "Proto/GetContactBaseProto";
constexpr const char* kSvcIsProtocolLoaded = "Proto/IsProtocolLoaded";
constexpr const char* kSvcCallContactService = "Proto/CallContactService";
constexpr const char* kSvcGetContactDisplayName = "CList/GetContactDisplayName";
constexpr const char* kSvcAddMainMenuItem = "CList/AddMainMenuItem";
constexpr const char* kSvcAddContactMenuItem = "CList/AddContactMenuItem";
constexpr const char* kSvcModifyMenuItem = "CList/ModifyMenuItem";
// The protocol-relative service of the ICQ protocol reached through CallContactService.
constexpr const char* kPssSetApparentMode = "/SetApparentMode";

// Events the plug-in hooks.
constexpr const char* kEvModulesLoaded = "Miranda/System/ModulesLoaded";
constexpr const char* kEvPreBuildContactMenu = "CList/PreBuildContactMenu";
constexpr const char* kEvStatusModeChange = "CList/StatusModeChange";

// The service the plug-in offers: wParam is a contact, or 0 for the global level.
constexpr const char* kSvcEditVisibility = "Quillmere/Edit";

// The three exports, C calling convention, undecorated names.
extern "C" {
typedef PLUGININFO*(__cdecl* MirandaPluginInfoProc)(uint32_t hostVersion);
typedef int(__cdecl* LoadProc)(PLUGINLINK* link);
typedef int(__cdecl* UnloadProc)();
}
