// Loads Quillmere.dll into the sandbox host with the sample profile and shows
// what the plug-in does with it, in words a new user can follow; then logs
// the ICQ accounts in and shows their lists on the ICQ server, lined up with
// the levels; then uses the sandbox window as a person would. Then the same
// on a Unicode build of the host with a Russian language pack, and a picture
// of the sandbox window with the plug-in's editor open in Russian.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "sandbox/HostMessageLoop.h"
#include "sandbox/HostWindow.h"
#include "sandbox/ListViewText.h"
#include "sandbox/LanguagePack.h"
#include "sandbox/PluginWindows.h"
#include "sandbox/Profile.h"
#include "sandbox/UserScript.h"
#include "sandbox/TextCodec.h"
#include "sandbox/demo/Screenshot.h"
#include "sandbox/demo/TerminalColumns.h"

namespace {

const char kPictureFile[] = "sandbox.bmp";
const char kPagePictureFile[] = "options-page.bmp";

struct Contact {
    std::string name;
    ContactHandle handle;
};

// What the ICQ protocol was told about a contact in the last pass.
std::string Seen(const SandboxHost& host, ContactHandle contact) {
    auto mode = host.ApparentMode(contact);
    if (!mode) return "-";
    return *mode == ID_STATUS_ONLINE ? "sees" : "hidden";
}

// The ICQ account a contact belongs to, or null for a contact the plug-in
// leaves alone.
const std::string* IcqAccountOf(const SandboxHost& host, ContactHandle contact) {
    const std::string* module = host.ProtocolOf(contact);
    return module && host.ProtocolLoaded(*module) && host.IsIcqModule(*module) ? module : nullptr;
}

uint32_t UinOf(const SandboxHost& host, ContactHandle contact) {
    const std::string* account = IcqAccountOf(host, contact);
    return account ? host.Dword(contact, *account, "UIN").value_or(0) : 0;
}

// Who is on one of an account's server lists, in the profile's order; a UIN
// of none of the contacts shows as the number.
std::string ServerListText(const SandboxHost& host, const std::vector<Contact>& contacts,
                           const std::string& account, IcqServer::List list) {
    std::vector<std::string> names;
    std::vector<uint32_t> known;
    for (const Contact& contact : contacts) {
        const std::string* module = IcqAccountOf(host, contact.handle);
        const uint32_t uin = UinOf(host, contact.handle);
        if (!module || *module != account || uin == 0) continue;
        known.push_back(uin);
        if (host.Server().ItemId(account, list, uin) != 0) names.push_back(contact.name);
    }
    for (const IcqServer::Entry& entry : host.Server().Entries(account, list))
        if (std::find(known.begin(), known.end(), entry.uin) == known.end())
            names.push_back("UIN " + std::to_string(entry.uin));
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text.empty() ? "-" : text;
}

// One row per ICQ account and list: the account, the list, who is on it.
std::vector<std::vector<std::string>> ServerListRows(const SandboxHost& host,
                                                     const std::vector<Contact>& contacts) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& module : host.LoadedProtocols()) {
        if (!host.IsIcqModule(module)) continue;
        for (IcqServer::List list : {IcqServer::List::Visible, IcqServer::List::Invisible})
            rows.push_back({module, ListName(list), ServerListText(host, contacts, module, list)});
    }
    return rows;
}

// Where the server has a contact.
struct ServerPlace {
    bool visible = false;
    bool invisible = false;
};

ServerPlace PlaceOf(const SandboxHost& host, ContactHandle contact) {
    return {host.ServerItemId(contact, IcqServer::List::Visible) != 0,
            host.ServerItemId(contact, IcqServer::List::Invisible) != 0};
}

std::string PlaceText(const ServerPlace& place) {
    if (place.visible && place.invisible) return "both lists";
    if (place.visible) return "the visible list";
    if (place.invisible) return "the invisible list";
    return "neither list";
}

int32_t StoredLevel(const SandboxHost& host, ContactHandle contact) {
    return static_cast<int32_t>(host.Dword(contact, "Quillmere", "VisibilityLevel").value_or(0));
}

// The rules of the levels as a user reads them, stated here apart from the
// plug-in so that the demo can hold the server's lists to them: "sees",
// "hidden", or "-" for a contact level outside 0 to 6, which is left alone.
std::string Decided(int32_t global, int32_t level) {
    if (global == 0) return "sees";
    if (global == 6) return "hidden";
    if (level == 0) return "sees";
    if (level == 6) return "hidden";
    if (level < 0 || level > 6) return "-";
    return level >= global ? "sees" : "hidden";
}

// Prints a MISMATCH line for each ICQ contact the server does not have where
// its level puts it; a contact left alone must be where the server had it
// before the login. Returns whether every contact is in place.
bool CheckServerLists(const SandboxHost& host, const std::vector<Contact>& contacts,
                      const std::vector<ServerPlace>& placesBefore) {
    const int32_t global = StoredLevel(host, 0);
    bool inPlace = true;
    for (size_t index = 0; index < contacts.size(); ++index) {
        const ContactHandle handle = contacts[index].handle;
        if (UinOf(host, handle) == 0) continue;
        const int32_t level = StoredLevel(host, handle);
        const std::string decided = Decided(global, level);
        const ServerPlace place = PlaceOf(host, handle);
        ServerPlace wanted = placesBefore[index];
        if (decided != "-") wanted = {decided == "sees", decided == "hidden"};
        if (place.visible == wanted.visible && place.invisible == wanted.invisible) continue;
        inPlace = false;
        std::printf("  MISMATCH: %s (level %d) is on %s of %s; ", contacts[index].name.c_str(), level,
                    PlaceText(place).c_str(), IcqAccountOf(host, handle)->c_str());
        if (decided == "-")
            std::printf("left alone, it belongs where the server had it: on %s.\n",
                        PlaceText(wanted).c_str());
        else
            std::printf("under global level %d it belongs on %s only.\n", global, PlaceText(wanted).c_str());
    }
    return inPlace;
}

// The server's lists now, next to what they were before the login, if given;
// then whether each contact is where its level puts it.
void ShowServerLists(const SandboxHost& host, const std::vector<Contact>& contacts,
                     const std::vector<ServerPlace>& placesBefore,
                     const std::vector<std::vector<std::string>>& listsBefore) {
    std::vector<std::vector<std::string>> rows = ServerListRows(host, contacts);
    if (listsBefore.empty()) {
        rows.insert(rows.begin(), {"account", "list", "now"});
    } else {
        for (size_t row = 0; row < rows.size(); ++row)
            rows[row].insert(rows[row].begin() + 2, listsBefore[row][2]);
        rows.insert(rows.begin(), {"account", "list", "before the login", "after the login"});
    }
    PrintColumns(rows);
    if (CheckServerLists(host, contacts, placesBefore))
        std::printf("  Every contact is on the list its level decides under global level %d.\n",
                    StoredLevel(host, 0));
}

// A root group's data as hex bytes, "(none)" for an account without one.
std::string RootGroupText(const std::vector<uint8_t>* data) {
    if (!data) return "(none)";
    if (data->empty()) return "(no data: the order of the groups is lost)";
    std::string text;
    for (uint8_t byte : *data) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(byte));
        text += (text.empty() ? "" : " ") + std::string(digits);
    }
    return text;
}

// The logins end, and the plug-in lines up the lists a moment later, from
// the host's loop; how long after the login that was, in milliseconds.
DWORD FinishLoginsAndWaitForTheLists(SandboxHost& host) {
    host.Server().ClearChanges();
    host.FinishLogins();
    const DWORD loggedInAt = GetTickCount();
    RunHostMessageLoopUntil([&] { return !host.Server().Changes().empty(); }, 5000);
    return GetTickCount() - loggedInAt;
}

// The first child of the window of a class, or null.
HWND ChildOfClass(HWND parent, const char* className) {
    return FindWindowExA(parent, nullptr, className, nullptr);
}

// A list view's column headers, then its rows.
std::vector<std::vector<std::string>> ListViewTable(HWND list) {
    std::vector<std::vector<std::string>> table = ListViewRows(list);
    table.insert(table.begin(), ListViewHeaders(list));
    return table;
}

// The host's Options dialog, used as a person would: open it, find the
// plug-in's page, choose three contacts in its list, press 6, and Apply.
// With a picture file, the dialog is pictured with the contacts chosen.
void UseTheOptionsPage(SandboxHost& host, const std::vector<std::string>& names, const char* pictureFile) {
    const HWND dialog = host.Options().Open();
    if (!dialog) {
        std::printf("  The Options dialog did not open.\n");
        return;
    }
    for (size_t index = 0; index < host.Options().Pages().size(); ++index)
        if (host.Options().Pages()[index].record.pfnDlgProc) host.Options().ShowPage(index);
    const HWND page = host.Options().PageWindow(0);
    const HWND list = page ? ChildOfClass(page, "SysListView32") : nullptr;
    if (!list) {
        std::printf("  The page has no list.\n");
        host.Options().ClickCancel();
        return;
    }
    std::printf("  The page \"%s / %s\" lists every ICQ contact, sorted by name:\n",
                host.Options().Pages()[0].group.c_str(), host.Options().Pages()[0].title.c_str());
    PrintColumns(ListViewTable(list));

    std::string chosen;
    const std::vector<std::vector<std::string>> rows = ListViewRows(list);
    for (size_t row = 0; row < rows.size(); ++row) {
        if (std::find(names.begin(), names.end(), rows[row][0]) == names.end()) continue;
        LVITEMW state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
        chosen += (chosen.empty() ? "" : ", ") + rows[row][0];
    }
    SetFocus(list);
    PressKey(list, '6');
    RunHostMessageLoop(100);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const bool pictured = !pictureFile || SaveWindowsPicture({dialog}, pictureFile);
    std::printf("  You choose %s and press 6; %s\n", chosen.c_str(),
                host.Options().ApplyEnabled() ? "the change enables Apply, which you press."
                                              : "Apply stays disabled, yet you press it.");
    const size_t writesBefore = host.CountCalls("DB/Contact/WriteSetting");
    const size_t passesBefore = host.CountCalls(kSvcGetContactCount);
    host.Options().ClickApply();
    std::printf("  Apply wrote %zu levels and ran %zu pass.\n", host.CountCalls("DB/Contact/WriteSetting") - writesBefore,
                host.CountCalls(kSvcGetContactCount) - passesBefore);
    host.Options().ClickOk();
    if (!pictured) std::printf("  (no picture of the page could be saved)\n");
}

// The plug-in's editor, when it is open.
HWND FindEditor() {
    const std::vector<HWND> windows = PluginTopLevelWindows();
    return windows.empty() ? nullptr : windows.front();
}

std::string SelectedItem(HWND list) {
    const int selected = static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0));
    return Utf8FromWide(WideListItemText(list, selected).c_str());
}

std::string RowText(const HostWindow& window, ContactHandle contact) {
    std::string text;
    for (int column = HostWindow::kNameColumn; column <= HostWindow::kSeesYouColumn; ++column)
        text += (text.empty() ? "" : " | ") +
                window.CellText(window.RowOf(contact), static_cast<HostWindow::Column>(column));
    return text;
}

// The editor's texts as a person reads them, through the wide calls: its
// title, then its label, buttons and list items.
std::string EditorTexts(HWND editor) {
    std::string texts = "title \"" + Utf8FromWide(WideTextOf(editor).c_str()) + "\"";
    const EditorChildren children = FindEditorChildren(editor);
    if (!children.levelList) return texts;
    for (HWND control : {children.label, children.okButton, children.closeButton})
        texts += ", \"" + Utf8FromWide(WideTextOf(control).c_str()) + "\"";
    texts += "\n    items:";
    const int count = static_cast<int>(SendMessageW(children.levelList, CB_GETCOUNT, 0, 0));
    for (int item = 0; item < count; ++item)
        texts += std::string(item ? "," : "") + " \"" +
                 Utf8FromWide(WideListItemText(children.levelList, item).c_str()) + "\"";
    return texts;
}

// The sandbox window, used as a person would: status Invisible, right-click
// the contact, pick the plug-in's entry, choose the first or the last level
// and press OK. With a picture file, the window and the editor are pictured
// while the choice is made.
void UseTheSandboxWindow(SandboxHost& host, ContactHandle contact, const std::string& entry,
                         UINT levelKey, const char* pictureFile) {
    HostWindow window(host);
    if (!window.Open(20, 20, false)) {
        std::printf("  the sandbox window could not be opened.\n");
        return;
    }
    // As if the user had last left the editor over the list's empty part, so
    // that the picture shows every row.
    host.SetDword(0, "Quillmere", "UserAdd/Left", 330);
    host.SetDword(0, "Quillmere", "UserAdd/Top", 335);
    window.ChangeStatus(kStatusInvisible);
    std::printf("  You are invisible. The contact's row: %s\n", RowText(window, contact).c_str());

    std::vector<std::string> menu;
    std::string texts;
    std::string selectedBefore;
    std::string picked;
    bool pictureSaved = false;
    UserScript script;
    script.Add("right-click the contact", [&] {
        RightClick(window.ContactList(), window.RowPoint(contact));
        return true;
    });
    script.Add("pick the entry", PickFromMenu(window.Window(), entry, &menu));
    script.Add("choose a level", [&] {
        const HWND editor = FindEditor();
        if (!editor) return false;
        texts = EditorTexts(editor);
        selectedBefore = SelectedItem(GetFocus());
        PressKey(GetFocus(), levelKey);
        return true;
    });
    script.Add("take the picture, Tab to OK", [&] {
        const HWND editor = FindEditor();
        if (!editor) return false;
        picked = SelectedItem(GetFocus());
        RedrawWindow(window.Window(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        RedrawWindow(editor, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        pictureSaved = !pictureFile || SaveWindowsPicture({window.Window(), editor}, pictureFile);
        PressKey(GetFocus(), VK_TAB);
        return true;
    });
    script.Add("press OK", [&] {
        const HWND editor = FindEditor();
        if (!editor) return false;
        PressKey(GetFocus(), VK_SPACE);
        return true;
    });
    script.Add("the editor closes", [] { return FindEditor() == nullptr; });
    const bool ran = script.Run(15000, [] {
        EndMenu();
        if (HWND editor = FindEditor()) DestroyWindow(editor);
    });

    std::string entries;
    for (const std::string& text : menu) entries += (entries.empty() ? "\"" : ", \"") + text + "\"";
    std::printf("  Right-clicked the contact: the menu shows %s.\n", entries.empty() ? "nothing" : entries.c_str());
    if (!texts.empty())
        std::printf("  The editor opened: %s\n  with \"%s\" selected; picked \"%s\", pressed OK.\n",
                    texts.c_str(), selectedBefore.c_str(), picked.c_str());
    if (!ran) std::printf("  (the steps stopped at \"%s\")\n", script.Stuck().c_str());
    std::printf("  The contact's row now:  %s\n", RowText(window, contact).c_str());
    if (!pictureSaved) std::printf("  (no picture could be saved)\n");
}

// An ANSI build of the host, as the plug-in has always known it.
int ShowAnsiHost() {
    SandboxHost host;
    if (!host.LoadPlugin("Quillmere.dll")) {
        std::printf("Quillmere.dll could not be loaded from the current folder.\n");
        return 1;
    }
    const Profile profile = SampleProfile();
    const std::vector<ContactHandle> handles = PutProfileIntoHost(profile, host);
    std::vector<Contact> contacts;
    for (size_t index = 0; index < handles.size(); ++index)
        contacts.push_back({profile.contacts[index].name, handles[index]});

    const PLUGININFO* info = host.CallPluginInfo(kSandboxHostVersion);
    std::printf("Quillmere %u.%u.%u.%u: %s\n\n", info->version >> 24, (info->version >> 16) & 0xFF,
                (info->version >> 8) & 0xFF, info->version & 0xFF, info->description);
    host.CallLoad();
    host.FireModulesLoaded();

    std::printf("Sample profile (in the sandbox host, which stands in for Miranda IM 0.8 or later,\n"
                "a host with accounts):\n");
    std::vector<std::vector<std::string>> profileRows = {
        {"contact", "module", "account of", "visibility level", "\"Visibility Level\" in its contact menu"}};
    for (const auto& contact : contacts) {
        const std::string* proto = host.ProtocolOf(contact.handle);
        const std::string* account = proto ? host.AccountProtocolOf(*proto) : nullptr;
        profileRows.push_back({contact.name, proto ? *proto : "(none)", account ? *account : "-",
                               LevelText(host, contact.handle),
                               host.ContactMenuShows(contact.handle) ? "yes" : "no"});
    }
    PrintColumns(profileRows);
    std::string mainEntry = host.MainMenu().empty() ? "(nothing)" : host.MainMenu()[0].name;
    if (mainEntry.find('&') != std::string::npos) mainEntry.erase(mainEntry.find('&'), 1);
    std::printf("  The main menu carries \"%s\" for the global level, which is %s.\n\n",
                mainEntry.c_str(), LevelText(host, 0).c_str());

    // One column a pass: the start-up pass, then a normal pass (a status
    // change) under each global level.
    std::vector<std::vector<std::string>> seen(contacts.size());
    for (size_t index = 0; index < contacts.size(); ++index)
        seen[index].push_back(Seen(host, contacts[index].handle));
    const auto storedGlobal = host.Dword(0, "Quillmere", "VisibilityLevel");
    for (int32_t global = 0; global <= 6; ++global) {
        host.SetDword(0, "Quillmere", "VisibilityLevel", static_cast<uint32_t>(global));
        host.ClearApparentModes();
        host.FireStatusModeChange();
        for (size_t index = 0; index < contacts.size(); ++index)
            seen[index].push_back(Seen(host, contacts[index].handle));
    }
    host.SetDword(0, "Quillmere", "VisibilityLevel", storedGlobal.value_or(0));

    std::printf("What each ICQ contact is told at start-up, and after a status change under each\n"
                "global level:\n");
    std::printf("  sees   = the contact sees your status even while you are invisible\n");
    std::printf("  hidden = the contact always sees you offline\n");
    std::printf("  -      = the plug-in leaves the contact alone (not ICQ, or a level out of range)\n");
    std::vector<std::vector<std::string>> passRows = {{"contact", "start-up"}};
    for (int32_t global = 0; global <= 6; ++global) passRows[0].push_back("G=" + std::to_string(global));
    for (size_t index = 0; index < contacts.size(); ++index) {
        passRows.push_back({contacts[index].name});
        passRows.back().insert(passRows.back().end(), seen[index].begin(), seen[index].end());
    }
    PrintColumns(passRows);
    std::printf("\n");

    // An account made in the account manager: its own module name, the ICQ protocol behind it.
    for (size_t index = 0; index < contacts.size(); ++index) {
        const std::string* proto = host.ProtocolOf(contacts[index].handle);
        if (!proto || *proto != "ICQ_1") continue;
        const bool entry = host.ContactMenuShows(contacts[index].handle);
        std::printf("%s belongs to the account \"ICQ_1\", whose protocol is ICQ: her menu %s the entry,\n"
                    "and under global level 3 the pass tells ICQ she %s.\n\n",
                    contacts[index].name.c_str(), entry ? "carries" : "lacks",
                    seen[index][4] == "sees" ? "sees you" : seen[index][4] == "hidden" ? "sees you offline"
                                                                                     : "is left alone");
        break;
    }

    // Going online logs the ICQ accounts in: each reads its lists from the
    // server, and the plug-in lines them up with the levels.
    const std::vector<std::vector<std::string>> listsBefore = ServerListRows(host, contacts);
    std::vector<ServerPlace> placesBefore;
    for (const Contact& contact : contacts) placesBefore.push_back(PlaceOf(host, contact.handle));
    std::map<std::string, std::vector<uint8_t>> rootGroupsBefore = host.Server().RootGroups();
    host.ChangeStatus(static_cast<uint32_t>(ID_STATUS_ONLINE));
    const DWORD linedUpAfter = FinishLoginsAndWaitForTheLists(host);
    std::printf("On the ICQ server, each ICQ account keeps two lists: the visible list (contacts that\n"
                "see you even while you are invisible) and the invisible list (contacts that always\n"
                "see you offline). Another client left them out of line with the levels. You go\n"
                "online: each account logs in and reads its lists, and about a second later (here\n"
                "%s) the plug-in lines them up:\n",
                linedUpAfter >= 900 && linedUpAfter < 1500 ? "after 1 s" : (std::to_string(linedUpAfter) + " ms").c_str());
    ShowServerLists(host, contacts, placesBefore, listsBefore);
    std::printf("  Each account's root group, the record that keeps the order of your groups for every\n"
                "  client:\n");
    std::vector<std::vector<std::string>> rootRows = {{"account", "root group before the login", "after the login"}};
    bool rootGroupsKept = true;
    for (const auto& [account, data] : host.Server().RootGroups()) {
        const auto before = rootGroupsBefore.find(account);
        const std::vector<uint8_t>* dataBefore = before == rootGroupsBefore.end() ? nullptr : &before->second;
        rootRows.push_back({account, RootGroupText(dataBefore), RootGroupText(&data)});
        if (!dataBefore || *dataBefore != data) {
            rootGroupsKept = false;
            std::printf("  MISMATCH: the root group of %s changed at the login.\n", account.c_str());
        }
    }
    PrintColumns(rootRows);
    if (rootGroupsKept) std::printf("  The login left every root group as it was.\n");
    for (size_t index = 0; index < contacts.size(); ++index) {
        const int32_t level = StoredLevel(host, contacts[index].handle);
        if (UinOf(host, contacts[index].handle) == 0 || Decided(StoredLevel(host, 0), level) != "-") continue;
        std::printf("  %s has level %d, outside 0 to 6: the plug-in leaves the contact where the\n"
                    "  server had it, on %s.\n",
                    contacts[index].name.c_str(), level, PlaceText(placesBefore[index]).c_str());
    }
    std::printf("\n");

    const Contact& changed = contacts[2];
    std::printf("The sandbox window (`make run` opens it for you to use):\n");
    UseTheSandboxWindow(host, changed.handle, "&Visibility Level", VK_HOME, nullptr);
    std::printf("\n");

    std::printf("On the ICQ server, after %s's level became \"%s\" in the window:\n", changed.name.c_str(),
                LevelText(host, changed.handle).c_str());
    ShowServerLists(host, contacts, placesBefore, {});
    std::printf("\n");

    std::printf("The host's Options dialog (in `make run`: Main, then Options...):\n");
    UseTheOptionsPage(host, {"Bob", "Frank", "Liam"}, nullptr);
    std::printf("  The levels now:\n");
    std::vector<std::vector<std::string>> levelRows = {{"contact", "visibility level"}};
    for (const Contact& contact : contacts)
        if (IcqAccountOf(host, contact.handle)) levelRows.push_back({contact.name, LevelText(host, contact.handle)});
    PrintColumns(levelRows);
    std::printf("  On the ICQ server after the Apply:\n");
    ShowServerLists(host, contacts, placesBefore, {});
    std::printf("\n");

    host.CallUnload();
    std::printf("Unloaded. %zu host calls were made by the plug-in in this run.\n\n", host.Log().size());
    return 0;
}

// The same profile on a Unicode build of the host with a Russian language
// pack: names and translations in any script, through the wide calls.
int ShowUnicodeHost() {
    SandboxHost host;
    if (!host.LoadPlugin("Quillmere.dll")) return 1;
    host.SetUnicode(true);
    LoadLanguagePack(host, RussianLanguagePack(), kRussianCodePage);
    const Profile profile = SampleProfile();
    const std::vector<ContactHandle> handles = PutProfileIntoHost(profile, host);
    if (!host.Start(kSandboxUnicodeHostVersion)) {
        std::printf("Quillmere.dll did not start in the Unicode host.\n");
        return 1;
    }
    const PLUGININFO* info = host.CallPluginInfo(kSandboxUnicodeHostVersion);
    std::printf("A Unicode build of the host (\"%s\") with a Russian language pack:\n",
                kHostIs64Bit ? "0.10.24.0 x64 Unicode" : "0.10.24.0 Unicode");
    std::printf("  The plug-in list shows Quillmere as %s.\n",
                info && (info->isTransient & UNICODE_AWARE) ? "Unicode-aware" : "an ANSI plug-in");
    std::printf("  The main menu carries \"%s\"; the host translates the entry itself.\n",
                host.MainMenu().empty() ? "(nothing)" : host.MainMenu()[0].name.c_str());
    ContactHandle ivan = 0;
    for (size_t index = 0; index < profile.contacts.size(); ++index)
        if (profile.contacts[index].name == "Иван 李") ivan = handles[index];
    // Online first, so that the account has logged in before the window is used.
    host.ChangeStatus(static_cast<uint32_t>(ID_STATUS_ONLINE));
    FinishLoginsAndWaitForTheLists(host);
    std::printf("The sandbox window, with the contact \"Иван 李\":\n");
    UseTheSandboxWindow(host, ivan, "&Уровень видимости", VK_END, kPictureFile);
    std::printf("The Options dialog, with names in any script in full, sorted as the user's locale sorts them:\n");
    UseTheOptionsPage(host, {"Bob", "Frank", "Иван 李"}, kPagePictureFile);
    host.CallUnload();
    return 0;
}

}  // namespace

int main() {
    // The demo prints UTF-8: names and translations in Cyrillic and Chinese.
    SetConsoleOutputCP(CP_UTF8);
    const int ansi = ShowAnsiHost();
    if (ansi != 0) return ansi;
    return ShowUnicodeHost();
}
