// Where the level editor opens. The last position the editor read stays in
// the plug-in for the rest of the process and is the default of its next
// read, so the first test of this program is the only one that can see the
// position the editor starts with: keep it first, and run this program as a
// whole.
#include <string>
#include <vector>

#include "tests/EditorSupport.h"

namespace {

class LevelEditorPosition : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        ann = host.AddContact("ICQ", "Ann");
        StartPlugin();
    }

    void StorePosition(int left, int top) {
        host.SetDword(0, "Quillmere", "UserAdd/Left", static_cast<uint32_t>(left));
        host.SetDword(0, "Quillmere", "UserAdd/Top", static_cast<uint32_t>(top));
    }
    void ForgetPosition() {
        host.RemoveSetting(0, "Quillmere", "UserAdd/Left");
        host.RemoveSetting(0, "Quillmere", "UserAdd/Top");
    }

    // Opens the editor, notes where it was asked to appear and where it
    // stands, then leaves through `close`.
    struct Place {
        POINT asked;
        RECT shown;
    };
    Place OpenAndClose(const std::function<void(HWND editor)>& close) {
        Place place = {{-1, -1}, {-1, -1, -1, -1}};
        WindowCreationRecorder recorder;
        EXPECT_TRUE(recorder.Hooked());
        EXPECT_TRUE(RanCleanly(RunEditorWith(host, ann, [&](HWND editor) {
            GetWindowRect(editor, &place.shown);
            close(editor);
        })));
        if (!recorder.Creations().empty())
            place.asked = {recorder.Creations().front().x, recorder.Creations().front().y};
        return place;
    }

    ContactHandle ann = 0;
};

void ThroughForeignClose(HWND editor) { SendMessageA(editor, WM_CLOSE, 0, 0); }

::testing::AssertionResult IsAt(int left, int top, const RECT& rect) {
    if (rect.left == left && rect.top == top && rect.right - rect.left == 300 &&
        rect.bottom - rect.top == 120)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "window at (" << rect.left << ", " << rect.top << ") size " << rect.right - rect.left
           << "x" << rect.bottom - rect.top << ", expected (" << left << ", " << top << ") 300x120";
}

}  // namespace

// Must run first: see the top of the file.
TEST_F(LevelEditorPosition, OpensAt271And210WhenNoPositionIsStored) {
    const Place place = OpenAndClose(ThroughForeignClose);
    EXPECT_EQ(271, place.asked.x);
    EXPECT_EQ(210, place.asked.y);
    EXPECT_TRUE(IsAt(271, 210, place.shown));
    EXPECT_EQ(1u, host.CountCalls("DB/Contact/GetSetting 0 Quillmere/UserAdd/Left"));
    EXPECT_EQ(1u, host.CountCalls("DB/Contact/GetSetting 0 Quillmere/UserAdd/Top"));
}

// The stored position is taken as it is, with no check against the screen.
TEST_F(LevelEditorPosition, OpensAtTheStoredPositionUnchecked) {
    const struct Row {
        const char* label;
        int left;
        int top;
    } rows[] = {
        {"on the screen", 40, 30},
        {"near the corner", 700, 500},
        {"left of and above the screen", -250, -90},
        {"far beyond the screen", 5000, 4000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        StorePosition(row.left, row.top);
        const Place place = OpenAndClose(ThroughForeignClose);
        EXPECT_EQ(row.left, place.asked.x);
        EXPECT_EQ(row.top, place.asked.y);
        EXPECT_TRUE(IsAt(row.left, row.top, place.shown));
    }
}

TEST_F(LevelEditorPosition, LastPositionReadIsTheDefaultWhenNoneIsStored) {
    StorePosition(123, 45);
    EXPECT_TRUE(IsAt(123, 45, OpenAndClose(ThroughForeignClose).shown));
    ForgetPosition();
    EXPECT_TRUE(IsAt(123, 45, OpenAndClose(ThroughForeignClose).shown));
    // Only one of the two missing: each keeps its own last value.
    host.SetDword(0, "Quillmere", "UserAdd/Left", 60);
    EXPECT_TRUE(IsAt(60, 45, OpenAndClose(ThroughForeignClose).shown));
}

TEST_F(LevelEditorPosition, ReopensWhereItWasClosed) {
    StorePosition(100, 100);
    auto moveThenClose = [](int left, int top, void (*close)(HWND)) {
        return [=](HWND editor) {
            SetWindowPos(editor, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            close(editor);
        };
    };
    EXPECT_TRUE(IsAt(100, 100, OpenAndClose(moveThenClose(345, 234, CloseThroughButton)).shown));
    EXPECT_EQ(345u, host.Dword(0, "Quillmere", "UserAdd/Left"));
    EXPECT_EQ(234u, host.Dword(0, "Quillmere", "UserAdd/Top"));
    EXPECT_TRUE(IsAt(345, 234, OpenAndClose(moveThenClose(12, 34, [](HWND editor) {
                                                SendChar(editor, VK_ESCAPE);
                                            })).shown));
    EXPECT_TRUE(IsAt(12, 34, OpenAndClose(moveThenClose(400, 300, ThroughForeignClose)).shown));
    // A WM_CLOSE from elsewhere saved nothing: the editor opens where Esc left it.
    EXPECT_EQ(12u, host.Dword(0, "Quillmere", "UserAdd/Left"));
    EXPECT_EQ(34u, host.Dword(0, "Quillmere", "UserAdd/Top"));
    EXPECT_TRUE(IsAt(12, 34, OpenAndClose(ThroughForeignClose).shown));
}

// The position is read as a 32-bit value and used unchanged, also one
// written by a host or an older profile with the high bit set.
TEST_F(LevelEditorPosition, StoredPositionIsReadAsSigned32Bits) {
    host.SetDword(0, "Quillmere", "UserAdd/Left", 0xFFFFFF9Cu);  // -100
    host.SetDword(0, "Quillmere", "UserAdd/Top", 0xFFFFFFCEu);   // -50
    const Place place = OpenAndClose(CloseThroughButton);
    EXPECT_EQ(-100, place.asked.x);
    EXPECT_EQ(-50, place.asked.y);
    EXPECT_EQ(0xFFFFFF9Cu, host.Dword(0, "Quillmere", "UserAdd/Left"));
    EXPECT_EQ(0xFFFFFFCEu, host.Dword(0, "Quillmere", "UserAdd/Top"));
}
