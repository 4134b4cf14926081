// An ICQ account logging in to a server whose lists say otherwise than the
// levels. The sandbox's ICQ module stores modes and moves server entries as
// the real one does: the pass on the status change runs while the account is
// still connecting, login then overwrites the modes of the contacts the
// server lists, and only the ack of the login tells the plug-in to line the
// server's lists up, about a second later: a change made while the ack's
// hooks run makes the module replace the user's root group with an empty one.
#include <climits>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>

#include "plugin/PendingLoginSyncs.h"
#include "sandbox/HostMessageLoop.h"
#include "sandbox/Profile.h"
#include "tests/EditorSupport.h"

namespace {

using List = IcqServer::List;
constexpr uint32_t kOnline = 40072;
constexpr uint32_t kInvisible = 40078;
constexpr int32_t kUnset = INT_MIN;

struct Contact {
    ContactHandle handle;
    std::string module;
    uint32_t uin;
    std::optional<List> decided;  // none: a level outside 0 to 6
};

List Opposite(List list) { return list == List::Visible ? List::Invisible : List::Visible; }

// Under global level 3.
std::optional<List> Decision(int32_t level) {
    if (level == kUnset || level == 0 || (level >= 3 && level <= 5)) return List::Visible;
    if (level >= 1 && level <= 6) return List::Invisible;
    return std::nullopt;
}

// The sync is due a second after the ack; a loaded machine may take longer.
constexpr DWORD kSyncWaitMs = 5000;

std::string Call(const Contact& c, uint32_t mode) {
    return "Proto/CallContactService " + Str(c.handle) + " /SetApparentMode " + std::to_string(mode) + " 0";
}

// A status ack of the account, as its module sends one.
ACKDATA StatusAck(const char* module, uintptr_t from, HostLParam to) {
    return {sizeof(ACKDATA), module, 0, ACKTYPE_STATUS, ACKRESULT_SUCCESS, reinterpret_cast<void*>(from), to};
}

// Runs `g_later` once, from a thread timer, inside whatever loop is running then.
std::function<void()> g_later;
void CALLBACK RunLater(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    g_later();
}

class LoginSync : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        SetLevel(0, 3);
    }
    // A host with accounts: "ICQ", as a profile from before accounts names
    // it, the ICQ account "ICQ_1", and MSN; contacts at every level.
    void AddProfile() {
        host.SetAccountsEnabled(true);
        host.AddAccount("ICQ", "ICQ");
        host.AddAccount("ICQ_1", "ICQ");
        host.AddAccount("MSN", "MSN");
        for (const char* module : {"ICQ_1", "MSN"}) host.SetProtocolLoaded(module, true);
        for (int32_t level : {0, 1, 2, 3, 4, 5, 6, kUnset, 9}) Add("ICQ", level);
        Add("ICQ_1", 2);
        Add("ICQ_1", 5);
        msn = host.AddContact("MSN");
        host.SetDword(msn, "MSN", "UIN", 999);
    }
    const Contact& Add(const char* module, int32_t level) {
        const ContactHandle handle = host.AddContact(module);
        if (level != kUnset) SetLevel(handle, level);
        const uint32_t uin = 100001 + static_cast<uint32_t>(contacts.size());
        host.SetDword(handle, module, "UIN", uin);
        contacts.push_back({handle, module, uin, Decision(level)});
        return contacts.back();
    }
    uint16_t Put(const Contact& c, List list) {
        host.Server().Restore({c.module, list, c.uin, nextItemId});
        return nextItemId++;
    }
    // Those without a decision on the invisible list.
    void PutAllOnTheWrongList() {
        for (const Contact& c : contacts) Put(c, Opposite(c.decided.value_or(List::Visible)));
    }
    // The user goes online: every account connects, the pass runs, nothing
    // reaches the server yet; then the logins end, and the plug-in lines up
    // the lists a second later.
    void GoOnline() {
        host.Server().ClearChanges();
        host.ChangeStatus(kOnline);
        EXPECT_TRUE(host.Server().Changes().empty()) << "the server changed before the login ended";
        host.ClearLog();
        FinishLoginsAndSync();
    }
    // Nothing is changed while the acks' hooks run; the plug-in's first call
    // comes about a second after the last ack.
    void FinishLoginsAndSync() {
        host.ClearLog();
        host.FinishLogins();
        const DWORD ackedAt = GetTickCount();
        EXPECT_TRUE(host.LogTexts().empty()) << "the plug-in called the host inside the login's acks";
        EXPECT_TRUE(WaitForSync(host)) << "no sync followed the login";
        EXPECT_GE(GetTickCount() - ackedAt, kLoginSyncDelayMs - 100) << "the sync came too soon after the ack";
    }
    // Runs the host's loop until the plug-in has made its first call.
    static bool WaitForSync(const SandboxHost& on) {
        return RunHostMessageLoopUntil([&] { return !on.Log().empty(); }, kSyncWaitMs);
    }
    void GiveEveryAccountItsRootGroup() {
        for (const char* account : {"ICQ", "ICQ_1"}) host.Server().SetRootGroup(account, kOneGroup);
    }

    // Every contact with a decision is on its decided list and on no other.
    ::testing::AssertionResult ListsMatchLevels() {
        for (const Contact& c : contacts)
            if (c.decided && (!host.Server().ItemId(c.module, *c.decided, c.uin) ||
                              host.Server().ItemId(c.module, Opposite(*c.decided), c.uin)))
                return ::testing::AssertionFailure() << c.uin << " is not on the " << ListName(*c.decided)
                                                     << " list alone";
        return ::testing::AssertionSuccess();
    }
    // No entry added but on the decided list, none added and then taken away.
    ::testing::AssertionResult NoWrongEntryAdded() const {
        std::set<std::tuple<std::string, List, uint32_t>> added;
        for (const IcqServer::Change& change : host.Server().Changes()) {
            const IcqServer::Entry& e = change.entry;
            std::optional<List> decided;
            for (const Contact& c : contacts)
                if (c.uin == e.uin) decided = c.decided;
            if (change.added ? decided != e.list : added.count({e.account, e.list, e.uin}) != 0)
                return ::testing::AssertionFailure() << (change.added ? "added " : "took back ") << e.uin
                                                     << " on the " << ListName(e.list) << " list";
            if (change.added) added.insert({e.account, e.list, e.uin});
        }
        return ::testing::AssertionSuccess();
    }

    // The order of the user's groups: one group, "General".
    const std::vector<uint8_t> kOneGroup = {0x00, 0x06, 0x00, 0xC8, 0x00, 0x02, 0x00, 0x01};
    std::deque<Contact> contacts;  // stays where it is as it grows
    ContactHandle msn = 0;
    uint16_t nextItemId = 0x100;
};

enum class ServerStart { Empty, WrongList, AlreadyRight, BothLists, ReconnectToWrongList };

class LoginSyncFrom : public LoginSync, public ::testing::WithParamInterface<ServerStart> {};

std::string StartName(const ::testing::TestParamInfo<ServerStart>& info) {
    const char* const names[] = {"Empty", "WrongList", "AlreadyRight", "BothLists", "ReconnectToWrongList"};
    return names[static_cast<int>(info.param)];
}

}  // namespace

// The stale bytes stand for the database cache that leaves garbage past a
// WORD's width: the item ids must be read at their own width.
TEST_P(LoginSyncFrom, TheServersListsEndAsTheLevelsDecide) {
    const ServerStart start = GetParam();
    AddProfile();
    host.SetStaleValueBytes(0xAA);
    std::map<uint32_t, uint16_t> rightIds;
    std::map<uint32_t, std::pair<uint16_t, uint16_t>> undecidedIds;
    for (size_t i = 0; i < contacts.size(); ++i) {
        const Contact& c = contacts[i];
        const List decided = c.decided.value_or(List::Visible);
        // Login stores the mode of the entry the server got last: on both
        // lists, half of them have the right entry last, half the wrong one.
        const bool both = start == ServerStart::BothLists;
        if (start == ServerStart::WrongList || start == ServerStart::ReconnectToWrongList || (both && i % 2))
            Put(c, Opposite(decided));
        if (start == ServerStart::AlreadyRight || both) rightIds[c.uin] = Put(c, decided);
        if (both && i % 2 == 0) Put(c, Opposite(decided));
        if (!c.decided) undecidedIds[c.uin] = {host.ServerItemId(c.handle, List::Visible),
                                               host.ServerItemId(c.handle, List::Invisible)};
    }
    GiveEveryAccountItsRootGroup();
    StartPlugin();
    if (start == ServerStart::ReconnectToWrongList) {
        // Logins without the user picking a status: no pass runs before them.
        host.ConnectIcqAccount("ICQ", kOnline, 2);
        host.ConnectIcqAccount("ICQ_1", kOnline);
        host.Server().ClearChanges();
        FinishLoginsAndSync();
    } else {
        GoOnline();
    }
    EXPECT_EQ(kOneGroup, *host.Server().RootGroup("ICQ")) << "the root group of ICQ was replaced";
    EXPECT_EQ(kOneGroup, *host.Server().RootGroup("ICQ_1")) << "the root group of ICQ_1 was replaced";
    EXPECT_TRUE(ListsMatchLevels());
    EXPECT_TRUE(NoWrongEntryAdded());
    for (const Contact& c : contacts) {
        if (start == ServerStart::AlreadyRight && c.decided) {
            EXPECT_EQ(rightIds[c.uin], host.ServerItemId(c.handle, *c.decided)) << c.uin << " lost its item id";
        }
        if (c.decided) continue;
        // A contact without a decision stays where it is, even on both lists.
        EXPECT_EQ(0u, host.CountCalls("Proto/CallContactService " + Str(c.handle)));
        EXPECT_EQ(undecidedIds[c.uin], std::make_pair(host.ServerItemId(c.handle, List::Visible),
                                                      host.ServerItemId(c.handle, List::Invisible)));
    }
    EXPECT_EQ(0u, host.CountCalls("Proto/CallContactService " + Str(msn)));
}

INSTANTIATE_TEST_SUITE_P(EachStart, LoginSyncFrom,
                         ::testing::Values(ServerStart::Empty, ServerStart::WrongList,
                                           ServerStart::AlreadyRight, ServerStart::BothLists,
                                           ServerStart::ReconnectToWrongList),
                         StartName);

// One contact a starting state, all decided visible but the last. A call
// with the stored mode does nothing, so the stored mode decides the calls.
TEST_F(LoginSync, FewestCallsForEachStartingState) {
    const Contact& right = Add("ICQ", 0);
    const Contact& wrong = Add("ICQ", 0);
    const Contact& unlisted = Add("ICQ", 0);
    const Contact& bothRightLast = Add("ICQ", 0);
    const Contact& bothWrongLast = Add("ICQ", 0);
    const Contact& unlistedHidden = Add("ICQ", 6);
    const uint16_t rightId = Put(right, List::Visible);
    Put(wrong, List::Invisible);
    Put(bothRightLast, List::Invisible);
    Put(bothRightLast, List::Visible);
    Put(bothWrongLast, List::Visible);
    Put(bothWrongLast, List::Invisible);
    StartPlugin();
    GoOnline();
    EXPECT_TRUE(SameCalls({Call(wrong, 40072), Call(unlisted, 0), Call(unlisted, 40072),
                           Call(bothRightLast, 40071), Call(bothRightLast, 40072), Call(bothWrongLast, 40072),
                           Call(unlistedHidden, 0), Call(unlistedHidden, 40071)},
                          host.LogTexts("Proto/CallContactService")));
    EXPECT_TRUE(ListsMatchLevels());
    EXPECT_EQ(rightId, host.ServerItemId(right.handle, List::Visible));
}

TEST_F(LoginSync, OnlyTheAccountThatLoggedInIsLinedUp) {
    AddProfile();
    PutAllOnTheWrongList();
    StartPlugin();
    host.ConnectIcqAccount("ICQ_1", kOnline);
    FinishLoginsAndSync();
    for (const Contact& c : contacts) {
        if (!c.decided) continue;
        const bool lined = c.module == "ICQ_1";
        EXPECT_EQ(lined, host.ServerItemId(c.handle, *c.decided) != 0) << c.uin;
        EXPECT_EQ(!lined, host.CountCalls("Proto/CallContactService " + Str(c.handle)) == 0) << c.uin;
    }
}

// Login without the server-side list sends lists built from the stored
// modes, which the pass on the status change has set.
TEST_F(LoginSync, WithoutTheServerSideListTheLoginAddsNoCall) {
    for (int32_t level : {0, 1, 6}) Put(Add("ICQ", level), List::Visible);
    host.SetSetting(0, "ICQ", "UseServerCList", Typed(DBVT_BYTE, 0));
    StartPlugin();
    GoOnline();
    RunHostMessageLoop(200);
    EXPECT_TRUE(SameCalls({"DB/Contact/GetSetting 0 ICQ/UseServerCList"}, host.LogTexts()));
    EXPECT_TRUE(ListsMatchLevels());
}

TEST_F(LoginSync, AcksThatAreNoLoginOfAnIcqAccountGetNoCall) {
    AddProfile();
    PutAllOnTheWrongList();
    const ACKDATA login = StatusAck("ICQ", 1, kOnline);
    // Before the modules are loaded, even a login ack.
    host.CallPluginInfo();
    host.CallLoad();
    host.ClearLog();
    host.FireAck(login);
    RunHostMessageLoop(kLoginSyncDelayMs + 300);
    EXPECT_TRUE(host.LogTexts().empty());
    host.FireModulesLoaded();
    host.ConnectIcqAccount("ICQ", kOnline);

    const size_t full = sizeof(ACKDATA);
    // Of each ack, `readable` bytes can be read: none past cbSize.
    const struct { const char* label; void (*change)(ACKDATA&); size_t readable; } rows[] = {
        {"cbSize short of lParam", [](ACKDATA& a) { a.cbSize = offsetof(ACKDATA, lParam); }, offsetof(ACKDATA, lParam)},
        {"cbSize 4", [](ACKDATA& a) { a.cbSize = 4; }, 4},
        {"null module", [](ACKDATA& a) { a.szModule = nullptr; }, full},
        {"empty module", [](ACKDATA& a) { a.szModule = ""; }, full},
        {"a message ack", [](ACKDATA& a) { a.type = 0; }, full},
        {"failed", [](ACKDATA& a) { a.result = 1; }, full},
        {"about a contact", [](ACKDATA& a) { a.hContact = 0x1000; }, full},
        {"connecting retry", [](ACKDATA& a) { a.lParam = 2; }, full},
        {"online to invisible", [](ACKDATA& a) { a = StatusAck("ICQ", kOnline, kInvisible); }, full},
        {"logging out", [](ACKDATA& a) { a = StatusAck("ICQ", kOnline, 40071); }, full},
    };
    host.ClearLog();
    for (const auto& row : rows) {
        ACKDATA ack = login;
        row.change(ack);
        host.FireAck(ack, row.readable);
    }
    host.FireEvent(kEvProtoAck, 0, 0);
    RunHostMessageLoop(kLoginSyncDelayMs + 300);
    EXPECT_TRUE(host.LogTexts().empty()) << "no sync after acks that are no login";

    host.FireAck(StatusAck("MSN", 1, kOnline));
    EXPECT_TRUE(WaitForSync(host));
    RunHostMessageLoop(200);
    EXPECT_TRUE(SameCalls({"Proto/GetAccount 0 MSN"}, host.LogTexts())) << "only the account's protocol is asked";

    host.Server().ClearChanges();
    FinishLoginsAndSync();
    EXPECT_FALSE(host.Server().Changes().empty()) << "the genuine login ack lines up";
}

// Acks come in bursts: a reconnect acks every retry, and an account can drop
// and log in again before its sync is due. Each account is synced once, a
// second after its last login; one that went offline meanwhile not at all.
TEST_F(LoginSync, OneSyncPerAccountAndNoneForAnAccountNoLongerLoggedIn) {
    AddProfile();
    PutAllOnTheWrongList();
    StartPlugin();
    host.ConnectIcqAccount("ICQ", kOnline, 2);
    host.ConnectIcqAccount("ICQ_1", kOnline);
    host.FinishLogins();
    // ICQ drops and logs in again; ICQ_1 goes offline for good.
    host.FireAck(StatusAck("ICQ", kOnline, 40071));
    host.FireAck(StatusAck("ICQ_1", kOnline, 40071));
    host.FireAck(StatusAck("ICQ", 1, kOnline));
    host.ClearLog();
    RunHostMessageLoop(3 * kLoginSyncDelayMs);
    EXPECT_EQ(1u, host.CountCalls("DB/Contact/GetSetting 0 ICQ/UseServerCList"));
    EXPECT_EQ(0u, host.CountCalls("Proto/GetAccount 0 ICQ_1"));
    EXPECT_EQ(0u, host.CountCalls("DB/Contact/GetSetting 0 ICQ_1/UseServerCList"));
    for (const Contact& c : contacts)
        EXPECT_EQ(c.module != "ICQ_1", !c.decided || host.CountCalls("Proto/CallContactService " + Str(c.handle)))
            << c.uin;
}

// A host may unload the plug-in right after a login.
TEST_F(LoginSync, UnloadWithASyncPendingLeavesNoTimer) {
    AddProfile();
    PutAllOnTheWrongList();
    StartPlugin();
    host.ConnectIcqAccount("ICQ", kOnline);
    host.FinishLogins();
    host.CallUnload();
    host.ClearLog();
    RunHostMessageLoop(kLoginSyncDelayMs + 500);
    EXPECT_TRUE(host.LogTexts().empty());
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE)) << "a timer is left";
}

// The login ends while the editor is open for a contact of level 1, hidden
// under global level 3, who is then made "Always visible": the editor's own
// loop runs the sync.
TEST_F(LoginSync, ListsStayRightThroughTheEditorStatusChangesAndARestart) {
    AddProfile();
    PutAllOnTheWrongList();
    GiveEveryAccountItsRootGroup();
    StartPlugin();
    host.ChangeStatus(kOnline);
    Contact& bob = contacts[1];
    bool stillOpen = false, linedUp = false;
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, bob.handle, [&](HWND editor) {
        host.FinishLogins();
        g_later = [&, editor] {
            stillOpen = IsWindowVisible(editor) != 0;
            linedUp = ListsMatchLevels();
            SendMessageA(FindEditorChildren(editor).levelList, CB_SETCURSEL, 0, 0);
            ClickButton(FindEditorChildren(editor).okButton);
        };
        SetTimer(nullptr, 0, kLoginSyncDelayMs + 500, RunLater);
    })));
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(linedUp);
    bob.decided = List::Visible;
    EXPECT_TRUE(ListsMatchLevels());
    EXPECT_EQ((std::map<std::string, std::vector<uint8_t>>{{"ICQ", kOneGroup}, {"ICQ_1", kOneGroup}}),
              host.Server().RootGroups());
    host.Server().ClearChanges();
    host.ChangeStatus(kInvisible);
    EXPECT_TRUE(host.Server().Changes().empty()) << "every mode the pass gives is stored already";

    const Profile profile = TakeProfileFromHost(host);
    host.CallUnload();
    SandboxHost restarted;
    restarted.UseIcqServer(host.Server());
    PutProfileIntoHost(profile, restarted);
    ASSERT_TRUE(restarted.Start());
    restarted.ChangeStatus(kOnline);
    restarted.ClearLog();
    restarted.FinishLogins();
    EXPECT_TRUE(WaitForSync(restarted));
    EXPECT_TRUE(host.Server().Changes().empty()) << "a server already right is left as it is";
    EXPECT_TRUE(ListsMatchLevels());
    EXPECT_EQ(kOneGroup, *host.Server().RootGroup("ICQ"));
}
