// Creating the controls' windows: class, styles, place and caption as the
// fields say when Show runs, one window per control, and a failed creation.
#include "tests/ToolkitSupport.h"

namespace {

using namespace ToolkitTesting;

class ToolkitCreation : public ToolkitTest {};

TEST_F(ToolkitCreation, FieldsAfterConstruction) {
    struct Row {
        const char* name;
        std::unique_ptr<TsVCLWinControl> control;
        int width;
        int height;
    };
    Row rows[] = {
        {"TsVCLLabel", std::make_unique<TsVCLLabel>(parent), 100, 16},
        {"TsVCLLine", std::make_unique<TsVCLLine>(parent), 100, 16},
        {"TsVCLButton", std::make_unique<TsVCLButton>(parent), 75, 25},
        {"TsVCLComboBox", std::make_unique<TsVCLComboBox>(parent), 100, 30},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const TsVCLWinControl& c = *row.control;
        EXPECT_EQ(nullptr, c.FontHandle);
        EXPECT_EQ(nullptr, c.Handle);
        EXPECT_EQ(parent, c.ParentHandle);
        EXPECT_EQ(nullptr, c.OldWndProc);
        EXPECT_EQ("", c.Text);
        EXPECT_EQ(0, c.Top);
        EXPECT_EQ(0, c.Left);
        EXPECT_EQ(row.width, c.Width);
        EXPECT_EQ(row.height, c.Height);
        EXPECT_EQ("MS Sans Serif", c.FontName);
    }
    EXPECT_EQ(SS_BLACKRECT, TsVCLLine(parent).Kind);
    // Constructing makes no window.
    EXPECT_EQ(0, CountChildWindows(parent));
}

// The exact CreateWindowEx arguments (seen by a WH_CBT hook), and what the
// window reports afterwards. Wine keeps every style as given; the
// drop-down list's own list box is a separate window owned by the combo box,
// not a child of our parent.
TEST_F(ToolkitCreation, EachControlHasItsClassAndStyles) {
    struct Row {
        const ControlClass& type;
        const char* className;
        DWORD exStyle;
        DWORD style;
    };
    const Row rows[] = {
        {kControlClasses[0], "STATIC", 0, 0x50000000},
        {kControlClasses[1], "STATIC", 0, 0x50000000 | SS_BLACKRECT},
        {kControlClasses[2], "BUTTON", WS_EX_NOPARENTNOTIFY, 0x50010000},
        {kControlClasses[3], "COMBOBOX", 0, 0x5001024F},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type.name);
        HWND ownParent = CreateTestParent();
        std::unique_ptr<TsVCLWinControl> control = row.type.Make(ownParent);
        WindowCreationRecorder creations;
        ASSERT_TRUE(creations.Hooked());
        control->Show();
        ASSERT_TRUE(IsWindow(control->Handle));

        const std::vector<WindowCreationRecorder::Creation> created =
            creations.CreatedWithParent(ownParent);
        ASSERT_EQ(1u, created.size());
        EXPECT_EQ(row.className, created[0].className);
        EXPECT_EQ(row.style, created[0].style);
        EXPECT_EQ(row.exStyle, created[0].exStyle);
        EXPECT_EQ(nullptr, created[0].menu);
        EXPECT_EQ(GetModuleHandleA(nullptr), created[0].instance);

        EXPECT_STRCASEEQ(row.className, WindowClass(control->Handle).c_str());
        EXPECT_EQ(row.style, static_cast<DWORD>(GetWindowLongA(control->Handle, GWL_STYLE)));
        EXPECT_EQ(row.exStyle, static_cast<DWORD>(GetWindowLongA(control->Handle, GWL_EXSTYLE)));
        EXPECT_EQ(ownParent, GetParent(control->Handle));
        EXPECT_EQ(1, CountChildWindows(ownParent));

        control.reset();
        DestroyWindow(ownParent);
    }
}

TEST_F(ToolkitCreation, LineStyleTakesOnlyTheThreeRectangleKinds) {
    struct Row {
        const char* label;
        int kind;
        DWORD style;
    };
    const Row rows[] = {
        {"black rectangle", SS_BLACKRECT, 0x50000004},
        {"gray rectangle", SS_GRAYRECT, 0x50000005},
        {"white rectangle", SS_WHITERECT, 0x50000006},
        {"left text", SS_LEFT, 0x50000000},
        {"centred text", SS_CENTER, 0x50000000},
        {"icon", SS_ICON, 0x50000000},
        {"black frame", SS_BLACKFRAME, 0x50000000},
        {"etched horizontal", SS_ETCHEDHORZ, 0x50000000},
        {"negative", -1, 0x50000000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        TsVCLLine line(parent);
        line.Kind = row.kind;
        WindowCreationRecorder creations;
        line.Show();
        const std::vector<WindowCreationRecorder::Creation> created =
            creations.CreatedWithParent(parent);
        ASSERT_EQ(1u, created.size());
        EXPECT_EQ(row.style, created[0].style);
        EXPECT_EQ(row.style, static_cast<DWORD>(GetWindowLongA(line.Handle, GWL_STYLE)));
    }
}

// The combo box's window is one text line high: a drop-down list takes
// Height for its field and its list together, and sizes its field to the font.
TEST_F(ToolkitCreation, PlacedWhereTheFieldsSayAtCreation) {
    for (const ControlClass& type : kControlClasses) {
        SCOPED_TRACE(type.name);
        std::unique_ptr<TsVCLWinControl> control = type.Make(parent);
        control->Left = 13;
        control->Top = 27;
        control->Width = 141;
        control->Height = 59;
        WindowCreationRecorder creations;
        control->Show();

        const std::vector<WindowCreationRecorder::Creation> created =
            creations.CreatedWithParent(parent);
        ASSERT_EQ(1u, created.size());
        EXPECT_EQ(13, created[0].x);
        EXPECT_EQ(27, created[0].y);
        EXPECT_EQ(141, created[0].width);
        EXPECT_EQ(59, created[0].height);

        const RECT rect = RectInParent(control->Handle);
        EXPECT_EQ(13, rect.left);
        EXPECT_EQ(27, rect.top);
        EXPECT_EQ(141, rect.right - rect.left);
        if (IsComboBox(type)) {
            EXPECT_LT(rect.bottom - rect.top, 59);
        } else {
            EXPECT_EQ(59, rect.bottom - rect.top);
        }
        control.reset();
    }
}

TEST_F(ToolkitCreation, ChangingFieldsAfterCreationNeitherMovesNorRestyles) {
    TsVCLLine line(parent);
    line.Left = 10;
    line.Top = 20;
    line.Width = 30;
    line.Height = 1;
    line.Kind = SS_GRAYRECT;
    TsVCLButton button(parent);
    button.Left = 50;
    button.Top = 60;
    line.Show();
    button.Show();
    const RECT lineBefore = RectInParent(line.Handle);
    const RECT buttonBefore = RectInParent(button.Handle);
    const LONG lineStyleBefore = GetWindowLongA(line.Handle, GWL_STYLE);

    for (TsVCLWinControl* control : {static_cast<TsVCLWinControl*>(&line),
                                     static_cast<TsVCLWinControl*>(&button)}) {
        control->Left += 40;
        control->Top += 40;
        control->Width += 40;
        control->Height += 40;
    }
    line.Kind = SS_WHITERECT;
    line.Show();
    button.Show();
    PumpPendingMessages();

    const RECT lineAfter = RectInParent(line.Handle);
    const RECT buttonAfter = RectInParent(button.Handle);
    EXPECT_TRUE(EqualRect(&lineBefore, &lineAfter));
    EXPECT_TRUE(EqualRect(&buttonBefore, &buttonAfter));
    EXPECT_EQ(10, lineAfter.left);
    EXPECT_EQ(20, lineAfter.top);
    EXPECT_EQ(40, lineAfter.right);
    EXPECT_EQ(21, lineAfter.bottom);
    EXPECT_EQ(lineStyleBefore, GetWindowLongA(line.Handle, GWL_STYLE));
    EXPECT_EQ(0x50000000 | SS_GRAYRECT, GetWindowLongA(line.Handle, GWL_STYLE));
}

TEST_F(ToolkitCreation, TextSetBeforeShowIsTheCreationCaption) {
    for (const ControlClass& type : kControlClasses) {
        SCOPED_TRACE(type.name);
        std::unique_ptr<TsVCLWinControl> control = type.Make(parent);
        control->SetText("&Visibility Level");
        EXPECT_EQ("&Visibility Level", control->Text);
        EXPECT_EQ("&Visibility Level", control->GetText());
        EXPECT_EQ(nullptr, control->Handle);

        WindowCreationRecorder creations;
        control->Show();
        const std::vector<WindowCreationRecorder::Creation> created =
            creations.CreatedWithParent(parent);
        ASSERT_EQ(1u, created.size());
        EXPECT_EQ("&Visibility Level", created[0].title);
        // A drop-down list shows its selected item, not a caption.
        if (!IsComboBox(type)) {
            EXPECT_EQ("&Visibility Level", WindowText(control->Handle));
        }
        control.reset();
    }
}

TEST_F(ToolkitCreation, TextSetAfterShowChangesTheCaptionOnScreen) {
    TsVCLLabel label(parent);
    TsVCLButton button(parent);
    label.SetText("before");
    button.SetText("OK");
    label.Show();
    button.Show();
    ASSERT_EQ("before", WindowText(label.Handle));

    label.SetText("after");
    button.SetText("Close");
    EXPECT_EQ("after", WindowText(label.Handle));
    EXPECT_EQ("after", label.GetText());
    EXPECT_EQ("Close", WindowText(button.Handle));
    EXPECT_EQ("Close", button.Text);

    label.SetText("");
    EXPECT_EQ("", WindowText(label.Handle));
}

TEST_F(ToolkitCreation, ShowAgainOnlyShowsTheSameWindow) {
    for (const ControlClass& type : kControlClasses) {
        SCOPED_TRACE(type.name);
        HWND ownParent = CreateTestParent();
        std::unique_ptr<TsVCLWinControl> control = type.Make(ownParent);
        WindowCreationRecorder creations;
        control->Show();
        const HWND first = control->Handle;
        const HFONT firstFont = control->FontHandle;
        ASSERT_TRUE(IsWindow(first));

        ShowWindow(first, SW_HIDE);
        ASSERT_FALSE(GetWindowLongA(first, GWL_STYLE) & WS_VISIBLE);
        control->Show();

        EXPECT_EQ(first, control->Handle);
        EXPECT_EQ(firstFont, control->FontHandle);
        EXPECT_TRUE(GetWindowLongA(first, GWL_STYLE) & WS_VISIBLE);
        EXPECT_EQ(1u, creations.CreatedWithParent(ownParent).size());
        EXPECT_EQ(1, CountChildWindows(ownParent));
        control.reset();
        DestroyWindow(ownParent);
    }
}

// A child window of a window that does not exist cannot be created. The
// control is left as if never shown, except that its font is made; the next
// Show creates the window with that same font.
TEST_F(ToolkitCreation, FailedCreationLeavesNoWindowAndShowTriesAgain) {
    const HWND gone = GoneWindowHandle();
    ASSERT_FALSE(IsWindow(gone));
    for (const ControlClass& type : kControlClasses) {
        SCOPED_TRACE(type.name);
        std::unique_ptr<TsVCLWinControl> control = type.Make(gone);
        control->SetText("caption");
        control->Show();
        EXPECT_EQ(nullptr, control->Handle);
        EXPECT_EQ(nullptr, control->OldWndProc);
        const HFONT font = control->FontHandle;
        ASSERT_NE(nullptr, font);
        EXPECT_EQ(OBJ_FONT, static_cast<int>(GetObjectType(font)));

        control->Show();  // fails again, with the same font
        EXPECT_EQ(nullptr, control->Handle);
        EXPECT_EQ(font, control->FontHandle);

        control->ParentHandle = parent;
        control->Show();
        ASSERT_TRUE(IsWindow(control->Handle));
        EXPECT_EQ(parent, GetParent(control->Handle));
        EXPECT_EQ(font, control->FontHandle);
        if (type.drawsText) {
            EXPECT_EQ(reinterpret_cast<LRESULT>(font),
                      SendMessageA(control->Handle, WM_GETFONT, 0, 0));
        }
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(control.get()),
                  GetWindowLongPtrA(control->Handle, GWLP_USERDATA));
        EXPECT_EQ(type.takesKeyboard, control->OldWndProc != nullptr);
        EXPECT_EQ("caption", control->GetText());

        control.reset();
        EXPECT_EQ(0, static_cast<int>(GetObjectType(font)));
    }
}

TEST_F(ToolkitCreation, ControlsOfOneParentAreSeparateWindows) {
    TsVCLLabel label(parent);
    TsVCLComboBox combo(parent);
    TsVCLLine line(parent);
    TsVCLButton ok(parent);
    TsVCLButton close(parent);
    for (TsVCLWinControl* control : std::initializer_list<TsVCLWinControl*>{
             &label, &combo, &line, &ok, &close})
        control->Show();
    EXPECT_EQ(5, CountChildWindows(parent));
    const HWND handles[] = {label.Handle, combo.Handle, line.Handle, ok.Handle, close.Handle};
    for (size_t i = 0; i < 5; ++i)
        for (size_t j = i + 1; j < 5; ++j) EXPECT_NE(handles[i], handles[j]);
    // Created in order, so the tab order is the order of Show.
    EXPECT_EQ(label.Handle, GetWindow(parent, GW_CHILD));
    EXPECT_EQ(combo.Handle, GetWindow(label.Handle, GW_HWNDNEXT));
    EXPECT_EQ(close.Handle, GetWindow(label.Handle, GW_HWNDLAST));
}

}  // namespace
