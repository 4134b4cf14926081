// Unicode builds of the host: told apart by their version text, they get
// translations and display names in wide text, menu names left for them to
// translate, and an editor made of Unicode windows. Every text is read back
// with the wide calls, as a person sees it.
#include <string>
#include <vector>

#include "sandbox/LanguagePack.h"
#include "tests/EditorSupport.h"

namespace {

const std::string kEntry = "&Visibility Level";
const std::string kRussianEntry = "&Уровень видимости";
const wchar_t kWideRussianCaption[] = L"Уровень видимости";

std::wstring ClassNameOfWide(HWND window) {
    wchar_t name[512] = {};
    GetClassNameW(window, name, 512);
    return name;
}

// The calls that carry text between the plug-in and the host.
std::vector<std::string> TextCalls(const SandboxHost& host) {
    std::vector<std::string> calls;
    for (const std::string& call : host.LogTexts())
        if (call.rfind("LangPack/", 0) == 0 || call.rfind(kSvcGetContactDisplayName, 0) == 0)
            calls.push_back(call);
    return calls;
}

// A Unicode host with the Russian language pack.
class UnicodeHost : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        host.SetUnicode(true);
        LoadLanguagePack(host, RussianLanguagePack(), kRussianCodePage);
    }
    void Start(bool keepLog = false) { StartPlugin(kSandboxUnicodeHostVersion, keepLog); }
};

using PluginListFlag = PluginTest;
using AnsiHost = EditorTest;

}  // namespace

// First in this program: the DLL stays loaded from test to test, and this
// looks at it before any Load. The host's plug-in list asks again once the
// plug-in runs.
TEST_F(PluginListFlag, SaysUnicodeAwareOnlyAfterLoadOnAUnicodeHost) {
    host.SetUnicode(true);
    ASSERT_NE(nullptr, host.CallPluginInfo(kSandboxUnicodeHostVersion));
    EXPECT_EQ(0, host.CallPluginInfo(kSandboxUnicodeHostVersion)->isTransient) << "before Load";
    ASSERT_EQ(0, host.CallLoad());
    EXPECT_EQ(UNICODE_AWARE, host.CallPluginInfo(kSandboxUnicodeHostVersion)->isTransient);

    SandboxHost ansi;
    ASSERT_TRUE(ansi.LoadPlugin());
    ASSERT_EQ(0, ansi.CallLoad());
    EXPECT_EQ(0, ansi.CallPluginInfo()->isTransient) << "after Load on an ANSI host";
}

// What the host's version text says decides; anything but a plain success
// naming "Unicode" is an ANSI host. Seen in the plug-in list's flag and in
// the start-up's translations: an ANSI host gets the menu name translated in
// 8 bits, a Unicode host translates it itself.
TEST_F(PluginListFlag, VersionTextTellsUnicodeHostsApart) {
    struct Row {
        const char* label;
        VersionTextAnswer answer;
        bool unicode;
    };
    const Row rows[] = {
        {"0.10 Unicode build", {true, "0.10.24.0 Unicode", 0}, true},
        {"0.10 64-bit build", {true, "0.10.24.0 x64 Unicode", 0}, true},
        {"0.8 ANSI build", {true, "0.8.0 alpha build #16", 0}, false},
        {"before 0.5: no suffix", {true, "0.4.0.0", 0}, false},
        {"no such service", {false, "0.10.24.0 Unicode", 0}, false},
        {"the service fails", {true, "0.10.24.0 Unicode", 1}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        SandboxHost rowHost;
        rowHost.SetUnicode(true);
        rowHost.SetVersionTextAnswer(row.answer);
        LoadLanguagePack(rowHost, RussianLanguagePack(), kRussianCodePage);
        ASSERT_TRUE(rowHost.LoadPlugin());
        ASSERT_TRUE(rowHost.Start(kSandboxUnicodeHostVersion));
        EXPECT_EQ(row.unicode ? UNICODE_AWARE : 0, rowHost.CallPluginInfo()->isTransient);
        const std::vector<std::string> translations = rowHost.LogTexts("LangPack/");
        if (row.unicode)
            EXPECT_TRUE(SameCalls({}, translations));
        else
            EXPECT_TRUE(SameCalls({"LangPack/TranslateString " + kEntry}, translations));
    }
}

// The entries carry the English name in 8 bits and no text flag; the host
// shows its own translation.
TEST_F(UnicodeHost, MenuEntriesGoUntranslatedAndFlagless) {
    const ContactHandle ivan = host.AddContact("ICQ", "Иван 李");
    Start(true);
    EXPECT_TRUE(SameCalls(
        {"CList/AddMainMenuItem name=" + kEntry +
             " flags=0x00000000 position=1000010000 service=Quillmere/Edit",
         "CList/AddContactMenuItem name=" + kEntry +
             " flags=0x00000000 position=1000080001 service=Quillmere/Edit"},
        host.LogTexts("CList/Add")));
    ASSERT_EQ(1u, host.MainMenu().size());
    EXPECT_EQ(kRussianEntry, host.MainMenu()[0].name);
    EXPECT_EQ(kRussianEntry, host.ContactMenu()[0].name);

    host.ClearLog();
    EXPECT_TRUE(host.ContactMenuShows(ivan));
    EXPECT_TRUE(SameCalls({"CList/ModifyMenuItem " + std::to_string(host.ContactMenu()[0].handle) +
                           " name=" + kEntry + " flags=0x40000000 position=1000080001 service=(null)"},
                          host.LogTexts("CList/")));
    EXPECT_EQ(0u, host.CountCalls("LangPack/"));
    EXPECT_EQ(kRussianEntry, host.ContactMenu()[0].name);
}

TEST_F(UnicodeHost, EditorShowsEveryTextInFullThroughUnicodeWindows) {
    const ContactHandle ivan = host.AddContact("ICQ", "Иван 李");
    SetLevel(ivan, 4);
    SetLevel(0, 3);
    Start();
    const EditorRun run = RunEditorWith([&] { return host.ClickContactMenuItem(0, ivan); }, [](HWND editor) {
        const std::wstring title = std::wstring(L"Иван 李: ") + kWideRussianCaption;
        EXPECT_EQ(title, WideTextOf(editor));
        EXPECT_EQ(title, ClassNameOfWide(editor));
        const EditorChildren children = FindEditorChildren(editor);
        ASSERT_EQ(6u, children.all.size());
        EXPECT_EQ(L"&Уровень видимости", WideTextOf(children.label));
        EXPECT_EQ(L"&ОК", WideTextOf(children.okButton));
        EXPECT_EQ(L"Закрыть", WideTextOf(children.closeButton));
        const wchar_t* const items[] = {L"Всегда виден",  L"Видимость 1", L"Видимость 2",
                                        L"Видимость 3",   L"Видимость 4", L"Видимость 5",
                                        L"Никогда не виден"};
        ASSERT_EQ(7, SendMessageW(children.levelList, CB_GETCOUNT, 0, 0));
        for (int item = 0; item < 7; ++item) EXPECT_EQ(items[item], WideListItemText(children.levelList, item));
        EXPECT_EQ(4, SendMessageW(children.levelList, CB_GETCURSEL, 0, 0));
        // Every window of the editor is a Unicode one, the subclassed
        // controls too, and the list still takes the keyboard.
        for (HWND window : EditorWindowTree(editor)) EXPECT_TRUE(IsWindowUnicode(window)) << window;
        EXPECT_EQ(children.levelList, GetFocus());
        SendMessageW(children.levelList, CB_SETCURSEL, 1, 0);
        SendTab(children.levelList, false);
        EXPECT_EQ(children.okButton, GetFocus());
        ClickButton(children.okButton);
    });
    EXPECT_TRUE(RanCleanly(run));
    EXPECT_EQ(1, StoredLevel(ivan));
    EXPECT_EQ(ID_STATUS_OFFLINE, host.ApparentMode(ivan)) << "level 1 under the global level 3";

    std::vector<std::string> expected = {"CList/GetContactDisplayName " + Str(ivan) + " 2"};
    for (const char* text : {"&Visibility Level", "&Visibility Level", "&OK", "Close", "Always visible",
                             "Visibility 1", "Visibility 2", "Visibility 3", "Visibility 4",
                             "Visibility 5", "Never visible"})
        expected.push_back(std::string("LangPack/TranslateString 4096 ") + text);
    EXPECT_TRUE(SameCalls(expected, TextCalls(host)));
}

// On an ANSI host not one of the editor's windows is a Unicode window.
TEST_F(AnsiHost, EditorWindowsAreAnsiWindows) {
    const ContactHandle ann = host.AddContact("ICQ", "Ann");
    StartPlugin();
    const EditorRun run = RunEditorWith([&] { return host.ClickContactMenuItem(0, ann); }, [](HWND editor) {
        EXPECT_EQ("Ann: Visibility Level", TextOf(editor));
        const std::vector<HWND> windows = EditorWindowTree(editor);
        EXPECT_EQ(8u, windows.size());
        for (HWND window : windows) EXPECT_FALSE(IsWindowUnicode(window)) << window;
        CloseThroughButton(editor);
    });
    EXPECT_TRUE(RanCleanly(run));
    const std::vector<std::string> calls = TextCalls(host);
    ASSERT_LE(2u, calls.size());
    EXPECT_TRUE(SameCalls({"CList/GetContactDisplayName " + Str(ann), "LangPack/TranslateString " + kEntry},
                          {calls[0], calls[1]}));
}

// A class name holds 255 characters: on a Unicode host, 255 UTF-16 units of
// the title, not 255 bytes of its UTF-8.
TEST_F(UnicodeHost, LongTitleNamesItsClassByItsFirst255WideCharacters) {
    std::string longName;
    for (int i = 0; i < 300; ++i) longName += "Ж";
    const ContactHandle zhenya = host.AddContact("ICQ", longName.c_str());
    Start();
    const EditorRun run = RunEditorWith([&] { return host.ClickContactMenuItem(0, zhenya); }, [](HWND editor) {
        const std::wstring title = std::wstring(300, L'Ж') + L": " + kWideRussianCaption;
        EXPECT_EQ(title, WideTextOf(editor));
        EXPECT_EQ(title.substr(0, 255), ClassNameOfWide(editor));
        CloseThroughButton(editor);
    });
    EXPECT_TRUE(RanCleanly(run));
}

// Null where wide text was asked for: empty texts, and the editor still works.
TEST_F(UnicodeHost, NullWideAnswersGiveEmptyTexts) {
    const ContactHandle nameless = host.AddContact("ICQ", nullptr);
    host.SetTranslationReturnsNull(true);
    Start();
    const EditorRun run = RunEditorWith([&] { return host.ClickContactMenuItem(0, nameless); }, [](HWND editor) {
        EXPECT_EQ(L": ", WideTextOf(editor));
        const EditorChildren children = FindEditorChildren(editor);
        ASSERT_EQ(6u, children.all.size());
        EXPECT_EQ(L"", WideTextOf(children.label));
        EXPECT_EQ(L"", WideListItemText(children.levelList, 6));
        SendMessageW(children.levelList, CB_SETCURSEL, 6, 0);
        ClickButton(children.okButton);
    });
    EXPECT_TRUE(RanCleanly(run));
    EXPECT_EQ(6, StoredLevel(nameless));
}
