// A stand-in for the messaging client that loads the plug-in: it loads the DLL
// through its three exports, hands it an entry-point table, serves the host
// services the plug-in calls (settings, contacts, protocols, display names,
// translation, menus, the ICQ protocol's apparent mode, the Options dialog's
// pages) and logs every call the plug-in makes, with its arguments, for tests
// to compare.
//
// It knows the plug-in only through its exports and the host ABI header.
// One host exists at a time: the entry points in the table are plain C
// functions and reach it through a process-wide pointer.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "host/HostAbi.h"
#include "sandbox/IcqServer.h"
#include "sandbox/OptionsDialog.h"

// One call of the plug-in into the host.
struct HostCall {
    std::string text;            // service or entry point and its decoded arguments
    std::vector<uint8_t> record; // bytes of the record lParam pointed to, where there is one
};

// A stored setting with the type it was written with.
struct StoredSetting {
    uint8_t type = DBVT_DWORD;
    uint32_t number = 0;  // byte, word and dword values
    std::string text;     // the text of DBVT_ASCIIZ, DBVT_UTF8 and DBVT_WCHAR; the bytes of DBVT_BLOB
};

// An account of a host with accounts, as "Proto/GetAccount" describes it.
// The record is laid out so that its bytes end where cbSize says (the fields
// up to the protocol's name at most): reading past them faults.
struct HostAccount {
    std::optional<std::string> protocol;  // none: the record names no protocol (null)
    // As the account manager shows it, in UTF-8; empty: the module's name.
    // The record holds it as the host's text: wide on a Unicode host.
    std::string name;
    // A host's record goes on past the fields the plug-in reads.
    int32_t cbSize = static_cast<int32_t>(sizeof(PROTOACCOUNT)) + 16;
};

struct HostMenuItem {
    uintptr_t handle = 0;
    std::string name;
    uint32_t flags = 0;  // without the CMIM_ bits
    int32_t position = 0;
    std::string service;
};

// What a service set to fail throws from inside the host's call, so that it
// travels up through the plug-in's frames to whatever handler is above them.
struct HostFault {
    std::string service;
};

constexpr uint32_t kSandboxHostVersion = 0x00030300;         // 0.3.3.0
constexpr uint32_t kSandboxUnicodeHostVersion = 0x000A1800;  // 0.10.24.0

// How the host answers "Miranda/System/GetVersionText".
struct VersionTextAnswer {
    bool served = true;  // false: the host lacks the service
    std::string text;    // copied into the caller's buffer, cut to its size
    intptr_t result = 0;
};

// What the real host's "CallService" answers for a service it does not have,
// on the target being built. The sandbox states it on its own, apart from the
// plug-in's constant, so that a plug-in expecting another value shows in tests.
#ifdef _WIN64
constexpr intptr_t kSandboxServiceNotFound = static_cast<intptr_t>(0x8000000000000000ull);
#else
constexpr intptr_t kSandboxServiceNotFound = static_cast<intptr_t>(0x80000000u);
#endif

class SandboxHost {
public:
    SandboxHost();
    ~SandboxHost();
    SandboxHost(const SandboxHost&) = delete;
    SandboxHost& operator=(const SandboxHost&) = delete;

    // --- The plug-in ---------------------------------------------------------
    // Loads the DLL (once per process: it stays mapped, as in a real host,
    // so that the window classes it registers stay valid). False on failure.
    bool LoadPlugin(const char* dllPath = "Quillmere.dll");
    PLUGININFO* CallPluginInfo(uint32_t hostVersion = kSandboxHostVersion);
    int CallLoad();
    // Overwrites the table the last CallLoad handed to the plug-in, as a host
    // may reuse that memory once Load has returned.
    void SpoilHandedOutLink();
    int CallUnload();
    // Information query, Load and the modules-loaded event, as a host starts.
    bool Start(uint32_t hostVersion = kSandboxHostVersion);
    const PLUGINLINK& Link() const { return link_; }

    // --- Events and services --------------------------------------------------
    int FireEvent(const char* eventName, HostWParam wParam = 0, HostLParam lParam = 0);
    int FireModulesLoaded() { return FireEvent(kEvModulesLoaded); }
    int FireStatusModeChange(int status = 40072) { return FireEvent(kEvStatusModeChange, status); }
    // Services the plug-in created, called as the host or another module would.
    intptr_t CallPluginService(const char* serviceName, HostWParam wParam = 0, HostLParam lParam = 0);
    bool ServiceExists(const char* serviceName) const;
    size_t HookCount(const char* eventName) const;

    // --- Contacts and protocols ----------------------------------------------
    // proto null: a contact without protocol. displayName null: the host
    // answers the display-name query with a null pointer. The name is in the
    // host's text: 8 bits on an ANSI host, UTF-8 on a Unicode one.
    ContactHandle AddContact(const char* proto, const char* displayName = "Contact");
    // As the user deletes a contact: "DB/Contact/Deleted" fires while the
    // contact is still there, then the contact and its settings go.
    void DeleteContact(ContactHandle contact);
    void SetDisplayName(ContactHandle contact, const char* displayName);
    void SetProtocolLoaded(const std::string& proto, bool loaded);
    // "DB/Contact/GetCount" answers this instead of the real count.
    void OverrideContactCount(std::optional<intptr_t> count) { countOverride_ = count; }
    const std::vector<ContactHandle>& Contacts() const { return contacts_; }
    // The contact's protocol as the host stores it; null for none.
    const std::string* ProtocolOf(ContactHandle contact) const;
    // The display name, or null when the host answers with a null pointer.
    const std::string* DisplayNameOf(ContactHandle contact) const;
    bool ProtocolLoaded(const std::string& proto) const { return loadedProtocols_.count(proto) != 0; }
    const std::set<std::string>& LoadedProtocols() const { return loadedProtocols_; }

    // --- Accounts (hosts from 0.8 on) ---------------------------------------------
    // Without accounts "Proto/GetAccount" is a service the host lacks, as on
    // hosts before 0.8. A new host has none.
    void SetAccountsEnabled(bool enabled) { accountsEnabled_ = enabled; }
    bool AccountsEnabled() const { return accountsEnabled_; }
    // Adds or replaces the account whose contacts name `module`; the host
    // answers 0 for a module that is not an account.
    void SetAccount(const std::string& module, const HostAccount& account);
    void AddAccount(const std::string& module, const std::string& protocol);
    const std::map<std::string, HostAccount>& Accounts() const { return accounts_; }
    // The protocol behind a module, on a host with accounts; null when the
    // module is no account or its record names no protocol.
    const std::string* AccountProtocolOf(const std::string& module) const;
    // "ICQ" itself, or an account of the ICQ protocol: where the ICQ
    // protocol's own services answer.
    bool IsIcqModule(const std::string& module) const;

    // The apparent mode the ICQ protocol was last given for a contact, if any,
    // whether or not the call changed anything.
    std::optional<uint32_t> ApparentMode(ContactHandle contact) const;
    void ClearApparentModes() { apparentModes_.clear(); }

    // --- The ICQ protocol ---------------------------------------------------------
    // Every loaded ICQ module ("ICQ", or an account of the ICQ protocol) acts
    // as the real ICQ protocol module does. Among each contact's settings in
    // its own module it keeps the contact's "UIN" (a DWORD) and, as WORDs, the
    // apparent mode it last stored ("ApparentMode", absent reads as 0) and the
    // item ids of the contact's entries on the server's visible and invisible
    // lists ("SrvPermitId", "SrvDenyId"). "/SetApparentMode" takes 0, 40071
    // or 40072: the stored mode does nothing at all; another is stored, and
    // only while the account is logged in does the module also take the
    // contact off the old mode's list (if it has an entry there) and put it
    // on the new mode's list (if it has none there yet). Logging in reads the
    // server's lists, unless the module's "UseServerCList" BYTE on contact 0
    // is 0, and overwrites the stored mode of every contact the server lists.

    // The server the accounts log in to: the host's own until another is
    // given, which must then outlive the host.
    void UseIcqServer(IcqServer& server) { icqServer_ = &server; }
    IcqServer& Server() { return *icqServer_; }
    const IcqServer& Server() const { return *icqServer_; }
    // The user picks a status, as on a host's status menu: each ICQ account
    // acks at once (an offline one that it is connecting, one logged in its
    // new status), then "CList/StatusModeChange" fires. A login begun here
    // ends only in FinishLogins, as a real one ends about a second later.
    void ChangeStatus(uint32_t status);
    // An offline account connects by itself, as at start-up or after a
    // dropped connection: acks 40071 -> 1, then one ack a retry.
    void ConnectIcqAccount(const std::string& module, uint32_t status, int retries = 0);
    // Each connecting account reads the server's lists, then acks its new status.
    void FinishLogins();
    // 40071 offline, 1 and up connecting, 40072 to 40081 logged in.
    uint32_t IcqStatus(const std::string& module) const;
    static bool IsLoggedInStatus(uint32_t status) { return status >= 40072 && status <= 40081; }
    // The apparent mode the contact's module has stored, 0 for none.
    uint32_t StoredApparentMode(ContactHandle contact) const;
    // The item id of the contact's entry on that server list, 0 for none:
    // what the server does for the contact, whatever the module has stored.
    uint16_t ServerItemId(ContactHandle contact, IcqServer::List list) const;
    // Fires "Proto/Ack" with a copy of the record of which only the first
    // `readable` bytes can be read.
    int FireAck(const ACKDATA& ack, size_t readable = sizeof(ACKDATA));

    // --- Settings ---------------------------------------------------------------
    void SetSetting(ContactHandle contact, const std::string& module, const std::string& setting,
                    const StoredSetting& value);
    void SetDword(ContactHandle contact, const std::string& module, const std::string& setting,
                  uint32_t value);
    void RemoveSetting(ContactHandle contact, const std::string& module, const std::string& setting);
    std::optional<StoredSetting> Setting(ContactHandle contact, const std::string& module,
                                         const std::string& setting) const;
    std::optional<uint32_t> Dword(ContactHandle contact, const std::string& module,
                                  const std::string& setting) const;
    size_t SettingCount() const { return settings_.size(); }
    size_t SettingCount(const std::string& module) const;
    // Text and binary values are handed out as copies of the host's own,
    // which the caller gives back through "DB/Contact/FreeVariant".
    size_t CopiesHandedOut() const { return copiesHandedOut_; }
    size_t CopiesGivenBack() const { return copiesGivenBack_; }
    // Values given back that are no copy of this host's, or were given back before.
    size_t StrayFrees() const { return strayFrees_; }
    // Every stored setting, keyed by contact, module and setting name.
    using SettingKey = std::tuple<ContactHandle, std::string, std::string>;
    const std::map<SettingKey, StoredSetting>& Settings() const { return settings_; }
    // Goes up by one with every write a plug-in makes through the host.
    uint64_t SettingsRevision() const { return settingsRevision_; }
    // Set: a byte, word or dword value read through "DB/Contact/GetSetting"
    // comes with every byte of the value past its width set to the pattern,
    // as a real host's cache copies in the record an earlier reader handed it.
    // Unset (the default): those bytes keep what the caller put there.
    void SetStaleValueBytes(std::optional<uint8_t> pattern) { staleValueBytes_ = pattern; }

    // Called after a plug-in has written a setting or changed a contact's
    // apparent mode, so that a view of the profile can catch up.
    void SetChangeListener(std::function<void()> listener) { changeListener_ = std::move(listener); }

    // --- ANSI and Unicode hosts --------------------------------------------------
    // An ANSI host (the default) keeps its texts in 8 bits, in the system's
    // code page, and hands them out as they are. A Unicode host keeps them in
    // UTF-8 here: display names, translations and the names its menus show.
    // It hands out wide text to whoever asks for it (LANG_UNICODE,
    // GCDNF_UNICODE), 8-bit text in the language pack's code page otherwise,
    // lossily ("?" for what the page lacks), and translates the names of
    // menu entries itself. Also sets the version text the host reports.
    void SetUnicode(bool unicode);
    bool IsUnicode() const { return unicode_; }
    // Names and menu texts as this host keeps them: UTF-8 on a Unicode build,
    // the system's code page on an ANSI one (lossily, as that build would).
    std::string HostTextFromUtf8(const std::string& utf8) const;
    std::string Utf8FromHostText(const std::string& text) const;
    void SetVersionTextAnswer(const VersionTextAnswer& answer) { versionText_ = answer; }
    // The code page of the language pack's 8-bit texts; CP_ACP by default.
    void SetLanguagePackCodePage(UINT codePage) { languagePackCodePage_ = codePage; }

    // --- Translation -------------------------------------------------------------
    // `to` is in the host's text: 8 bits on an ANSI host, UTF-8 on a Unicode one.
    void AddTranslation(const std::string& from, const std::string& to);
    void SetTranslationReturnsNull(bool returnsNull) { translateNull_ = returnsNull; }
    // The host's own translation of a module's 8-bit English text, as its
    // windows show it, in UTF-8; "" for null.
    std::string TranslatedUtf8(const char* text) const;

    // --- Menus -------------------------------------------------------------------
    const std::vector<HostMenuItem>& MainMenu() const { return mainMenu_; }
    const std::vector<HostMenuItem>& ContactMenu() const { return contactMenu_; }
    // Builds the contact's menu as the host does (the pre-build event, then
    // the items), and tells whether an item calling `service` is visible.
    bool ContactMenuShows(ContactHandle contact, const char* service = kSvcEditVisibility);
    // Picks an entry: the main menu passes 0, a contact menu the contact.
    intptr_t ClickMainMenuItem(size_t index);
    intptr_t ClickContactMenuItem(size_t index, ContactHandle contact);

    // --- The Options dialog -------------------------------------------------------
    OptionsDialog& Options() { return options_; }

    // --- Faults --------------------------------------------------------------------
    // Every call of `service` throws a HostFault instead of answering, until
    // ClearFault; with a setting name, only the "DB/Contact/GetSetting" calls
    // that read that setting do. The call is logged as "HostFault" and its name.
    void SetFault(const std::string& service, const std::string& setting = "");
    void ClearFault() { fault_.reset(); }

    // --- The call log -------------------------------------------------------------
    const std::vector<HostCall>& Log() const { return log_; }
    std::vector<std::string> LogTexts() const;
    // Only the entries that start with `prefix`.
    std::vector<std::string> LogTexts(const std::string& prefix) const;
    size_t CountCalls(const std::string& prefix) const;
    void ClearLog() { log_.clear(); }
    // Off: calls are served but not logged (for timing large profiles).
    void SetLogging(bool on) { logging_ = on; }
    // Calls through one of the seven table slots the plug-in must not use.
    int TrapCount() const { return trapCount_; }

    // Called by the table's entry points.
    HookHandle OnHookEvent(const char* eventName, HostHook hook);
    int OnUnhookEvent(HookHandle hook);
    uintptr_t OnCreateServiceFunction(const char* serviceName, HostService service);
    intptr_t OnCallService(const char* serviceName, HostWParam wParam, HostLParam lParam);
    void OnTrap(int slotOffset);

    static SandboxHost* Current();

private:
    struct Hook {
        HookHandle handle;
        HostHook function;
    };
    void Record(std::string text, const void* record = nullptr, size_t size = 0);
    bool FaultApplies(const char* serviceName, HostLParam lParam) const;
    void NotifyChange();
    intptr_t Serve(const std::string& service, HostWParam wParam, HostLParam lParam);
    // The host's own services by name, as its modules add them; Serve looks
    // here before the plug-in's services.
    using HostServiceHandler = std::function<intptr_t(HostWParam, HostLParam)>;
    void AddHostService(const char* name, HostServiceHandler handler);
    void AddDatabaseServices();      // DatabaseModule.cpp
    void AddProtocolServices();      // ProtocolModule.cpp
    void AddContactListServices();   // ContactListModule.cpp
    void AddLanguageServices();      // LanguageModule.cpp
    intptr_t ServeGetSetting(HostWParam contact, const DBCONTACTGETSETTING* request);
    intptr_t ServeWriteSetting(HostWParam contact, const DBCONTACTWRITESETTING* request);
    intptr_t ServeFreeVariant(const DBVARIANT* value);
    intptr_t ServeGetAccount(const char* module);
    intptr_t ServeVersionText(HostWParam size, char* buffer);
    intptr_t ServeTranslate(HostWParam flags, HostLParam text);
    intptr_t ServeDisplayName(ContactHandle contact, HostLParam flags);
    // The host's own translation of a menu entry's name, on a Unicode host.
    std::string MenuName(const char* name) const;
    void* CopyOfValue(const StoredSetting& stored);
    intptr_t ServeCallContactService(const CCSDATA* call);
    // The ICQ module's side, in IcqModule.cpp.
    std::vector<std::string> IcqModules() const;
    std::vector<ContactHandle> ContactsOf(const std::string& module) const;
    uint32_t IcqNumber(ContactHandle contact, const std::string& module, const char* setting) const;
    void SetIcqWord(ContactHandle contact, const std::string& module, const char* setting, uint32_t value);
    bool UsesServerList(const std::string& module) const;
    intptr_t IcqSetApparentMode(ContactHandle contact, const std::string& module, HostWParam mode);
    void AckIcqStatus(const std::string& module, uint32_t previous, uint32_t status);
    void IcqLogIn(const std::string& module);
    intptr_t ServeAddMenuItem(std::vector<HostMenuItem>& menu, const char* service,
                              const CLISTMENUITEM* item);
    intptr_t ServeModifyMenuItem(uintptr_t handle, const CLISTMENUITEM* item);

    HMODULE module_ = nullptr;
    MirandaPluginInfoProc pluginInfo_ = nullptr;
    LoadProc load_ = nullptr;
    UnloadProc unload_ = nullptr;
    PLUGINLINK link_ = {};

    std::map<std::string, std::vector<Hook>> hooks_;
    std::map<std::string, HostService> pluginServices_;
    std::map<std::string, HostServiceHandler> hostServices_;
    uintptr_t nextHandle_ = 1;

    std::vector<ContactHandle> contacts_;
    std::map<ContactHandle, std::unique_ptr<std::string>> protos_;       // null: no protocol
    std::map<ContactHandle, std::unique_ptr<std::string>> displayNames_; // null: null name
    std::set<std::string> loadedProtocols_;
    std::optional<intptr_t> countOverride_;
    std::map<ContactHandle, uint32_t> apparentModes_;
    struct IcqAccountState {
        uint32_t status = ID_STATUS_OFFLINE;
        uint32_t loginStatus = 0;  // what a connecting account logs in as
    };
    std::map<std::string, IcqAccountState> icqAccounts_;
    IcqServer ownIcqServer_;
    IcqServer* icqServer_ = &ownIcqServer_;
    ContactHandle nextContact_ = 0x1000;

    bool accountsEnabled_ = false;
    std::map<std::string, HostAccount> accounts_;
    // The records served, one per module, laid out against a page no one may
    // read; freed with the host.
    std::map<std::string, std::shared_ptr<void>> accountRecords_;
    // The names the records point to, in the host's text.
    std::map<std::string, std::wstring> accountWideNames_;
    std::map<std::string, std::string> accountNarrowNames_;

    std::map<SettingKey, StoredSetting> settings_;
    std::map<void*, uint8_t> copiesOut_;  // copy -> the type it was handed out as
    size_t copiesHandedOut_ = 0;
    size_t copiesGivenBack_ = 0;
    size_t strayFrees_ = 0;
    uint64_t settingsRevision_ = 0;
    std::optional<uint8_t> staleValueBytes_;
    std::function<void()> changeListener_;
    std::map<std::string, std::string> translations_;
    bool translateNull_ = false;

    bool unicode_ = false;
    VersionTextAnswer versionText_;
    UINT languagePackCodePage_ = CP_ACP;
    // What a Unicode host has handed out, kept until the same text is asked
    // for again.
    std::map<std::string, std::wstring> wideTranslations_;
    std::map<std::string, std::string> narrowTranslations_;
    std::map<ContactHandle, std::wstring> wideNames_;
    std::map<ContactHandle, std::string> narrowNames_;

    std::vector<HostMenuItem> mainMenu_;
    std::vector<HostMenuItem> contactMenu_;

    struct Fault {
        std::string service;
        std::string setting;  // empty: every call of the service
    };
    std::optional<Fault> fault_;

    std::vector<HostCall> log_;
    bool logging_ = true;
    int trapCount_ = 0;

    // A module of the host kept in a class of its own: it serves its service
    // and logs its calls through the host. Last, so that its window goes
    // before the rest of the host.
    friend class OptionsDialog;
    OptionsDialog options_{*this};
};
