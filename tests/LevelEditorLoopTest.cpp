// The editor's own message loop and the service call around it: the call
// returns once the window is gone, host events and services run inside the
// loop, a second editor never opens on top of the first, a quit message that
// belongs to the host ends the loop and goes on to the host, and a window that
// cannot be made leaves no loop behind.
#include <string>
#include <vector>

#include "tests/EditorSupport.h"

namespace {

class LevelEditorLoop : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        ann = host.AddContact("ICQ", "Ann");
        bob = host.AddContact("ICQ", "Bob");
        SetLevel(ann, 2);
        SetLevel(bob, 5);
        StartPlugin();
        host.ClearApparentModes();
    }

    // Opens an editor for bob and closes it at once: the service works.
    ::testing::AssertionResult OpensNormally() {
        bool sawControls = false;
        const EditorRun run = RunEditorWith(host, bob, [&](HWND editor) {
            sawControls = FindEditorChildren(editor).all.size() == 6;
            CloseThroughButton(editor);
        });
        if (!sawControls) return ::testing::AssertionFailure() << "the editor had no controls";
        return RanCleanly(run);
    }

    ContactHandle ann = 0;
    ContactHandle bob = 0;
};

}  // namespace

TEST_F(LevelEditorLoop, ServiceReturnsZeroOnlyOnceTheWindowIsGone) {
    bool returned = false;
    bool returnedBeforeSteps = true;
    HWND editorSeen = nullptr;
    const EditorRun run = RunEditorWith(
        [&] {
            const intptr_t result = host.CallPluginService("Quillmere/Edit", ann, 0);
            returned = true;
            return result;
        },
        [&](HWND editor) {
            editorSeen = editor;
            returnedBeforeSteps = returned;
            CloseThroughButton(editor);
        });
    EXPECT_TRUE(RanCleanly(run));
    EXPECT_EQ(0, run.result);
    EXPECT_FALSE(returnedBeforeSteps) << "the service returned while the editor was open";
    EXPECT_FALSE(IsWindow(editorSeen));
}

TEST_F(LevelEditorLoop, SecondCallWhileOpenReturnsAtOnceWithoutHostCalls) {
    intptr_t serviceResult = -1, menuResult = -1;
    std::vector<std::string> calls{"sentinel"};
    size_t editors = 0;
    std::string titleAfter;
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
        host.ClearLog();
        serviceResult = host.CallPluginService("Quillmere/Edit", bob, 0);
        menuResult = host.ClickMainMenuItem(0);
        calls = host.LogTexts();
        editors = PluginTopLevelWindows().size();
        titleAfter = TextOf(editor);
        // The open editor still edits Ann.
        const EditorChildren children = FindEditorChildren(editor);
        SendMessageA(children.levelList, CB_SETCURSEL, 4, 0);
        ClickButton(children.okButton);
    })));
    EXPECT_EQ(0, serviceResult);
    EXPECT_EQ(0, menuResult);
    EXPECT_TRUE(SameCalls({}, calls));
    EXPECT_EQ(1u, editors);
    EXPECT_EQ("Ann: Visibility Level", titleAfter);
    EXPECT_EQ(4, StoredLevel(ann));
    EXPECT_EQ(5, StoredLevel(bob));
    EXPECT_EQ(std::nullopt, StoredLevel(0));
}

TEST_F(LevelEditorLoop, StatusChangeWhileOpenRunsANormalPass) {
    SetLevel(0, 3);
    std::vector<std::string> calls;
    bool stillOpen = false;
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
        host.ClearLog();
        host.FireStatusModeChange();
        calls = host.LogTexts();
        stillOpen = IsWindow(editor) && IsWindowVisible(editor);
        CloseThroughButton(editor);
    })));
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(SameCalls({"DB/Contact/GetSetting 0 Quillmere/VisibilityLevel",
                           "DB/Contact/GetCount",
                           "DB/Contact/FindFirst",
                           "Proto/GetContactBaseProto " + Str(ann),
                           "DB/Contact/GetSetting " + Str(ann) + " Quillmere/VisibilityLevel",
                           "Proto/CallContactService " + Str(ann) + " /SetApparentMode 40071 0",
                           "DB/Contact/FindNext " + Str(ann),
                           "Proto/GetContactBaseProto " + Str(bob),
                           "DB/Contact/GetSetting " + Str(bob) + " Quillmere/VisibilityLevel",
                           "Proto/CallContactService " + Str(bob) + " /SetApparentMode 40072 0",
                           "DB/Contact/FindNext " + Str(bob)},
                          calls));
    // Global level 3 hides the user from Ann (2) but not from Bob (5).
    EXPECT_EQ(40071u, host.ApparentMode(ann));
    EXPECT_EQ(40072u, host.ApparentMode(bob));
}

// Unload clears the busy flag but leaves the window open; a call after it
// must not open a second editor on top of the first.
TEST_F(LevelEditorLoop, AfterUnloadAnOpenEditorStillKeepsASecondOneOut) {
    intptr_t unloadResult = -1, serviceResult = -1;
    std::vector<std::string> calls{"sentinel"};
    size_t editors = 0;
    bool stillOpen = false;
    std::vector<std::string> okCalls;
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
        unloadResult = host.CallUnload();
        stillOpen = IsWindow(editor) && IsWindowVisible(editor);
        host.ClearLog();
        serviceResult = host.CallPluginService("Quillmere/Edit", bob, 0);
        calls = host.LogTexts();
        editors = PluginTopLevelWindows().size();
        // The first editor goes on working: OK stores Ann's level.
        const EditorChildren children = FindEditorChildren(editor);
        SendMessageA(children.levelList, CB_SETCURSEL, 1, 0);
        SetWindowPos(editor, nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        host.ClearLog();
        ClickButton(children.okButton);
        okCalls = host.LogTexts();
    })));
    EXPECT_EQ(0, unloadResult);
    EXPECT_TRUE(stillOpen) << "Unload closed the editor";
    EXPECT_EQ(0, serviceResult);
    EXPECT_TRUE(SameCalls({}, calls));
    EXPECT_EQ(1u, editors);
    ASSERT_FALSE(okCalls.empty());
    EXPECT_EQ("DB/Contact/WriteSetting " + Str(ann) + " Quillmere/VisibilityLevel type=4 1", okCalls.front());
    EXPECT_EQ("DB/Contact/WriteSetting 0 Quillmere/UserAdd/Top type=4 20", okCalls.back());
    EXPECT_EQ(1, StoredLevel(ann));
    // Once the first editor has closed, the service opens editors again.
    EXPECT_TRUE(OpensNormally());
}

// --- A quit message the editor did not post ------------------------------------------------

TEST_F(LevelEditorLoop, HostQuitEndsTheLoopClosesWithoutSavingAndIsPostedAgain) {
    for (int exitCode : {7, 0}) {
        SCOPED_TRACE("PostQuitMessage(" + std::to_string(exitCode) + ")");
        std::vector<HWND> windows;
        std::vector<HFONT> fonts;
        WindowCreationRecorder recorder;
        ASSERT_TRUE(recorder.Hooked());
        bool openAfterQuitPosted = false;
        EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
            SetWindowPos(editor, nullptr, 33, 44, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            windows = EditorWindowTree(editor);
            for (HWND child : FindEditorChildren(editor).all)
                for (HFONT font : recorder.FontsGivenTo(child)) fonts.push_back(font);
            host.ClearLog();
            // The host ends its own loop while the editor is open.
            PostQuitMessage(exitCode);
            openAfterQuitPosted = IsWindow(editor) != FALSE;
        })));
        EXPECT_TRUE(openAfterQuitPosted);
        WPARAM code = 0xDEADBEEF;
        EXPECT_TRUE(TakeQuitMessage(&code)) << "the host's quit message was swallowed";
        EXPECT_EQ(static_cast<WPARAM>(exitCode), code);
        EXPECT_FALSE(TakeQuitMessage()) << "a second quit message was posted";
        EXPECT_TRUE(SameCalls({}, host.LogTexts())) << "nothing is saved or stored";
        EXPECT_EQ(8u, windows.size());
        for (HWND window : windows) EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(6u, fonts.size());
        for (HFONT font : fonts) EXPECT_EQ(0u, GetObjectType(font));
        EXPECT_EQ(2, StoredLevel(ann));
        EXPECT_TRUE(OpensNormally());
    }
}

// --- A window that cannot be made -----------------------------------------------------------

namespace {

LRESULT CALLBACK RefusingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) return FALSE;
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK RefusingCbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST_F(LevelEditorLoop, WindowThatCannotBeMadeLeavesNoLoopAndNoQuit) {
    const struct Row {
        const char* label;
        const char* displayName;
        bool throughHook;
    } rows[] = {
        // A class of the editor's title, under the plug-in's instance, whose
        // procedure refuses the window: the editor's registration fails and
        // its CreateWindow finds this class.
        {"the title's class refuses the window", "Refused", false},
        // A CBT hook refuses every window of the thread.
        {"a CBT hook refuses the window", "Hooked", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const ContactHandle contact = host.AddContact("ICQ", row.displayName);
        const std::string title = std::string(row.displayName) + ": Visibility Level";
        HHOOK hook = nullptr;
        if (row.throughHook) {
            hook = SetWindowsHookExA(WH_CBT, RefusingCbtHook, nullptr, GetCurrentThreadId());
            ASSERT_NE(nullptr, hook);
        } else {
            WNDCLASSEXA refusing = {};
            refusing.cbSize = sizeof refusing;
            refusing.lpfnWndProc = RefusingProc;
            refusing.hInstance = PluginModule();
            refusing.lpszClassName = title.c_str();
            ASSERT_NE(0, RegisterClassExA(&refusing));
        }
        host.ClearLog();
        const EditorRun run = RunEditorWith(host, contact, [](HWND) {});
        if (hook) UnhookWindowsHookEx(hook);
        EXPECT_EQ(0, run.result);
        EXPECT_FALSE(run.safetyFired) << "the editor ran a loop without a window";
        EXPECT_FALSE(run.stepsRan);
        EXPECT_TRUE(SameCalls({"CList/GetContactDisplayName " + Str(contact),
                               "LangPack/TranslateString &Visibility Level",
                               "DB/Contact/GetSetting 0 Quillmere/UserAdd/Left",
                               "DB/Contact/GetSetting 0 Quillmere/UserAdd/Top"},
                              host.LogTexts()));
        EXPECT_FALSE(TakeQuitMessage()) << "a stray quit message was left";
        EXPECT_TRUE(PluginTopLevelWindows().empty());
        // The busy flag was cleared: the next call opens an editor.
        EXPECT_TRUE(OpensNormally());
    }
}
