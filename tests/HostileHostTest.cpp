// A host that answers badly: null texts, huge and odd names, settings of the
// wrong type, a contact count that lies, Unload while the editor is open, a
// storm of events and a foreign quit inside the editor's loop. Each case must
// end without a crash or a hang, keep the stored settings, and leave the
// plug-in usable.
#include <windows.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "tests/EditorSupport.h"

namespace {

constexpr const char* kModule = "Quillmere";
constexpr const char* kLevel = "VisibilityLevel";
constexpr const char* kLeft = "UserAdd/Left";
constexpr const char* kTop = "UserAdd/Top";
constexpr const char* kMainTitle = "Visibility Level";
constexpr const char* kTitleTail = ": Visibility Level";
constexpr size_t kMaxClassName = 255;

BOOL CALLBACK CollectEditor(HWND window, LPARAM editors) {
    if (reinterpret_cast<HMODULE>(GetClassLongPtrA(window, GCLP_HMODULE)) == PluginModule())
        reinterpret_cast<std::vector<HWND>*>(editors)->push_back(window);
    return TRUE;
}

// Windows of a class the plug-in registered: its editors. (Under Wine the
// list's drop-down is an unowned child of the desktop made with the plug-in's
// instance handle, but its class is the system's.)
std::vector<HWND> EditorWindows() {
    std::vector<HWND> editors;
    EnumThreadWindows(GetCurrentThreadId(), CollectEditor, reinterpret_cast<LPARAM>(&editors));
    return editors;
}

HWND LevelList(HWND editor) { return FindEditorChildren(editor).levelList; }

void ClickClose(HWND editor) {
    const HWND close = FindEditorChildren(editor).closeButton;
    ASSERT_NE(nullptr, close);
    ClickButton(close);
}

void ChooseAndClickOk(HWND editor, int level) {
    const EditorChildren children = FindEditorChildren(editor);
    ASSERT_NE(nullptr, children.levelList);
    ASSERT_NE(nullptr, children.okButton);
    SendMessageA(children.levelList, CB_SETCURSEL, static_cast<WPARAM>(level), 0);
    ClickButton(children.okButton);
}

int Selection(HWND editor) {
    return static_cast<int>(SendMessageA(LevelList(editor), CB_GETCURSEL, 0, 0));
}

RECT ScreenRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

// The steps ran in an open editor, and no window of the plug-in outlived the
// service call.
::testing::AssertionResult RanAndClosed(const EditorRun& run) {
    ::testing::AssertionResult clean = RanCleanly(run);
    if (!clean) return clean;
    if (!PluginTopLevelWindows().empty() || !EditorWindows().empty())
        return ::testing::AssertionFailure() << "a window of the plug-in outlived the service call";
    return ::testing::AssertionSuccess();
}

class HostileHost : public PluginTest {
protected:
    EditorRun OpenMain(const EditorSteps& steps) {
        return RunEditorWith([this] { return host.ClickMainMenuItem(0); }, steps);
    }
    EditorRun OpenContact(ContactHandle contact, const EditorSteps& steps) {
        return RunEditorWith([this, contact] { return host.ClickContactMenuItem(0, contact); },
                             steps);
    }
    void SetPosition(int32_t left, int32_t top) {
        host.SetDword(0, kModule, kLeft, static_cast<uint32_t>(left));
        host.SetDword(0, kModule, kTop, static_cast<uint32_t>(top));
    }
    std::optional<int32_t> Stored(ContactHandle contact, const char* setting) const {
        auto value = host.Dword(contact, kModule, setting);
        if (!value) return std::nullopt;
        return static_cast<int32_t>(*value);
    }
    // The plug-in still opens, stores and applies after whatever came before.
    void ExpectUsable(ContactHandle icqContact) {
        SCOPED_TRACE("the plug-in is still usable");
        const std::optional<int32_t> before = StoredLevel(icqContact);
        SetLevel(0, 3);
        const EditorRun usable = OpenMain([](HWND editor) {
            EXPECT_EQ(kMainTitle, TextOf(editor));
            EXPECT_EQ(3, Selection(editor));
            ChooseAndClickOk(editor, 0);
        });
        EXPECT_TRUE(RanAndClosed(usable));
        EXPECT_EQ(0, StoredLevel(0));
        EXPECT_EQ(before, StoredLevel(icqContact));
        EXPECT_EQ(ID_STATUS_ONLINE, host.ApparentMode(icqContact));
    }
};

bool SameSetting(const std::optional<StoredSetting>& a, const std::optional<StoredSetting>& b) {
    if (!a || !b) return !a && !b;
    return a->type == b->type && a->number == b->number && a->text == b->text;
}

// --- Texts ------------------------------------------------------------------------

TEST_F(HostileHost, NullTranslationGivesEmptyTextsAndNeverHangs) {
    const ContactHandle ann = host.AddContact("ICQ", "Ann");
    SetLevel(ann, 4);
    SetLevel(0, 2);
    SetPosition(300, 200);
    host.SetTranslationReturnsNull(true);
    StartPlugin();
    ASSERT_EQ(1u, host.MainMenu().size());
    ASSERT_EQ(1u, host.ContactMenu().size());
    EXPECT_EQ("", host.MainMenu()[0].name);
    EXPECT_EQ("", host.ContactMenu()[0].name);
    EXPECT_TRUE(host.ContactMenuShows(ann));
    EXPECT_EQ(ID_STATUS_OFFLINE, host.ApparentMode(ann));

    // The global editor's title is empty, and no window class can have an
    // empty name: the editor still opens, under a fixed class name, and works.
    host.ClearLog();
    const EditorRun global = OpenMain([](HWND editor) {
        EXPECT_EQ("", TextOf(editor));
        EXPECT_EQ("Quillmere editor", ClassNameOf(editor));
        EXPECT_EQ(2, Selection(editor));
        ChooseAndClickOk(editor, 3);
    });
    EXPECT_TRUE(RanAndClosed(global));
    EXPECT_EQ(3, StoredLevel(0));
    SetLevel(0, 2);

    // A contact's editor still has a title of its own; its fixed texts are empty.
    const EditorRun contactEditor = OpenContact(ann, [](HWND editor) {
        EXPECT_EQ("Ann: ", TextOf(editor));
        const EditorChildren children = FindEditorChildren(editor);
        ASSERT_EQ(7, SendMessageA(children.levelList, CB_GETCOUNT, 0, 0));
        for (int item = 0; item < 7; ++item) EXPECT_EQ("", ListItemText(children.levelList, item));
        EXPECT_EQ(4, Selection(editor));
        EXPECT_EQ("", TextOf(children.label));
        EXPECT_EQ("", TextOf(children.okButton));
        EXPECT_EQ("", TextOf(children.closeButton));
        ChooseAndClickOk(editor, 4);
    });
    EXPECT_TRUE(RanAndClosed(contactEditor));
    EXPECT_EQ(4, StoredLevel(ann));
    EXPECT_EQ(2, StoredLevel(0));
    EXPECT_EQ(ID_STATUS_ONLINE, host.ApparentMode(ann));

    host.SetTranslationReturnsNull(false);
    ExpectUsable(ann);
}

TEST_F(HostileHost, NullDisplayNameGivesTitleStartingWithColon) {
    const ContactHandle ann = host.AddContact("ICQ", nullptr);
    SetLevel(ann, 5);
    StartPlugin();
    RECT shown = {};
    const EditorRun run = OpenContact(ann, [&](HWND editor) {
        EXPECT_EQ(kTitleTail, TextOf(editor));
        EXPECT_EQ(kTitleTail, ClassNameOf(editor));
        EXPECT_EQ(5, Selection(editor));
        shown = ScreenRect(editor);
        ClickClose(editor);
    });
    EXPECT_TRUE(RanAndClosed(run));
    EXPECT_EQ(5, StoredLevel(ann));
    EXPECT_EQ(shown.left, Stored(0, kLeft));
    EXPECT_EQ(shown.top, Stored(0, kTop));
    ExpectUsable(ann);
}

TEST_F(HostileHost, NullProtocolNameIsNeverIcq) {
    const ContactHandle nobody = host.AddContact(nullptr, "Nobody");
    const ContactHandle ann = host.AddContact("ICQ", "Ann");
    SetLevel(nobody, 6);
    SetLevel(ann, 6);
    SetLevel(0, 0);  // every ICQ contact gets a call, whatever its level
    StartPlugin(kSandboxHostVersion, true);
    EXPECT_EQ(1u, host.CountCalls(kSvcCallContactService));
    EXPECT_EQ(ID_STATUS_OFFLINE, host.ApparentMode(ann));
    host.ClearLog();
    host.FireStatusModeChange();
    EXPECT_TRUE(SameCalls({"Proto/CallContactService " + std::to_string(ann) + " /SetApparentMode 40072 0"},
                          host.LogTexts(kSvcCallContactService)));
    host.ClearLog();
    EXPECT_FALSE(host.ContactMenuShows(nobody));
    // Nothing to ask about a protocol that has no name.
    EXPECT_EQ(0u, host.CountCalls(kSvcIsProtocolLoaded));

    // Its editor, if called for anyway, works from the display name alone.
    const EditorRun run = OpenContact(nobody, [](HWND editor) {
        EXPECT_EQ(std::string("Nobody") + kTitleTail, TextOf(editor));
        EXPECT_EQ(6, Selection(editor));
        ChooseAndClickOk(editor, 2);
    });
    EXPECT_TRUE(RanAndClosed(run));
    EXPECT_EQ(2, StoredLevel(nobody));
    EXPECT_EQ(6, StoredLevel(ann));
    EXPECT_EQ(0, StoredLevel(0));
    ExpectUsable(ann);
}

TEST_F(HostileHost, LongDisplayNamesUseTheFirst255CharactersAsClassName) {
    struct Row {
        const char* label;
        std::string name;
        bool wholeTitleShown;
    };
    const std::string base(kMaxClassName, 'q');
    const std::vector<Row> rows = {
        {"exactly 255 before the colon", base, true},
        {"256 characters", base + "r", true},
        {"300 characters", base + std::string(45, 's'), true},
        {"30,000 characters", base + std::string(30000 - kMaxClassName, 't'), true},
        // Wine keeps the length of a converted window name in 16 bits, so it
        // shows only the start of a title this long; Windows shows it all.
        {"64 KB", base + std::string(65536 - kMaxClassName, 'u'), false},
    };
    std::vector<ContactHandle> contacts;
    for (const Row& row : rows) {
        contacts.push_back(host.AddContact("ICQ", row.name.c_str()));
        SetLevel(contacts.back(), 2);
    }
    StartPlugin();
    ATOM sharedClass = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].label);
        const std::string title = rows[i].name + kTitleTail;
        const EditorRun run = OpenContact(contacts[i], [&](HWND editor) {
            const std::string shownTitle = TextOf(editor);
            if (rows[i].wholeTitleShown) {
                EXPECT_EQ(title.size(), shownTitle.size());
                EXPECT_TRUE(title == shownTitle) << "the title differs";
            } else {
                EXPECT_FALSE(shownTitle.empty());
                EXPECT_EQ(0, title.compare(0, shownTitle.size(), shownTitle));
            }
            EXPECT_EQ(title.substr(0, kMaxClassName), ClassNameOf(editor));
            // Every one of these titles begins with the same 255 characters.
            const ATOM atom = static_cast<ATOM>(GetClassLongPtrA(editor, GCW_ATOM));
            if (sharedClass == 0) sharedClass = atom;
            EXPECT_EQ(sharedClass, atom);
            EXPECT_EQ(2, Selection(editor));
            ClickClose(editor);
        });
        EXPECT_TRUE(RanAndClosed(run));
        EXPECT_EQ(2, StoredLevel(contacts[i]));
    }
    ExpectUsable(contacts[0]);
}

TEST_F(HostileHost, ProtocolNamesWithHighBytesAreNotIcq) {
    struct Row {
        const char* label;
        const char* proto;
        bool isIcq;
    };
    const Row rows[] = {
        {"ICQ itself", "ICQ", true},
        {"E acute first", "\xC9" "CQ", false},
        {"no-break space after", "ICQ\xA0", false},
        {"y diaeresis after", "ICQ\xFF", false},
        {"only high bytes", "\x80\xFE\xFF", false},
        {"high bit on each letter", "\xC9\xC3\xD1", false},
    };
    std::vector<ContactHandle> contacts;
    for (const Row& row : rows) {
        host.SetProtocolLoaded(row.proto, true);
        contacts.push_back(host.AddContact(row.proto, "Zo\xEB"));
        SetLevel(contacts.back(), 0);
    }
    SetLevel(0, 1);
    StartPlugin();
    host.FireStatusModeChange();
    for (size_t i = 0; i < contacts.size(); ++i) {
        SCOPED_TRACE(rows[i].label);
        if (rows[i].isIcq)
            EXPECT_EQ(ID_STATUS_ONLINE, host.ApparentMode(contacts[i]));
        else
            EXPECT_EQ(std::nullopt, host.ApparentMode(contacts[i]));
        host.ClearLog();
        EXPECT_EQ(rows[i].isIcq, host.ContactMenuShows(contacts[i]));
        // The name is handed back to the host byte for byte, also in the
        // account question (this host has no accounts).
        std::vector<std::string> expected = {std::string(kSvcGetContactBaseProto) + " " + std::to_string(contacts[i]),
                                             std::string(kSvcIsProtocolLoaded) + " " + rows[i].proto};
        if (!rows[i].isIcq) expected.push_back(std::string(kSvcGetAccount) + " 0 " + rows[i].proto);
        EXPECT_TRUE(SameCalls(expected, host.LogTexts("Proto/")));
        EXPECT_EQ(0, StoredLevel(contacts[i]));
    }
    // A display name with bytes above 127 reaches the title unchanged.
    const EditorRun run = OpenContact(contacts[0], [](HWND editor) {
        EXPECT_EQ(std::string("Zo\xEB") + kTitleTail, TextOf(editor));
        ClickClose(editor);
    });
    EXPECT_TRUE(RanAndClosed(run));
    ExpectUsable(contacts[0]);
}

// --- Settings of other types ---------------------------------------------------------

// The host's cache leaves stale bytes past a narrow value's width: byte and
// word levels are read at their own width.
TEST_F(HostileHost, PassReadsByteAndWordLevelsAtTheirWidthAndWritesNothing) {
    struct Row {
        const char* label;
        StoredSetting level;
        std::optional<uint32_t> mode;  // under the global level 3, stored as a byte
    };
    const std::vector<Row> rows = {
        {"byte 2", Typed(DBVT_BYTE, 2), ID_STATUS_OFFLINE},
        {"byte 0", Typed(DBVT_BYTE, 0), ID_STATUS_ONLINE},
        {"byte 255, not -1", Typed(DBVT_BYTE, 255), std::nullopt},
        {"word 4", Typed(DBVT_WORD, 4), ID_STATUS_ONLINE},
        {"word 6", Typed(DBVT_WORD, 6), ID_STATUS_OFFLINE},
        // A text is handed back to the host and reads as the default 0.
        {"string \"5\"", Typed(DBVT_ASCIIZ, 0, "5"), ID_STATUS_ONLINE},
        {"empty string", Typed(DBVT_ASCIIZ, 0, ""), ID_STATUS_ONLINE},
        // The host fills nothing for a type it does not know: the default 0.
        {"unknown type 9", Typed(9, 6), ID_STATUS_ONLINE},
    };
    std::vector<ContactHandle> contacts;
    for (const Row& row : rows) {
        contacts.push_back(host.AddContact("ICQ", row.label));
        host.SetSetting(contacts.back(), kModule, kLevel, row.level);
    }
    const StoredSetting global = Typed(DBVT_BYTE, 3);
    host.SetSetting(0, kModule, kLevel, global);
    host.SetStaleValueBytes(0xA5);
    StartPlugin();
    host.ClearApparentModes();
    host.FireStatusModeChange();
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].label);
        EXPECT_EQ(rows[i].mode, host.ApparentMode(contacts[i]));
        EXPECT_TRUE(SameSetting(rows[i].level, host.Setting(contacts[i], kModule, kLevel)));
    }
    EXPECT_TRUE(SameSetting(global, host.Setting(0, kModule, kLevel)));
    EXPECT_EQ(0u, host.CountCalls(kSvcWriteSetting));
    EXPECT_EQ(host.CopiesHandedOut(), host.CopiesGivenBack());
}

TEST_F(HostileHost, GlobalLevelStoredAsTextReadsAsZero) {
    const ContactHandle always = host.AddContact("ICQ", "Always");
    const ContactHandle middle = host.AddContact("ICQ", "Middle");
    const ContactHandle never = host.AddContact("ICQ", "Never");
    SetLevel(always, 0);
    SetLevel(middle, 5);
    SetLevel(never, 6);
    const StoredSetting global = Typed(DBVT_ASCIIZ, 0, "3");
    host.SetSetting(0, kModule, kLevel, global);
    StartPlugin();
    host.ClearApparentModes();
    host.FireStatusModeChange();
    // A global level of 0 lets every contact see the user.
    EXPECT_EQ(ID_STATUS_ONLINE, host.ApparentMode(always));
    EXPECT_EQ(ID_STATUS_ONLINE, host.ApparentMode(middle));
    EXPECT_EQ(ID_STATUS_ONLINE, host.ApparentMode(never));
    EXPECT_TRUE(SameSetting(global, host.Setting(0, kModule, kLevel)));
    EXPECT_EQ(0u, host.CountCalls(kSvcWriteSetting));

    // The editor shows the default, and Close leaves the text alone.
    const EditorRun run = OpenMain([](HWND editor) {
        EXPECT_EQ(0, Selection(editor));
        ClickClose(editor);
    });
    EXPECT_TRUE(RanAndClosed(run));
    EXPECT_TRUE(SameSetting(global, host.Setting(0, kModule, kLevel)));
    EXPECT_EQ(0u, host.CountCalls(std::string(kSvcWriteSetting) + " 0 Quillmere/VisibilityLevel"));
}

TEST_F(HostileHost, EditorReadsNarrowLevelAndPositionAtTheirWidthAndCloseKeepsThem) {
    const ContactHandle ann = host.AddContact("ICQ", "Ann");
    const StoredSetting annLevel = Typed(DBVT_WORD, 5);
    host.SetSetting(ann, kModule, kLevel, annLevel);
    SetPosition(300, 200);
    // The host's cache leaves stale bytes past a narrow value's width.
    host.SetStaleValueBytes(0xA5);
    StartPlugin();
    const EditorRun first = OpenContact(ann, [](HWND editor) {
        EXPECT_EQ(300, ScreenRect(editor).left);
        EXPECT_EQ(200, ScreenRect(editor).top);
        EXPECT_EQ(5, Selection(editor));
        ClickClose(editor);
    });
    EXPECT_TRUE(RanAndClosed(first));
    EXPECT_TRUE(SameSetting(annLevel, host.Setting(ann, kModule, kLevel)));

    // Another program stored the position as a byte and a word.
    host.SetSetting(0, kModule, kLeft, Typed(DBVT_BYTE, 0x28));
    host.SetSetting(0, kModule, kTop, Typed(DBVT_WORD, 0x123));
    const EditorRun narrow = OpenContact(ann, [](HWND editor) {
        EXPECT_EQ(0x28, ScreenRect(editor).left);
        EXPECT_EQ(0x123, ScreenRect(editor).top);
        ClickClose(editor);
    });
    EXPECT_TRUE(RanAndClosed(narrow));
    // Closing saves the position as it always does, as 32-bit values.
    EXPECT_EQ(0x28, Stored(0, kLeft));
    EXPECT_EQ(0x123, Stored(0, kTop));
    EXPECT_TRUE(SameSetting(annLevel, host.Setting(ann, kModule, kLevel)));

    // Texts read as the defaults: level 0, and the position the editor had.
    const StoredSetting textLevel = Typed(DBVT_ASCIIZ, 0, "2");
    host.SetSetting(ann, kModule, kLevel, textLevel);
    host.SetSetting(0, kModule, kLeft, Typed(DBVT_ASCIIZ, 0, "10"));
    host.SetSetting(0, kModule, kTop, Typed(DBVT_ASCIIZ, 0, "20"));
    RECT shown = {};
    const EditorRun asDefaults = OpenContact(ann, [&](HWND editor) {
        EXPECT_EQ(0, Selection(editor));
        shown = ScreenRect(editor);
        EXPECT_EQ(0x28, shown.left);
        EXPECT_EQ(0x123, shown.top);
        ClickClose(editor);
    });
    EXPECT_TRUE(RanAndClosed(asDefaults));
    EXPECT_EQ(host.CopiesHandedOut(), host.CopiesGivenBack());
    EXPECT_TRUE(SameSetting(textLevel, host.Setting(ann, kModule, kLevel)));
    EXPECT_EQ(shown.left, Stored(0, kLeft));
    EXPECT_EQ(shown.top, Stored(0, kTop));

    SetPosition(300, 200);
    SetLevel(ann, 5);
    ExpectUsable(ann);
}

// --- A contact count that does not match the list -----------------------------------

TEST_F(HostileHost, ContactCountThatLiesNeverWalksPastTheList) {
    struct Row {
        const char* label;
        intptr_t count;
        size_t contactsVisited;
    };
    const Row rows[] = {
        {"true count", 3, 3},
        {"larger than the list", 8, 3},
        {"huge", INT_MAX, 3},
        {"smaller than the list", 1, 1},
        {"zero", 0, 0},
        {"minus one", -1, 0},
        {"most negative", INT_MIN, 0},
        {"no such service", kSandboxServiceNotFound, 0},
        // The most negative count of a 32-bit host is an ordinary one on a 64-bit host.
        {"0x80000000", static_cast<intptr_t>(0x80000000u), kHostIs64Bit ? size_t{3} : size_t{0}},
    };
    std::vector<ContactHandle> contacts;
    for (int level : {1, 3, 6}) {
        contacts.push_back(host.AddContact("ICQ", "Someone"));
        SetLevel(contacts.back(), level);
    }
    SetLevel(0, 3);
    const uint32_t expectedModes[] = {ID_STATUS_OFFLINE, ID_STATUS_ONLINE, ID_STATUS_OFFLINE};
    StartPlugin();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        host.OverrideContactCount(row.count);
        // The startup pass walks the list the same way.
        host.ClearLog();
        host.FireModulesLoaded();
        EXPECT_EQ(row.contactsVisited, host.CountCalls(kSvcFindNextContact));
        EXPECT_EQ(row.contactsVisited, host.CountCalls(kSvcCallContactService));

        host.ClearLog();
        host.ClearApparentModes();
        host.FireStatusModeChange();
        std::vector<std::string> expected = {"DB/Contact/GetSetting 0 Quillmere/VisibilityLevel",
                                             "DB/Contact/GetCount", "DB/Contact/FindFirst"};
        for (size_t i = 0; i < row.contactsVisited; ++i) {
            const std::string c = std::to_string(contacts[i]);
            expected.push_back("Proto/GetContactBaseProto " + c);
            expected.push_back("DB/Contact/GetSetting " + c + " Quillmere/VisibilityLevel");
            expected.push_back("Proto/CallContactService " + c + " /SetApparentMode " +
                               std::to_string(expectedModes[i]) + " 0");
            expected.push_back("DB/Contact/FindNext " + c);
        }
        EXPECT_TRUE(SameCalls(expected, host.LogTexts()));
        for (size_t i = 0; i < contacts.size(); ++i) {
            if (i < row.contactsVisited)
                EXPECT_EQ(expectedModes[i], host.ApparentMode(contacts[i]));
            else
                EXPECT_EQ(std::nullopt, host.ApparentMode(contacts[i]));
        }
        EXPECT_EQ(3, StoredLevel(0));
    }
}

TEST_F(HostileHost, ContactCountOfAnEmptyListIsNotTrusted) {
    host.OverrideContactCount(INT_MAX);
    StartPlugin();
    host.FireStatusModeChange();
    EXPECT_TRUE(SameCalls({"DB/Contact/GetSetting 0 Quillmere/VisibilityLevel",
                           "DB/Contact/GetCount", "DB/Contact/FindFirst"},
                          host.LogTexts()));
}

// --- Unload, event storms and a foreign quit while the editor is open ---------------

TEST_F(HostileHost, UnloadWhileEditorOpenThenEditorStillWorksAndCloses) {
    const ContactHandle ann = host.AddContact("ICQ", "Ann");
    SetLevel(ann, 2);
    SetLevel(0, 3);
    StartPlugin();
    const EditorRun run = OpenMain([&](HWND editor) {
        EXPECT_EQ(0, host.CallUnload());
        EXPECT_EQ(0u, host.HookCount(kEvPreBuildContactMenu));
        EXPECT_EQ(0u, host.HookCount(kEvStatusModeChange));
        EXPECT_EQ(1u, host.HookCount(kEvModulesLoaded));
        EXPECT_TRUE(IsWindowVisible(editor));

        // Unload cleared the busy flag, yet the open window still keeps a
        // second editor out: it would take over the first one's state.
        const size_t logBefore = host.Log().size();
        EXPECT_EQ(0, host.ClickMainMenuItem(0));
        EXPECT_EQ(0, host.ClickContactMenuItem(0, ann));
        EXPECT_EQ(std::vector<HWND>{editor}, EditorWindows());

        // Both unhooked: no pass, no menu change.
        host.FireStatusModeChange();
        host.ContactMenuShows(ann);
        EXPECT_EQ(logBefore, host.Log().size());
        EXPECT_EQ(kMainTitle, TextOf(editor));
        ChooseAndClickOk(editor, 5);
    });
    EXPECT_TRUE(RanAndClosed(run));
    EXPECT_EQ(5, StoredLevel(0));
    EXPECT_EQ(2, StoredLevel(ann));
    EXPECT_EQ(ID_STATUS_OFFLINE, host.ApparentMode(ann));
    EXPECT_TRUE(Stored(0, kLeft).has_value());
    // Still unloaded, yet the service and its editor work as before.
    ExpectUsable(ann);
}

TEST_F(HostileHost, EventsAndServiceAfterUnload) {
    const ContactHandle ann = host.AddContact("ICQ", "Ann");
    SetLevel(ann, 6);
    SetLevel(0, 2);
    StartPlugin();
    EXPECT_EQ(0, host.CallUnload());
    // A second Unload hands the host two handles it no longer knows.
    EXPECT_EQ(0, host.CallUnload());
    host.ClearLog();
    host.ClearApparentModes();
    host.FireStatusModeChange();
    host.ContactMenuShows(ann);
    EXPECT_TRUE(SameCalls({}, host.LogTexts()));
    EXPECT_EQ(std::nullopt, host.ApparentMode(ann));

    // The first hook stays: the host may fire it again, and the plug-in answers
    // as at start-up (the host refuses the service's second creation).
    host.FireModulesLoaded();
    EXPECT_EQ(1u, host.CountCalls("CreateServiceFunction Quillmere/Edit"));
    EXPECT_EQ(2u, host.MainMenu().size());
    EXPECT_EQ(ID_STATUS_OFFLINE, host.ApparentMode(ann));
    EXPECT_EQ(6, StoredLevel(ann));
    EXPECT_EQ(2, StoredLevel(0));
    ExpectUsable(ann);
    EXPECT_EQ(6, StoredLevel(ann));
}

TEST_F(HostileHost, StatusStormAndSecondCallsWhileEditorOpen) {
    const ContactHandle low = host.AddContact("ICQ", "Low");
    const ContactHandle mid = host.AddContact("ICQ", "Mid");
    const ContactHandle never = host.AddContact("ICQ", "Never");
    const ContactHandle other = host.AddContact("MSN", "Other");
    host.SetProtocolLoaded("MSN", true);
    SetLevel(low, 1);
    SetLevel(mid, 3);
    SetLevel(never, 6);
    SetLevel(other, 0);
    SetLevel(0, 3);
    StartPlugin();
    constexpr int kStorm = 200;
    const EditorRun run = OpenContact(mid, [&](HWND editor) {
        host.ClearLog();
        host.ClearApparentModes();
        for (int i = 0; i < kStorm; ++i) host.FireStatusModeChange(i % 2 ? 40072 : 40078);
        EXPECT_EQ(3u * kStorm, host.CountCalls(kSvcCallContactService));
        EXPECT_EQ(0u, host.CountCalls(kSvcWriteSetting));
        EXPECT_EQ(ID_STATUS_OFFLINE, host.ApparentMode(low));
        EXPECT_EQ(ID_STATUS_ONLINE, host.ApparentMode(mid));
        EXPECT_EQ(ID_STATUS_OFFLINE, host.ApparentMode(never));
        EXPECT_EQ(std::nullopt, host.ApparentMode(other));

        const size_t logBefore = host.Log().size();
        EXPECT_EQ(0, host.ClickContactMenuItem(0, low));
        EXPECT_EQ(0, host.ClickMainMenuItem(0));
        EXPECT_EQ(logBefore, host.Log().size());
        EXPECT_EQ(std::vector<HWND>{editor}, EditorWindows());
        EXPECT_EQ("Mid: Visibility Level", TextOf(editor));
        EXPECT_EQ(3, Selection(editor));
        ChooseAndClickOk(editor, 1);
    });
    EXPECT_TRUE(RanAndClosed(run));
    EXPECT_EQ(1, StoredLevel(mid));
    EXPECT_EQ(1, StoredLevel(low));
    EXPECT_EQ(6, StoredLevel(never));
    EXPECT_EQ(0, StoredLevel(other));
    EXPECT_EQ(3, StoredLevel(0));
    EXPECT_EQ(ID_STATUS_OFFLINE, host.ApparentMode(mid));
    ExpectUsable(mid);
}

TEST_F(HostileHost, ForeignQuitClosesEditorWithoutSavingAndIsPassedOn) {
    const ContactHandle ann = host.AddContact("ICQ", "Ann");
    SetLevel(ann, 4);
    StartPlugin();
    for (int code : {0, 77, -1}) {
        SCOPED_TRACE("quit code " + std::to_string(code));
        SetPosition(333, 222);
        host.ClearLog();
        // The host ends its own loop while the editor's runs.
        const EditorRun run = OpenContact(ann, [code](HWND) { PostQuitMessage(code); });
        EXPECT_TRUE(RanAndClosed(run));
        EXPECT_FALSE(IsWindow(run.editor));
        EXPECT_EQ(0u, host.CountCalls(kSvcWriteSetting));
        EXPECT_EQ(333, Stored(0, kLeft));
        EXPECT_EQ(222, Stored(0, kTop));
        EXPECT_EQ(4, StoredLevel(ann));
        WPARAM passedOn = 12345;
        EXPECT_TRUE(TakeQuitMessage(&passedOn)) << "the quit message went no further";
        EXPECT_EQ(static_cast<WPARAM>(code), passedOn);
        EXPECT_FALSE(TakeQuitMessage());
    }
    ExpectUsable(ann);
}

}  // namespace
