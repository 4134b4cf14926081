// The sandbox's ICQ module, without the plug-in: it must behave as the real
// one, or the login tests prove nothing. Calls go straight through the
// host's table; events are watched by hooks of the test's own.
#include <string>
#include <vector>

#include "tests/PluginSupport.h"

namespace {

using List = IcqServer::List;
std::vector<std::string> g_events;

int __cdecl WatchAck(HostWParam, HostLParam lParam) {
    const auto* ack = reinterpret_cast<const ACKDATA*>(lParam);
    const bool statusRecord = ack->cbSize == sizeof(ACKDATA) && ack->type == ACKTYPE_STATUS &&
                              ack->result == ACKRESULT_SUCCESS && ack->hContact == 0;
    g_events.push_back((statusRecord ? "ack " : "odd ack ") + std::string(ack->szModule) + " " +
                       std::to_string(reinterpret_cast<uintptr_t>(ack->hProcess)) + "->" +
                       std::to_string(ack->lParam));
    return 0;
}

int __cdecl WatchStatus(HostWParam status, HostLParam) {
    g_events.push_back("status " + std::to_string(status));
    return 0;
}

// Set by a test: the hook below changes this contact's mode inside the ack
// of a login, as a plug-in that lines up the lists at once would.
ContactHandle g_changeInsideAck = 0;

int __cdecl ChangeModeInsideLoginAck(HostWParam, HostLParam lParam) {
    const auto* ack = reinterpret_cast<const ACKDATA*>(lParam);
    if (g_changeInsideAck && ack->lParam == 40072) {
        CCSDATA call = {g_changeInsideAck, kPssSetApparentMode, 40072, 0};
        SandboxHost::Current()->Link().CallService(kSvcCallContactService, 0, reinterpret_cast<HostLParam>(&call));
    }
    return 0;
}

class SandboxIcq : public PluginTest {
protected:
    intptr_t SetMode(ContactHandle contact, HostWParam mode) {
        CCSDATA call = {contact, kPssSetApparentMode, mode, 0};
        return host.Link().CallService(kSvcCallContactService, 0, reinterpret_cast<HostLParam>(&call));
    }
    std::optional<uint32_t> Stored(ContactHandle contact, const char* setting) const {
        auto value = host.Setting(contact, "ICQ", setting);
        return value ? std::optional<uint32_t>(value->number) : std::nullopt;
    }
    ContactHandle AddWithUin(uint32_t uin) {
        const ContactHandle contact = host.AddContact("ICQ");
        host.SetDword(contact, "ICQ", "UIN", uin);
        return contact;
    }
    void LogIn() {
        host.ConnectIcqAccount("ICQ", 40072);
        host.FinishLogins();
    }
};

}  // namespace

TEST_F(SandboxIcq, SetApparentModeStoresAndMovesServerEntriesOnlyWhileLoggedIn) {
    const ContactHandle ann = AddWithUin(1001);
    EXPECT_EQ(0, SetMode(ann, 40071));
    EXPECT_EQ(40071u, Stored(ann, "ApparentMode"));
    EXPECT_TRUE(host.Server().Changes().empty()) << "offline: only the stored mode changes";
    LogIn();
    const uint64_t revision = host.SettingsRevision();
    EXPECT_EQ(0, SetMode(ann, 40071));
    EXPECT_EQ(revision, host.SettingsRevision()) << "the stored mode again does nothing at all";
    EXPECT_EQ(0u, host.ServerItemId(ann, List::Invisible));

    EXPECT_EQ(0, SetMode(ann, 40072));  // no invisible entry to remove; a visible one is added
    EXPECT_EQ(host.ServerItemId(ann, List::Visible), Stored(ann, "SrvPermitId"));
    EXPECT_EQ(0, SetMode(ann, 40071));
    EXPECT_EQ(0u, host.ServerItemId(ann, List::Visible));
    EXPECT_EQ(std::nullopt, Stored(ann, "SrvPermitId"));
    EXPECT_EQ(host.ServerItemId(ann, List::Invisible), Stored(ann, "SrvDenyId"));
    EXPECT_EQ(1, SetMode(ann, 40078)) << "only 0, 40071 and 40072";
    EXPECT_EQ(40071u, Stored(ann, "ApparentMode"));
}

TEST_F(SandboxIcq, LoginOverwritesTheModesOfListedContactsOnly) {
    const ContactHandle listed = AddWithUin(1001);
    const ContactHandle both = AddWithUin(1002);
    const ContactHandle unlisted = AddWithUin(1003);
    host.Server().Restore({"ICQ", List::Invisible, 1001, 0x11});
    host.Server().Restore({"ICQ", List::Invisible, 1002, 0x12});
    host.Server().Restore({"ICQ", List::Visible, 1002, 0x13});
    for (ContactHandle contact : {listed, both, unlisted}) SetMode(contact, 40072);
    host.SetSetting(unlisted, "ICQ", "SrvDenyId", Typed(DBVT_WORD, 0x77));  // stale
    LogIn();
    EXPECT_EQ(40071u, Stored(listed, "ApparentMode"));
    EXPECT_EQ(0x11u, Stored(listed, "SrvDenyId"));
    EXPECT_EQ(40072u, Stored(both, "ApparentMode")) << "the entry the server got last";
    EXPECT_EQ(0x12u, Stored(both, "SrvDenyId"));
    EXPECT_EQ(40072u, Stored(unlisted, "ApparentMode"));
    EXPECT_EQ(std::nullopt, Stored(unlisted, "SrvDenyId"));
}

// The module stores the records the server sent at login, and each server
// change it makes resets that count. Once the login ack's hooks have
// returned, a count of 0 makes it take the list for empty: it replaces the
// root group, the order of the user's groups, with one without data.
TEST_F(SandboxIcq, AServerChangeInsideTheLoginAckCostsTheRootGroup) {
    const std::vector<uint8_t> oneGroup = {0x00, 0x06, 0x00, 0xC8, 0x00, 0x02, 0x00, 0x01};
    const ContactHandle ann = AddWithUin(1001);
    host.Server().Restore({"ICQ", List::Visible, 1001, 0x11});
    host.Server().SetRootGroup("ICQ", oneGroup);
    LogIn();
    EXPECT_EQ(2u, Stored(0, "SrvRecordCount")) << "one entry and the root group";
    EXPECT_EQ(oneGroup, *host.Server().RootGroup("ICQ"));
    EXPECT_EQ(0, SetMode(ann, 40071));
    EXPECT_EQ(std::nullopt, Stored(0, "SrvRecordCount")) << "a change after the login resets the count";
    EXPECT_EQ(oneGroup, *host.Server().RootGroup("ICQ")) << "and does no harm";

    host.ChangeStatus(40071);
    const HookHandle hook = host.OnHookEvent(kEvProtoAck, ChangeModeInsideLoginAck);
    g_changeInsideAck = ann;  // back to the visible list
    LogIn();
    g_changeInsideAck = 0;
    host.OnUnhookEvent(hook);
    ASSERT_NE(nullptr, host.Server().RootGroup("ICQ"));
    EXPECT_TRUE(host.Server().RootGroup("ICQ")->empty()) << "the change inside the ack cost the root group";
}

TEST_F(SandboxIcq, AcksComeInTheRealOrder) {
    host.AddAccount("ICQ_1", "ICQ");
    host.SetAccountsEnabled(true);
    host.SetProtocolLoaded("ICQ_1", true);
    host.OnHookEvent(kEvProtoAck, WatchAck);
    host.OnHookEvent(kEvStatusModeChange, WatchStatus);
    g_events.clear();
    host.ChangeStatus(40072);
    host.ChangeStatus(40073);  // still connecting: the login is to Away
    host.FinishLogins();
    host.ChangeStatus(40078);
    host.ChangeStatus(40071);
    host.ConnectIcqAccount("ICQ", 40072, 2);  // a reconnect, with two retries
    host.FinishLogins();
    EXPECT_TRUE(SameCalls({"ack ICQ 40071->1", "ack ICQ_1 40071->1", "status 40072", "status 40073",
                           "ack ICQ 1->40073", "ack ICQ_1 1->40073", "ack ICQ 40073->40078",
                           "ack ICQ_1 40073->40078", "status 40078", "ack ICQ 40078->40071",
                           "ack ICQ_1 40078->40071", "status 40071", "ack ICQ 40071->1", "ack ICQ 1->2",
                           "ack ICQ 2->3", "ack ICQ 3->40072"},
                          g_events));
}
