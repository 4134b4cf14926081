// The visibility pass as the host sees it: the real DLL in the sandbox host,
// a normal pass run by a status change and the startup pass by the
// modules-loaded event, judged by the exact calls the plug-in makes.
#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "host/HostLink.h"
#include "plugin/VisibilityPass.h"
#include "tests/PluginSupport.h"
#include "tests/RecordSupport.h"

namespace {

const std::string kReadGlobal = "DB/Contact/GetSetting 0 Quillmere/VisibilityLevel";
const std::string kGetCount = "DB/Contact/GetCount";
const std::string kFindFirst = "DB/Contact/FindFirst";

std::string ProtoCall(ContactHandle c) { return "Proto/GetContactBaseProto " + Str(c); }
std::string ReadLevel(ContactHandle c) { return "DB/Contact/GetSetting " + Str(c) + " Quillmere/VisibilityLevel"; }
std::string Online(ContactHandle c) { return "Proto/CallContactService " + Str(c) + " /SetApparentMode 40072 0"; }
std::string Offline(ContactHandle c) { return "Proto/CallContactService " + Str(c) + " /SetApparentMode 40071 0"; }
std::string FindNext(ContactHandle c) { return "DB/Contact/FindNext " + Str(c); }
// Asked once a pass on a host without accounts, which answers "no such service".
std::string AccountQuestion(const std::string& module) { return "Proto/GetAccount 0 " + module; }

const std::optional<uint32_t> kOn = 40072u;
const std::optional<uint32_t> kOff = 40071u;
const std::optional<uint32_t> kNone = std::nullopt;

const char* ModeName(const std::optional<uint32_t>& mode) {
    if (!mode) return "none";
    return *mode == 40072u ? "on" : *mode == 40071u ? "off" : "other";
}

class VisibilityPass : public PluginTest {
protected:
    // Starts the plug-in on the contacts set up so far, with the startup
    // pass's effects wiped, ready for the pass under test.
    void Ready() {
        StartPlugin();
        host.ClearApparentModes();
        host.ClearLog();
    }
    void RunNormalPass() {
        host.ClearApparentModes();
        host.ClearLog();
        host.FireStatusModeChange();
    }
    // The modules-loaded event runs the startup pass after its set-up calls;
    // this keeps only the pass's own calls, from the global level's read on.
    std::vector<std::string> RunStartupPass() {
        host.ClearApparentModes();
        host.ClearLog();
        host.FireModulesLoaded();
        std::vector<std::string> calls = host.LogTexts();
        for (size_t i = 0; i < calls.size(); ++i)
            if (calls[i] == kReadGlobal) return std::vector<std::string>(calls.begin() + i, calls.end());
        return {};
    }
};

}  // namespace

// --- The decision table -----------------------------------------------------------------

TEST_F(VisibilityPass, NormalPassFollowsTheWholeTable) {
    // Rows: global level 0..6; columns: contact level 0..6.
    const char* const kTable[7] = {
        "+++++++",
        "++++++-",
        "+-++++-",
        "+--+++-",
        "+---++-",
        "+----+-",
        "-------",
    };
    std::vector<ContactHandle> contacts;
    for (int level = 0; level <= 6; ++level) {
        contacts.push_back(host.AddContact("ICQ"));
        SetLevel(contacts.back(), level);
    }
    Ready();
    for (int global = 0; global <= 6; ++global) {
        SCOPED_TRACE(::testing::Message() << "G=" << global);
        SetLevel(0, global);
        RunNormalPass();
        std::vector<std::string> expected = {kReadGlobal, kGetCount, kFindFirst};
        for (int level = 0; level <= 6; ++level) {
            const ContactHandle c = contacts[level];
            const bool on = kTable[global][level] == '+';
            EXPECT_EQ(on ? kOn : kOff, host.ApparentMode(c)) << "L=" << level;
            expected.insert(expected.end(), {ProtoCall(c), ReadLevel(c), on ? Online(c) : Offline(c), FindNext(c)});
        }
        EXPECT_TRUE(SameCalls(expected, host.LogTexts()));
    }
}

TEST_F(VisibilityPass, FreshProfileSetsEveryIcqContactOnline) {
    const ContactHandle a = host.AddContact("ICQ");
    const ContactHandle b = host.AddContact("ICQ");
    Ready();
    RunNormalPass();
    EXPECT_EQ(kOn, host.ApparentMode(a));
    EXPECT_EQ(kOn, host.ApparentMode(b));
    EXPECT_EQ(0u, host.CountCalls(kSvcWriteSetting)) << "a pass writes nothing";
}

TEST_F(VisibilityPass, StartupPassSetsEveryIcqContactOfflineWhateverTheLevels) {
    const int32_t levels[] = {0, 1, 2, 3, 4, 5, 6, 7, -1, INT_MIN, INT_MAX};
    std::vector<ContactHandle> contacts;
    for (int32_t level : levels) {
        contacts.push_back(host.AddContact("ICQ"));
        SetLevel(contacts.back(), level);
    }
    const ContactHandle unset = host.AddContact("ICQ");
    contacts.push_back(unset);
    Ready();
    const std::optional<int32_t> globals[] = {std::nullopt, 0, 1, 2, 3, 4, 5, 6, 7, 9, -1, INT_MIN};
    for (const auto& global : globals) {
        SCOPED_TRACE(global ? ::testing::Message() << "G=" << *global : ::testing::Message() << "G never written");
        if (global) SetLevel(0, *global);
        const std::vector<std::string> calls = RunStartupPass();
        std::vector<std::string> expected = {kReadGlobal, kGetCount, kFindFirst};
        for (ContactHandle c : contacts) {
            EXPECT_EQ(kOff, host.ApparentMode(c));
            expected.insert(expected.end(), {ProtoCall(c), ReadLevel(c), Offline(c), FindNext(c)});
        }
        EXPECT_TRUE(SameCalls(expected, calls));
    }
}

TEST_F(VisibilityPass, GlobalExtremesOverrideContactExtremes) {
    const ContactHandle always = host.AddContact("ICQ");
    const ContactHandle never = host.AddContact("ICQ");
    SetLevel(always, 0);
    SetLevel(never, 6);
    Ready();
    SetLevel(0, 6);
    RunNormalPass();
    EXPECT_EQ(kOff, host.ApparentMode(always)) << "G=6 over L=0";
    SetLevel(0, 0);
    RunNormalPass();
    EXPECT_EQ(kOn, host.ApparentMode(never)) << "G=0 over L=6";
}

TEST_F(VisibilityPass, GlobalThreeFromTheEdgeCases) {
    const int32_t levels[] = {0, 1, 2, 3, 4, 5, 6, 7, -1};
    const std::optional<uint32_t> outcome[] = {kOn, kOff, kOff, kOn, kOn, kOn, kOff, kNone, kNone};
    std::vector<ContactHandle> contacts;
    for (int32_t level : levels) {
        contacts.push_back(host.AddContact("ICQ"));
        SetLevel(contacts.back(), level);
    }
    Ready();
    SetLevel(0, 3);
    RunNormalPass();
    for (size_t i = 0; i < contacts.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "L=" << levels[i]);
        EXPECT_EQ(outcome[i], host.ApparentMode(contacts[i])) << ModeName(host.ApparentMode(contacts[i]));
    }
}

// --- Levels outside 0-6 ------------------------------------------------------------------

// A global level outside 0-6 falls through to the contact's rules and is
// compared as stored; contact levels outside 0-6 get no call unless the
// global level is 0 or 6.
TEST_F(VisibilityPass, LevelsOutsideTheRangeTable) {
    const std::optional<int32_t> contactLevels[] = {0,  1,  2,  3,       4,       5, 6,
                                                    7, -1, 100, INT_MIN, INT_MAX, std::nullopt};
    struct Row {
        int32_t global;
        // One character per contact level above: + on, - off, . no call.
        const char* outcome;
    };
    const Row rows[] = {
        {-1, "++++++-.....+"},
        {9, "+------.....+"},
        {7, "+------.....+"},
        {INT_MIN, "++++++-.....+"},
        {INT_MAX, "+------.....+"},
        {0, "+++++++++++++"},
        {1, "++++++-.....+"},
        {3, "+--+++-.....+"},
        {5, "+----+-.....+"},
        {6, "-------------"},
    };
    std::vector<ContactHandle> contacts;
    for (const auto& level : contactLevels) {
        contacts.push_back(host.AddContact("ICQ"));
        if (level) SetLevel(contacts.back(), *level);
    }
    Ready();
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "G=" << row.global);
        ASSERT_EQ(contacts.size(), std::strlen(row.outcome));
        SetLevel(0, row.global);
        RunNormalPass();
        std::vector<std::string> expected = {kReadGlobal, kGetCount, kFindFirst};
        for (size_t i = 0; i < contacts.size(); ++i) {
            const ContactHandle c = contacts[i];
            const char want = row.outcome[i];
            SCOPED_TRACE(contactLevels[i] ? ::testing::Message() << "L=" << *contactLevels[i]
                                          : ::testing::Message() << "L never written");
            EXPECT_EQ(want == '+' ? kOn : want == '-' ? kOff : kNone, host.ApparentMode(c));
            expected.push_back(ProtoCall(c));
            expected.push_back(ReadLevel(c));
            if (want == '+') expected.push_back(Online(c));
            if (want == '-') expected.push_back(Offline(c));
            expected.push_back(FindNext(c));
        }
        EXPECT_TRUE(SameCalls(expected, host.LogTexts()));
    }
}

TEST_F(VisibilityPass, LevelsStoredInOtherTypesAreReadAtTheirWidth) {
    StoredSetting byteSix;
    byteSix.type = DBVT_BYTE;
    byteSix.number = 6;
    StoredSetting wordTwo;
    wordTwo.type = DBVT_WORD;
    wordTwo.number = 2;
    StoredSetting text;
    text.type = DBVT_ASCIIZ;
    text.text = "4";
    const ContactHandle asByte = host.AddContact("ICQ");
    const ContactHandle asWord = host.AddContact("ICQ");
    const ContactHandle asText = host.AddContact("ICQ");
    host.SetSetting(asByte, "Quillmere", "VisibilityLevel", byteSix);
    host.SetSetting(asWord, "Quillmere", "VisibilityLevel", wordTwo);
    host.SetSetting(asText, "Quillmere", "VisibilityLevel", text);
    Ready();
    SetLevel(0, 3);
    RunNormalPass();
    EXPECT_EQ(kOff, host.ApparentMode(asByte));
    EXPECT_EQ(kOff, host.ApparentMode(asWord));
    EXPECT_EQ(kOn, host.ApparentMode(asText)) << "a text reads as the default 0";
    // A byte-typed global level works the same.
    host.SetSetting(0, "Quillmere", "VisibilityLevel", byteSix);
    RunNormalPass();
    EXPECT_EQ(kOff, host.ApparentMode(asText));
}

// --- Protocols ---------------------------------------------------------------------------

TEST_F(VisibilityPass, OnlyExactlyIcqGetsACallInEitherPass) {
    const char* const others[] = {"icq", "Icq", "MSN", "", "ICQ ", " ICQ", "ICQ2", "IC", "ICQICQ",
                                  "\xC9\xC3Q", "ICQ\x80", "\xFF\xFE\xFD"};
    std::vector<ContactHandle> skipped;
    for (const char* proto : others) skipped.push_back(host.AddContact(proto));
    skipped.push_back(host.AddContact(nullptr));
    host.SetProtocolLoaded("icq", true);
    host.SetProtocolLoaded("MSN", true);
    for (ContactHandle c : skipped) SetLevel(c, 0);
    Ready();
    for (int global : {0, 3, 6}) {
        SCOPED_TRACE(::testing::Message() << "G=" << global);
        SetLevel(0, global);
        std::vector<std::string> expected = {kReadGlobal, kGetCount, kFindFirst};
        for (ContactHandle c : skipped) {
            expected.push_back(ProtoCall(c));
            if (c == skipped[0]) expected.push_back(AccountQuestion("icq"));
            expected.push_back(FindNext(c));
        }
        RunNormalPass();
        EXPECT_TRUE(SameCalls(expected, host.LogTexts())) << "normal pass";
        EXPECT_TRUE(SameCalls(expected, RunStartupPass())) << "startup pass";
    }
}

TEST_F(VisibilityPass, DoesNotAskWhetherIcqIsLoaded) {
    host.SetProtocolLoaded("ICQ", false);
    const ContactHandle icq = host.AddContact("ICQ");
    Ready();
    RunNormalPass();
    EXPECT_TRUE(SameCalls({kReadGlobal, kGetCount, kFindFirst, ProtoCall(icq), ReadLevel(icq), Online(icq),
                           FindNext(icq)},
                          host.LogTexts()));
}

// --- The walk ----------------------------------------------------------------------------

TEST_F(VisibilityPass, ExactCallsPerContactInOrder) {
    const ContactHandle first = host.AddContact("ICQ");
    const ContactHandle msn = host.AddContact("MSN");
    const ContactHandle none = host.AddContact(nullptr);
    const ContactHandle last = host.AddContact("ICQ");
    SetLevel(first, 2);
    SetLevel(msn, 6);
    SetLevel(last, 4);
    Ready();
    SetLevel(0, 3);
    RunNormalPass();
    EXPECT_TRUE(SameCalls({kReadGlobal, kGetCount, kFindFirst,
                           ProtoCall(first), ReadLevel(first), Offline(first), FindNext(first),
                           ProtoCall(msn), AccountQuestion("MSN"), FindNext(msn),
                           ProtoCall(none), FindNext(none),
                           ProtoCall(last), ReadLevel(last), Online(last), FindNext(last)},
                          host.LogTexts()));
}

TEST_F(VisibilityPass, RecordsOfTheApparentModeCall) {
    const ContactHandle icq = host.AddContact("ICQ");
    Ready();
    RunNormalPass();
    const HostCall* call = nullptr;
    for (const HostCall& logged : host.Log())
        if (logged.text.rfind("Proto/CallContactService", 0) == 0) call = &logged;
    ASSERT_NE(nullptr, call);
    const std::vector<uint8_t>& record = call->record;
    ASSERT_EQ(ByTarget(16, 32), record.size());
    EXPECT_EQ(icq, PointerAt(record, 0)) << "hContact";
    EXPECT_STREQ("/SetApparentMode", TextAt(record, ByTarget(4, 8))) << "szProtoService";
    EXPECT_EQ(40072u, PointerAt(record, ByTarget(8, 16))) << "wParam";
    EXPECT_EQ(0u, PointerAt(record, ByTarget(12, 24))) << "lParam";
}

TEST_F(VisibilityPass, NoContactsMakesOnlyTheThreeFirstCalls) {
    Ready();
    RunNormalPass();
    EXPECT_TRUE(SameCalls({kReadGlobal, kGetCount, kFindFirst}, host.LogTexts()));
    EXPECT_TRUE(SameCalls({kReadGlobal, kGetCount, kFindFirst}, RunStartupPass()));
}

TEST_F(VisibilityPass, CountZeroOrNegativeVisitsNoContact) {
    const ContactHandle icq = host.AddContact("ICQ");
    host.AddContact("ICQ");
    Ready();
    const intptr_t counts[] = {0, -1, -2, INT_MIN, kSandboxServiceNotFound};
    for (intptr_t count : counts) {
        SCOPED_TRACE(::testing::Message() << "N=" << count);
        host.OverrideContactCount(count);
        RunNormalPass();
        EXPECT_TRUE(SameCalls({kReadGlobal, kGetCount, kFindFirst}, host.LogTexts()));
        EXPECT_EQ(kNone, host.ApparentMode(icq));
        EXPECT_TRUE(SameCalls({kReadGlobal, kGetCount, kFindFirst}, RunStartupPass()));
        EXPECT_EQ(kNone, host.ApparentMode(icq));
    }
}

TEST_F(VisibilityPass, CountLargerThanTheContactsStopsAtTheEndOfTheList) {
    const ContactHandle a = host.AddContact("ICQ");
    const ContactHandle b = host.AddContact("MSN");
    const ContactHandle c = host.AddContact("ICQ");
    Ready();
    const std::vector<std::string> expected = {kReadGlobal, kGetCount, kFindFirst,
                                               ProtoCall(a), ReadLevel(a), Online(a), FindNext(a),
                                               ProtoCall(b), AccountQuestion("MSN"), FindNext(b),
                                               ProtoCall(c), ReadLevel(c), Online(c), FindNext(c)};
    const intptr_t counts[] = {4, 1000, INT_MAX};
    for (intptr_t count : counts) {
        SCOPED_TRACE(::testing::Message() << "N=" << count);
        host.OverrideContactCount(count);
        RunNormalPass();
        EXPECT_TRUE(SameCalls(expected, host.LogTexts()));
    }
}

TEST_F(VisibilityPass, CountWithNoContactsAtAllStopsAtOnce) {
    host.OverrideContactCount(INT_MAX);
    Ready();
    RunNormalPass();
    EXPECT_TRUE(SameCalls({kReadGlobal, kGetCount, kFindFirst}, host.LogTexts()));
}

TEST_F(VisibilityPass, CountSmallerThanTheContactsVisitsOnlyThatMany) {
    const ContactHandle a = host.AddContact("ICQ");
    const ContactHandle b = host.AddContact("ICQ");
    const ContactHandle c = host.AddContact("ICQ");
    Ready();
    host.OverrideContactCount(2);
    RunNormalPass();
    EXPECT_TRUE(SameCalls({kReadGlobal, kGetCount, kFindFirst,
                           ProtoCall(a), ReadLevel(a), Online(a), FindNext(a),
                           ProtoCall(b), ReadLevel(b), Online(b), FindNext(b)},
                          host.LogTexts()));
    EXPECT_EQ(kNone, host.ApparentMode(c));
}

TEST_F(VisibilityPass, GlobalLevelIsReadOncePerPass) {
    for (int i = 0; i < 20; ++i) SetLevel(host.AddContact(i % 2 ? "ICQ" : "MSN"), i % 7);
    Ready();
    SetLevel(0, 2);
    RunNormalPass();
    EXPECT_EQ(1u, host.CountCalls(kReadGlobal)) << "normal pass";
    EXPECT_EQ(10u, host.CountCalls("Proto/CallContactService"));
    RunStartupPass();
    EXPECT_EQ(1u, host.CountCalls(kReadGlobal)) << "startup pass";
}

// --- Pass kinds, through the plug-in's core ------------------------------------------------

// Only the startup kind is told apart; any other kind is a normal pass. The
// DLL runs only the two named kinds, so other kinds are run on the core.
TEST(VisibilityPassKinds, EveryKindButStartupIsANormalPass) {
    SandboxHost host;
    const ContactHandle low = host.AddContact("ICQ");
    const ContactHandle high = host.AddContact("ICQ");
    host.SetDword(low, "Quillmere", "VisibilityLevel", 1);
    host.SetDword(high, "Quillmere", "VisibilityLevel", 5);
    host.SetDword(0, "Quillmere", "VisibilityLevel", 3);
    PluginLink = host.Link();
    struct Row {
        int kind;
        std::optional<uint32_t> low, high;
    };
    const Row rows[] = {
        {StartupPass, kOff, kOff}, {NormalPass, kOff, kOn}, {1, kOff, kOn},
        {-2, kOff, kOn},           {INT_MIN, kOff, kOn},    {INT_MAX, kOff, kOn},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "kind=" << row.kind);
        host.ClearApparentModes();
        ApplyVisibility(row.kind);
        EXPECT_EQ(row.low, host.ApparentMode(low));
        EXPECT_EQ(row.high, host.ApparentMode(high));
    }
    PluginLink = PLUGINLINK{};
    EXPECT_EQ(0, host.TrapCount());
}
