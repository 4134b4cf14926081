// The keyboard handling of the controls that take the keyboard (buttons and
// drop-down lists): Tab and Shift+Tab move the focus, Esc hides a visible
// parent, the focus selects all; labels and lines are left alone.
#include "tests/ToolkitSupport.h"

namespace {

using namespace ToolkitTesting;

// A parent laid out as the level editor is: a label, a list, a line and two
// buttons. The tab stops, in order: list, OK, Close.
class ToolkitKeyboard : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        label.reset(new TsVCLLabel(parent));
        list.reset(new TsVCLComboBox(parent));
        line.reset(new TsVCLLine(parent));
        ok.reset(new TsVCLButton(parent));
        close.reset(new TsVCLButton(parent));
        list->Top = 20;
        line->Top = 60;
        line->Height = 1;
        ok->Top = 70;
        close->Top = 70;
        close->Left = 90;
        label->SetText("&Level");
        ok->SetText("OK");
        close->SetText("Close");
        for (TsVCLWinControl* control : All()) control->Show();
        list->AddItem("Always visible");
        list->AddItem("Never visible");
        recorder.reset(new PassedOnRecorder);
        for (TsVCLWinControl* control : KeyboardControls()) recorder->Attach(*control);
        PumpPendingMessages();
    }
    void TearDown() override {
        recorder.reset();
        label.reset();
        list.reset();
        line.reset();
        ok.reset();
        close.reset();
        ToolkitTest::TearDown();
    }

    std::vector<TsVCLWinControl*> All() {
        return {label.get(), list.get(), line.get(), ok.get(), close.get()};
    }
    std::vector<TsVCLWinControl*> KeyboardControls() { return {list.get(), ok.get(), close.get()}; }

    // Focus on a control, and the recording started afresh.
    void FocusOn(HWND window) {
        SetFocus(window);
        ASSERT_EQ(window, GetFocus());
        recorder->Clear();
    }

    std::unique_ptr<TsVCLLabel> label;
    std::unique_ptr<TsVCLComboBox> list;
    std::unique_ptr<TsVCLLine> line;
    std::unique_ptr<TsVCLButton> ok;
    std::unique_ptr<TsVCLButton> close;
    std::unique_ptr<PassedOnRecorder> recorder;
};

bool ParentShown(HWND parent) { return GetWindowLongA(parent, GWL_STYLE) & WS_VISIBLE; }

TEST_F(ToolkitKeyboard, OnlyTabStopControlsGetTheSubclassProcedure) {
    recorder.reset();
    for (const ControlClass& type : kControlClasses) {
        SCOPED_TRACE(type.name);
        std::unique_ptr<TsVCLWinControl> control = type.Make(parent);
        control->Show();
        const HWND window = control->Handle;
        const auto classProc = reinterpret_cast<WNDPROC>(GetClassLongPtrA(window, GCLP_WNDPROC));
        const auto windowProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(control.get()),
                  GetWindowLongPtrA(window, GWLP_USERDATA));
        if (type.takesKeyboard) {
            EXPECT_EQ(ControlSubclassProc, windowProc);
            EXPECT_EQ(classProc, control->OldWndProc);
        } else {
            EXPECT_EQ(classProc, windowProc);
            EXPECT_EQ(nullptr, control->OldWndProc);
        }
        EXPECT_EQ(type.takesKeyboard, (GetWindowLongA(window, GWL_STYLE) & WS_TABSTOP) != 0);
    }
}

// The focus arrives with EM_SETSEL(0, -1) sent first: the subclass sends it
// and then passes WM_SETFOCUS on. Wine also sends WM_IME_SETCONTEXT first.
std::vector<ExpectedMessage> FocusArrives(WPARAM previous) {
    return {
        {WM_IME_SETCONTEXT, 1, 0, kAnyParams | kOptional},
        {EM_SETSEL, 0, -1, kExactParams},
        {WM_SETFOCUS, previous, 0, kExactParams},
    };
}

TEST_F(ToolkitKeyboard, TabAndShiftTabMoveAlongTheTabStops) {
    struct Row {
        const char* label;
        TsVCLWinControl* from;
        bool shift;
        TsVCLWinControl* to;
    };
    const Row rows[] = {
        {"Tab: list to OK", list.get(), false, ok.get()},
        {"Tab: OK to Close", ok.get(), false, close.get()},
        {"Tab: Close wraps to list", close.get(), false, list.get()},
        {"Shift+Tab: list wraps to Close", list.get(), true, close.get()},
        {"Shift+Tab: Close to OK", close.get(), true, ok.get()},
        {"Shift+Tab: OK to list", ok.get(), true, list.get()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        FocusOn(row.from->Handle);
        if (row.shift) {
            ShiftHeld shift;
            ASSERT_LT(GetKeyState(VK_SHIFT), 0);
            SendMessageA(row.from->Handle, WM_CHAR, VK_TAB, 0);
        } else {
            ASSERT_GE(GetKeyState(VK_SHIFT), 0);
            SendMessageA(row.from->Handle, WM_CHAR, VK_TAB, 0);
        }
        EXPECT_GE(GetKeyState(VK_SHIFT), 0) << "Shift left down";
        EXPECT_EQ(row.to->Handle, GetFocus());
        EXPECT_FALSE(recorder->Saw(row.from->Handle, WM_CHAR, VK_TAB)) << "Tab passed on";
        EXPECT_TRUE(SameSequence(FocusArrives(reinterpret_cast<WPARAM>(row.from->Handle)),
                                 recorder->Of(row.to->Handle)));
    }
}

TEST_F(ToolkitKeyboard, TabSkipsHiddenAndDisabledControls) {
    ShowWindow(ok->Handle, SW_HIDE);
    FocusOn(list->Handle);
    SendMessageA(list->Handle, WM_CHAR, VK_TAB, 0);
    EXPECT_EQ(close->Handle, GetFocus());

    ShowWindow(ok->Handle, SW_SHOW);
    EnableWindow(close->Handle, FALSE);
    FocusOn(ok->Handle);
    SendMessageA(ok->Handle, WM_CHAR, VK_TAB, 0);
    EXPECT_EQ(list->Handle, GetFocus());
}

TEST_F(ToolkitKeyboard, TabWithASingleTabStopKeepsTheFocus) {
    HWND lone = CreateTestParent();
    ShowWindow(lone, SW_SHOW);
    TsVCLLabel caption(lone);
    TsVCLButton only(lone);
    caption.Show();
    only.Show();
    SetFocus(only.Handle);
    ASSERT_EQ(only.Handle, GetFocus());
    SendMessageA(only.Handle, WM_CHAR, VK_TAB, 0);
    EXPECT_EQ(only.Handle, GetFocus());
    {
        ShiftHeld shift;
        SendMessageA(only.Handle, WM_CHAR, VK_TAB, 0);
    }
    EXPECT_EQ(only.Handle, GetFocus());
    DestroyWindow(lone);
}

TEST_F(ToolkitKeyboard, EscHidesAVisibleParentAndGoesNoFurther) {
    for (TsVCLWinControl* control : KeyboardControls()) {
        SCOPED_TRACE(WindowClass(control->Handle));
        ShowWindow(parent, SW_SHOW);
        FocusOn(control->Handle);
        ASSERT_TRUE(ParentShown(parent));

        SendMessageA(control->Handle, WM_CHAR, VK_ESCAPE, 0x00010001);
        EXPECT_FALSE(ParentShown(parent));
        EXPECT_TRUE(IsWindow(parent));
        EXPECT_TRUE(IsWindow(control->Handle));
        EXPECT_FALSE(recorder->Saw(control->Handle, WM_CHAR, VK_ESCAPE)) << "Esc passed on";
    }
}

TEST_F(ToolkitKeyboard, EscWithAHiddenParentReachesTheControl) {
    ShowWindow(parent, SW_HIDE);
    PumpPendingMessages();
    for (TsVCLWinControl* control : KeyboardControls()) {
        SCOPED_TRACE(WindowClass(control->Handle));
        recorder->Clear();
        SendMessageA(control->Handle, WM_CHAR, VK_ESCAPE, 0x00010001);
        EXPECT_FALSE(ParentShown(parent));
        EXPECT_TRUE(SameSequence({{WM_CHAR, VK_ESCAPE, 0x00010001, kExactParams}},
                                 recorder->Of(control->Handle)));
    }
}

TEST_F(ToolkitKeyboard, FocusSelectsAllAndArrives) {
    struct Row {
        const char* label;
        TsVCLWinControl* from;
        TsVCLWinControl* to;
    };
    const Row rows[] = {
        {"list to OK", list.get(), ok.get()},
        {"OK to list", ok.get(), list.get()},
        {"Close to OK", close.get(), ok.get()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        FocusOn(row.from->Handle);
        SetFocus(row.to->Handle);
        EXPECT_EQ(row.to->Handle, GetFocus());
        EXPECT_TRUE(SameSequence(FocusArrives(reinterpret_cast<WPARAM>(row.from->Handle)),
                                 recorder->Of(row.to->Handle)));
    }
}

// A WM_SETFOCUS sent by hand is handled the same way.
TEST_F(ToolkitKeyboard, SentSetFocusSelectsAllFirst) {
    for (TsVCLWinControl* control : KeyboardControls()) {
        SCOPED_TRACE(WindowClass(control->Handle));
        recorder->Clear();
        SendMessageA(control->Handle, WM_SETFOCUS, 0, 0);
        EXPECT_TRUE(SameSequence({{EM_SETSEL, 0, -1, kExactParams},
                                  {WM_SETFOCUS, 0, 0, kExactParams}},
                                 recorder->Of(control->Handle)));
    }
}

TEST_F(ToolkitKeyboard, OtherMessagesArePassedOnWithTheirResults) {
    FocusOn(ok->Handle);
    // A character other than Tab and Esc, a Tab key press (not a character)
    // and the list's own messages.
    SendMessageA(ok->Handle, WM_CHAR, 'a', 0x001e0001);
    SendMessageA(ok->Handle, WM_KEYDOWN, VK_TAB, 0x000f0001);
    SendMessageA(ok->Handle, WM_CHAR, VK_RETURN, 0x001c0001);
    EXPECT_TRUE(SameSequence({{WM_CHAR, 'a', 0x001e0001, kExactParams},
                              {WM_KEYDOWN, VK_TAB, 0x000f0001, kExactParams},
                              {WM_CHAR, VK_RETURN, 0x001c0001, kExactParams}},
                             recorder->Of(ok->Handle)));
    EXPECT_EQ(ok->Handle, GetFocus());
    EXPECT_TRUE(ParentShown(parent));

    EXPECT_EQ(2, SendMessageA(list->Handle, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(2, SendMessageA(list->Handle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("third")));
    EXPECT_EQ(3, SendMessageA(list->Handle, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(CB_ERR, SendMessageA(list->Handle, CB_GETCURSEL, 0, 0));

    EXPECT_TRUE(SetWindowTextA(ok->Handle, "Fine"));
    EXPECT_EQ("Fine", WindowText(ok->Handle));
    // The object's own caption follows SetText only.
    EXPECT_EQ("OK", ok->GetText());
}

TEST_F(ToolkitKeyboard, LabelsAndLinesGetNoKeyHandling) {
    for (TsVCLWinControl* control : {static_cast<TsVCLWinControl*>(label.get()),
                                     static_cast<TsVCLWinControl*>(line.get())}) {
        SCOPED_TRACE(WindowClass(control->Handle));
        FocusOn(ok->Handle);
        SendMessageA(control->Handle, WM_CHAR, VK_TAB, 0);
        EXPECT_EQ(ok->Handle, GetFocus());
        SendMessageA(control->Handle, WM_CHAR, VK_ESCAPE, 0);
        EXPECT_TRUE(ParentShown(parent));
        SendMessageA(control->Handle, WM_SETFOCUS, 0, 0);
        EXPECT_EQ(ok->Handle, GetFocus());
        EXPECT_TRUE(recorder->Of(ok->Handle).empty());
    }
}

}  // namespace
