#include "sandbox/bench/LoginSyncBench.h"

#include <cstdio>

#include "sandbox/bench/LargeProfile.h"
#include "sandbox/bench/PassBench.h"
#include "sandbox/bench/Timing.h"

namespace {

constexpr const char* kSyncedAccount = "ICQ_1";
// Ten times the delay: a sync that has not come by then never will, and the
// bench must not hang waiting for it.
constexpr DWORD kSyncWaitMs = 10000;

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

bool ServerListsEmpty(SandboxHost& host) {
    return host.Server().Entries(kSyncedAccount, IcqServer::List::Visible).empty() ||
           host.Server().Entries(kSyncedAccount, IcqServer::List::Invisible).empty();
}

// A thread timer: a WM_TIMER without a window. Nothing else here sets one
// while the sync is timed, so the one that comes after the ack is the
// plug-in's. (Its procedure cannot tell: Wine hands out a handle in lParam
// where Windows hands out the procedure's address.)
bool IsThreadTimer(const MSG& message) { return message.message == WM_TIMER && !message.hwnd; }

struct SyncRun {
    double delayMs = 0;   // from `since` to the dispatch
    double seconds = 0;   // the dispatch
};

// The host's loop, as it runs while the host idles, until it dispatches
// the timer that runs the sync; that dispatch is timed. False when no
// timer came within kSyncWaitMs.
bool RunLoopUntilSync(double since, SyncRun& run) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return false;
            }
            if (IsThreadTimer(message)) {
                const double dispatchedAt = Now();
                DispatchMessageA(&message);
                run.seconds = Now() - dispatchedAt;
                run.delayMs = (dispatchedAt - since) * 1000;
                return true;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= kSyncWaitMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kSyncWaitMs - elapsed, QS_ALLINPUT);
    }
}

// The login ack, then the loop until the sync has run. With `countCalls`,
// the host logs the calls from the ack to the end of the sync and the
// figure counts them; without, the log is off, as for every timing here.
// A sync walks every contact of the host, with a call for each at least: a
// timer that made fewer calls ran no sync.
bool AckAndSync(SandboxHost& host, size_t contacts, bool countCalls, SyncRun& run, size_t& calls) {
    host.SetLogging(countCalls);
    host.ClearLog();
    AckLogin(host);
    const bool synced = RunLoopUntilSync(Now(), run);
    calls = host.Log().size();
    host.ClearLog();
    host.SetLogging(false);
    if (!synced) {
        std::printf("No login sync ran within %lu ms of the login ack.\n", kSyncWaitMs);
        return false;
    }
    if (countCalls && calls < contacts) {
        std::printf("The timer after the login ack made %zu host calls: no sync walked the %zu contacts.\n",
                    calls, contacts);
        return false;
    }
    return true;
}

}  // namespace

bool TimeLoginSync(SandboxHost& host, const std::vector<ContactHandle>& contacts, int runs,
                   LoginSyncFigures& figures) {
    const double contactCount = static_cast<double>(contacts.size());
    host.ChangeStatus(ID_STATUS_ONLINE);
    host.FinishLogins();
    // The logins' own acks armed the timer: that sync runs first, untimed,
    // or it would be timed along with the first one below.
    SyncRun run;
    if (!RunLoopUntilSync(Now(), run)) {
        std::printf("No login sync ran within %lu ms of the accounts' logins.\n", kSyncWaitMs);
        return false;
    }

    // Each sync against a server without entries must leave entries on both
    // of its lists: a sync that did nothing would leave them empty.
    auto syncEmptyServer = [&](bool countCalls, size_t& calls) {
        EmptyTheServer(host, contacts);
        if (!AckAndSync(host, contacts.size(), countCalls, run, calls)) return false;
        if (ServerListsEmpty(host)) {
            std::printf("The login sync left the server's lists of %s empty.\n", kSyncedAccount);
            return false;
        }
        figures.ackToSyncMs.push_back(run.delayMs);
        return true;
    };
    auto syncRightServer = [&](bool countCalls, size_t& calls) {
        if (!AckAndSync(host, contacts.size(), countCalls, run, calls)) return false;
        figures.ackToSyncMs.push_back(run.delayMs);
        return true;
    };

    // The calls first, with the log on; then the times, with it off.
    size_t calls = 0;
    if (!syncEmptyServer(true, calls)) return false;
    figures.emptyServer.callsPerContact = static_cast<double>(calls) / contactCount;
    if (!syncRightServer(true, calls)) return false;
    figures.rightServer.callsPerContact = static_cast<double>(calls) / contactCount;
    std::vector<double> emptyNs;
    std::vector<double> rightNs;
    for (int i = 0; i < runs; ++i) {
        if (!syncEmptyServer(false, calls)) return false;
        emptyNs.push_back(run.seconds * 1e9 / contactCount);
        if (!syncRightServer(false, calls)) return false;
        rightNs.push_back(run.seconds * 1e9 / contactCount);
    }
    figures.emptyServer.nsPerContact = Median(emptyNs);
    figures.rightServer.nsPerContact = Median(rightNs);

    host.SetLogging(true);
    host.ClearLog();
    PluginPass(host);
    figures.passLoggedIn.callsPerContact = static_cast<double>(host.Log().size()) / contactCount;
    host.ClearLog();
    host.SetLogging(false);
    const double start = Now();
    PluginPass(host);
    figures.passLoggedIn.nsPerContact = (Now() - start) * 1e9 / contactCount;
    return true;
}

void PrintLoginSync(const LoginSyncFigures& figures) {
    std::printf("Login sync of the account %s (%d of the contacts), per contact walked; the sync runs\n"
                "from the plug-in's timer, whose WM_TIMER the host's loop dispatches here:\n",
                kSyncedAccount, ProfileContacts() / 4);
    std::printf("  server without entries   %8.1f ns/contact   %5.2f host calls/contact\n",
                figures.emptyServer.nsPerContact, figures.emptyServer.callsPerContact);
    std::printf("  server already right     %8.1f ns/contact   %5.2f host calls/contact\n",
                figures.rightServer.nsPerContact, figures.rightServer.callsPerContact);
    std::printf("  normal pass, logged in   %8.1f ns/contact   %5.2f host calls/contact\n",
                figures.passLoggedIn.nsPerContact, figures.passLoggedIn.callsPerContact);
    std::printf("  login ack to sync        min %7.1f  median %7.1f  max %7.1f ms over %zu logins"
                " (the plug-in waits %.0f ms)\n\n",
                Min(figures.ackToSyncMs), Median(figures.ackToSyncMs),
                Max(figures.ackToSyncMs), figures.ackToSyncMs.size(),
                kLoginSyncDelayStatedMs);
}
