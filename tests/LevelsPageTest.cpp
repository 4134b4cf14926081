// The "Visibility levels" page in the sandbox host's Options dialog, used as
// a person would: opened from the dialog, rows chosen in the list, keys
// pressed in it and the drop-downs moved, then Apply, OK or Cancel. The page
// must write nothing before Apply, and then exactly what changed.
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <climits>
#include <initializer_list>
#include <string>
#include <vector>

#include "sandbox/LanguagePack.h"
#include "sandbox/ListViewText.h"
#include "sandbox/TextCodec.h"
#include "tests/EditorSupport.h"

namespace {

// The page's controls.
constexpr int kGlobalLevelId = 1001;
constexpr int kContactListId = 1002;
constexpr int kChosenLevelId = 1003;
constexpr int32_t kUnset = INT_MIN;

using Row = std::vector<std::string>;

std::vector<int> Chosen(HWND list) {
    std::vector<int> chosen;
    for (int item = -1; (item = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, item, LVNI_SELECTED))) >= 0;)
        chosen.push_back(item);
    return chosen;
}

int Selected(HWND comboBox) { return static_cast<int>(SendMessageW(comboBox, CB_GETCURSEL, 0, 0)); }

class LevelsPageTest : public EditorTest {
protected:
    void TearDown() override {
        if (host.Options().IsOpen()) host.Options().ClickCancel();
        EditorTest::TearDown();
    }

    // A host with accounts: "ICQ", the ICQ account "ICQ_1" named "Work ICQ",
    // MSN, and "icq", which is no ICQ account. Names out of order, in both
    // cases; levels 0 to 6, unset and out of range.
    void AddProfile() {
        host.SetAccountsEnabled(true);
        host.AddAccount("ICQ", "ICQ");
        host.SetAccount("ICQ_1", {"ICQ", "Work ICQ"});
        host.AddAccount("MSN", "MSN");
        host.AddAccount("icq", "JABBER");
        for (const char* module : {"ICQ_1", "MSN", "icq"}) host.SetProtocolLoaded(module, true);
        SetLevel(0, 3);
        carol = Add("ICQ", "carol", 2);
        alice = Add("ICQ", "Alice", 0);
        dave = Add("ICQ_1", "Dave", 6);
        bob = Add("ICQ", "bob", kUnset);
        erin = Add("ICQ_1", "Erin", 9);
        host.AddContact("MSN", "Aaron");
        host.AddContact("icq", "Abe");
        host.AddContact(nullptr, "Adam");
    }
    ContactHandle Add(const char* module, const char* name, int32_t level) {
        const ContactHandle contact = host.AddContact(module, name);
        if (level != kUnset) SetLevel(contact, level);
        return contact;
    }

    // Opens the dialog on the page: `page`, its `list` and its two drop-downs.
    ::testing::AssertionResult OpenPage() {
        if (!host.Options().Open()) return ::testing::AssertionFailure() << "the Options dialog did not open";
        host.Options().ShowPage(0);
        page = host.Options().PageWindow(0);
        list = GetDlgItem(page, kContactListId);
        globalLevel = GetDlgItem(page, kGlobalLevelId);
        chosenLevel = GetDlgItem(page, kChosenLevelId);
        return page ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "no page";
    }
    ::testing::AssertionResult OpenPageOnTheProfile() {
        AddProfile();
        StartPlugin();
        return OpenPage();
    }
    // LVM_SETITEMSTATE: none chosen, then these, the last one focused.
    void Choose(std::initializer_list<int> items) {
        LVITEMW state = {};
        state.stateMask = LVIS_SELECTED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
        state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
        for (int item : items) SendMessageW(list, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));
    }
    // The rows chosen, then a key pressed in the list.
    void ChooseAndPress(std::initializer_list<int> items, UINT key) {
        Choose(items);
        PressInHostLoop(list, key);
    }
    std::vector<Row> Rows() const { return ListViewRows(list); }
    std::string LevelShown(int row) const { return ListViewText(list, row, 2); }

    // The host calls of the last step that change anything.
    std::vector<std::string> Changes() const {
        std::vector<std::string> changes = host.LogTexts("DB/Contact/WriteSetting");
        for (const std::string& call : host.LogTexts("Proto/CallContactService")) changes.push_back(call);
        return changes;
    }
    // Apply pressed; the levels it wrote.
    std::vector<std::string> Apply() {
        host.ClearLog();
        host.Options().ClickApply();
        return host.LogTexts("DB/Contact/WriteSetting");
    }
    std::string Write(ContactHandle contact, int32_t level) const {
        return "DB/Contact/WriteSetting " + Str(contact) + " Quillmere/VisibilityLevel type=4 " + std::to_string(level);
    }

    ContactHandle alice = 0, bob = 0, carol = 0, dave = 0, erin = 0;
    HWND page = nullptr, list = nullptr, globalLevel = nullptr, chosenLevel = nullptr;
};

}  // namespace

TEST_F(LevelsPageTest, ListsTheContactsThePassActsOnSortedByNameWithAccountLevelAndSight) {
    ASSERT_TRUE(OpenPageOnTheProfile());
    EXPECT_EQ((Row{"Contact", "Account", "Level", "Sees you"}), ListViewHeaders(list));
    // Under global level 3; "bob" has no level, which reads as 0.
    EXPECT_EQ((std::vector<Row>{{"Alice", "ICQ", "Always visible", "always"},
                                {"bob", "ICQ", "Always visible", "always"},
                                {"carol", "ICQ", "Visibility 2", "never"},
                                {"Dave", "Work ICQ", "Never visible", "never"},
                                {"Erin", "Work ICQ", "9", "the ICQ server decides"}}),
              Rows());
    EXPECT_EQ(3, Selected(globalLevel));
    EXPECT_EQ(-1, Selected(chosenLevel));
    EXPECT_TRUE(Changes().empty()) << "opening writes nothing and runs no pass";
    // The list is the platform's own, for screen readers and other tools.
    EXPECT_EQ("SysListView32", ClassNameOf(list));
    EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & WS_TABSTOP);

    // The "sees you" column follows the global level chosen on the page.
    PressInHostLoop(globalLevel, VK_UP);
    EXPECT_EQ(2, Selected(globalLevel));
    EXPECT_EQ((Row{"carol", "ICQ", "Visibility 2", "always"}), Rows()[2]);
    PressInHostLoop(globalLevel, VK_HOME);
    EXPECT_EQ((Row{"Dave", "Work ICQ", "Never visible", "always"}), Rows()[3]);
    EXPECT_TRUE(Changes().empty());
}

TEST_F(LevelsPageTest, AHostWithoutAccountsHasNoAccountColumnAndEveryTextFits) {
    Add("ICQ", "Mary Ann Montgomery-Featherstonehaugh of Cholmondeley", 4);
    Add("ICQ", "Al", 1);
    StartPlugin();
    ASSERT_TRUE(OpenPage());
    EXPECT_EQ((Row{"Contact", "Level", "Sees you"}), ListViewHeaders(list));
    const HDC dc = GetDC(list);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
    for (int column = 0; column < 3; ++column) {
        int widest = 0;
        for (const Row& row : Rows()) {
            const std::wstring text = WideFromUtf8(row[column]);
            SIZE size = {};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
            widest = std::max(widest, static_cast<int>(size.cx));
        }
        EXPECT_GT(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0), widest) << "column " << column;
    }
    SelectObject(dc, old);
    ReleaseDC(list, dc);
}

TEST_F(LevelsPageTest, KeysZeroToSixSetEveryChosenRowAndNothingIsWrittenBeforeApply) {
    ASSERT_TRUE(OpenPageOnTheProfile());
    EXPECT_FALSE(host.Options().ApplyEnabled());
    ChooseAndPress({0, 2}, '6');
    EXPECT_EQ("Never visible", LevelShown(0));
    EXPECT_EQ("never", ListViewText(list, 0, 3));
    EXPECT_EQ("Never visible", LevelShown(2));
    EXPECT_EQ("Always visible", LevelShown(1)) << "a row not chosen";
    EXPECT_EQ((std::vector<int>{0, 2}), Chosen(list)) << "the digit was no search for a name";
    EXPECT_EQ(6, Selected(chosenLevel)) << "the drop-down shows the chosen rows' level";
    EXPECT_TRUE(host.Options().ApplyEnabled()) << "the page told the dialog of its change";

    ChooseAndPress({4}, VK_NUMPAD4);
    EXPECT_EQ("Visibility 4", LevelShown(4));
    PressInHostLoop(list, 'A', true);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), Chosen(list));
    EXPECT_EQ(-1, Selected(chosenLevel)) << "levels differ";
    PressInHostLoop(list, '5');
    for (const Row& row : Rows()) EXPECT_EQ("Visibility 5", row[2]) << row[0];
    PressInHostLoop(list, '7');
    PressInHostLoop(list, '9');
    for (const Row& row : Rows()) EXPECT_EQ("Visibility 5", row[2]) << row[0];
    EXPECT_TRUE(Changes().empty());

    // Letters find a name, as in any list.
    PressInHostLoop(list, 'D');
    EXPECT_EQ((std::vector<int>{3}), Chosen(list));
}

TEST_F(LevelsPageTest, TheDropDownSetsEveryChosenRowForMouseUsers) {
    ASSERT_TRUE(OpenPageOnTheProfile());
    Choose({1, 3});
    PressInHostLoop(chosenLevel, VK_HOME);
    EXPECT_EQ("Always visible", LevelShown(3));
    PressInHostLoop(chosenLevel, VK_DOWN);
    EXPECT_EQ("Visibility 1", LevelShown(1));
    EXPECT_EQ("Visibility 1", LevelShown(3));
    EXPECT_EQ("Visibility 2", LevelShown(2)) << "a row not chosen";
    EXPECT_TRUE(host.Options().ApplyEnabled());
    EXPECT_TRUE(Changes().empty());
}

// What differs from what was stored when the page opened.
TEST_F(LevelsPageTest, ApplyWritesExactlyTheChangedLevelsThenRunsOnePass) {
    ASSERT_TRUE(OpenPageOnTheProfile());
    ChooseAndPress({0, 2}, '2');  // Alice at 0 changes, carol at 2 stays
    ChooseAndPress({1}, '0');     // bob, unset: 0 as it reads, nothing to write
    ChooseAndPress({4}, '1');     // Erin, 9
    PressInHostLoop(globalLevel, VK_DOWN);
    EXPECT_TRUE(SameCalls({Write(alice, 2), Write(erin, 1), Write(0, 4)}, Apply()));
    EXPECT_EQ(1u, host.CountCalls(kSvcGetContactCount)) << "one pass";
    EXPECT_EQ(2, StoredLevel(alice));
    EXPECT_EQ(std::nullopt, StoredLevel(bob));
    // Under global level 4: Alice at 2 hidden, Erin at 1 hidden, carol at 2 hidden.
    EXPECT_EQ(ID_STATUS_OFFLINE, host.ApparentMode(alice));
    EXPECT_EQ(ID_STATUS_OFFLINE, host.ApparentMode(erin));
    EXPECT_FALSE(host.Options().ApplyEnabled());

    host.ClearLog();
    NMHDR apply = {host.Options().Window(), 0, static_cast<UINT>(kPsnApply)};
    SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply));
    EXPECT_TRUE(host.LogTexts().empty()) << "a second Apply without a change";

    ChooseAndPress({1}, '3');
    host.ClearLog();
    host.Options().ClickOk();
    EXPECT_TRUE(SameCalls({Write(bob, 3)}, host.LogTexts("DB/Contact/WriteSetting")));
    EXPECT_FALSE(host.Options().IsOpen());
}

TEST_F(LevelsPageTest, CancelAndClosingWithoutApplyWriteNothing) {
    ASSERT_TRUE(OpenPageOnTheProfile());
    ChooseAndPress({0, 1, 2}, '6');
    host.ClearLog();
    host.Options().ClickCancel();
    EXPECT_TRUE(Changes().empty());
    EXPECT_EQ(0, StoredLevel(alice));

    ASSERT_TRUE(OpenPage());
    EXPECT_EQ("Always visible", LevelShown(0)) << "a new page reads what is stored";
    ChooseAndPress({0}, '6');
    host.ClearLog();
    DestroyWindow(host.Options().Window());
    EXPECT_TRUE(Changes().empty());
}

// The editor stores a level while the page is open.
TEST_F(LevelsPageTest, ApplyWritesOverTheEditorsChangeOnlyForARowChangedOnThePage) {
    ASSERT_TRUE(OpenPageOnTheProfile());
    ChooseAndPress({0}, '4');  // Alice
    for (ContactHandle contact : {alice, carol}) {
        EXPECT_TRUE(RanCleanly(RunEditorWith(host, contact, [](HWND editor) {
            SendMessageA(FindEditorChildren(editor).levelList, CB_SETCURSEL, 5, 0);
            ClickButton(FindEditorChildren(editor).okButton);
        })));
    }
    EXPECT_TRUE(SameCalls({Write(alice, 4)}, Apply()));
    EXPECT_EQ(5, StoredLevel(carol));
}

// A page whose rows are all gone writes nothing and runs no pass.
TEST_F(LevelsPageTest, DeletedContactsGetNoWrite) {
    ASSERT_TRUE(OpenPageOnTheProfile());
    PressInHostLoop(list, 'A', true);
    PressInHostLoop(list, '1');
    host.DeleteContact(alice);
    EXPECT_TRUE(SameCalls({Write(bob, 1), Write(carol, 1), Write(dave, 1), Write(erin, 1)}, Apply()));

    PressInHostLoop(list, '2');
    for (ContactHandle contact : {bob, carol, dave, erin}) host.DeleteContact(contact);
    Apply();
    EXPECT_TRUE(host.LogTexts().empty());
}

// None of these gets a call it should not, nor a crash.
TEST_F(LevelsPageTest, OddHostsAndProfilesOpenThePageSafely) {
    const ContactHandle unnamed = Add("ICQ", nullptr, 2);  // the host answers the name with a null pointer
    const ContactHandle empty = Add("ICQ", "", 3);
    const ContactHandle zed = Add("ICQ", "Zed", 1);
    host.AddContact("MSN", "Judy");
    StartPlugin();
    // An "Opt/Initialise" that no dialog fired: the host refuses the page, twice over.
    host.FireEvent(kEvOptionsInitialise, 0x1234);
    host.FireEvent(kEvOptionsInitialise, 0x1234);
    EXPECT_EQ(2u, host.CountCalls(kSvcAddOptionsPage));
    EXPECT_FALSE(host.Options().IsOpen());
    EXPECT_EQ(0u, host.CountCalls("DB/Contact/GetCount")) << "a refused page reads nothing";

    ASSERT_TRUE(OpenPage());
    const std::vector<Row> rows = Rows();
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ("", rows[0][0]);
    EXPECT_EQ("", rows[1][0]);
    EXPECT_EQ((Row{"Zed", "Visibility 1", "always"}), rows[2]);
    host.Options().ClickCancel();

    // No ICQ contact at all.
    for (ContactHandle contact : {unnamed, empty, zed}) host.DeleteContact(contact);
    ASSERT_TRUE(OpenPage()) << "the page opens on an empty list";
    EXPECT_EQ(0, SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

TEST_F(LevelsPageTest, TwentyThousandContactsOpenAndApply) {
    for (int index = 0; index < 20000; ++index)
        Add(index % 2 ? "ICQ" : "MSN", ("Contact " + std::to_string(index)).c_str(), index % 7);
    StartPlugin();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(OpenPage());
    const auto opened = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(10000, SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    // By text: "Contact 1", "Contact 11", ... "Contact 9999".
    EXPECT_EQ("Contact 1", ListViewText(list, 0, 0));
    EXPECT_EQ("Contact 9999", ListViewText(list, 9999, 0));
    PressInHostLoop(list, 'A', true);
    PressInHostLoop(list, '6');
    size_t atSixAlready = 0;
    for (int index = 1; index < 20000; index += 2) atSixAlready += index % 7 == 6 ? 1 : 0;
    EXPECT_EQ(10000u - atSixAlready, Apply().size()) << "all but those at 6 already";
    EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(opened).count(), 10) << "opening took too long";
}

// Names in any script, sorted as the user's locale sorts them.
TEST_F(LevelsPageTest, AUnicodeHostShowsWideNamesAndItsTranslations) {
    host.SetUnicode(true);
    LoadLanguagePack(host, RussianLanguagePack(), kRussianCodePage);
    SetLevel(0, 3);
    host.SetAccountsEnabled(true);
    host.SetAccount("ICQ", {"ICQ", "Рабочий ICQ"});
    Add("ICQ", "Иван 李", 4);
    Add("ICQ", "Борис", 0);
    Add("ICQ", "anna", 6);
    StartPlugin(kSandboxUnicodeHostVersion);
    ASSERT_TRUE(OpenPage());
    EXPECT_EQ("Уровни видимости", host.Options().Pages()[0].title);
    EXPECT_EQ("Статус", host.Options().Pages()[0].group);
    EXPECT_TRUE(IsWindowUnicode(list));
    EXPECT_EQ((Row{"Контакт", "Учётная запись", "Уровень", "Видит вас"}), ListViewHeaders(list));
    EXPECT_EQ((std::vector<Row>{{"anna", "Рабочий ICQ", "Никогда не виден", "никогда"},
                                {"Борис", "Рабочий ICQ", "Всегда виден", "всегда"},
                                {"Иван 李", "Рабочий ICQ", "Видимость 4", "всегда"}}),
              Rows());
    ChooseAndPress({0}, '2');
    EXPECT_EQ("Видимость 2", LevelShown(0));
    SetFocus(list);
    SendMessageW(list, WM_CHAR, 0x0418, 1);  // И, as the keyboard types it
    EXPECT_EQ((std::vector<int>{2}), Chosen(list)) << "a name found by its first letter, in any script";
    EXPECT_EQ("Никогда не виден", Utf8FromWide(WideListItemText(globalLevel, 6).c_str()));
}

// The page's hook on deleted contacts goes with the others.
TEST_F(LevelsPageTest, UnloadWithThePageOpenUnhooksItsHookOnce) {
    ASSERT_TRUE(OpenPageOnTheProfile());
    EXPECT_EQ(1u, host.HookCount(kEvContactDeleted));
    host.ClearLog();
    host.CallUnload();
    EXPECT_EQ(0u, host.HookCount(kEvContactDeleted));
    EXPECT_EQ(5u, host.CountCalls("UnhookEvent ")) << "the three hooks, the Options hook and the page's";
    host.ClearLog();
    host.Options().ClickCancel();
    EXPECT_TRUE(host.LogTexts().empty()) << "the closing page unhooks nothing twice";
}
