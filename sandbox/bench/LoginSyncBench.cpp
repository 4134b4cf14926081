#include "sandbox/bench/LoginSyncBench.h"

#include <cstdio>
#include <functional>

#include "sandbox/bench/LargeProfile.h"
#include "sandbox/bench/PassBench.h"
#include "sandbox/bench/Timing.h"

namespace {

constexpr const char* kSyncedAccount = "ICQ_1";

// The ack that tells the plug-in the account has just logged in.
void AckLogin(SandboxHost& host) {
    ACKDATA ack = {};
    ack.cbSize = sizeof ack;
    ack.szModule = kSyncedAccount;
    ack.type = ACKTYPE_STATUS;
    ack.hProcess = reinterpret_cast<void*>(1);
    ack.lParam = ID_STATUS_ONLINE;
    host.FireAck(ack);
}

// A server with no entry for the account, as before its first login with
// the plug-in: every contact of it gets calls.
void EmptyTheServer(SandboxHost& host, const std::vector<ContactHandle>& contacts) {
    host.Server().ClearAccount(kSyncedAccount);
    for (ContactHandle contact : contacts) {
        host.RemoveSetting(contact, kSyncedAccount, "SrvPermitId");
        host.RemoveSetting(contact, kSyncedAccount, "SrvDenyId");
    }
}

SyncFigures TimeOnce(SandboxHost& host, const std::function<void()>& run) {
    const double contacts = ProfileContacts();
    host.SetLogging(true);
    host.ClearLog();
    run();
    const size_t calls = host.Log().size();
    host.ClearLog();
    host.SetLogging(false);
    const double start = Now();
    run();
    return {(Now() - start) * 1e9 / contacts, static_cast<double>(calls) / contacts};
}

}  // namespace

bool TimeLoginSync(SandboxHost& host, const std::vector<ContactHandle>& contacts, int runs,
                   LoginSyncFigures& figures) {
    host.ChangeStatus(ID_STATUS_ONLINE);
    host.FinishLogins();
    std::vector<double> emptyNs;
    std::vector<double> rightNs;
    for (int run = 0; run < runs; ++run) {
        EmptyTheServer(host, contacts);
        figures.emptyServer = TimeOnce(host, [&] { AckLogin(host); });
        emptyNs.push_back(figures.emptyServer.nsPerContact);
        figures.rightServer = TimeOnce(host, [&] { AckLogin(host); });
        rightNs.push_back(figures.rightServer.nsPerContact);
    }
    figures.emptyServer.nsPerContact = Median(emptyNs);
    figures.rightServer.nsPerContact = Median(rightNs);
    figures.passLoggedIn = TimeOnce(host, [&] { PluginPass(host); });
    if (host.Server().Entries(kSyncedAccount, IcqServer::List::Visible).empty() ||
        host.Server().Entries(kSyncedAccount, IcqServer::List::Invisible).empty()) {
        std::printf("The login sync left the server's lists of %s empty.\n", kSyncedAccount);
        return false;
    }
    return true;
}

void PrintLoginSync(const LoginSyncFigures& figures) {
    std::printf("Login sync of the account %s (%d of the contacts), per contact walked:\n", kSyncedAccount,
                ProfileContacts() / 4);
    std::printf("  server without entries   %8.1f ns/contact   %5.2f host calls/contact\n",
                figures.emptyServer.nsPerContact, figures.emptyServer.callsPerContact);
    std::printf("  server already right     %8.1f ns/contact   %5.2f host calls/contact\n",
                figures.rightServer.nsPerContact, figures.rightServer.callsPerContact);
    std::printf("  normal pass, logged in   %8.1f ns/contact   %5.2f host calls/contact\n\n",
                figures.passLoggedIn.nsPerContact, figures.passLoggedIn.callsPerContact);
}
