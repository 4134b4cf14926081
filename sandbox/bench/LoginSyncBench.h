// The login sync: what the plug-in does on the ack that tells it an ICQ
// account has just logged in.
#pragma once

#include <vector>

#include "sandbox/SandboxHost.h"

struct SyncFigures {
    double nsPerContact = 0;  // per contact of the host walked
    double callsPerContact = 0;
};

struct LoginSyncFigures {
    SyncFigures emptyServer;   // a server without entries for the account
    SyncFigures rightServer;   // a server already right
    SyncFigures passLoggedIn;  // a normal pass, the accounts logged in
};

// The account logs in (the module reads the server's lists), then each
// figure times only what the plug-in does on the ack: once against a server
// without entries, once against one already right, `runs` times each; and a
// normal pass. False, having said why, when the server's lists end empty.
bool TimeLoginSync(SandboxHost& host, const std::vector<ContactHandle>& contacts, int runs,
                   LoginSyncFigures& figures);

void PrintLoginSync(const LoginSyncFigures& figures);
