// Every way out of the level editor, as a user (or another window) takes it,
// judged by the calls the host receives: OK stores the level and runs a
// normal pass, each of the editor's own ways out saves the position, and a
// WM_CLOSE from elsewhere only closes.
#include <string>
#include <vector>

#include "tests/EditorSupport.h"

namespace {

class LevelEditorExit : public EditorTest {
protected:
    // Two ICQ contacts and one of another protocol, under global level 3.
    void SetUp() override {
        EditorTest::SetUp();
        ann = host.AddContact("ICQ", "Ann");
        bob = host.AddContact("ICQ", "Bob");
        cid = host.AddContact("MSN", "Cid");
        host.SetProtocolLoaded("MSN", true);
        SetLevel(0, 3);
        SetLevel(ann, 2);
        SetLevel(bob, 5);
        SetLevel(cid, 1);
        StartPlugin();
        host.ClearApparentModes();
    }

    std::vector<std::string> SavePosition(int left, int top) {
        return {"DB/Contact/WriteSetting 0 Quillmere/UserAdd/Left type=4 " + std::to_string(left),
                "DB/Contact/WriteSetting 0 Quillmere/UserAdd/Top type=4 " + std::to_string(top)};
    }

    // A normal pass over ann, bob and cid with ann's and the global level as given.
    std::vector<std::string> NormalPass(const char* annMode, const char* bobMode) {
        std::vector<std::string> calls = {
            "DB/Contact/GetSetting 0 Quillmere/VisibilityLevel",
            "DB/Contact/GetCount",
            "DB/Contact/FindFirst",
            "Proto/GetContactBaseProto " + Str(ann),
            "DB/Contact/GetSetting " + Str(ann) + " Quillmere/VisibilityLevel"};
        if (annMode) calls.push_back("Proto/CallContactService " + Str(ann) + " /SetApparentMode " + annMode + " 0");
        calls.push_back("DB/Contact/FindNext " + Str(ann));
        calls.push_back("Proto/GetContactBaseProto " + Str(bob));
        calls.push_back("DB/Contact/GetSetting " + Str(bob) + " Quillmere/VisibilityLevel");
        if (bobMode) calls.push_back("Proto/CallContactService " + Str(bob) + " /SetApparentMode " + bobMode + " 0");
        calls.push_back("DB/Contact/FindNext " + Str(bob));
        calls.push_back("Proto/GetContactBaseProto " + Str(cid));
        calls.push_back("Proto/GetAccount 0 MSN");  // the host has no accounts
        calls.push_back("DB/Contact/FindNext " + Str(cid));
        return calls;
    }

    ContactHandle ann = 0;
    ContactHandle bob = 0;
    ContactHandle cid = 0;
};

void MoveTo(HWND editor, int left, int top) {
    SetWindowPos(editor, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::vector<std::string> Concat(std::vector<std::string> first, const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

}  // namespace

// Every way out but OK: the level stays as it was; the editor's own ways out
// save where the window stands, the others save nothing.
TEST_F(LevelEditorExit, EachWayOutClosesAndOnlyTheEditorsOwnSaveThePosition) {
    const struct Row {
        const char* label;
        std::function<void(HWND editor, const EditorChildren& children)> leave;
        bool savesPosition;
    } rows[] = {
        {"Close button clicked", [](HWND, const EditorChildren& c) { ClickButton(c.closeButton); }, true},
        {"Close button's WM_COMMAND",
         [](HWND editor, const EditorChildren& c) {
             SendMessageA(editor, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(c.closeButton));
         },
         true},
        {"Esc in the window", [](HWND editor, const EditorChildren&) { SendChar(editor, VK_ESCAPE); }, true},
        {"Esc in the list", [](HWND, const EditorChildren& c) { SendChar(c.levelList, VK_ESCAPE); }, true},
        {"Esc in OK", [](HWND, const EditorChildren& c) { SendChar(c.okButton, VK_ESCAPE); }, true},
        {"Esc in Close", [](HWND, const EditorChildren& c) { SendChar(c.closeButton, VK_ESCAPE); }, true},
        {"hidden from elsewhere", [](HWND editor, const EditorChildren&) { ShowWindow(editor, SW_HIDE); }, true},
        {"WM_CLOSE from elsewhere", [](HWND editor, const EditorChildren&) { SendMessageA(editor, WM_CLOSE, 0, 0); }, false},
        {"destroyed from elsewhere", [](HWND editor, const EditorChildren&) { DestroyWindow(editor); }, false},
    };
    int offset = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const int left = 200 + offset, top = 150 + offset;
        offset += 7;
        std::vector<std::string> calls;
        std::vector<HWND> windows;
        bool closedAtOnce = false;
        host.ClearLog();
        EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
            MoveTo(editor, left, top);
            windows = EditorWindowTree(editor);
            host.ClearLog();
            row.leave(editor, FindEditorChildren(editor));
            closedAtOnce = !IsWindow(editor);
            calls = host.LogTexts();
        })));
        EXPECT_TRUE(closedAtOnce);
        EXPECT_TRUE(SameCalls(row.savesPosition ? SavePosition(left, top) : std::vector<std::string>{}, calls));
        EXPECT_EQ(8u, windows.size());
        for (HWND window : windows) EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(2, StoredLevel(ann));
        EXPECT_FALSE(TakeQuitMessage()) << "the loop left a quit message behind";
    }
    EXPECT_EQ(std::nullopt, host.ApparentMode(ann));
}

TEST_F(LevelEditorExit, OkStoresTheLevelRunsANormalPassSavesThePositionAndCloses) {
    std::vector<std::string> calls;
    bool closedAtOnce = false;
    EXPECT_TRUE(RanCleanly(RunEditorWith([&] { return host.ClickContactMenuItem(0, ann); }, [&](HWND editor) {
        MoveTo(editor, 222, 111);
        const EditorChildren children = FindEditorChildren(editor);
        SendMessageA(children.levelList, CB_SETCURSEL, 6, 0);
        host.ClearLog();
        ClickButton(children.okButton);
        closedAtOnce = !IsWindow(editor);
        calls = host.LogTexts();
    })));
    EXPECT_TRUE(closedAtOnce);
    // Ann is now "Never visible"; Bob (5) still sees global level 3.
    EXPECT_TRUE(SameCalls(Concat(Concat({"DB/Contact/WriteSetting " + Str(ann) + " Quillmere/VisibilityLevel type=4 6"},
                                        NormalPass("40071", "40072")),
                                 SavePosition(222, 111)),
                          calls));
    EXPECT_EQ(6, StoredLevel(ann));
    EXPECT_EQ(40071u, host.ApparentMode(ann));
    EXPECT_EQ(40072u, host.ApparentMode(bob));
    EXPECT_EQ(std::nullopt, host.ApparentMode(cid));
}

TEST_F(LevelEditorExit, OkInTheGlobalEditorStoresTheGlobalLevel) {
    std::vector<std::string> calls;
    EXPECT_TRUE(RanCleanly(RunEditorWith([&] { return host.ClickMainMenuItem(0); }, [&](HWND editor) {
        MoveTo(editor, 50, 60);
        const EditorChildren children = FindEditorChildren(editor);
        SendMessageA(children.levelList, CB_SETCURSEL, 0, 0);
        host.ClearLog();
        ClickButton(children.okButton);
        calls = host.LogTexts();
    })));
    // Global level 0: every ICQ contact sees the user, whatever its own level.
    EXPECT_TRUE(SameCalls(Concat(Concat({"DB/Contact/WriteSetting 0 Quillmere/VisibilityLevel type=4 0"},
                                        NormalPass("40072", "40072")),
                                 SavePosition(50, 60)),
                          calls));
    EXPECT_EQ(0, StoredLevel(0));
    EXPECT_EQ(2, StoredLevel(ann));
}

// The notification code of the button's WM_COMMAND is not looked at.
TEST_F(LevelEditorExit, AnyCommandFromOkAccepts) {
    for (WORD code : {WORD{BN_CLICKED}, WORD{BN_DOUBLECLICKED}, WORD{0x1234}}) {
        SCOPED_TRACE("notification " + std::to_string(code));
        SetLevel(ann, 2);
        bool closedAtOnce = false;
        EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
            const EditorChildren children = FindEditorChildren(editor);
            SendMessageA(children.levelList, CB_SETCURSEL, 4, 0);
            SendMessageA(editor, WM_COMMAND, MAKEWPARAM(0, code), reinterpret_cast<LPARAM>(children.okButton));
            closedAtOnce = !IsWindow(editor);
        })));
        EXPECT_TRUE(closedAtOnce);
        EXPECT_EQ(4, StoredLevel(ann));
    }
}

// A command from any other window gets default processing: nothing happens.
TEST_F(LevelEditorExit, CommandsFromOtherWindowsChangeNothing) {
    bool stillOpen = false;
    std::vector<std::string> calls{"sentinel"};
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
        const EditorChildren children = FindEditorChildren(editor);
        host.ClearLog();
        SendMessageA(editor, WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), reinterpret_cast<LPARAM>(children.levelList));
        SendMessageA(editor, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(children.label));
        SendMessageA(editor, WM_COMMAND, MAKEWPARAM(1, 0), 0);  // a menu or accelerator
        SendMessageA(editor, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        calls = host.LogTexts();
        stillOpen = IsWindow(editor) && IsWindowVisible(editor);
        ClickButton(children.closeButton);
    })));
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(SameCalls({}, calls));
    EXPECT_EQ(2, StoredLevel(ann));
}

// Showing the window again does not close it; only hiding does.
TEST_F(LevelEditorExit, ShowingTheWindowDoesNotCloseIt) {
    bool stillOpen = false;
    std::vector<std::string> calls{"sentinel"};
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
        host.ClearLog();
        SendMessageA(editor, WM_SHOWWINDOW, TRUE, 0);
        ShowWindow(editor, SW_SHOW);
        calls = host.LogTexts();
        stillOpen = IsWindow(editor) && IsWindowVisible(editor);
        CloseThroughButton(editor);
    })));
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(SameCalls({}, calls));
}

TEST_F(LevelEditorExit, StoredLevelOutsideTheListLeavesNoSelectionAndOkStoresMinusOne) {
    SetLevel(ann, 9);
    LRESULT selected = 0xDEAD;
    std::vector<std::string> calls;
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
        MoveTo(editor, 70, 80);
        const EditorChildren children = FindEditorChildren(editor);
        selected = SendMessageA(children.levelList, CB_GETCURSEL, 0, 0);
        host.ClearLog();
        ClickButton(children.okButton);
        calls = host.LogTexts();
    })));
    EXPECT_EQ(CB_ERR, selected);
    EXPECT_EQ(0xFFFFFFFFu, host.Dword(ann, "Quillmere", "VisibilityLevel"));
    // -1 as Ann's level under global level 3 brings no call for Ann.
    EXPECT_TRUE(SameCalls(Concat(Concat({"DB/Contact/WriteSetting " + Str(ann) + " Quillmere/VisibilityLevel type=4 -1"},
                                        NormalPass(nullptr, "40072")),
                                 SavePosition(70, 80)),
                          calls));
}

// --- Closing reached again while the window is being destroyed ---------------------------

namespace {

// A late hide or Esc reaches the editor from the label's WM_DESTROY, that is
// after the editor's own WM_DESTROY and before the window is gone.
HWND g_lateEditor = nullptr;
WNDPROC g_labelProc = nullptr;
UINT g_lateMessage = 0;
WPARAM g_lateWParam = 0;
int g_lateSent = 0;

LRESULT CALLBACK LateLabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && g_lateEditor) {
        ++g_lateSent;
        SendMessageA(g_lateEditor, g_lateMessage, g_lateWParam, 0);
    }
    return CallWindowProcA(g_labelProc, window, message, wParam, lParam);
}

}  // namespace

TEST_F(LevelEditorExit, ClosingReachedAgainDuringDestructionDoesNothing) {
    const struct Row {
        const char* label;
        bool throughCloseButton;  // else a WM_CLOSE from elsewhere
        UINT lateMessage;
        WPARAM lateWParam;
    } rows[] = {
        {"Close button, then WM_SHOWWINDOW 0", true, WM_SHOWWINDOW, FALSE},
        {"Close button, then Esc", true, WM_CHAR, VK_ESCAPE},
        {"WM_CLOSE from elsewhere, then WM_SHOWWINDOW 0", false, WM_SHOWWINDOW, FALSE},
        {"WM_CLOSE from elsewhere, then Esc", false, WM_CHAR, VK_ESCAPE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        std::vector<std::string> calls;
        g_lateSent = 0;
        g_lateMessage = row.lateMessage;
        g_lateWParam = row.lateWParam;
        EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
            MoveTo(editor, 90, 95);
            const EditorChildren children = FindEditorChildren(editor);
            g_lateEditor = editor;
            g_labelProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                children.label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LateLabelProc)));
            host.ClearLog();
            if (row.throughCloseButton)
                ClickButton(children.closeButton);
            else
                SendMessageA(editor, WM_CLOSE, 0, 0);
            calls = host.LogTexts();
        })));
        g_lateEditor = nullptr;
        EXPECT_EQ(1, g_lateSent) << "the late message was not sent during the destruction";
        EXPECT_TRUE(SameCalls(row.throughCloseButton ? SavePosition(90, 95) : std::vector<std::string>{}, calls));
        EXPECT_FALSE(TakeQuitMessage()) << "the loop left a quit message behind";
    }
}
