// The level editor as it stands open: its title, window, class, the six
// controls, the list of levels, the keyboard focus and the Tab order, and what
// is left of it once it has closed. Every check runs inside the editor's own
// message loop, from the steps of RunEditorWith.
#include <string>
#include <vector>

#include "tests/EditorSupport.h"

namespace {

const char* const kLevelNames[] = {"Always visible", "Visibility 1", "Visibility 2",
                                   "Visibility 3",   "Visibility 4", "Visibility 5",
                                   "Never visible"};

class LevelEditorWindow : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        ann = host.AddContact("ICQ", "Ann");
        StartPlugin();
    }

    ContactHandle ann = 0;
};

}  // namespace

// --- Title ----------------------------------------------------------------------------

TEST_F(LevelEditorWindow, TitleNamesTheContactOrTheGlobalLevel) {
    const ContactHandle empty = host.AddContact("ICQ", "");
    const ContactHandle nameless = host.AddContact("ICQ", nullptr);
    const ContactHandle tom = host.AddContact("ICQ", "Tom & Jerry");
    struct Row {
        const char* label;
        std::function<intptr_t()> open;
        std::string title;
    } rows[] = {
        {"main menu", [&] { return host.ClickMainMenuItem(0); }, "Visibility Level"},
        {"contact menu", [&] { return host.ClickContactMenuItem(0, ann); }, "Ann: Visibility Level"},
        {"empty display name", [&] { return host.ClickContactMenuItem(0, empty); },
         ": Visibility Level"},
        {"null display name", [&] { return host.ClickContactMenuItem(0, nameless); },
         ": Visibility Level"},
        // Only the caption loses its first ampersand, never the contact's name.
        {"ampersand in the name", [&] { return host.ClickContactMenuItem(0, tom); },
         "Tom & Jerry: Visibility Level"},
    };
    ASSERT_EQ(1u, host.MainMenu().size());
    ASSERT_EQ(1u, host.ContactMenu().size());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        std::string title = "sentinel";
        std::string className = "sentinel";
        EXPECT_TRUE(RanCleanly(RunEditorWith(row.open, [&](HWND editor) {
            title = TextOf(editor);
            className = ClassNameOf(editor);
            CloseThroughButton(editor);
        })));
        EXPECT_EQ(row.title, title);
        EXPECT_EQ(row.title, className) << "the title is also the window class's name";
    }
}

TEST_F(LevelEditorWindow, OpeningAsksTheHostInOrder) {
    SetLevel(ann, 4);
    const std::string a = std::to_string(ann);
    std::vector<std::string> calls;
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
        calls = host.LogTexts();
        CloseThroughButton(editor);
    })));
    EXPECT_TRUE(SameCalls({"CList/GetContactDisplayName " + a,
                           "LangPack/TranslateString &Visibility Level",
                           "DB/Contact/GetSetting 0 Quillmere/UserAdd/Left",
                           "DB/Contact/GetSetting 0 Quillmere/UserAdd/Top",
                           "LangPack/TranslateString &Visibility Level",
                           "LangPack/TranslateString &OK",
                           "LangPack/TranslateString Close",
                           "LangPack/TranslateString Always visible",
                           "LangPack/TranslateString Visibility 1",
                           "LangPack/TranslateString Visibility 2",
                           "LangPack/TranslateString Visibility 3",
                           "LangPack/TranslateString Visibility 4",
                           "LangPack/TranslateString Visibility 5",
                           "LangPack/TranslateString Never visible",
                           "DB/Contact/GetSetting " + a + " Quillmere/VisibilityLevel"},
                          calls));
}

TEST_F(LevelEditorWindow, GlobalEditorAsksForNoDisplayName) {
    std::vector<std::string> calls;
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, 0, [&](HWND editor) {
        calls = host.LogTexts();
        CloseThroughButton(editor);
    })));
    ASSERT_LE(4u, calls.size());
    EXPECT_TRUE(SameCalls({"LangPack/TranslateString &Visibility Level",
                           "DB/Contact/GetSetting 0 Quillmere/UserAdd/Left",
                           "DB/Contact/GetSetting 0 Quillmere/UserAdd/Top"},
                          std::vector<std::string>(calls.begin(), calls.begin() + 3)));
    EXPECT_EQ("DB/Contact/GetSetting 0 Quillmere/VisibilityLevel", calls.back());
    EXPECT_EQ(0u, host.CountCalls("CList/GetContactDisplayName"));
}

// A class name holds at most 255 characters: the class takes the title's
// first 255, the window the whole title.
TEST_F(LevelEditorWindow, LongDisplayNameStillGetsAnEditor) {
    const std::string caption = ": Visibility Level";
    struct Row {
        size_t length;
        bool wholeTitleShown;
    } rows[] = {
        {237, true},    // the title is 255 characters, the class name all of it
        {238, true},    // one more, and the class name is cut
        {300, true},
        {32000, true},
        // Wine's CreateWindowEx carries no title of 32767 characters or more,
        // and keeps only a part of it; the editor opens all the same.
        {65536, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("display name of " + std::to_string(row.length) + " characters");
        std::string name;
        for (size_t i = 0; i < row.length; ++i) name += static_cast<char>('a' + i % 26);
        // Each length gets a name of its own, so each registers its own class.
        name[0] = static_cast<char>('A' + row.length % 26);
        name[1] = static_cast<char>('A' + row.length / 26 % 26);
        const ContactHandle contact = host.AddContact("ICQ", name.c_str());
        const std::string title = name + caption;
        std::string shownTitle;
        std::string className;
        size_t controls = 0;
        WindowCreationRecorder recorder;
        ASSERT_TRUE(recorder.Hooked());
        EXPECT_TRUE(RanCleanly(RunEditorWith(host, contact, [&](HWND editor) {
            shownTitle = TextOf(editor);
            className = ClassNameOf(editor);
            controls = FindEditorChildren(editor).all.size();
            CloseThroughButton(editor);
        })));
        ASSERT_FALSE(recorder.Creations().empty());
        if (row.wholeTitleShown) {
            EXPECT_TRUE(title == recorder.Creations().front().title)
                << "the window is not asked for with the whole title";
        }
        EXPECT_EQ(title.substr(0, 255), recorder.Creations().front().className);
        EXPECT_EQ(title.substr(0, 255), className);
        EXPECT_EQ(6u, controls);
        if (row.wholeTitleShown) {
            EXPECT_EQ(title.size(), shownTitle.size());
            EXPECT_TRUE(title == shownTitle) << "the title is not the whole name and caption";
        } else {
            EXPECT_FALSE(shownTitle.empty());
            EXPECT_EQ(0, title.compare(0, shownTitle.size(), shownTitle));
        }
    }
}

// --- Translation ------------------------------------------------------------------------

struct VersionCase {
    const char* label;
    uint32_t hostVersion;
    bool translated;
};

class LevelEditorTranslation : public LevelEditorWindow,
                               public ::testing::WithParamInterface<VersionCase> {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        host.AddTranslation("&Visibility Level", "&Sicht&barkeit");
        host.AddTranslation("&OK", "&Gut");
        host.AddTranslation("Close", "Schliessen");
        host.AddTranslation("Always visible", "Immer sichtbar");
        for (int level = 1; level <= 5; ++level)
            host.AddTranslation("Visibility " + std::to_string(level), "Stufe " + std::to_string(level));
        host.AddTranslation("Never visible", "Nie sichtbar");
        ann = host.AddContact("ICQ", "Ann");
        StartPlugin(GetParam().hostVersion);
    }
};

TEST_P(LevelEditorTranslation, TextsPassThroughTheLanguagePackFromVersion0110) {
    const bool translated = GetParam().translated;
    std::string title, label, ok, close;
    std::vector<std::string> items;
    size_t translateCalls = 99;
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
        const EditorChildren children = FindEditorChildren(editor);
        title = TextOf(editor);
        label = TextOf(children.label);
        ok = TextOf(children.okButton);
        close = TextOf(children.closeButton);
        for (int i = 0; i < 7; ++i) items.push_back(ListItemText(children.levelList, i));
        translateCalls = host.CountCalls("LangPack/TranslateString");
        CloseThroughButton(editor);
    })));
    // The title drops the caption's first ampersand only, and keeps the ": ".
    EXPECT_EQ(translated ? "Ann: Sicht&barkeit" : "Ann: Visibility Level", title);
    EXPECT_EQ(translated ? "&Sicht&barkeit" : "&Visibility Level", label);
    EXPECT_EQ(translated ? "&Gut" : "&OK", ok);
    EXPECT_EQ(translated ? "Schliessen" : "Close", close);
    const std::vector<std::string> expectedItems =
        translated ? std::vector<std::string>{"Immer sichtbar", "Stufe 1", "Stufe 2", "Stufe 3",
                                              "Stufe 4", "Stufe 5", "Nie sichtbar"}
                   : std::vector<std::string>(std::begin(kLevelNames), std::end(kLevelNames));
    EXPECT_EQ(expectedItems, items);
    EXPECT_EQ(translated ? 11u : 0u, translateCalls);
}

INSTANTIATE_TEST_SUITE_P(
    HostVersions, LevelEditorTranslation,
    ::testing::Values(VersionCase{"v0_0_255_255", 0x0000FFFF, false},
                      VersionCase{"v0_1_0_9", 0x00010009, false},
                      VersionCase{"v0_1_1_0", 0x00010100, true},
                      VersionCase{"v0_3_3_0", 0x00030300, true}),
    [](const ::testing::TestParamInfo<VersionCase>& info) { return std::string(info.param.label); });

// --- The window and its class --------------------------------------------------------------

TEST_F(LevelEditorWindow, WindowIsACaptionedPopupOfItsOwnClass) {
    LONG style = 0, exStyle = 0;
    RECT rect = {};
    HWND parent = reinterpret_cast<HWND>(1), owner = reinterpret_cast<HWND>(1);
    HMENU menu = reinterpret_cast<HMENU>(1);
    HINSTANCE instance = nullptr;
    bool visible = false;
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, 0, [&](HWND editor) {
        style = GetWindowLongA(editor, GWL_STYLE);
        exStyle = GetWindowLongA(editor, GWL_EXSTYLE);
        GetWindowRect(editor, &rect);
        parent = GetParent(editor);
        owner = GetWindow(editor, GW_OWNER);
        menu = GetMenu(editor);
        instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(editor, GWLP_HINSTANCE));
        visible = IsWindowVisible(editor) != FALSE;
        CloseThroughButton(editor);
    })));
    // Created as WS_POPUP | WS_CLIPSIBLINGS | WS_CAPTION (0x84C00000): a
    // caption, but no system menu, close box or sizing border. ShowWindow
    // adds WS_VISIBLE.
    EXPECT_EQ(0x94C00000u, static_cast<DWORD>(style));
    EXPECT_EQ(0u, static_cast<DWORD>(style) & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    // The platform marks every captioned window with a raised edge.
    EXPECT_EQ(static_cast<LONG>(WS_EX_WINDOWEDGE), exStyle);
    EXPECT_EQ(300, rect.right - rect.left);
    EXPECT_EQ(120, rect.bottom - rect.top);
    EXPECT_EQ(nullptr, parent);
    EXPECT_EQ(nullptr, owner);
    EXPECT_EQ(nullptr, menu);
    EXPECT_EQ(PluginModule(), instance);
    EXPECT_TRUE(visible);
}

TEST_F(LevelEditorWindow, WindowIsAskedForWithExactlyItsStyleAndSize) {
    WindowCreationRecorder recorder;
    ASSERT_TRUE(recorder.Hooked());
    HWND editorSeen = nullptr;
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
        editorSeen = editor;
        CloseThroughButton(editor);
    })));
    ASSERT_FALSE(recorder.Creations().empty());
    const WindowCreationRecorder::Creation& asked = recorder.Creations().front();
    EXPECT_EQ(editorSeen, asked.window) << "the editor is the first window made";
    EXPECT_EQ("Ann: Visibility Level", asked.className);
    EXPECT_EQ("Ann: Visibility Level", asked.title);
    EXPECT_EQ(0x84C00000u, asked.style);
    // Wine adds a captioned window's raised edge before the hook sees the call.
    EXPECT_EQ(static_cast<DWORD>(WS_EX_WINDOWEDGE), asked.exStyle);
    EXPECT_EQ(300, asked.width);
    EXPECT_EQ(120, asked.height);
    EXPECT_EQ(nullptr, asked.parent);
    EXPECT_EQ(nullptr, asked.menu);
    EXPECT_EQ(PluginModule(), asked.instance);
}

TEST_F(LevelEditorWindow, ClassHasArrowCursorMenuBrushAndNoIcon) {
    ULONG_PTR classStyle = 99, brush = 99, cursor = 99, icon = 99, smallIcon = 99, classExtra = 99,
              windowExtra = 99, module = 99;
    WNDCLASSEXA registered = {};
    registered.cbSize = sizeof registered;
    BOOL found = FALSE;
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
        classStyle = GetClassLongPtrA(editor, GCL_STYLE);
        brush = GetClassLongPtrA(editor, GCLP_HBRBACKGROUND);
        cursor = GetClassLongPtrA(editor, GCLP_HCURSOR);
        icon = GetClassLongPtrA(editor, GCLP_HICON);
        smallIcon = GetClassLongPtrA(editor, GCLP_HICONSM);
        classExtra = GetClassLongPtrA(editor, GCL_CBCLSEXTRA);
        windowExtra = GetClassLongPtrA(editor, GCL_CBWNDEXTRA);
        module = GetClassLongPtrA(editor, GCLP_HMODULE);
        found = GetClassInfoExA(PluginModule(), "Ann: Visibility Level", &registered);
        CloseThroughButton(editor);
    })));
    EXPECT_EQ(static_cast<ULONG_PTR>(CS_VREDRAW | CS_HREDRAW), classStyle);
    EXPECT_EQ(static_cast<ULONG_PTR>(COLOR_MENU + 1), brush);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW))), cursor);
    // The module carries no "BRINDLEWISP" icon: the lookup finds nothing.
    EXPECT_EQ(0u, icon);
    EXPECT_EQ(0u, smallIcon);
    EXPECT_EQ(0u, classExtra);
    EXPECT_EQ(0u, windowExtra);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(PluginModule()), module);
    ASSERT_TRUE(found) << "the class is registered under the plug-in's instance";
    EXPECT_NE(nullptr, registered.lpfnWndProc);
    EXPECT_EQ(nullptr, registered.lpszMenuName);
}

TEST_F(LevelEditorWindow, ReopeningForTheSameTitleReusesItsClass) {
    ATOM first = 0, second = 0;
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
        first = static_cast<ATOM>(GetClassWord(editor, GCW_ATOM));
        CloseThroughButton(editor);
    })));
    WNDCLASSEXA registered = {};
    registered.cbSize = sizeof registered;
    EXPECT_TRUE(GetClassInfoExA(PluginModule(), "Ann: Visibility Level", &registered))
        << "the class stays registered after the editor has closed";
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
        second = static_cast<ATOM>(GetClassWord(editor, GCW_ATOM));
        CloseThroughButton(editor);
    })));
    EXPECT_NE(0, first);
    EXPECT_EQ(first, second);
}

// --- The controls ----------------------------------------------------------------------------

TEST_F(LevelEditorWindow, SixControlsWithTheirClassesPlacesStylesAndTexts) {
    struct Row {
        const char* slot;
        const char* className;
        RECT place;  // asked for, in the editor's client area
        DWORD style;
        DWORD exStyle;
        const char* text;
    } rows[] = {
        {"Label", "STATIC", {8, 8, 286, 21}, 0x50000000, 0, "&Visibility Level"},
        // The height of the list includes its drop-down part.
        {"LevelList", "COMBOBOX", {8, 24, 286, 234}, 0x5001024F, 0, ""},
        {"LineLight", "STATIC", {8, 57, 286, 58}, 0x50000006, 0, ""},
        {"LineDark", "STATIC", {8, 56, 286, 57}, 0x50000004, 0, ""},
        {"OkButton", "BUTTON", {130, 65, 205, 90}, 0x50010000, WS_EX_NOPARENTNOTIFY, "&OK"},
        {"CloseButton", "BUTTON", {211, 65, 286, 90}, 0x50010000, WS_EX_NOPARENTNOTIFY, "Close"},
    };
    struct Seen {
        RECT place;
        DWORD style;
        DWORD exStyle;
        std::string text;
        LONG_PTR id;
        bool visible;
    };
    std::vector<Seen> seen;
    std::vector<HWND> children;
    HWND editorSeen = nullptr;
    WindowCreationRecorder recorder;
    ASSERT_TRUE(recorder.Hooked());
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
        editorSeen = editor;
        children = FindEditorChildren(editor).all;
        for (HWND child : children)
            seen.push_back({RectInParent(child), static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)),
                            static_cast<DWORD>(GetWindowLongA(child, GWL_EXSTYLE)), TextOf(child),
                            GetWindowLongPtrA(child, GWLP_ID), IsWindowVisible(child) != FALSE});
        CloseThroughButton(editor);
    })));
    const std::vector<WindowCreationRecorder::Creation> created = recorder.ChildrenOf(editorSeen);
    ASSERT_EQ(6u, created.size());
    ASSERT_EQ(6u, seen.size());
    for (size_t i = 0; i < 6; ++i) {
        const Row& row = rows[i];
        const WindowCreationRecorder::Creation& asked = created[i];
        const Seen& shown = seen[i];
        SCOPED_TRACE(row.slot);
        EXPECT_EQ(children[i], asked.window) << "created in slot order";
        EXPECT_STRCASEEQ(row.className, asked.className.c_str());
        EXPECT_EQ(row.place.left, asked.x);
        EXPECT_EQ(row.place.top, asked.y);
        EXPECT_EQ(row.place.right - row.place.left, asked.width);
        EXPECT_EQ(row.place.bottom - row.place.top, asked.height);
        EXPECT_EQ(row.style, asked.style);
        EXPECT_EQ(row.exStyle, asked.exStyle);
        EXPECT_EQ(row.text, asked.title) << "the text is set before the window is made";
        EXPECT_EQ(nullptr, asked.menu);
        EXPECT_EQ(PluginModule(), asked.instance);
        // As the window stands: the platform keeps place, styles and texts,
        // except that a drop-down list's window is only its selection field.
        EXPECT_EQ(row.place.left, shown.place.left);
        EXPECT_EQ(row.place.top, shown.place.top);
        EXPECT_EQ(row.place.right, shown.place.right);
        if (std::string(row.slot) != "LevelList") {
            EXPECT_EQ(row.place.bottom, shown.place.bottom);
            EXPECT_EQ(row.text, shown.text);
        }
        EXPECT_EQ(row.style, shown.style);
        EXPECT_EQ(row.exStyle, shown.exStyle);
        EXPECT_EQ(0, shown.id);
        EXPECT_TRUE(shown.visible);
    }
}

TEST_F(LevelEditorWindow, ListHoldsTheSevenLevelsInOrder) {
    LRESULT count = -2;
    std::vector<std::string> items;
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
        const HWND list = FindEditorChildren(editor).levelList;
        count = SendMessageA(list, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < 7; ++i) items.push_back(ListItemText(list, i));
        CloseThroughButton(editor);
    })));
    EXPECT_EQ(7, count);
    EXPECT_EQ(std::vector<std::string>(std::begin(kLevelNames), std::end(kLevelNames)), items);
}

TEST_F(LevelEditorWindow, StoredLevelIsSelected) {
    struct Row {
        const char* label;
        bool stored;
        int32_t level;
        LRESULT selected;
    } rows[] = {
        {"nothing stored", false, 0, 0},
        {"0", true, 0, 0},  {"1", true, 1, 1}, {"2", true, 2, 2}, {"3", true, 3, 3},
        {"4", true, 4, 4},  {"5", true, 5, 5}, {"6", true, 6, 6},
        {"7: no selection", true, 7, CB_ERR},
        {"-1: no selection", true, -1, CB_ERR},
        {"1000: no selection", true, 1000, CB_ERR},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const ContactHandle contact = host.AddContact("ICQ", row.label);
        if (row.stored) SetLevel(contact, row.level);
        LRESULT selected = 0xDEAD;
        EXPECT_TRUE(RanCleanly(RunEditorWith(host, contact, [&](HWND editor) {
            selected = SendMessageA(FindEditorChildren(editor).levelList, CB_GETCURSEL, 0, 0);
            CloseThroughButton(editor);
        })));
        EXPECT_EQ(row.selected, selected);
    }
}

TEST_F(LevelEditorWindow, GlobalEditorSelectsTheGlobalLevel) {
    SetLevel(0, 5);
    SetLevel(ann, 2);
    LRESULT selected = 0xDEAD;
    EXPECT_TRUE(RanCleanly(RunEditorWith([&] { return host.ClickMainMenuItem(0); }, [&](HWND editor) {
        selected = SendMessageA(FindEditorChildren(editor).levelList, CB_GETCURSEL, 0, 0);
        CloseThroughButton(editor);
    })));
    EXPECT_EQ(5, selected);
}

// --- Keyboard -------------------------------------------------------------------------------

TEST_F(LevelEditorWindow, FocusIsInTheListAtOpen) {
    HWND focus = nullptr, list = nullptr, active = nullptr, editorSeen = nullptr;
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
        editorSeen = editor;
        focus = GetFocus();
        active = GetActiveWindow();
        list = FindEditorChildren(editor).levelList;
        CloseThroughButton(editor);
    })));
    EXPECT_NE(nullptr, list);
    EXPECT_EQ(list, focus);
    EXPECT_EQ(editorSeen, active);
}

TEST_F(LevelEditorWindow, TabCyclesListOkCloseAndShiftTabGoesBack) {
    struct Row {
        const char* label;
        bool shift;
        int order[4];  // 0 list, 1 OK, 2 Close: where the focus is before each Tab
    } rows[] = {
        {"Tab", false, {0, 1, 2, 0}},
        {"Shift+Tab", true, {0, 2, 1, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        std::vector<int> visited;
        EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
            const EditorChildren children = FindEditorChildren(editor);
            const HWND stops[] = {children.levelList, children.okButton, children.closeButton};
            auto where = [&] {
                for (int i = 0; i < 3; ++i)
                    if (GetFocus() == stops[i]) return i;
                return -1;
            };
            visited.push_back(where());
            for (int step = 0; step < 3; ++step) {
                SendTab(GetFocus(), row.shift);
                visited.push_back(where());
            }
            CloseThroughButton(editor);
        })));
        EXPECT_EQ(std::vector<int>(std::begin(row.order), std::end(row.order)), visited);
    }
}

// --- After closing ---------------------------------------------------------------------------

// The fonts are seen as the controls receive them (WM_SETFONT): the two
// lines, static rectangles, take theirs without keeping it for WM_GETFONT.
TEST_F(LevelEditorWindow, FontsOfAllSixControlsAreDeletedAfterClosing) {
    std::vector<std::vector<HFONT>> given;
    std::vector<HFONT> kept;
    std::vector<DWORD> typesWhileOpen;
    std::vector<LOGFONTA> logFonts;
    WindowCreationRecorder recorder;
    ASSERT_TRUE(recorder.Hooked());
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
        for (HWND child : FindEditorChildren(editor).all) {
            given.push_back(recorder.FontsGivenTo(child));
            const HFONT font = given.back().empty() ? nullptr : given.back().front();
            kept.push_back(reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)));
            typesWhileOpen.push_back(GetObjectType(font));
            LOGFONTA logFont = {};
            GetObjectA(font, sizeof logFont, &logFont);
            logFonts.push_back(logFont);
        }
        CloseThroughButton(editor);
    })));
    ASSERT_EQ(6u, given.size());
    HDC screen = GetDC(nullptr);
    const int expectedHeight = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    const bool keepsFont[] = {true, true, false, false, true, true};
    for (size_t i = 0; i < given.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i));
        ASSERT_EQ(1u, given[i].size()) << "one font, given once";
        const HFONT font = given[i].front();
        if (keepsFont[i]) {
            EXPECT_EQ(font, kept[i]);
        }
        EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), typesWhileOpen[i]);
        for (size_t j = 0; j < i; ++j) EXPECT_NE(given[j].front(), font) << "each control has its own font";
        EXPECT_EQ(expectedHeight, logFonts[i].lfHeight);
        EXPECT_EQ(FW_NORMAL, logFonts[i].lfWeight);
        EXPECT_STREQ("MS Sans Serif", logFonts[i].lfFaceName);
        EXPECT_EQ(0u, GetObjectType(font)) << "the font outlived the editor";
    }
}

TEST_F(LevelEditorWindow, NoWindowOfTheEditorIsLeftAfterClosing) {
    std::vector<HWND> windows;
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
        windows = EditorWindowTree(editor);
        CloseThroughButton(editor);
    })));
    // The editor, six controls and the list's drop-down window.
    ASSERT_EQ(8u, windows.size());
    for (HWND window : windows) EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(PluginTopLevelWindows().empty());
}
