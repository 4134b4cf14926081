// The sandbox host's Options dialog on its own, with pages of the test
// program's own (SandboxOptionsTest.rc): which page records "Opt/AddPage"
// takes, how a page is made from its template and shown, and what the dialog
// tells its pages on Apply, OK and Cancel. It must act as the real host's
// dialog does, or a plug-in's page tested in it proves nothing.
#include <windows.h>
#include <prsht.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sandbox/GuardedRecord.h"
#include "sandbox/HostMessageLoop.h"
#include "sandbox/HostWindow.h"
#include "sandbox/TextCodec.h"
#include "sandbox/UserScript.h"
#include "tests/EditorSupport.h"

namespace {

// As in SandboxOptionsTest.rc.
constexpr WORD kPlainPage = 101;  // a DIALOG, 200 x 120
const char* const kExtendedPage = "EXTENDEDPAGE";  // a DIALOGEX, 180 x 100
constexpr int kEditId = 1001;
constexpr int kCheckId = 1002;

// The largest form of the page record a host knows.
constexpr size_t kLargestRecord = ByTarget(68, 120);
constexpr DWORD kScriptTimeoutMs = 8000;

// A page record the "Opt/Initialise" hook hands to "Opt/AddPage", and the answer.
struct PageRequest {
    std::vector<uint8_t> bytes;  // empty: a null record
    size_t readable = 0;         // as far as cbSize reaches, 4 bytes at least
    HostWParam addInfoSkew = 0;  // added to the addInfo the hook was given
    intptr_t result = -1;
};
std::vector<PageRequest> g_requests;
std::vector<HostWParam> g_addInfos;  // one for each "Opt/Initialise"

std::vector<std::pair<HWND, std::string>> g_received;  // what the pages' windows were sent, in order
intptr_t g_killActiveAnswer = 0;

int __cdecl AddRequestedPages(HostWParam addInfo, HostLParam) {
    g_addInfos.push_back(addInfo);
    for (PageRequest& request : g_requests) {
        // Against a page no one may read: a host reading past cbSize faults.
        const std::shared_ptr<void> record =
            request.bytes.empty() ? nullptr : CopyAgainstGuardPage(request.bytes.data(), request.readable);
        request.result = SandboxHost::Current()->Link().CallService(
            kSvcAddOptionsPage, addInfo + request.addInfoSkew, reinterpret_cast<HostLParam>(record.get()));
    }
    return 0;
}

std::string NotificationName(int32_t code) {
    if (code == kPsnKillActive) return "KILLACTIVE";
    if (code == kPsnApply) return "APPLY";
    if (code == kPsnReset) return "RESET";
    return "notification " + std::to_string(code);
}

// A page as a module writes one: a change the user makes tells the dialog,
// and the answer to PSN_KILLACTIVE goes back through DWLP_MSGRESULT.
intptr_t __stdcall TestPageProc(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    const HWND page = static_cast<HWND>(window);
    if (message == WM_INITDIALOG) {
        g_received.push_back({page, "init"});
    } else if (message == WM_COMMAND) {
        if ((LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_CHANGE) ||
            (LOWORD(wParam) == kCheckId && HIWORD(wParam) == BN_CLICKED))
            SendMessageA(GetParent(page), kPsmChanged, 0, 0);
    } else if (message == WM_NOTIFY) {
        const auto* notify = reinterpret_cast<const PSHNOTIFY*>(lParam);
        const auto code = static_cast<int32_t>(notify->hdr.code);
        const bool asPropertySheet = wParam == 0 && notify->hdr.idFrom == 0 && notify->hdr.hwndFrom == GetParent(page);
        g_received.push_back({page, NotificationName(code) +
                                        (asPropertySheet ? "" : " (not from the dialog as a property sheet sends it)")});
        if (code == kPsnKillActive) SetWindowLongPtrA(page, DWLP_MSGRESULT, g_killActiveAnswer);
    } else {
        return FALSE;
    }
    return TRUE;
}

// Our page, in the record's form of `size` bytes; zero past the declared fields.
PageRequest Page(const char* title, const char* group, const char* name = MAKEINTRESOURCEA(kPlainPage),
                 int32_t size = sizeof(OPTIONSDIALOGPAGE)) {
    OPTIONSDIALOGPAGE record = {};
    record.cbSize = size;
    record.pszTitle = title;
    record.pszGroup = group;
    record.pfnDlgProc = TestPageProc;
    record.pszTemplate = name;
    record.hInstance = GetModuleHandleA(nullptr);
    PageRequest request;
    request.bytes.assign(kLargestRecord, 0);
    std::memcpy(request.bytes.data(), &record, sizeof record);
    request.readable = std::min<size_t>(std::max<int32_t>(size, sizeof size), kLargestRecord);
    return request;
}

// "Opt/AddPage" as the host logs it: the record's size alone when it refused
// the record, then what it read of one it took.
std::string AddPageCall(HostWParam addInfo, size_t size, const std::string& taken = "") {
    return "Opt/AddPage " + std::to_string(addInfo) + " cbSize=" + std::to_string(size) +
           (taken.empty() ? "" : " position=0 " + taken + " template=#101 flags=0x00000000");
}

// What the given pages were sent, in order, as "page <index> <what>".
std::vector<std::string> Seen(const std::vector<HWND>& pages) {
    std::vector<std::string> seen;
    for (const auto& [window, what] : g_received) {
        const auto found = std::find(pages.begin(), pages.end(), window);
        seen.push_back((found == pages.end() ? std::string("another window")
                                             : "page " + std::to_string(found - pages.begin())) + " " + what);
    }
    return seen;
}

std::vector<std::string> ListTexts(HWND list) {
    std::vector<std::string> texts;
    for (int index = 0; index < static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)); ++index) {
        std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, index, 0)) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
        texts.push_back(Utf8FromWide(text.c_str()));
    }
    return texts;
}

class SandboxOptions : public ::testing::Test {
protected:
    void SetUp() override {
        g_requests.clear();
        g_addInfos.clear();
        g_received.clear();
        g_killActiveAnswer = 0;
        host.OnHookEvent(kEvOptionsInitialise, AddRequestedPages);
        host.ClearLog();
    }
    void TearDown() override { if (options.Window()) DestroyWindow(options.Window()); }

    // The dialog opened with these pages; `dialog` is its window, `page` the first page's.
    ::testing::AssertionResult OpenWith(std::vector<PageRequest> pages) {
        g_requests = std::move(pages);
        dialog = options.Open();
        page = options.PageWindow(0);
        return dialog ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "no dialog opened";
    }
    // The user ticks the page's box, a change the page tells the dialog of.
    static void ChangeSomething(HWND page) { SendMessageA(GetDlgItem(page, kCheckId), BM_CLICK, 0, 0); }

    SandboxHost host;
    OptionsDialog& options = host.Options();
    HWND dialog = nullptr;
    HWND page = nullptr;
};

TEST_F(SandboxOptions, TakesOnlyTheRecordSizesItsReleaseKnows) {
    const struct { const char* form; int32_t size; bool on0_5, on0_10; } cases[] = {
        {"up to hGroupIcon", ByTarget(40, 72), true, true},
        {"the record as declared", ByTarget(60, 104), true, true},
        {"with the tab's name", ByTarget(64, 112), false, true},
        {"one field past the tab's name", ByTarget(68, 120), false, true},
        {"the other target's first form", ByTarget(72, 40), false, false},
        {"the other target's declared record", ByTarget(104, 60), false, false},
        {"the other target's form with the tab", ByTarget(112, 64), false, false},
        {"between two forms", ByTarget(44, 80), false, false},
        {"zero", 0, false, false},
    };
    for (OptionsRelease release : {OptionsRelease::Miranda0_5, OptionsRelease::Miranda0_10}) {
        const bool on0_5 = release == OptionsRelease::Miranda0_5;
        options.SetRelease(release);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(on0_5 ? "0.5: " : "0.10: ") + c.form);
            const bool taken = on0_5 ? c.on0_5 : c.on0_10;
            g_requests = {Page("Test page", "Tests", MAKEINTRESOURCEA(kPlainPage), c.size)};
            host.ClearLog();
            EXPECT_EQ(taken, options.Open() != nullptr);
            EXPECT_EQ(taken ? 0 : 1, g_requests[0].result);
            EXPECT_EQ(taken ? 1u : 0u, options.Pages().size());
            ASSERT_EQ(1u, host.Log().size());
            const HostCall& call = host.Log()[0];
            EXPECT_EQ(AddPageCall(g_addInfos.back(), c.size, taken ? "title=Test page group=Tests" : ""), call.text);
            // A refused record is read no further than its size.
            ASSERT_EQ(taken ? static_cast<size_t>(c.size) : sizeof(int32_t), call.record.size());
            EXPECT_TRUE(std::equal(call.record.begin(), call.record.end(), g_requests[0].bytes.begin()));
            if (taken) { EXPECT_EQ("Test page", options.Pages()[0].title); }
            options.ClickCancel();
            EXPECT_FALSE(options.IsOpen());
        }
    }
}

TEST_F(SandboxOptions, OnlyTheOpeningBeingInitialisedTakesPagesWithItsAddInfo) {
    EXPECT_EQ(nullptr, options.Open()) << "no page, no dialog";
    ASSERT_EQ(1u, g_addInfos.size()) << "Opt/Initialise is fired all the same";

    PageRequest wrongAddInfo = Page("Wrong addInfo", nullptr);
    wrongAddInfo.addInfoSkew = 1;
    host.ClearLog();
    ASSERT_TRUE(OpenWith({wrongAddInfo, PageRequest{}, Page("Right", nullptr)}));
    ASSERT_EQ(2u, g_addInfos.size());
    const HostWParam addInfo = g_addInfos.back();
    EXPECT_NE(0u, addInfo);
    EXPECT_EQ(1, g_requests[0].result);
    EXPECT_EQ(1, g_requests[1].result);
    EXPECT_EQ(0, g_requests[2].result);
    ASSERT_EQ(1u, options.Pages().size());
    EXPECT_EQ("Right", options.Pages()[0].title);
    EXPECT_TRUE(SameCalls({AddPageCall(addInfo + 1, sizeof(OPTIONSDIALOGPAGE), "title=Wrong addInfo group=(null)"),
                           "Opt/AddPage " + std::to_string(addInfo) + " (null)",
                           AddPageCall(addInfo, sizeof(OPTIONSDIALOGPAGE), "title=Right group=(null)")},
                          host.LogTexts()));

    // Once "Opt/Initialise" is over, its addInfo takes nothing.
    const PageRequest late = Page("Late", nullptr);
    EXPECT_EQ(1, host.Link().CallService(kSvcAddOptionsPage, addInfo, reinterpret_cast<HostLParam>(late.bytes.data())));
    // Opened again while open: the same dialog, nothing fired.
    EXPECT_EQ(dialog, options.Open());
    EXPECT_EQ(2u, g_addInfos.size());
    EXPECT_EQ(1u, options.Pages().size());
    // Closed and opened again: the pages are asked for anew.
    options.ClickCancel();
    ASSERT_NE(nullptr, options.Open());
    EXPECT_EQ(3u, g_addInfos.size());
    EXPECT_EQ(1u, options.Pages().size());
}

TEST_F(SandboxOptions, AnAnsiHostTranslatesTitleAndGroupWithIts8BitTranslations) {
    host.AddTranslation("Test page", "Testseite");
    host.AddTranslation("Tests", "Pruefungen");
    ASSERT_TRUE(OpenWith({Page("Test page", "Tests"), Page("Untranslated", nullptr), Page("Test page", "Plugins")}));
    EXPECT_FALSE(IsWindowUnicode(dialog));
    EXPECT_EQ((std::vector<std::string>{"Pruefungen / Testseite", "Untranslated", "Plugins / Testseite"}),
              ListTexts(options.PageList()));
    EXPECT_EQ("Pruefungen", options.Pages()[0].group);
    EXPECT_EQ("", options.Pages()[1].group);
}

TEST_F(SandboxOptions, AUnicodeHostShowsTitleAndGroupTranslatedInWideText) {
    host.SetUnicode(true);
    host.SetLanguagePackCodePage(1251);
    host.AddTranslation("Test page", "Тестовая страница");
    host.AddTranslation("Tests", "Тесты");
    // Untranslated 8-bit text is read in the language pack's code page: "Прочее".
    ASSERT_TRUE(OpenWith({Page("Test page", "Tests"), Page("\xCF\xF0\xEE\xF7\xE5\xE5", nullptr)}));
    EXPECT_TRUE(IsWindowUnicode(dialog));
    EXPECT_EQ((std::vector<std::string>{"Тесты / Тестовая страница", "Прочее"}), ListTexts(options.PageList()));
    EXPECT_EQ("Тестовая страница", options.Pages()[0].title);
}

TEST_F(SandboxOptions, APageIsItsTemplateMadeAnAnsiChildOfTheDialog) {
    host.SetUnicode(true);
    // templateSize in the template's own units.
    const struct { const char* what; const char* name; OptionsRelease release; RECT templateSize; } cases[] = {
        {"DIALOG by number on 0.10", MAKEINTRESOURCEA(kPlainPage), OptionsRelease::Miranda0_10, {0, 0, 200, 120}},
        {"DIALOGEX by name on 0.10", kExtendedPage, OptionsRelease::Miranda0_10, {0, 0, 180, 100}},
        {"DIALOG by number on 0.5", MAKEINTRESOURCEA(kPlainPage), OptionsRelease::Miranda0_5, {0, 0, 200, 120}},
        {"DIALOGEX by name on 0.5", kExtendedPage, OptionsRelease::Miranda0_5, {0, 0, 180, 100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        options.SetRelease(c.release);
        g_received.clear();
        ASSERT_TRUE(OpenWith({Page("Test page", "Tests", c.name)}));
        ASSERT_NE(nullptr, page);
        EXPECT_EQ(dialog, GetParent(page));
        EXPECT_FALSE(IsWindowUnicode(page)) << "an ANSI window on a Unicode host";
        const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME;
        EXPECT_EQ(static_cast<DWORD>(WS_CHILD | WS_VISIBLE),
                  GetWindowLongPtrA(page, GWL_STYLE) & (WS_CHILD | WS_VISIBLE | frame));
        EXPECT_EQ(static_cast<DWORD>(WS_EX_CONTROLPARENT),
                  GetWindowLongPtrA(page, GWL_EXSTYLE) & (WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME));
        EXPECT_EQ("Edit", ClassNameOf(GetDlgItem(page, kEditId))) << "the controls of the program's own template";
        EXPECT_TRUE(SameCalls({"page 0 init"}, Seen({page})));
        // 0.10 sizes the page to its area; 0.5 leaves it its template's size.
        const bool sized = c.release == OptionsRelease::Miranda0_10;
        RECT expected = sized ? RECT{0, 0, OptionsDialog::kPageAreaWidth, OptionsDialog::kPageAreaHeight}
                              : c.templateSize;
        MapDialogRect(sized ? dialog : page, &expected);
        const RECT actual = RectInParent(page);
        EXPECT_EQ(expected.right, actual.right - actual.left);
        EXPECT_EQ(expected.bottom, actual.bottom - actual.top);
        options.ClickCancel();
    }
}

TEST_F(SandboxOptions, APageIsMadeOnlyWhenFirstShown) {
    ASSERT_TRUE(OpenWith({Page("First", nullptr), Page("Second", nullptr, kExtendedPage)}));
    const HWND first = page;
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(nullptr, options.PageWindow(1));
    options.ShowPage(1);
    const HWND second = options.PageWindow(1);
    ASSERT_NE(nullptr, second);
    EXPECT_FALSE(IsWindowVisible(first));
    EXPECT_TRUE(IsWindowVisible(second));
    options.ShowPage(0);
    EXPECT_EQ(first, options.PageWindow(0));
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_FALSE(IsWindowVisible(second));
    EXPECT_EQ(0, SendMessageA(options.PageList(), LB_GETCURSEL, 0, 0));
    EXPECT_TRUE(SameCalls({"page 0 init", "page 1 init"}, Seen({first, second})));
}

TEST_F(SandboxOptions, ApplyAsksThePageOnShowThenAppliesOnlyTheChangedPages) {
    ASSERT_TRUE(OpenWith({Page("Changed", nullptr), Page("Untouched", nullptr), Page("On show", nullptr)}));
    EXPECT_FALSE(options.ApplyEnabled());
    ChangeSomething(page);
    EXPECT_TRUE(options.ApplyEnabled());
    options.ShowPage(1);
    options.ShowPage(2);
    const std::vector<HWND> pages = {page, options.PageWindow(1), options.PageWindow(2)};
    g_received.clear();

    options.ClickApply();
    EXPECT_TRUE(SameCalls({"page 2 KILLACTIVE", "page 0 APPLY"}, Seen(pages)));
    EXPECT_FALSE(options.ApplyEnabled()) << "applied: nothing is changed any more";
    g_received.clear();
    options.ClickApply();
    EXPECT_TRUE(SameCalls({}, Seen(pages))) << "a disabled Apply does nothing";

    options.ClickOk();
    EXPECT_TRUE(SameCalls({"page 2 KILLACTIVE"}, Seen(pages)));
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_FALSE(options.IsOpen());
}

TEST_F(SandboxOptions, ANonZeroAnswerToKillActiveStopsApplyAndOk) {
    ASSERT_TRUE(OpenWith({Page("Page", nullptr)}));
    ChangeSomething(page);
    g_killActiveAnswer = 1;
    options.ClickApply();
    EXPECT_TRUE(options.ApplyEnabled());
    options.ClickOk();
    EXPECT_TRUE(options.IsOpen());
    g_killActiveAnswer = 0;
    options.ClickOk();
    EXPECT_FALSE(options.IsOpen());
    EXPECT_TRUE(SameCalls({"page 0 init", "page 0 KILLACTIVE", "page 0 KILLACTIVE", "page 0 KILLACTIVE",
                           "page 0 APPLY"},
                          Seen({page})));
    // What the dialog keeps of it for tests, the answers read through DWLP_MSGRESULT.
    const std::vector<PageNotification>& told = options.Pages()[0].notifications;
    ASSERT_EQ(4u, told.size());
    EXPECT_EQ(1, told[0].answer);
    EXPECT_EQ(1, told[1].answer);
    EXPECT_EQ(kPsnKillActive, told[2].code);
    EXPECT_EQ(0, told[2].answer);
    EXPECT_EQ(kPsnApply, told[3].code);
}

TEST_F(SandboxOptions, CancelResetsOnlyThePagesChangedSinceApplyAndDestroysTheDialog) {
    ASSERT_TRUE(OpenWith({Page("Applied", nullptr), Page("Changed", nullptr)}));
    const HWND applied = page;
    ChangeSomething(applied);
    options.ClickApply();
    options.ShowPage(1);
    const HWND changed = options.PageWindow(1);
    ChangeSomething(changed);
    g_received.clear();

    options.ClickCancel();
    EXPECT_TRUE(SameCalls({"page 1 RESET"}, Seen({applied, changed})));
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_FALSE(IsWindow(changed));
    EXPECT_FALSE(options.IsOpen());
    EXPECT_EQ(nullptr, options.PageWindow(1));
}

// Tab and Enter reach the dialog only through the host's loop, which hands
// its modeless dialogs their keys first.
TEST_F(SandboxOptions, InTheHostsLoopTabWalksThroughThePageAndEnterAppliesWhatWasTyped) {
    ASSERT_TRUE(OpenWith({Page("Page", nullptr)}));
    PressInHostLoop(options.PageList(), VK_TAB);
    EXPECT_EQ(GetDlgItem(page, kEditId), GetFocus()) << "Tab from the page list goes to the page's edit";
    PressInHostLoop(GetFocus(), 'X');
    EXPECT_TRUE(options.ApplyEnabled());
    EXPECT_EQ("x", TextOf(GetDlgItem(page, kEditId)));
    PressInHostLoop(GetFocus(), VK_TAB);
    EXPECT_EQ(GetDlgItem(page, kCheckId), GetFocus()) << "then to the page's check box";
    PressInHostLoop(GetFocus(), VK_TAB);
    EXPECT_EQ(GetDlgItem(dialog, IDOK), GetFocus()) << "then out of the page to OK";
    PressInHostLoop(GetFocus(), VK_RETURN);
    EXPECT_FALSE(options.IsOpen());
    EXPECT_TRUE(SameCalls({"page 0 init", "page 0 KILLACTIVE", "page 0 APPLY"}, Seen({page})));
}

// The Main menu's own loop runs the pick; the host's loop runs the rest.
TEST_F(SandboxOptions, TheMainMenuOpensItAndTheContactListStaysInUseMeanwhile) {
    HostWindow window(host);
    ASSERT_TRUE(window.Open(30, 30, false));
    g_requests = {Page("Page", nullptr)};
    std::vector<std::string> menu;
    UserScript script;
    PostMessageA(window.Window(), WM_SYSCOMMAND, SC_KEYMENU, 'm');  // the Main menu opens as the script's loop runs
    script.Add("pick Options", [&] {
        const HWND menuWindow = OpenPopupMenu();
        if (!menuWindow) return false;
        menu = MenuTexts(reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0)));
        PressKey(window.Window(), 'O');
        return true;
    });
    script.Add("the dialog opens", [&] { return options.IsOpen(); });
    ASSERT_TRUE(script.Run(kScriptTimeoutMs, [] { EndMenu(); })) << "stuck at: " << script.Stuck();
    EXPECT_EQ((std::vector<std::string>{"&Options…", "E&xit"}), menu);
    EXPECT_EQ(1u, g_addInfos.size());

    PressInHostLoop(window.StatusSelector(), VK_DOWN);
    EXPECT_TRUE(RunHostMessageLoopUntil([&] { return window.Status() == ID_STATUS_ONLINE; }, kScriptTimeoutMs))
        << "the host window went online";
    EXPECT_TRUE(options.IsOpen()) << "open while the status changed";
    PressInHostLoop(options.PageList(), VK_ESCAPE);
    EXPECT_FALSE(options.IsOpen()) << "Esc closes the dialog";
    EXPECT_NE(nullptr, window.Window());
}

}  // namespace
