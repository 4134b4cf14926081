#include <cstring>

#include "host/HostHelpers.h"
#include "tests/PluginSupport.h"
#include "tests/RecordSupport.h"

using Lifecycle = PluginTest;

// The version text tells a Unicode build of the host from an ANSI one; the
// buffer is 256 bytes.
TEST_F(Lifecycle, LoadAsksTheVersionTextThenHooksFiveEventsInOrder) {
    host.CallPluginInfo();
    ASSERT_EQ(0, host.CallLoad());
    EXPECT_TRUE(SameCalls({"Miranda/System/GetVersionText 256",
                           "HookEvent Miranda/System/ModulesLoaded -> 1",
                           "HookEvent CList/PreBuildContactMenu -> 2",
                           "HookEvent CList/StatusModeChange -> 3",
                           "HookEvent Proto/Ack -> 4",
                           "HookEvent Opt/Initialise -> 5"},
                          host.LogTexts()));
}

TEST_F(Lifecycle, ModulesLoadedCreatesServiceAddsMenusThenRunsStartupPass) {
    const ContactHandle icq = host.AddContact("ICQ", "Ann");
    host.CallPluginInfo();
    ASSERT_EQ(0, host.CallLoad());
    host.ClearLog();
    host.FireModulesLoaded();
    const std::string c = std::to_string(icq);
    EXPECT_TRUE(SameCalls(
        {"CreateServiceFunction Quillmere/Edit",
         "LangPack/TranslateString &Visibility Level",
         "CList/AddMainMenuItem name=&Visibility Level flags=0x00000000 position=1000010000 service=Quillmere/Edit",
         "CList/AddContactMenuItem name=&Visibility Level flags=0x00000000 position=1000080001 service=Quillmere/Edit",
         "DB/Contact/GetSetting 0 Quillmere/VisibilityLevel",
         "DB/Contact/GetCount",
         "DB/Contact/FindFirst",
         "Proto/GetContactBaseProto " + c,
         "DB/Contact/GetSetting " + c + " Quillmere/VisibilityLevel",
         "Proto/CallContactService " + c + " /SetApparentMode 40071 0",
         "DB/Contact/FindNext " + c},
        host.LogTexts()));
    EXPECT_EQ(40071u, host.ApparentMode(icq));
}

// --- The information query -------------------------------------------------------------

namespace {

::testing::AssertionResult NonEmptyText(const char* text) {
    if (!text) return ::testing::AssertionFailure() << "null";
    if (!*text) return ::testing::AssertionFailure() << "empty";
    return ::testing::AssertionSuccess();
}

// The hook handle the host gave for an event, read back from the call log.
std::string HookHandleOf(const SandboxHost& host, const std::string& eventName) {
    const std::string prefix = "HookEvent " + eventName + " -> ";
    for (const std::string& text : host.LogTexts(prefix)) return text.substr(prefix.size());
    return "(not hooked)";
}

}  // namespace

TEST_F(Lifecycle, PluginInfoRecordBytes) {
    const PLUGININFO* info = host.CallPluginInfo();
    ASSERT_NE(nullptr, info);
    const auto* bytes = reinterpret_cast<const uint8_t*>(info);
    const std::vector<uint8_t> record(bytes, bytes + ByTarget(40, 72));
    EXPECT_EQ(ByTarget(40, 72), Int32At(record, 0)) << "cbSize";
    EXPECT_STREQ("Quillmere", TextAt(record, ByTarget(4, 8))) << "shortName";
    EXPECT_EQ(0x00010100u, Int32At(record, ByTarget(8, 16))) << "version 0.1.1.0";
    EXPECT_STREQ("Allows you to define and apply visibility level for each user from contact list.",
                 TextAt(record, ByTarget(12, 24)));
    EXPECT_TRUE(NonEmptyText(TextAt(record, ByTarget(16, 32)))) << "author";
    // No address nor page the project does not own: empty, and never null.
    EXPECT_STREQ("", TextAt(record, ByTarget(20, 40))) << "authorEmail";
    EXPECT_TRUE(NonEmptyText(TextAt(record, ByTarget(24, 48)))) << "copyright";
    EXPECT_STREQ("", TextAt(record, ByTarget(28, 56))) << "homepage";
    EXPECT_EQ(0, record[ByTarget(32, 64)]) << "isTransient";
    EXPECT_EQ(0u, Int32At(record, ByTarget(36, 68))) << "replacesDefaultModule";
    EXPECT_TRUE(host.LogTexts().empty()) << "the query calls nothing on the host";
}

TEST_F(Lifecycle, PluginInfoIsTheSameRecordRefilledOnEveryCall) {
    PLUGININFO* first = host.CallPluginInfo(MakeVersion(0, 3, 3, 0));
    ASSERT_NE(nullptr, first);
    // A host that scribbles on the record gets it back whole from the next query.
    first->cbSize = 0;
    first->shortName = "Scribbled";
    first->version = 0xDEADBEEF;
    first->isTransient = 1;
    first->replacesDefaultModule = 1;
    PLUGININFO* second = host.CallPluginInfo(MakeVersion(0, 1, 0, 0));
    EXPECT_EQ(first, second);
    EXPECT_EQ(ByTarget(40, 72), static_cast<size_t>(second->cbSize));
    EXPECT_STREQ("Quillmere", second->shortName);
    EXPECT_EQ(0x00010100u, second->version);
    EXPECT_EQ(0, second->isTransient);
    EXPECT_EQ(0, second->replacesDefaultModule);
    EXPECT_EQ(first, host.CallPluginInfo(0));
}

// Only Translate reads the host's version: the contact entry's text is
// translated on every menu build, so each build shows the last query's version.
TEST_F(Lifecycle, EveryInformationQueryOverwritesTheHostVersion) {
    const ContactHandle icq = host.AddContact("ICQ");
    StartPlugin(kSandboxHostVersion);
    struct Row {
        const char* label;
        uint32_t hostVersion;
        bool translates;
    };
    const Row rows[] = {
        {"0.1.0.0", MakeVersion(0, 1, 0, 0), false},
        {"0.1.1.0", MakeVersion(0, 1, 1, 0), true},
        {"0", 0, false},
        {"1.0.0.0", MakeVersion(1, 0, 0, 0), true},
        {"0.0.255.255", MakeVersion(0, 0, 255, 255), false},
        {"0.3.3.0", kSandboxHostVersion, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        host.CallPluginInfo(row.hostVersion);
        host.ClearLog();
        host.FireEvent(kEvPreBuildContactMenu, icq);
        EXPECT_EQ(row.translates ? 1u : 0u, host.CountCalls("LangPack/TranslateString"));
        EXPECT_EQ(1u, host.CountCalls("CList/ModifyMenuItem"));
    }
}

// --- Load -------------------------------------------------------------------------------

TEST_F(Lifecycle, LoadReturnsZeroAndCallsNothingButTheVersionTextAndHookEvent) {
    host.CallPluginInfo();
    EXPECT_EQ(0, host.CallLoad());
    EXPECT_EQ(6u, host.Log().size());
    EXPECT_EQ(1u, host.CountCalls(kSvcGetVersionText));
    EXPECT_EQ(5u, host.CountCalls("HookEvent "));
    EXPECT_EQ(1u, host.HookCount(kEvModulesLoaded));
    EXPECT_EQ(1u, host.HookCount(kEvPreBuildContactMenu));
    EXPECT_EQ(1u, host.HookCount(kEvStatusModeChange));
    EXPECT_EQ(1u, host.HookCount(kEvProtoAck));
    EXPECT_EQ(1u, host.HookCount(kEvOptionsInitialise));
    EXPECT_FALSE(host.ServiceExists(kSvcEditVisibility)) << "the service waits for the modules";
    EXPECT_TRUE(host.MainMenu().empty());
}

TEST_F(Lifecycle, LoadCopiesTheTableTheHostHandedOver) {
    const ContactHandle icq = host.AddContact("ICQ");
    host.CallPluginInfo();
    ASSERT_EQ(0, host.CallLoad());
    host.SpoilHandedOutLink();
    host.ClearLog();

    host.FireModulesLoaded();
    EXPECT_EQ(0, host.TrapCount()) << "the plug-in called through the host's table, not its copy";
    EXPECT_TRUE(host.ServiceExists(kSvcEditVisibility));
    EXPECT_EQ(1u, host.MainMenu().size());
    EXPECT_EQ(40071u, host.ApparentMode(icq));

    host.FireStatusModeChange();
    EXPECT_EQ(40072u, host.ApparentMode(icq));
    EXPECT_TRUE(host.ContactMenuShows(icq));
    EXPECT_EQ(0, host.CallUnload());
    EXPECT_EQ(0u, host.HookCount(kEvStatusModeChange));
    EXPECT_EQ(0, host.TrapCount());
}

// --- Unload -----------------------------------------------------------------------------

TEST_F(Lifecycle, UnloadUnhooksPreBuildThenStatusThenOptionsThenAckAndNothingElse) {
    StartPlugin(kSandboxHostVersion, true);
    const std::string preBuild = HookHandleOf(host, kEvPreBuildContactMenu);
    const std::string status = HookHandleOf(host, kEvStatusModeChange);
    const std::string options = HookHandleOf(host, kEvOptionsInitialise);
    const std::string ack = HookHandleOf(host, kEvProtoAck);
    host.ClearLog();
    EXPECT_EQ(0, host.CallUnload());
    EXPECT_TRUE(SameCalls({"UnhookEvent " + preBuild, "UnhookEvent " + status, "UnhookEvent " + options,
                           "UnhookEvent " + ack},
                          host.LogTexts()));
    EXPECT_EQ(0u, host.HookCount(kEvOptionsInitialise));
    EXPECT_EQ(1u, host.HookCount(kEvModulesLoaded));
    EXPECT_EQ(0u, host.HookCount(kEvPreBuildContactMenu));
    EXPECT_EQ(0u, host.HookCount(kEvStatusModeChange));
    EXPECT_EQ(0u, host.HookCount(kEvProtoAck));
    EXPECT_TRUE(host.ServiceExists(kSvcEditVisibility));
    EXPECT_EQ(1u, host.MainMenu().size());
    EXPECT_EQ(1u, host.ContactMenu().size());
}

TEST_F(Lifecycle, AfterUnloadStatusChangesRunNoPassButTheFirstHookStillWorks) {
    const ContactHandle icq = host.AddContact("ICQ");
    StartPlugin();
    ASSERT_EQ(0, host.CallUnload());
    host.ClearLog();
    host.ClearApparentModes();

    host.FireStatusModeChange();
    EXPECT_TRUE(host.LogTexts().empty()) << host.LogTexts()[0];
    EXPECT_FALSE(host.ApparentMode(icq).has_value());

    host.ContactMenuShows(icq);
    EXPECT_EQ(0u, host.CountCalls("CList/ModifyMenuItem"));

    // The modules-loaded hook stays with the host and its handler runs as before.
    host.FireModulesLoaded();
    EXPECT_EQ(1u, host.CountCalls("CreateServiceFunction Quillmere/Edit"));
    EXPECT_EQ(1u, host.CountCalls("CList/AddMainMenuItem"));
    EXPECT_EQ(40071u, host.ApparentMode(icq));
    EXPECT_TRUE(host.ServiceExists(kSvcEditVisibility));
}

TEST_F(Lifecycle, NoUnusedTableSlotIsEverCalled) {
    const ContactHandle icq = host.AddContact("ICQ");
    const ContactHandle msn = host.AddContact("MSN");
    host.AddContact(nullptr);
    SetLevel(icq, 3);
    SetLevel(0, 2);
    StartPlugin(kSandboxHostVersion, true);
    host.FireStatusModeChange();
    host.ContactMenuShows(icq);
    host.ContactMenuShows(msn);
    host.CallPluginInfo(0);
    host.ContactMenuShows(icq);
    host.CallUnload();
    host.FireStatusModeChange();
    host.FireModulesLoaded();
    EXPECT_EQ(0, host.TrapCount());
    EXPECT_EQ(0u, host.CountCalls("TRAP"));
    EXPECT_GT(host.Log().size(), 20u);
}
