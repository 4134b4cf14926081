// The interactive sandbox host, used as a person uses it: right-click a
// contact, pick the plug-in's entry, choose a level in the editor with the
// keyboard, press OK, and read the contact's row.

#include "sandbox/HostWindow.h"
#include "sandbox/LanguagePack.h"
#include "sandbox/Profile.h"
#include "sandbox/TextCodec.h"
#include "sandbox/UserScript.h"
#include "tests/EditorSupport.h"

namespace {

constexpr DWORD kScriptTimeoutMs = 8000;

class SandboxWindowTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        const uint32_t version = PrepareHost();
        contacts = PutProfileIntoHost(SampleProfile(), host);
        StartPlugin(version);
        ASSERT_TRUE(window.Open(30, 30, false));
    }
    void TearDown() override {
        if (window.Window()) DestroyWindow(window.Window());
        EditorTest::TearDown();
    }

    // The host's build, as its version number.
    virtual uint32_t PrepareHost() { return kSandboxHostVersion; }

    ContactHandle ContactNamed(const std::string& name) const {
        for (ContactHandle contact : contacts)
            if (*host.DisplayNameOf(contact) == name) return contact;
        return 0;
    }

    std::vector<std::string> Row(ContactHandle contact) const {
        const int row = window.RowOf(contact);
        std::vector<std::string> cells;
        for (int column = HostWindow::kNameColumn; column <= HostWindow::kSeesYouColumn; ++column)
            cells.push_back(window.CellText(row, static_cast<HostWindow::Column>(column)));
        return cells;
    }

    void RightClickRow(ContactHandle contact) { RightClick(window.ContactList(), window.RowPoint(contact)); }

    // Picks a status from the selector with the arrow keys, one step a key.
    void ChooseStatus(uint32_t status) {
        const HWND box = window.StatusSelector();
        SetFocus(box);
        const int current = static_cast<int>(SendMessageA(box, CB_GETCURSEL, 0, 0));
        int wanted = 0;
        while (kStatusModes[wanted].id != status) ++wanted;
        for (int index = current; index < wanted; ++index) PressKey(box, VK_DOWN);
        for (int index = current; index > wanted; --index) PressKey(box, VK_UP);
    }

    // Closes a menu or an editor a failed step left open.
    static void CloseEverything() {
        EndMenu();
        for (HWND editor : PluginTopLevelWindows()) DestroyWindow(editor);
    }

    std::vector<ContactHandle> contacts;
    HostWindow window{host};
    UserScript script;
};

// In the editor, once it is open: note its title and selection, move the
// selection with `key`, Tab to OK, press it with the space bar, and wait
// for the editor to close.
struct EditorSeen {
    std::string title;
    std::string selected;
};
void AddChooseLevelAndOk(UserScript& script, UINT key, EditorSeen* seen) {
    script.Add("choose a level, Tab to OK", [=] {
        const std::vector<HWND> editors = PluginTopLevelWindows();
        if (editors.empty()) return false;
        const HWND list = FindEditorChildren(editors.front()).levelList;
        seen->title = Utf8FromWide(WideTextOf(editors.front()).c_str());
        const int selected = static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0));
        seen->selected = Utf8FromWide(WideListItemText(list, selected).c_str());
        PressKey(GetFocus(), key);
        PressKey(GetFocus(), VK_TAB);
        return true;
    });
    script.Add("press OK with the space bar", [] {
        const std::vector<HWND> editors = PluginTopLevelWindows();
        if (editors.empty()) return false;
        const HWND okButton = FindEditorChildren(editors.front()).okButton;
        if (GetFocus() != okButton) return false;
        PressKey(okButton, VK_SPACE);
        return true;
    });
    script.Add("the editor closes", [] { return PluginTopLevelWindows().empty(); });
}

TEST_F(SandboxWindowTest, ALevelPickedFromAContactMenuShowsInTheContactsRow) {
    const ContactHandle carol = ContactNamed("Carol");  // level 2; the global level is 3
    std::vector<std::string> before;
    std::vector<std::string> menu;
    EditorSeen editor;

    script.Add("choose Invisible", [&] {
        ChooseStatus(kStatusInvisible);
        return true;
    });
    script.Add("see the account logged in", [&] { return host.IcqStatus("ICQ") == kStatusInvisible; });
    // The plug-in lines up the server's lists a second after the login.
    script.Add("see the lists lined up", [&] {
        if (Row(carol)[HostWindow::kServerColumn] == "-") return false;
        before = Row(carol);
        RightClickRow(carol);
        return true;
    });
    script.Add("pick the entry", PickFromMenu(window.Window(), "&Visibility Level", &menu));
    AddChooseLevelAndOk(script, VK_HOME, &editor);
    ASSERT_TRUE(script.Run(kScriptTimeoutMs, CloseEverything)) << "stuck at: " << script.Stuck();

    EXPECT_EQ((std::vector<std::string>{"Carol", "ICQ", "ICQ", "2 Visibility 2", "offline (invisible)",
                                        "invisible list (#2A03)", "no (you are invisible)"}),
              before);
    EXPECT_EQ(std::vector<std::string>{"&Visibility Level"}, menu);
    EXPECT_EQ("Carol: Visibility Level", editor.title);
    EXPECT_EQ("Visibility 2", editor.selected);
    EXPECT_EQ(0, StoredLevel(carol));
    EXPECT_EQ((std::vector<std::string>{"Carol", "ICQ", "ICQ", "0 Always visible", "online (visible)",
                                        "visible list (#2A0A)", "yes (visible list)"}),
              Row(carol));
}

TEST_F(SandboxWindowTest, TheContactMenuCarriesTheEntryOnlyForLoadedIcqContacts) {
    struct Case {
        const char* contact;
        std::vector<std::string> menu;
    };
    const std::vector<std::string> withEntry = {"&Visibility Level"};
    const std::vector<std::string> empty = {"(no entries for this contact)"};
    const Case cases[] = {{"Alice", withEntry}, {"Heidi", withEntry}, {"Kim", withEntry},
                          {"Judy", empty},      {"Nadia", empty},     {"Oscar", empty},
                          {"Mallory", empty}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.contact);
        std::vector<std::string> menu;
        UserScript oneMenu;
        oneMenu.Add("right-click", [&] {
            RightClickRow(ContactNamed(c.contact));
            return true;
        });
        // A name no menu has: look, then leave with Esc.
        oneMenu.Add("look and leave", PickFromMenu(window.Window(), "(none)", &menu));
        oneMenu.Add("the menu closes", [] { return OpenPopupMenu() == nullptr; });
        ASSERT_TRUE(oneMenu.Run(kScriptTimeoutMs, CloseEverything)) << "stuck at: " << oneMenu.Stuck();
        EXPECT_EQ(c.menu, menu);
    }
    EXPECT_TRUE(PluginTopLevelWindows().empty());
}

TEST_F(SandboxWindowTest, AStatusChangeRunsThePassAndEveryRowCatchesUp) {
    // After the start-up pass every ICQ contact is stored as hidden; the
    // server still holds what another client left there.
    const ContactHandle dave = ContactNamed("Dave");  // level 3, global 3: sees the user
    const ContactHandle bob = ContactNamed("Bob");    // level 1: does not
    EXPECT_EQ("offline (invisible)", window.CellText(window.RowOf(dave), HostWindow::kApparentColumn));
    EXPECT_EQ("both lists (#0A03, #0A04)", window.CellText(window.RowOf(dave), HostWindow::kServerColumn));
    // The sandbox program saves the profile, the server with it, from here.
    uint16_t bobHiddenAtLastSave = 0;
    window.SetSettingsChangedListener(
        [&] { bobHiddenAtLastSave = host.ServerItemId(bob, IcqServer::List::Invisible); });
    host.ClearLog();
    size_t passes = 0;
    std::string whileConnecting;
    script.Add("choose Online", [&] {
        ChooseStatus(40072);
        return true;
    });
    script.Add("see it applied", [&] {
        if (window.Status() != 40072) return false;
        passes = host.CountCalls(std::string(kSvcGetContactCount));
        whileConnecting = window.StatusLineText() + " Dave: " + Row(dave).back();
        return true;
    });
    std::vector<std::string> bobAtLogin;
    DWORD loggedInAt = 0;
    DWORD linedUpAt = 0;
    script.Add("the accounts log in", [&] {
        if (host.IcqStatus("ICQ_1") != 40072) return false;
        loggedInAt = GetTickCount();
        bobAtLogin = Row(bob);
        return true;
    });
    script.Add("the lines move into place", [&] {
        if (Row(bob)[HostWindow::kServerColumn] == bobAtLogin[HostWindow::kServerColumn]) return false;
        linedUpAt = GetTickCount();
        return true;
    });
    ASSERT_TRUE(script.Run(kScriptTimeoutMs, CloseEverything)) << "stuck at: " << script.Stuck();
    // Right after the login the row shows what the server had; a second
    // later, what the levels decide.
    EXPECT_EQ((std::vector<std::string>{"Bob", "ICQ", "ICQ", "1 Visibility 1", "online (visible)",
                                        "visible list (#0A02)", "yes"}),
              bobAtLogin);
    EXPECT_GE(linedUpAt - loggedInAt, 800u);

    EXPECT_EQ(1u, passes);
    EXPECT_EQ("You are Online. ICQ: connecting, ICQ_1: connecting. Global visibility level: 3 Visibility 3."
              " Dave: no (connecting)",
              whileConnecting);
    EXPECT_EQ((std::vector<std::string>{"Dave", "ICQ", "ICQ", "3 Visibility 3", "online (visible)",
                                        "visible list (#0A03)", "yes"}),
              Row(dave));
    EXPECT_EQ((std::vector<std::string>{"Bob", "ICQ", "ICQ", "1 Visibility 1", "offline (invisible)",
                                        "invisible list (#2A02)", "no (invisible list)"}),
              Row(bob));
    EXPECT_NE(0u, bobHiddenAtLastSave);
    // Contacts of accounts: of the ICQ account "ICQ_1", and of "icq", a Jabber account.
    EXPECT_EQ((std::vector<std::string>{"Liam", "ICQ_1", "ICQ", "5 Visibility 5", "online (visible)",
                                        "visible list (#2A09)", "yes"}),
              Row(ContactNamed("Liam")));
    EXPECT_EQ((std::vector<std::string>{"Oscar", "icq", "JABBER", "0 Always visible", "-", "-", "yes"}),
              Row(ContactNamed("Oscar")));
    EXPECT_EQ("-", window.CellText(window.RowOf(ContactNamed("Judy")), HostWindow::kApparentColumn));
    EXPECT_EQ("You are Online. ICQ: online, ICQ_1: online. Global visibility level: 3 Visibility 3.",
              window.StatusLineText());
}

// The login's timer is the window's: closed before the second is up, the
// window ends no login and nothing reaches this object.
TEST_F(SandboxWindowTest, AWindowClosedBeforeTheLoginEndsLeavesTheLoginBegun) {
    window.ChangeStatus(40072);
    DestroyWindow(window.Window());
    const DWORD past = GetTickCount() + 1500;
    script.Add("wait past the login's second",
               [&] { return static_cast<LONG>(GetTickCount() - past) >= 0; });
    ASSERT_TRUE(script.Run(kScriptTimeoutMs, CloseEverything)) << "stuck at: " << script.Stuck();
    EXPECT_EQ(1u, host.IcqStatus("ICQ"));  // still connecting
}

TEST_F(SandboxWindowTest, TheMainMenuEntryEditsTheGlobalLevel) {
    std::vector<std::string> menu;
    EditorSeen editor;
    int settingsChanges = 0;
    window.SetSettingsChangedListener([&] { ++settingsChanges; });
    script.Add("open the Main menu", [&] {
        PostMessageA(window.Window(), WM_SYSCOMMAND, SC_KEYMENU, 'm');
        return true;
    });
    script.Add("pick the entry", [&] {
        const HWND menuWindow = OpenPopupMenu();
        if (!menuWindow) return false;
        menu = MenuTexts(reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0)));
        PressKey(window.Window(), 'V');
        return true;
    });
    AddChooseLevelAndOk(script, VK_END, &editor);
    ASSERT_TRUE(script.Run(kScriptTimeoutMs, CloseEverything)) << "stuck at: " << script.Stuck();

    EXPECT_EQ((std::vector<std::string>{"&Visibility Level", "", "&Options…", "E&xit"}), menu);
    EXPECT_EQ("Visibility Level", editor.title);
    EXPECT_EQ("Visibility 3", editor.selected);
    EXPECT_EQ(6, StoredLevel(0));
    EXPECT_EQ("You are Offline. ICQ: offline, ICQ_1: offline. Global visibility level: 6 Never visible.",
              window.StatusLineText());
    // The level and the editor's position were written: the listener heard of it.
    EXPECT_GE(settingsChanges, 1);
}

}  // namespace

namespace {

// Closing the host's window while the editor is open ends the program's
// loop: the editor goes without saving anything, and the quit message
// reaches the program's own loop.
TEST_F(SandboxWindowTest, ClosingTheHostWindowDuringEditingEndsEverythingCleanly) {
    DestroyWindow(window.Window());
    HostWindow quitting(host);
    ASSERT_TRUE(quitting.Open(30, 30, true));
    host.ClearLog();
    script.Add("open the Main menu", [&] {
        PostMessageA(quitting.Window(), WM_SYSCOMMAND, SC_KEYMENU, 'm');
        return true;
    });
    script.Add("pick the entry", [&] {
        if (!OpenPopupMenu()) return false;
        PressKey(quitting.Window(), 'V');
        return true;
    });
    script.Add("close the host window", [&] {
        if (PluginTopLevelWindows().empty()) return false;
        PostMessageA(quitting.Window(), WM_CLOSE, 0, 0);
        return true;
    });
    script.Add("wait for the end", [] { return false; });

    // The quit message ends the script's loop before its last step.
    EXPECT_FALSE(script.Run(kScriptTimeoutMs, CloseEverything));
    EXPECT_NE("wait for the end", script.Stuck()) << "the quit message never came";
    WPARAM exitCode = 99;
    EXPECT_TRUE(TakeQuitMessage(&exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(nullptr, quitting.Window());
    EXPECT_TRUE(PluginTopLevelWindows().empty());
    EXPECT_EQ(0u, host.CountCalls(kSvcWriteSetting));
}

}  // namespace

// A Unicode build of the host in Russian: the name in Cyrillic and Chinese
// letters in the list, the host's own translation of the entry in the menu,
// and the editor in Russian.
class UnicodeSandboxWindowTest : public SandboxWindowTest {
protected:
    uint32_t PrepareHost() override {
        host.SetUnicode(true);
        LoadLanguagePack(host, RussianLanguagePack(), kRussianCodePage);
        return kSandboxUnicodeHostVersion;
    }
};

TEST_F(UnicodeSandboxWindowTest, ShowsNamesAndTranslationsInAnyScript) {
    const ContactHandle ivan = ContactNamed("Иван 李");  // level 4; the global level is 3
    ASSERT_NE(0u, ivan);
    std::vector<std::string> menu;
    EditorSeen editor;
    script.Add("right-click the contact", [&] {
        RightClickRow(ivan);
        return true;
    });
    script.Add("pick the entry", PickFromMenu(window.Window(), "&Уровень видимости", &menu));
    AddChooseLevelAndOk(script, VK_END, &editor);
    ASSERT_TRUE(script.Run(kScriptTimeoutMs, CloseEverything)) << "stuck at: " << script.Stuck();

    EXPECT_EQ(std::vector<std::string>{"&Уровень видимости"}, menu);
    EXPECT_EQ("Иван 李: Уровень видимости", editor.title);
    EXPECT_EQ("Видимость 4", editor.selected);
    EXPECT_EQ(6, StoredLevel(ivan));
    EXPECT_EQ((std::vector<std::string>{"Иван 李", "ICQ", "ICQ", "6 Never visible", "offline (invisible)",
                                        "-", "no (you are offline)"}),
              Row(ivan));
}
