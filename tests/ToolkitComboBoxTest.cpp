// The drop-down list's item operations: AddItem, GetItemIndex, SetItemIndex.
#include "tests/ToolkitSupport.h"

namespace {

using namespace ToolkitTesting;

class ToolkitComboBox : public ToolkitTest {};

std::string ItemText(HWND list, int index) {
    char text[256] = "sentinel";
    if (SendMessageA(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text)) == CB_ERR)
        return "(none)";
    return text;
}

TEST_F(ToolkitComboBox, AddItemAppendsAndReturnsTheIndex) {
    TsVCLComboBox list(parent);
    list.Show();
    // Kept in the order added: the list is not sorted.
    EXPECT_EQ(0, list.AddItem("Visibility 3"));
    EXPECT_EQ(1, list.AddItem("Always visible"));
    EXPECT_EQ(2, list.AddItem(""));
    EXPECT_EQ(3, list.AddItem("Always visible"));
    EXPECT_EQ(4, SendMessageA(list.Handle, CB_GETCOUNT, 0, 0));
    EXPECT_EQ("Visibility 3", ItemText(list.Handle, 0));
    EXPECT_EQ("Always visible", ItemText(list.Handle, 1));
    EXPECT_EQ("", ItemText(list.Handle, 2));
    EXPECT_EQ("Always visible", ItemText(list.Handle, 3));
}

TEST_F(ToolkitComboBox, NothingIsSelectedAtFirst) {
    TsVCLComboBox list(parent);
    list.Show();
    EXPECT_EQ(-1, list.GetItemIndex());
    list.AddItem("one");
    EXPECT_EQ(-1, list.GetItemIndex());
    EXPECT_EQ("", WindowText(list.Handle));
}

// An index past the end selects nothing. Windows clears a selection there
// (CB_SETCURSEL returns CB_ERR and clears it); Wine 8 keeps the selection it
// had, so for those rows either is accepted, but nothing else.
TEST_F(ToolkitComboBox, SetItemIndexSelectsOrClears) {
    TsVCLComboBox list(parent);
    list.Show();
    const char* const items[] = {"Always visible", "Visibility 1", "Visibility 2",
                                 "Never visible"};
    for (const char* item : items) list.AddItem(item);

    struct Row {
        const char* label;
        int index;
        int selected;         // -1: nothing
        bool wineMayKeep;     // past the end, with a selection before
    };
    const Row rows[] = {
        {"past the end, nothing selected before", 4, -1, false},
        {"far past the end, nothing selected before", 1000, -1, false},
        {"first", 0, 0, false},
        {"last", 3, 3, false},
        {"middle", 2, 2, false},
        {"one past the end", 4, -1, true},
        {"back to one", 1, 1, false},
        {"far past the end", 1000, -1, true},
        {"again", 3, 3, false},
        {"-1 clears", -1, -1, false},
        {"again", 2, 2, false},
        {"-2, past the end as an unsigned index", -2, -1, true},
    };
    int before = -1;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        list.SetItemIndex(row.index);
        const int selected = list.GetItemIndex();
        if (row.wineMayKeep && selected == before) {
            EXPECT_NE(-1, before);
        } else {
            EXPECT_EQ(row.selected, selected);
        }
        EXPECT_EQ(selected, SendMessageA(list.Handle, CB_GETCURSEL, 0, 0));
        // The field shows the selected item.
        EXPECT_EQ(selected < 0 ? "" : items[selected], WindowText(list.Handle));
        before = selected;
    }
}

// Until Show there is no window: the operations send to window 0, which
// reaches nothing, and the window made by Show starts empty.
TEST_F(ToolkitComboBox, ItemOperationsBeforeShowReachNoWindow) {
    TsVCLComboBox list(parent);
    {
        SentMessageRecorder sent;
        ASSERT_TRUE(sent.Hooked());
        list.AddItem("lost");
        list.AddItem("lost too");
        list.SetItemIndex(1);
        list.GetItemIndex();
        EXPECT_EQ(0, sent.CountAnywhere(CB_ADDSTRING));
        EXPECT_EQ(0, sent.CountAnywhere(CB_SETCURSEL));
        EXPECT_EQ(0, sent.CountAnywhere(CB_GETCURSEL));
    }
    EXPECT_EQ(nullptr, list.Handle);
    EXPECT_EQ(0, CountChildWindows(parent));

    list.Show();
    EXPECT_EQ(0, SendMessageA(list.Handle, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(-1, list.GetItemIndex());
    EXPECT_EQ(0, list.AddItem("kept"));
}

// The drop-down list takes the keyboard: the item operations pass through
// the subclass procedure with their results.
TEST_F(ToolkitComboBox, ItemOperationsPassThroughTheSubclass) {
    TsVCLComboBox list(parent);
    list.Show();
    ASSERT_EQ(reinterpret_cast<LONG_PTR>(ControlSubclassProc),
              GetWindowLongPtrA(list.Handle, GWLP_WNDPROC));
    PassedOnRecorder recorder;
    recorder.Attach(list);
    EXPECT_EQ(0, list.AddItem("a"));
    EXPECT_EQ(1, list.AddItem("b"));
    list.SetItemIndex(1);
    EXPECT_EQ(1, list.GetItemIndex());
    const std::vector<SeenMessage> seen = recorder.Of(list.Handle);
    std::vector<UINT> messages;
    for (const SeenMessage& m : seen)
        if (m.message >= CB_GETEDITSEL && m.message <= CB_MSGMAX) messages.push_back(m.message);
    const std::vector<UINT> expected = {CB_ADDSTRING, CB_ADDSTRING, CB_SETCURSEL, CB_GETCURSEL};
    EXPECT_EQ(expected, messages);
}

}  // namespace
