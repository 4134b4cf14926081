// The login sync: what the plug-in does once an ICQ account has logged in.
//
// The "Proto/Ack" of the login only notes the account and arms a thread
// timer; the sync runs about a second later, when the host's message loop
// dispatches that timer's WM_TIMER. So the bench fires the ack, runs the
// host's loop itself, and times the dispatch of that WM_TIMER.
#pragma once

#include <vector>

#include "sandbox/SandboxHost.h"

// How long the plug-in lets the ICQ module finish its login before it syncs.
constexpr double kLoginSyncDelayStatedMs = 1000;

struct SyncFigures {
    double nsPerContact = 0;  // per contact of the host walked
    double callsPerContact = 0;
};

struct LoginSyncFigures {
    SyncFigures emptyServer;    // a server without entries for the account
    SyncFigures rightServer;    // a server already right
    SyncFigures passLoggedIn;   // a normal pass, the accounts logged in
    std::vector<double> ackToSyncMs;  // from the ack's return to the sync's dispatch
};

// Logs the profile's ICQ accounts in, lets their first sync run, then times
// syncs of the account ICQ_1, `runs` of each kind, and a normal pass. False,
// having said why, when a sync does not come or leaves the server's lists
// empty.
bool TimeLoginSync(SandboxHost& host, const std::vector<ContactHandle>& contacts, int runs,
                   LoginSyncFigures& figures);

void PrintLoginSync(const LoginSyncFigures& figures);
