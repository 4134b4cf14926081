// Releasing a control while its window lives on: the window gets its own
// procedure back, forgets the object, and keeps working until its parent
// destroys it.
#include "tests/ToolkitSupport.h"

namespace {

using namespace ToolkitTesting;

class ToolkitRelease : public ToolkitTest {};

// The procedure a window of the class has when nobody has subclassed it.
LONG_PTR PlainProcedureOf(const char* className, HWND parent) {
    HWND plain = CreateWindowExA(0, className, "", WS_CHILD, 0, 0, 10, 10, parent, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    const LONG_PTR procedure = GetWindowLongPtrA(plain, GWLP_WNDPROC);
    DestroyWindow(plain);
    return procedure;
}

// A shown control of each class on the parent, in the order of kControlClasses.
std::vector<std::unique_ptr<TsVCLWinControl>> ShowOneOfEachClass(HWND parent) {
    std::vector<std::unique_ptr<TsVCLWinControl>> controls;
    for (const ControlClass& type : kControlClasses) {
        controls.push_back(type.Make(parent));
        controls.back()->Show();
    }
    return controls;
}

TEST_F(ToolkitRelease, WindowGetsItsOwnProcedureBackAndForgetsTheObject) {
    struct Row {
        const ControlClass& type;
        const char* className;
    };
    const Row rows[] = {
        {kControlClasses[0], "STATIC"},
        {kControlClasses[1], "STATIC"},
        {kControlClasses[2], "BUTTON"},
        {kControlClasses[3], "COMBOBOX"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type.name);
        const LONG_PTR plain = PlainProcedureOf(row.className, parent);
        ASSERT_NE(0, plain);
        std::unique_ptr<TsVCLWinControl> control = row.type.Make(parent);
        control->Show();
        const HWND window = control->Handle;
        ASSERT_EQ(reinterpret_cast<LONG_PTR>(control.get()),
                  GetWindowLongPtrA(window, GWLP_USERDATA));
        if (row.type.takesKeyboard) {
            ASSERT_EQ(plain, reinterpret_cast<LONG_PTR>(control->OldWndProc));
        }

        control.reset();
        ASSERT_TRUE(IsWindow(window));
        EXPECT_EQ(0, GetWindowLongPtrA(window, GWLP_USERDATA));
        EXPECT_EQ(plain, GetWindowLongPtrA(window, GWLP_WNDPROC));
    }
}

// Tab, Esc and the focus now reach the control's own procedure as they are:
// no focus moves, the parent stays, nothing is selected on focus.
TEST_F(ToolkitRelease, ReleasedWindowKeepsTakingMessages) {
    for (const ControlClass& type : kControlClasses) {
        SCOPED_TRACE(type.name);
        HWND ownParent = CreateTestParent();
        ShowWindow(ownParent, SW_SHOW);
        TsVCLButton other(ownParent);
        other.Show();
        std::unique_ptr<TsVCLWinControl> control = type.Make(ownParent);
        control->Show();
        const HWND window = control->Handle;
        PassedOnRecorder recorder;
        if (type.takesKeyboard) recorder.Attach(*control);
        SetFocus(other.Handle);
        ASSERT_EQ(other.Handle, GetFocus());

        recorder.Clear();
        control.reset();
        if (type.takesKeyboard) {
            // The window lets go of the font before it is deleted; a combo
            // box then sizes its field again.
            EXPECT_TRUE(SameSequence({{WM_SETFONT, 0, 0, kExactParams},
                                      {WM_WINDOWPOSCHANGING, 0, 0, kAnyParams | kOptional},
                                      {WM_NCCALCSIZE, 0, 0, kAnyParams | kOptional},
                                      {WM_WINDOWPOSCHANGED, 0, 0, kAnyParams | kOptional},
                                      {WM_SIZE, 0, 0, kAnyParams | kOptional}},
                                     recorder.Of(window)));
            recorder.Clear();
        }
        SendMessageA(window, WM_CHAR, VK_TAB, 0);
        EXPECT_EQ(other.Handle, GetFocus());
        {
            ShiftHeld shift;
            SendMessageA(window, WM_CHAR, VK_TAB, 0);
        }
        EXPECT_EQ(other.Handle, GetFocus());
        SendMessageA(window, WM_CHAR, VK_ESCAPE, 0);
        EXPECT_TRUE(GetWindowLongA(ownParent, GWL_STYLE) & WS_VISIBLE);
        SendMessageA(window, WM_SETFOCUS, 0, 0);
        SendMessageA(window, WM_KILLFOCUS, 0, 0);
        const BOOL textSet = SetWindowTextA(window, "still here");
        PumpPendingMessages();
        if (type.takesKeyboard) {
            // The recorder was the object's OldWndProc, so it is now the
            // window's procedure and sees every message as sent.
            EXPECT_TRUE(SameSequence({{WM_CHAR, VK_TAB, 0, kExactParams},
                                      {WM_CHAR, VK_TAB, 0, kExactParams},
                                      {WM_CHAR, VK_ESCAPE, 0, kExactParams},
                                      {WM_SETFOCUS, 0, 0, kExactParams},
                                      {WM_KILLFOCUS, 0, 0, kExactParams},
                                      {WM_SETTEXT, 0, 0, kAnyParams}},
                                     recorder.Of(window)));
            recorder.Clear();
        }
        if (type.drawsText && !IsComboBox(type)) {
            EXPECT_TRUE(textSet);
            EXPECT_EQ("still here", WindowText(window));
        }
        recorder.Clear();

        DestroyWindow(ownParent);
        EXPECT_FALSE(IsWindow(window));
        if (type.takesKeyboard) {
            EXPECT_TRUE(SameSequence({{WM_SHOWWINDOW, 0, 0, kAnyParams | kOptional},
                                      {WM_WINDOWPOSCHANGING, 0, 0, kAnyParams | kOptional},
                                      {WM_WINDOWPOSCHANGED, 0, 0, kAnyParams | kOptional},
                                      {WM_DESTROY, 0, 0, kExactParams},
                                      {WM_NCDESTROY, 0, 0, kExactParams}},
                                     recorder.Of(window)));
        }
    }
}

// As the level editor does it: the controls are released when the parent
// receives WM_DESTROY, and their windows are destroyed right after.
TEST_F(ToolkitRelease, ReleasedInTheParentsDestroy) {
    std::vector<std::unique_ptr<TsVCLWinControl>> controls = ShowOneOfEachClass(parent);
    std::vector<HWND> windows;
    std::vector<HFONT> fonts;
    for (const auto& control : controls) {
        windows.push_back(control->Handle);
        fonts.push_back(control->FontHandle);
    }
    PassedOnRecorder recorder;
    recorder.Attach(*controls[2]);
    recorder.Attach(*controls[3]);
    SetFocus(windows[3]);
    ASSERT_EQ(windows[3], GetFocus());

    bool childrenLivedOnAtRelease = false;
    ParentMessageHandler = [&](HWND, UINT message, WPARAM) {
        if (message != WM_DESTROY) return;
        controls.clear();
        childrenLivedOnAtRelease = IsWindow(windows[2]) && IsWindow(windows[3]);
    };
    recorder.Clear();
    DestroyWindow(parent);

    EXPECT_TRUE(childrenLivedOnAtRelease);
    for (size_t i = 0; i < windows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(IsWindow(windows[i]));
        EXPECT_EQ(0u, GetObjectType(fonts[i]));
    }
    // Each window's last messages came after its object was gone.
    for (HWND window : {windows[2], windows[3]}) {
        SCOPED_TRACE(WindowClass(window));
        EXPECT_TRUE(recorder.Saw(window, WM_DESTROY, 0));
        EXPECT_TRUE(recorder.Saw(window, WM_NCDESTROY, 0));
    }
}

// Esc in the level editor hides it, and hiding closes it: the parent is
// destroyed and the controls released inside the ShowWindow call that the
// subclass procedure makes. The procedure must not touch its object after it.
TEST_F(ToolkitRelease, ReleasedByTheEscItHandles) {
    for (const char* name : {"TsVCLButton", "TsVCLComboBox"}) {
        SCOPED_TRACE(name);
        HWND ownParent = CreateTestParent();
        ShowWindow(ownParent, SW_SHOW);
        std::vector<std::unique_ptr<TsVCLWinControl>> controls = ShowOneOfEachClass(ownParent);
        const size_t pressed = std::string(name) == "TsVCLButton" ? 2 : 3;
        const HWND window = controls[pressed]->Handle;
        const HFONT font = controls[pressed]->FontHandle;
        int released = 0;
        ParentMessageHandler = [&](HWND target, UINT message, WPARAM wParam) {
            if (target != ownParent) return;
            if (message == WM_SHOWWINDOW && !wParam) DestroyWindow(target);
            if (message == WM_DESTROY) {
                released = static_cast<int>(controls.size());
                controls.clear();
            }
        };
        SetFocus(window);
        SendMessageA(window, WM_CHAR, VK_ESCAPE, 0);
        ParentMessageHandler = nullptr;

        EXPECT_EQ(4, released);
        EXPECT_FALSE(IsWindow(ownParent));
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(0u, GetObjectType(font));
    }
}

TEST_F(ToolkitRelease, ReleaseWithoutAWindow) {
    for (const ControlClass& type : kControlClasses) {
        SCOPED_TRACE(type.name);
        std::unique_ptr<TsVCLWinControl> neverShown = type.Make(parent);
        neverShown->SetFontSize(12);
        neverShown.reset();

        std::unique_ptr<TsVCLWinControl> failed = type.Make(GoneWindowHandle());
        failed->Show();
        ASSERT_EQ(nullptr, failed->Handle);
        const HFONT font = failed->FontHandle;
        failed.reset();
        EXPECT_EQ(0u, GetObjectType(font));
    }
    EXPECT_EQ(0, CountChildWindows(parent));
}

// The parent destroyed the control's window first; the object, released
// later, finds no window and only deletes its font.
TEST_F(ToolkitRelease, ReleaseAfterTheWindowIsGone) {
    std::vector<std::unique_ptr<TsVCLWinControl>> controls = ShowOneOfEachClass(parent);
    std::vector<HFONT> fonts;
    for (const auto& control : controls) fonts.push_back(control->FontHandle);
    DestroyWindow(parent);
    for (const auto& control : controls) EXPECT_FALSE(IsWindow(control->Handle));
    controls.clear();
    for (HFONT font : fonts) EXPECT_EQ(0u, GetObjectType(font));
}

// A subclass put on top of ours by someone else; it counts and forwards.
WNDPROC procedureUnderOuter = nullptr;
int messagesThroughOuter = 0;
LRESULT CALLBACK OuterSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ++messagesThroughOuter;
    return CallWindowProcA(procedureUnderOuter, window, message, wParam, lParam);
}

// Release must not cut the outer subclass out of the chain, so
// ControlSubclassProc stays in it without an object; the messages must
// still reach the window's own procedure.
TEST_F(ToolkitRelease, ReleasedUnderAnotherSubclassStillReachesItsOwnProcedure) {
    auto list = std::make_unique<TsVCLComboBox>(parent);
    list->Show();
    const HWND window = list->Handle;
    list->AddItem("one");
    list->AddItem("two");
    list->SetItemIndex(1);
    procedureUnderOuter = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OuterSubclassProc)));
    ASSERT_EQ(ControlSubclassProc, procedureUnderOuter);
    ASSERT_EQ(2, SendMessageA(window, CB_GETCOUNT, 0, 0));

    list.reset();
    EXPECT_EQ(0, GetWindowLongPtrA(window, GWLP_USERDATA));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(OuterSubclassProc),
              GetWindowLongPtrA(window, GWLP_WNDPROC));
    messagesThroughOuter = 0;
    EXPECT_EQ(2, SendMessageA(window, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(1, SendMessageA(window, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(2, SendMessageA(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("three")));
    EXPECT_EQ(3, SendMessageA(window, CB_GETCOUNT, 0, 0));
    EXPECT_EQ("two", WindowText(window));
    // No key handling is left: Esc does not hide the parent.
    SendMessageA(window, WM_CHAR, VK_ESCAPE, 0);
    EXPECT_TRUE(GetWindowLongA(parent, GWL_STYLE) & WS_VISIBLE);
    EXPECT_LE(6, messagesThroughOuter);
    DestroyWindow(parent);
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
