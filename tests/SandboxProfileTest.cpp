// The sandbox's profile file: what is stored survives a restart, and a
// damaged file is reported, not used and not touched.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "sandbox/ProfileFile.h"
#include "tests/EditorSupport.h"

namespace {

// A file in the temporary folder, removed if an earlier run left it.
std::string TestFile(const std::string& name) {
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    const std::string path = std::string(folder) + "quillmere-profile-test-" + name;
    DeleteFileA(path.c_str());
    return path;
}

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Describe(const ProfileSetting& setting) {
    std::ostringstream out;
    out << setting.module << ":" << setting.name << "=" << int(setting.value.type) << "/"
        << setting.value.number << "/" << setting.value.text;
    return out.str();
}

// The whole profile as text, so that a mismatch shows where.
std::string Describe(const Profile& profile) {
    std::ostringstream out;
    out << "protocols:";
    for (const auto& proto : profile.loadedProtocols) out << " " << proto;
    out << "\naccounts" << (profile.hostHasAccounts ? ":" : ": (host without accounts)");
    for (const auto& [module, protocol] : profile.accounts) out << " " << module << "=" << protocol;
    out << "\nown:";
    for (const auto& setting : profile.ownSettings) out << " " << Describe(setting);
    for (const auto& contact : profile.contacts) {
        out << "\n" << contact.name << " [" << (contact.protocol ? *contact.protocol : "none") << "]";
        for (const auto& setting : contact.settings) out << " " << Describe(setting);
    }
    out << "\nserver:";
    for (const auto& entry : profile.serverEntries)
        out << " " << entry.account << ":" << ListName(entry.list) << ":" << entry.uin << "#" << entry.itemId;
    for (const auto& [account, data] : profile.serverRootGroups) {
        out << " " << account << ":root";
        for (uint8_t byte : data) out << "." << static_cast<int>(byte);
    }
    return out.str();
}

ProfileSetting Setting(const char* module, const char* name, uint8_t type, uint32_t number,
                       const char* text = "") {
    ProfileSetting setting;
    setting.module = module;
    setting.name = name;
    setting.value.type = type;
    setting.value.number = number;
    setting.value.text = text;
    return setting;
}

TEST(SandboxProfileFile, KeepsEveryContactProtocolAndSettingType) {
    Profile profile = SampleProfile();
    profile.ownSettings.push_back(Setting("Quillmere", "UserAdd/Left", DBVT_DWORD, 0xFFFFFF38));  // -200
    profile.contacts[0].settings.push_back(Setting("CList", "Group", DBVT_ASCIIZ, 0, "Friends & family"));
    profile.contacts[1].settings.push_back(Setting("ICQ", "Status", DBVT_WORD, 40078));
    profile.contacts[2].settings.push_back(Setting("ICQ", "Flag", DBVT_BYTE, 255));
    profile.contacts[3].settings.push_back(Setting("CList", "MyHandle", DBVT_UTF8, 0, "Zo\xC3\xAB"));
    profile.contacts[3].settings.push_back(Setting("CList", "Note", DBVT_WCHAR, 0, "wide"));
    profile.contacts[4].settings.push_back(Setting("ICQ", "Key", DBVT_BLOB, 0, "\x01\x7F\xFF"));
    profile.contacts.push_back(ProfileContact{"Name with spaces", std::string("Yahoo"), {}});
    // After the sample's entries (Dave on both lists): the largest UIN with the smallest item id.
    profile.serverEntries.push_back({"ICQ_1", IcqServer::List::Invisible, 4294967295u, 0x0001});
    // A root group without data, as a module that took the list for empty leaves it.
    profile.serverRootGroups["ICQ_2"] = {};
    const std::string path = TestFile("round-trip.ini");

    ASSERT_TRUE(WriteProfileFile(path, profile));
    const ProfileFileRead read = ReadProfileFile(path);

    ASSERT_EQ(ProfileFileRead::Outcome::Read, read.outcome) << read.problem;
    EXPECT_EQ(Describe(profile), Describe(read.profile));
}

TEST(SandboxProfileFile, AFileThatIsNotThereIsMissingNotDamaged) {
    const ProfileFileRead read = ReadProfileFile(TestFile("never-written.ini"));
    EXPECT_EQ(ProfileFileRead::Outcome::Missing, read.outcome);
    EXPECT_TRUE(read.profile.contacts.empty());
}

TEST(SandboxProfileFile, ADamagedFileIsReportedUnusedAndUntouched) {
    const std::string valid =
        "[Profile]\r\nFormat=1\r\nContacts=1\r\nLoadedProtocols=ICQ\r\n[Own]\r\n"
        "Quillmere:VisibilityLevel=dword:3\r\n[Contact1]\r\nName=Alice\r\nProtocol=ICQ\r\n";
    ASSERT_EQ(ProfileFileRead::Outcome::Read, [&] {
        const std::string path = TestFile("valid.ini");
        WriteBytes(path, valid);
        return ReadProfileFile(path).outcome;
    }());

    struct Case {
        const char* name;
        std::string bytes;
        const char* problemMentions;
    };
    const Case cases[] = {
        {"binary", std::string("\x00\x01\xFF\xFE garbage\n", 14), "Format=1"},
        {"empty", "", "Format=1"},
        {"other format", "[Profile]\r\nFormat=2\r\nContacts=0\r\n", "format is \"2\""},
        {"count not a number", "[Profile]\r\nFormat=1\r\nContacts=eleven\r\n", "Contacts=eleven"},
        {"count negative", "[Profile]\r\nFormat=1\r\nContacts=-1\r\n", "Contacts=-1"},
        {"contact missing", "[Profile]\r\nFormat=1\r\nContacts=2\r\n[Contact1]\r\nName=A\r\n",
         "[Contact2]"},
        {"value not a number", valid + "Quillmere:VisibilityLevel=dword:3x\r\n", "dword:3x"},
        {"dword too large", valid + "Quillmere:VisibilityLevel=dword:4294967296\r\n", "4294967296"},
        {"unknown type", valid + "Quillmere:VisibilityLevel=float:1.5\r\n", "float:1.5"},
        {"key without module", valid + "VisibilityLevel=dword:3\r\n", "Module:Setting"},
        {"account without protocol", "[Profile]\r\nFormat=1\r\nContacts=0\r\nAccounts=ICQ_1\r\n", "ICQ_1"},
        {"blob not hexadecimal", valid + "ICQ:Key=blob:0G\r\n", "blob:0G"},
        {"server list unknown", valid + "[IcqServer]\r\nICQ:hidden:100101=0A01\r\n",
         "ICQ:hidden:100101=0A01"},
        {"server item id twice", valid + "[IcqServer]\r\nICQ:visible:1=0A01\r\nICQ:invisible:2=0A01\r\n",
         "ICQ:invisible:2=0A01"},
        {"root group odd digits", valid + "[IcqServer]\r\nICQ:root=00060\r\n", "ICQ:root=00060"},
        {"root group twice", valid + "[IcqServer]\r\nICQ:root=0006\r\nICQ:root=\r\n", "second root group"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = TestFile(std::string("damaged-") + c.name + ".ini");
        WriteBytes(path, c.bytes);

        const ProfileFileRead read = ReadProfileFile(path);

        EXPECT_EQ(ProfileFileRead::Outcome::Damaged, read.outcome);
        EXPECT_NE(std::string::npos, read.problem.find(c.problemMentions)) << read.problem;
        EXPECT_TRUE(read.profile.contacts.empty());
        EXPECT_EQ(c.bytes, Bytes(path));
    }
}

TEST(SandboxProfileFile, AFileWithoutAccountsIsOfAHostWithoutAccounts) {
    const std::string path = TestFile("before-accounts.ini");
    WriteBytes(path, "[Profile]\r\nFormat=1\r\nContacts=1\r\nLoadedProtocols=ICQ\r\n[Contact1]\r\nName=Al\r\n"
                     "Protocol=ICQ\r\n");
    const ProfileFileRead read = ReadProfileFile(path);
    ASSERT_EQ(ProfileFileRead::Outcome::Read, read.outcome) << read.problem;
    EXPECT_FALSE(read.profile.hostHasAccounts);
    EXPECT_TRUE(read.profile.serverEntries.empty());
    SandboxHost host;
    PutProfileIntoHost(read.profile, host);
    EXPECT_FALSE(host.AccountsEnabled());

    ASSERT_TRUE(WriteProfileFile(path, read.profile));
    EXPECT_EQ(std::string::npos, Bytes(path).find("Accounts")) << "it stays a file without accounts";
}

class SandboxRestart : public EditorTest {};

// Levels and the editor's position, stored through the plug-in in one
// session, are back in the next: the editor reopens where it was left, with
// the level chosen.
TEST_F(SandboxRestart, LevelsAndTheEditorPositionSurviveARestart) {
    const std::vector<ContactHandle> contacts = PutProfileIntoHost(SampleProfile(), host);
    const ContactHandle carol = contacts[2];
    StartPlugin();
    const EditorRun first = RunEditorWith(host, carol, [](HWND editor) {
        SetWindowPos(editor, nullptr, 123, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        const EditorChildren children = FindEditorChildren(editor);
        SendMessageA(children.levelList, CB_SETCURSEL, 6, 0);
        ClickButton(children.okButton);
    });
    ASSERT_TRUE(RanCleanly(first));
    const std::string path = TestFile("restart.ini");
    ASSERT_TRUE(WriteProfileFile(path, TakeProfileFromHost(host)));

    const ProfileFileRead read = ReadProfileFile(path);
    ASSERT_EQ(ProfileFileRead::Outcome::Read, read.outcome) << read.problem;
    SandboxHost restarted;
    const ContactHandle carolAgain = PutProfileIntoHost(read.profile, restarted)[2];
    ASSERT_TRUE(restarted.Start());
    RECT reopenedAt = {};
    std::string selected;
    const EditorRun second = RunEditorWith(restarted, carolAgain, [&](HWND editor) {
        GetWindowRect(editor, &reopenedAt);
        const HWND list = FindEditorChildren(editor).levelList;
        selected = ListItemText(list, static_cast<int>(SendMessageA(list, CB_GETCURSEL, 0, 0)));
        CloseThroughButton(editor);
    });
    ASSERT_TRUE(RanCleanly(second));

    EXPECT_EQ(123, reopenedAt.left);
    EXPECT_EQ(77, reopenedAt.top);
    EXPECT_EQ("Never visible", selected);
    EXPECT_EQ(6u, restarted.Dword(carolAgain, "Quillmere", "VisibilityLevel"));
    EXPECT_EQ(3u, restarted.Dword(0, "Quillmere", "VisibilityLevel"));
}

}  // namespace
