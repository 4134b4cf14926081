// Settings another program stored as text or binary under the plug-in's names.
// The host hands out a copy of each such value, which only it can free: every
// copy must come back through "DB/Contact/FreeVariant", and the value reads as
// the default. Byte, word and dword values are read as they always were.
#include <optional>
#include <string>
#include <vector>

#include "tests/EditorSupport.h"

namespace {

::testing::AssertionResult EveryCopyCameBack(const SandboxHost& host) {
    if (host.CopiesHandedOut() == host.CopiesGivenBack() && host.StrayFrees() == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << host.CopiesHandedOut() << " copies handed out, "
                                         << host.CopiesGivenBack() << " given back, " << host.StrayFrees()
                                         << " stray frees";
}

class SettingCopies : public EditorTest {};

}  // namespace

TEST_F(SettingCopies, APassGivesBackEveryCopyAndReadsTheDefault) {
    struct Row {
        const char* label;
        StoredSetting level;
        uint32_t mode;  // under the global level 3
        bool copied;
    };
    const Row rows[] = {
        {"text \"6\"", Typed(DBVT_ASCIIZ, 0, "6"), ID_STATUS_ONLINE, true},
        {"binary 06", Typed(DBVT_BLOB, 0, "\x06"), ID_STATUS_ONLINE, true},
        {"UTF-8 text \"6\"", Typed(DBVT_UTF8, 0, "6"), ID_STATUS_ONLINE, true},
        {"wide text \"6\"", Typed(DBVT_WCHAR, 0, "6"), ID_STATUS_ONLINE, true},
        {"byte 6", Typed(DBVT_BYTE, 6), ID_STATUS_OFFLINE, false},
        {"word 1", Typed(DBVT_WORD, 1), ID_STATUS_OFFLINE, false},
        {"dword 4", Typed(DBVT_DWORD, 4), ID_STATUS_ONLINE, false},
    };
    std::vector<ContactHandle> contacts;
    for (const Row& row : rows) {
        contacts.push_back(host.AddContact("ICQ", row.label));
        host.SetSetting(contacts.back(), "Quillmere", "VisibilityLevel", row.level);
    }
    SetLevel(0, 3);
    StartPlugin();
    EXPECT_EQ(4u, host.CopiesHandedOut()) << "the startup pass";
    EXPECT_TRUE(EveryCopyCameBack(host));

    host.ClearLog();
    host.FireStatusModeChange();
    std::vector<std::string> expected = {"DB/Contact/GetSetting 0 Quillmere/VisibilityLevel", "DB/Contact/GetCount",
                                         "DB/Contact/FindFirst"};
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].label);
        const std::string c = Str(contacts[i]);
        EXPECT_EQ(rows[i].mode, host.ApparentMode(contacts[i]));
        expected.push_back("Proto/GetContactBaseProto " + c);
        expected.push_back("DB/Contact/GetSetting " + c + " Quillmere/VisibilityLevel");
        if (rows[i].copied) expected.push_back("DB/Contact/FreeVariant 0 type=" + std::to_string(rows[i].level.type));
        expected.push_back("Proto/CallContactService " + c + " /SetApparentMode " + std::to_string(rows[i].mode) +
                           " 0");
        expected.push_back("DB/Contact/FindNext " + c);
    }
    EXPECT_TRUE(SameCalls(expected, host.LogTexts()));
    EXPECT_EQ(8u, host.CopiesHandedOut());
    EXPECT_TRUE(EveryCopyCameBack(host));
}

// An editor session reads the position and the contact's level, and OK runs
// a pass: the global level is UTF-8 text, the position text and binary.
TEST_F(SettingCopies, AnEditorSessionGivesBackEveryCopy) {
    const ContactHandle ann = host.AddContact("ICQ", "Ann");
    host.SetSetting(ann, "Quillmere", "VisibilityLevel", Typed(DBVT_WCHAR, 0, "5"));
    host.SetSetting(0, "Quillmere", "VisibilityLevel", Typed(DBVT_UTF8, 0, "3"));
    host.SetSetting(0, "Quillmere", "UserAdd/Left", Typed(DBVT_ASCIIZ, 0, "100"));
    host.SetSetting(0, "Quillmere", "UserAdd/Top", Typed(DBVT_BLOB, 0, "\x64"));
    StartPlugin();
    host.ClearApparentModes();
    int shownLevel = -1;
    const EditorRun run = RunEditorWith(host, ann, [&](HWND editor) {
        const EditorChildren children = FindEditorChildren(editor);
        shownLevel = static_cast<int>(SendMessageA(children.levelList, CB_GETCURSEL, 0, 0));
        SendMessageA(children.levelList, CB_SETCURSEL, 2, 0);
        ClickButton(children.okButton);
    });
    ASSERT_TRUE(RanCleanly(run));
    EXPECT_EQ(0, shownLevel) << "the wide text reads as the default 0";
    EXPECT_EQ(2, StoredLevel(ann));
    EXPECT_EQ(ID_STATUS_ONLINE, host.ApparentMode(ann)) << "the global level reads as 0";
    EXPECT_EQ(4u, host.CountCalls("DB/Contact/FreeVariant")) << "position, level, and the pass's global level";
    EXPECT_EQ(6u, host.CopiesHandedOut()) << "two in the startup pass, four in the session";
    EXPECT_TRUE(EveryCopyCameBack(host));
}
