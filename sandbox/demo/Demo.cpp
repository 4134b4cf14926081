// Loads Quillmere.dll into the sandbox host with the sample profile and shows
// what the plug-in does with it, in words a new user can follow; then uses
// the sandbox window as a person would. Then the same on a Unicode build of
// the host with a Russian language pack, and a picture of the sandbox window
// with the plug-in's editor open in Russian.
#include <cstdio>
#include <string>
#include <vector>

#include "sandbox/HostWindow.h"
#include "sandbox/LanguagePack.h"
#include "sandbox/PluginWindows.h"
#include "sandbox/Profile.h"
#include "sandbox/UserScript.h"
#include "sandbox/TextCodec.h"
#include "sandbox/demo/Screenshot.h"
#include "sandbox/demo/TerminalColumns.h"

namespace {

const char kPictureFile[] = "sandbox.bmp";

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

    std::printf("The sandbox window (`make run` opens it for you to use):\n");
    UseTheSandboxWindow(host, contacts[2].handle, "&Visibility Level", VK_HOME, nullptr);
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
    host.FireStatusModeChange();
    std::printf("The sandbox window, with the contact \"Иван 李\":\n");
    UseTheSandboxWindow(host, ivan, "&Уровень видимости", VK_END, kPictureFile);
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
