// The main-menu and contact-menu entries and the contact entry's gating, as
// the sandbox host receives them from the real DLL.
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "host/HostHelpers.h"
#include "tests/PluginSupport.h"
#include "tests/RecordSupport.h"

namespace {

const std::string kEntry = "&Visibility Level";
const uint32_t kShown = 0x40000000;   // CMIM_FLAGS
const uint32_t kHidden = 0x40000004;  // CMIM_FLAGS | CMIF_HIDDEN

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

std::string AddMainText(const std::string& name) {
    return "CList/AddMainMenuItem name=" + name + " flags=0x00000000 position=1000010000 service=Quillmere/Edit";
}
std::string AddContactText(const std::string& name) {
    return "CList/AddContactMenuItem name=" + name + " flags=0x00000000 position=1000080001 service=Quillmere/Edit";
}
std::string ModifyText(uintptr_t handle, const std::string& name, uint32_t flags) {
    return "CList/ModifyMenuItem " + std::to_string(handle) + " name=" + name + " flags=" + Hex(flags) +
           " position=1000080001 service=(null)";
}

// Every field of a CLISTMENUITEM as the host received it. The name's text is
// checked through the log (the plug-in's string is gone once the call
// returns); the service name is a literal that stays.
::testing::AssertionResult MenuRecordIs(const HostCall& call, uint32_t flags, int32_t position,
                                        const char* service) {
    const std::vector<uint8_t>& record = call.record;
    if (record.size() != ByTarget(40, 64))
        return ::testing::AssertionFailure() << call.text << ": record of " << record.size() << " bytes";
    std::ostringstream wrong;
    if (Int32At(record, 0) != ByTarget(40, 64)) wrong << " cbSize=" << Int32At(record, 0);
    if (PointerAt(record, ByTarget(4, 8)) == 0) wrong << " pszName=0";
    if (Int32At(record, ByTarget(8, 16)) != flags) wrong << " flags=" << Hex(Int32At(record, ByTarget(8, 16)));
    const int32_t shownPosition = static_cast<int32_t>(Int32At(record, ByTarget(12, 20)));
    if (shownPosition != position) wrong << " position=" << shownPosition;
    if (PointerAt(record, ByTarget(16, 24)) != 0) wrong << " hIcon not 0";
    const char* serviceText = TextAt(record, ByTarget(20, 32));
    if (!service && serviceText) wrong << " pszService not 0";
    if (service && (!serviceText || std::strcmp(service, serviceText) != 0)) wrong << " pszService wrong";
    if (PointerAt(record, ByTarget(24, 40)) != 0) wrong << " pszPopupName not 0";
    if (Int32At(record, ByTarget(28, 48)) != 0) wrong << " popupPosition not 0";
    if (Int32At(record, ByTarget(32, 52)) != 0) wrong << " hotKey not 0";
    if (PointerAt(record, ByTarget(36, 56)) != 0) wrong << " pszContactOwner not 0";
    if (!wrong.str().empty()) return ::testing::AssertionFailure() << call.text << ":" << wrong.str();
    return ::testing::AssertionSuccess();
}

const HostCall* FindCall(const SandboxHost& host, const std::string& prefix) {
    for (const HostCall& call : host.Log())
        if (call.text.compare(0, prefix.size(), prefix) == 0) return &call;
    return nullptr;
}

using MenuEntries = PluginTest;

}  // namespace

// --- The records --------------------------------------------------------------------------

TEST_F(MenuEntries, AddedRecordsHoldExactlyTheirFields) {
    host.AddTranslation(kEntry, "&Sichtbarkeit");
    StartPlugin(kSandboxHostVersion, true);
    const HostCall* main = FindCall(host, "CList/AddMainMenuItem");
    const HostCall* contact = FindCall(host, "CList/AddContactMenuItem");
    ASSERT_NE(nullptr, main);
    ASSERT_NE(nullptr, contact);
    EXPECT_EQ(AddMainText("&Sichtbarkeit"), main->text);
    EXPECT_EQ(AddContactText("&Sichtbarkeit"), contact->text);
    EXPECT_TRUE(MenuRecordIs(*main, 0, 1000010000, "Quillmere/Edit"));
    EXPECT_TRUE(MenuRecordIs(*contact, 0, 1000080001, "Quillmere/Edit"));
    EXPECT_LT(main, contact) << "main-menu item first";
}

TEST_F(MenuEntries, ModificationRecordHoldsFlagsAndNoService) {
    host.AddTranslation(kEntry, "&Sichtbarkeit");
    const ContactHandle icq = host.AddContact("ICQ");
    const ContactHandle msn = host.AddContact("MSN");
    StartPlugin();
    ASSERT_EQ(1u, host.ContactMenu().size());
    const uintptr_t handle = host.ContactMenu()[0].handle;
    ASSERT_NE(0u, handle);

    host.FireEvent(kEvPreBuildContactMenu, icq);
    const HostCall* shown = FindCall(host, "CList/ModifyMenuItem");
    ASSERT_NE(nullptr, shown);
    EXPECT_EQ(ModifyText(handle, "&Sichtbarkeit", kShown), shown->text);
    EXPECT_TRUE(MenuRecordIs(*shown, kShown, 1000080001, nullptr));

    host.ClearLog();
    host.FireEvent(kEvPreBuildContactMenu, msn);
    const HostCall* hidden = FindCall(host, "CList/ModifyMenuItem");
    ASSERT_NE(nullptr, hidden);
    EXPECT_EQ(ModifyText(handle, "&Sichtbarkeit", kHidden), hidden->text);
    EXPECT_TRUE(MenuRecordIs(*hidden, kHidden, 1000080001, nullptr));
}

TEST_F(MenuEntries, MainMenuEntryIsAlwaysThereAndCallsTheService) {
    host.AddContact("MSN");
    StartPlugin();
    ASSERT_EQ(1u, host.MainMenu().size());
    EXPECT_EQ(kEntry, host.MainMenu()[0].name);
    EXPECT_EQ("Quillmere/Edit", host.MainMenu()[0].service);
    EXPECT_EQ(1000010000, host.MainMenu()[0].position);
    EXPECT_EQ(0u, host.MainMenu()[0].flags);
    EXPECT_TRUE(host.ServiceExists(kSvcEditVisibility));
    ASSERT_EQ(1u, host.ContactMenu().size());
    EXPECT_EQ("Quillmere/Edit", host.ContactMenu()[0].service);
    EXPECT_EQ(1000080001, host.ContactMenu()[0].position);
}

// --- Gating -------------------------------------------------------------------------------

TEST_F(MenuEntries, ContactEntryIsShownOnlyForLoadedIcq) {
    StartPlugin();
    ASSERT_EQ(1u, host.ContactMenu().size());
    const uintptr_t handle = host.ContactMenu()[0].handle;
    struct Row {
        const char* label;
        const char* proto;  // null: no protocol
        bool icqLoaded;
        bool protoLoaded;   // for protocols other than ICQ
        uint32_t flags;
    };
    const Row rows[] = {
        {"ICQ, loaded", "ICQ", true, false, kShown},
        {"ICQ, not loaded", "ICQ", false, false, kHidden},
        {"MSN, loaded", "MSN", true, true, kHidden},
        {"MSN, not loaded", "MSN", true, false, kHidden},
        {"no protocol", nullptr, true, false, kHidden},
        {"lower-case icq, loaded", "icq", true, true, kHidden},
        {"ICQ with a trailing byte above 127, loaded", "ICQ\xA0", true, true, kHidden},
        {"empty protocol name", "", true, false, kHidden},
        {"ICQ again, loaded", "ICQ", true, false, kShown},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const ContactHandle contact = host.AddContact(row.proto);
        host.SetProtocolLoaded("ICQ", row.icqLoaded);
        if (row.proto && std::string(row.proto) != "ICQ") host.SetProtocolLoaded(row.proto, row.protoLoaded);
        host.ClearLog();
        EXPECT_EQ(row.flags == kShown, host.ContactMenuShows(contact));
        std::vector<std::string> expected = {"LangPack/TranslateString " + kEntry,
                                             "Proto/GetContactBaseProto " + std::to_string(contact)};
        if (row.proto) expected.push_back(std::string("Proto/IsProtocolLoaded ") + row.proto);
        // A loaded module other than "ICQ" may be an ICQ account; this host has none.
        if (row.proto && row.protoLoaded) expected.push_back(std::string("Proto/GetAccount 0 ") + row.proto);
        expected.push_back(ModifyText(handle, kEntry, row.flags));
        EXPECT_TRUE(SameCalls(expected, host.LogTexts()));
        EXPECT_EQ(row.flags & CMIF_HIDDEN, host.ContactMenu()[0].flags);
    }
}

TEST_F(MenuEntries, MenuFlagsForAContactTheHostDoesNotKnow) {
    StartPlugin();
    EXPECT_FALSE(host.ContactMenuShows(0xBAD0));
    EXPECT_FALSE(host.ContactMenuShows(0)) << "the user's own record has no protocol";
}

// --- Translation ------------------------------------------------------------------------------

// Rows need a host each: the entry's text is taken at the modules-loaded
// event, and the information query fixes the version it follows.
TEST(MenuTranslation, EntryTextFollowsTheHostVersion) {
    struct Row {
        const char* label;
        uint32_t hostVersion;
        bool translated;
    };
    const Row rows[] = {
        {"0 (below)", 0, false},
        {"0.1.0.0 (below)", MakeVersion(0, 1, 0, 0), false},
        {"0.1.0.255 (below)", MakeVersion(0, 1, 0, 255), false},
        {"0.1.1.0 (equal)", MakeVersion(0, 1, 1, 0), true},
        {"0.3.3.0 (above)", kSandboxHostVersion, true},
        {"2.0.0.0 (above)", MakeVersion(2, 0, 0, 0), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        auto host = std::make_unique<SandboxHost>();
        ASSERT_TRUE(host->LoadPlugin());
        host->AddTranslation(kEntry, "&Sichtbarkeit");
        const ContactHandle icq = host->AddContact("ICQ");
        ASSERT_TRUE(host->Start(row.hostVersion));
        EXPECT_TRUE(host->ContactMenuShows(icq));
        const std::string name = row.translated ? "&Sichtbarkeit" : kEntry;
        ASSERT_EQ(1u, host->MainMenu().size());
        ASSERT_EQ(1u, host->ContactMenu().size());
        EXPECT_EQ(name, host->MainMenu()[0].name);
        EXPECT_EQ(name, host->ContactMenu()[0].name);
        EXPECT_EQ(1u, host->CountCalls(AddMainText(name)));
        EXPECT_EQ(1u, host->CountCalls(AddContactText(name)));
        EXPECT_EQ(1u, host->CountCalls(ModifyText(host->ContactMenu()[0].handle, name, kShown)));
        // One translation for the two added items, one for the modification.
        EXPECT_EQ(row.translated ? 2u : 0u, host->CountCalls("LangPack/TranslateString"));
        EXPECT_EQ(0, host->TrapCount());
    }
}

TEST_F(MenuEntries, NullTranslationGivesAnEmptyName) {
    host.SetTranslationReturnsNull(true);
    const ContactHandle icq = host.AddContact("ICQ");
    StartPlugin(kSandboxHostVersion, true);
    EXPECT_EQ(1u, host.CountCalls(AddMainText("")));
    EXPECT_EQ(1u, host.CountCalls(AddContactText("")));
    const HostCall* main = FindCall(host, "CList/AddMainMenuItem");
    ASSERT_NE(nullptr, main);
    EXPECT_TRUE(MenuRecordIs(*main, 0, 1000010000, "Quillmere/Edit")) << "an empty name is still a pointer";
    EXPECT_TRUE(host.ContactMenuShows(icq));
}
