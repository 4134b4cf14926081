// The host's binary interface as this plug-in uses it: the records the host
// passes or receives, the entry points of its table, the service and event
// names, and the three exports. Every record is laid out byte for byte as the
// host expects it, on 32-bit Windows and on 64-bit Windows (natural
// alignment); the static_asserts pin each size and each offset the plug-in
// reads or writes, for both. Behaviour lives elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>

#if !defined(_WIN32)
#error "The host is a Windows program; build this for i686 or x86-64 Windows."
#endif

#ifdef _WIN64
constexpr bool kHostIs64Bit = true;
#else
constexpr bool kHostIs64Bit = false;
#endif

// The figure a layout has on the target being built: 32-bit or 64-bit host.
constexpr size_t ByTarget(size_t on32Bit, size_t on64Bit) {
    return kHostIs64Bit ? on64Bit : on32Bit;
}

// Pointer-sized host integers (WPARAM and LPARAM).
using HostWParam = uintptr_t;
using HostLParam = intptr_t;
using ContactHandle = uintptr_t;  // opaque; 0 names the user's own record
using HookHandle = uintptr_t;

// Handlers, C calling convention, taking (wParam, lParam). An event hook's
// result is a 32-bit int; a service's is pointer-sized, and a 64-bit host
// reads the whole of it.
typedef int(__cdecl* HostHook)(HostWParam, HostLParam);
typedef intptr_t(__cdecl* HostService)(HostWParam, HostLParam);

// The host's table of eleven entry points, handed to Load. Only four are used;
// the others are kept as opaque slots so that the table is copied whole.
struct PLUGINLINK {
    void* unusedSlot0;
    void* unusedSlot4;
    void* unusedSlot8;
    HookHandle(__cdecl* HookEvent)(const char* eventName, HostHook hook);
    void* unusedSlot16;
    int(__cdecl* UnhookEvent)(HookHandle hook);
    uintptr_t(__cdecl* CreateServiceFunction)(const char* serviceName, HostService service);
    void* unusedSlot28;
    void* unusedSlot32;
    intptr_t(__cdecl* CallService)(const char* serviceName, HostWParam wParam, HostLParam lParam);
    void* unusedSlot40;
};
static_assert(sizeof(PLUGINLINK) == ByTarget(44, 88), "PLUGINLINK is eleven pointer-sized slots");
static_assert(offsetof(PLUGINLINK, HookEvent) == ByTarget(12, 24), "HookEvent at 12 or 24");
static_assert(offsetof(PLUGINLINK, UnhookEvent) == ByTarget(20, 40), "UnhookEvent at 20 or 40");
static_assert(offsetof(PLUGINLINK, CreateServiceFunction) == ByTarget(24, 48),
              "CreateServiceFunction at 24 or 48");
static_assert(offsetof(PLUGINLINK, CallService) == ByTarget(36, 72), "CallService at 36 or 72");

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
    uint8_t isTransient;  // the flags byte; bit 0 tells a Unicode host the plug-in is Unicode-aware
    int32_t replacesDefaultModule;
};
static_assert(sizeof(PLUGININFO) == ByTarget(40, 72), "PLUGININFO is 40 or 72 bytes");
static_assert(offsetof(PLUGININFO, cbSize) == ByTarget(0, 0), "cbSize at 0");
static_assert(offsetof(PLUGININFO, shortName) == ByTarget(4, 8), "shortName at 4 or 8");
static_assert(offsetof(PLUGININFO, version) == ByTarget(8, 16), "version at 8 or 16");
static_assert(offsetof(PLUGININFO, description) == ByTarget(12, 24), "description at 12 or 24");
static_assert(offsetof(PLUGININFO, author) == ByTarget(16, 32), "author at 16 or 32");
static_assert(offsetof(PLUGININFO, authorEmail) == ByTarget(20, 40), "authorEmail at 20 or 40");
static_assert(offsetof(PLUGININFO, copyright) == ByTarget(24, 48), "copyright at 24 or 48");
static_assert(offsetof(PLUGININFO, homepage) == ByTarget(28, 56), "homepage at 28 or 56");
static_assert(offsetof(PLUGININFO, isTransient) == ByTarget(32, 64), "isTransient at 32 or 64");
static_assert(offsetof(PLUGININFO, replacesDefaultModule) == ByTarget(36, 68), "replacesDefaultModule at 36 or 68");

// A binary settings value: its length and its bytes.
struct DBBLOB {
    uint16_t cpbVal;
    uint8_t* pbVal;
};

// A settings value. Only the 32-bit form is written by the plug-in; the other
// forms are declared because the host may report them on a read. The union is
// as wide as its pointer-and-length pair: 8 bytes on 32-bit, 16 on 64-bit.
struct DBVARIANT {
    uint8_t type;
    union {
        uint8_t bVal;
        uint16_t wVal;
        uint32_t dVal;
        char* pszVal;
        DBBLOB blob;
    };
};
static_assert(sizeof(DBVARIANT) == ByTarget(12, 24), "DBVARIANT is 12 or 24 bytes");
static_assert(offsetof(DBVARIANT, type) == 0, "type at 0");
static_assert(offsetof(DBVARIANT, dVal) == ByTarget(4, 8), "the value at 4 or 8");
static_assert(offsetof(DBVARIANT, blob) == ByTarget(4, 8), "the value at 4 or 8");

constexpr uint8_t DBVT_BYTE = 1;
constexpr uint8_t DBVT_WORD = 2;
constexpr uint8_t DBVT_DWORD = 4;
constexpr uint8_t DBVT_ASCIIZ = 255;
constexpr uint8_t DBVT_BLOB = 254;
constexpr uint8_t DBVT_UTF8 = 253;
constexpr uint8_t DBVT_WCHAR = 252;

struct DBCONTACTGETSETTING {
    const char* szModule;
    const char* szSetting;
    DBVARIANT* pValue;
};
static_assert(sizeof(DBCONTACTGETSETTING) == ByTarget(12, 24), "DBCONTACTGETSETTING is 12 or 24 bytes");
static_assert(offsetof(DBCONTACTGETSETTING, szModule) == ByTarget(0, 0), "szModule at 0");
static_assert(offsetof(DBCONTACTGETSETTING, szSetting) == ByTarget(4, 8), "szSetting at 4 or 8");
static_assert(offsetof(DBCONTACTGETSETTING, pValue) == ByTarget(8, 16), "pValue at 8 or 16");

struct DBCONTACTWRITESETTING {
    const char* szModule;
    const char* szSetting;
    DBVARIANT value;
};
static_assert(sizeof(DBCONTACTWRITESETTING) == ByTarget(20, 40), "DBCONTACTWRITESETTING is 20 or 40 bytes");
static_assert(offsetof(DBCONTACTWRITESETTING, szModule) == ByTarget(0, 0), "szModule at 0");
static_assert(offsetof(DBCONTACTWRITESETTING, szSetting) == ByTarget(4, 8), "szSetting at 4 or 8");
static_assert(offsetof(DBCONTACTWRITESETTING, value) == ByTarget(8, 16), "value at 8 or 16");

// A call routed to a contact's protocol by "Proto/CallContactService".
struct CCSDATA {
    ContactHandle hContact;
    const char* szProtoService;
    HostWParam wParam;
    HostLParam lParam;
};
static_assert(sizeof(CCSDATA) == ByTarget(16, 32), "CCSDATA is 16 or 32 bytes");
static_assert(offsetof(CCSDATA, hContact) == ByTarget(0, 0), "hContact at 0");
static_assert(offsetof(CCSDATA, szProtoService) == ByTarget(4, 8), "szProtoService at 4 or 8");
static_assert(offsetof(CCSDATA, wParam) == ByTarget(8, 16), "wParam at 8 or 16");
static_assert(offsetof(CCSDATA, lParam) == ByTarget(12, 24), "lParam at 12 or 24");

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
static_assert(sizeof(CLISTMENUITEM) == ByTarget(40, 64), "CLISTMENUITEM is 40 or 64 bytes");
static_assert(offsetof(CLISTMENUITEM, cbSize) == ByTarget(0, 0), "cbSize at 0");
static_assert(offsetof(CLISTMENUITEM, pszName) == ByTarget(4, 8), "pszName at 4 or 8");
static_assert(offsetof(CLISTMENUITEM, flags) == ByTarget(8, 16), "flags at 8 or 16");
static_assert(offsetof(CLISTMENUITEM, position) == ByTarget(12, 20), "position at 12 or 20");
static_assert(offsetof(CLISTMENUITEM, hIcon) == ByTarget(16, 24), "hIcon at 16 or 24");
static_assert(offsetof(CLISTMENUITEM, pszService) == ByTarget(20, 32), "pszService at 20 or 32");
static_assert(offsetof(CLISTMENUITEM, pszPopupName) == ByTarget(24, 40), "pszPopupName at 24 or 40");
static_assert(offsetof(CLISTMENUITEM, popupPosition) == ByTarget(28, 48), "popupPosition at 28 or 48");
static_assert(offsetof(CLISTMENUITEM, hotKey) == ByTarget(32, 52), "hotKey at 32 or 52");
static_assert(offsetof(CLISTMENUITEM, pszContactOwner) == ByTarget(36, 56), "pszContactOwner at 36 or 56");

// An account of a host from 0.8 on, as "Proto/GetAccount" hands it out. Only
// the fields up to the protocol's name are declared: the host's record goes on
// past them, and its cbSize says how far.
struct PROTOACCOUNT {
    int32_t cbSize;
    char* szModuleName;  // the module its contacts name, e.g. "ICQ_1"
    int32_t type;
    void* tszAccountName;
    char* szProtoName;  // the protocol behind the account, e.g. "ICQ"
};
static_assert(offsetof(PROTOACCOUNT, cbSize) == 0, "cbSize at 0");
static_assert(offsetof(PROTOACCOUNT, szModuleName) == ByTarget(4, 8), "szModuleName at 4 or 8");
static_assert(offsetof(PROTOACCOUNT, type) == ByTarget(8, 16), "type at 8 or 16");
static_assert(offsetof(PROTOACCOUNT, tszAccountName) == ByTarget(12, 24), "tszAccountName at 12 or 24");
static_assert(offsetof(PROTOACCOUNT, szProtoName) == ByTarget(16, 32), "szProtoName at 16 or 32");
// The least cbSize of a record that holds the protocol's name.
constexpr int32_t kAccountSizeWithProtoName =
    static_cast<int32_t>(offsetof(PROTOACCOUNT, szProtoName) + sizeof(char*));
static_assert(kAccountSizeWithProtoName == ByTarget(20, 40), "20 or 40 bytes up to the protocol's name");

// What a protocol reports through the event "Proto/Ack": the outcome of a
// message, a file, an away message, a search, or a change of the account's
// own status, among others. A host may hand a longer record; cbSize says how
// long.
struct ACKDATA {
    int32_t cbSize;
    const char* szModule;   // the account's module, e.g. "ICQ_1"
    ContactHandle hContact; // 0 for the account itself
    int32_t type;
    int32_t result;
    void* hProcess;         // a status ack: the previous status
    HostLParam lParam;      // a status ack: the new status
};
static_assert(sizeof(ACKDATA) == ByTarget(28, 48), "ACKDATA is 28 or 48 bytes");
static_assert(offsetof(ACKDATA, cbSize) == 0, "cbSize at 0");
static_assert(offsetof(ACKDATA, szModule) == ByTarget(4, 8), "szModule at 4 or 8");
static_assert(offsetof(ACKDATA, hContact) == ByTarget(8, 16), "hContact at 8 or 16");
static_assert(offsetof(ACKDATA, type) == ByTarget(12, 24), "type at 12 or 24");
static_assert(offsetof(ACKDATA, result) == ByTarget(16, 28), "result at 16 or 28");
static_assert(offsetof(ACKDATA, hProcess) == ByTarget(20, 32), "hProcess at 20 or 32");
static_assert(offsetof(ACKDATA, lParam) == ByTarget(24, 40), "lParam at 24 or 40");

// A page of the host's Options dialog, handed to "Opt/AddPage" from inside
// the "Opt/Initialise" hook. Hosts tell the record's forms apart by cbSize
// and refuse any size they do not know: every host from 0.5 on knows this
// form, which ends where the later ones add the tab's name (pszTab). The
// texts are 8-bit with flags 0; the host translates title and group itself.
struct OPTIONSDIALOGPAGE {
    int32_t cbSize;
    int32_t position;
    const char* pszTitle;
    intptr_t(__stdcall* pfnDlgProc)(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
    const char* pszTemplate;  // a dialog resource of hInstance: a name, or an id below 0x10000
    void* hInstance;
    void* hIcon;
    const char* pszGroup;
    int32_t groupPosition;
    void* hGroupIcon;
    uint32_t flags;
    int32_t nIDBottomSimpleControl;
    int32_t nIDRightSimpleControl;
    const uint32_t* expertOnlyControls;
    int32_t nExpertOnlyControls;
};
static_assert(sizeof(OPTIONSDIALOGPAGE) == ByTarget(60, 104), "OPTIONSDIALOGPAGE is 60 or 104 bytes");
static_assert(offsetof(OPTIONSDIALOGPAGE, cbSize) == 0, "cbSize at 0");
static_assert(offsetof(OPTIONSDIALOGPAGE, position) == 4, "position at 4");
static_assert(offsetof(OPTIONSDIALOGPAGE, pszTitle) == 8, "pszTitle at 8");
static_assert(offsetof(OPTIONSDIALOGPAGE, pfnDlgProc) == ByTarget(12, 16), "pfnDlgProc at 12 or 16");
static_assert(offsetof(OPTIONSDIALOGPAGE, pszTemplate) == ByTarget(16, 24), "pszTemplate at 16 or 24");
static_assert(offsetof(OPTIONSDIALOGPAGE, hInstance) == ByTarget(20, 32), "hInstance at 20 or 32");
static_assert(offsetof(OPTIONSDIALOGPAGE, hIcon) == ByTarget(24, 40), "hIcon at 24 or 40");
static_assert(offsetof(OPTIONSDIALOGPAGE, pszGroup) == ByTarget(28, 48), "pszGroup at 28 or 48");
static_assert(offsetof(OPTIONSDIALOGPAGE, groupPosition) == ByTarget(32, 56), "groupPosition at 32 or 56");
static_assert(offsetof(OPTIONSDIALOGPAGE, hGroupIcon) == ByTarget(36, 64), "hGroupIcon at 36 or 64");
static_assert(offsetof(OPTIONSDIALOGPAGE, flags) == ByTarget(40, 72), "flags at 40 or 72");
static_assert(offsetof(OPTIONSDIALOGPAGE, nIDBottomSimpleControl) == ByTarget(44, 76),
              "nIDBottomSimpleControl at 44 or 76");
static_assert(offsetof(OPTIONSDIALOGPAGE, nIDRightSimpleControl) == ByTarget(48, 80),
              "nIDRightSimpleControl at 48 or 80");
static_assert(offsetof(OPTIONSDIALOGPAGE, expertOnlyControls) == ByTarget(52, 88),
              "expertOnlyControls at 52 or 88");
static_assert(offsetof(OPTIONSDIALOGPAGE, nExpertOnlyControls) == ByTarget(56, 96),
              "nExpertOnlyControls at 56 or 96");

// What the Options dialog and its pages say to each other, as a property
// sheet does. A page's first change goes to its parent as PSM_CHANGED, which
// enables Apply; only a page that sent it gets PSN_APPLY or PSN_RESET. The
// notifications come as WM_NOTIFY with wParam 0 and a PSHNOTIFY whose idFrom
// is 0; the page answers through DWLP_MSGRESULT.
constexpr uint32_t kPsmChanged = 0x0400 + 104;  // WM_USER + 104
constexpr int32_t kPsnKillActive = -201;        // non-zero answer: stay, no Apply
constexpr int32_t kPsnApply = -202;
constexpr int32_t kPsnReset = -203;

constexpr int32_t ACKTYPE_STATUS = 12;
constexpr int32_t ACKRESULT_SUCCESS = 0;

// Set in PLUGININFO's flags byte: the plug-in handles the host's wide text.
constexpr uint8_t UNICODE_AWARE = 0x01;

constexpr uint32_t CMIF_HIDDEN = 0x00000004;
// A menu name in wide text. Never set by the plug-in: the first Unicode hosts
// ignore it and show only the name's first letter.
constexpr uint32_t CMIF_UNICODE = 0x00000200;
constexpr uint32_t CMIM_FLAGS = 0x40000000;

constexpr HostWParam ID_STATUS_OFFLINE = 40071;
constexpr HostWParam ID_STATUS_ONLINE = 40072;

// Services the plug-in calls.
// wParam: the size of a char buffer; lParam: the buffer. 0 on success. The
// text of a Unicode host's build contains "Unicode".
constexpr const char* kSvcGetVersionText = "Miranda/System/GetVersionText";
constexpr const char* kSvcTranslateString = "LangPack/TranslateString";
// wParam of "LangPack/TranslateString": lParam is, and the result will be, wide text.
constexpr HostWParam LANG_UNICODE = 0x1000;
constexpr const char* kSvcGetSetting = "DB/Contact/GetSetting";
constexpr const char* kSvcWriteSetting = "DB/Contact/WriteSetting";
constexpr const char* kSvcGetContactCount = "DB/Contact/GetCount";
constexpr const char* kSvcFindFirstContact = "DB/Contact/FindFirst";
constexpr const char* kSvcFindNextContact = "DB/Contact/FindNext";
constexpr const char* kSvcFreeVariant = "DB/Contact/FreeVariant";
constexpr const char* kSvcGetContactBaseProto = "Proto/GetContactBaseProto";
constexpr const char* kSvcIsProtocolLoaded = "Proto/IsProtocolLoaded";
constexpr const char* kSvcGetAccount = "Proto/GetAccount";  // hosts from 0.8 on
constexpr const char* kSvcCallContactService = "Proto/CallContactService";
constexpr const char* kSvcGetContactDisplayName = "CList/GetContactDisplayName";
// lParam of "CList/GetContactDisplayName": the name comes as wide text. An
// ANSI host ignores it and answers in 8 bits.
constexpr HostLParam GCDNF_UNICODE = 2;
constexpr const char* kSvcAddMainMenuItem = "CList/AddMainMenuItem";
constexpr const char* kSvcAddContactMenuItem = "CList/AddContactMenuItem";
constexpr const char* kSvcModifyMenuItem = "CList/ModifyMenuItem";
// wParam: the addInfo of "Opt/Initialise"; lParam: an OPTIONSDIALOGPAGE.
// 0 when the page is taken, 1 when the record is refused.
constexpr const char* kSvcAddOptionsPage = "Opt/AddPage";
// What "CallService" answers for a service the host does not have: the
// smallest pointer-sized integer, 0x80000000 on a 32-bit host and
// 0x8000000000000000 on a 64-bit one. A 64-bit host's answer is no address,
// and 0x80000000 there is an ordinary value.
constexpr intptr_t kServiceNotFound = INTPTR_MIN;
// The protocol-relative service of the ICQ protocol reached through CallContactService.
constexpr const char* kPssSetApparentMode = "/SetApparentMode";

// Events the plug-in hooks.
constexpr const char* kEvModulesLoaded = "Miranda/System/ModulesLoaded";
constexpr const char* kEvPreBuildContactMenu = "CList/PreBuildContactMenu";
constexpr const char* kEvStatusModeChange = "CList/StatusModeChange";
// lParam: an ACKDATA.
constexpr const char* kEvProtoAck = "Proto/Ack";
// Fired as the user opens the Options dialog; wParam: the addInfo to hand
// to "Opt/AddPage".
constexpr const char* kEvOptionsInitialise = "Opt/Initialise";
// Fired before a contact is deleted; wParam: the contact.
constexpr const char* kEvContactDeleted = "DB/Contact/Deleted";

// The service the plug-in offers: wParam is a contact, or 0 for the global level.
constexpr const char* kSvcEditVisibility = "Quillmere/Edit";

// The three exports, C calling convention, undecorated names.
extern "C" {
typedef PLUGININFO*(__cdecl* MirandaPluginInfoProc)(uint32_t hostVersion);
typedef int(__cdecl* LoadProc)(PLUGINLINK* link);
typedef int(__cdecl* UnloadProc)();
}
