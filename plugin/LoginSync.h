// Lines up an ICQ account's server-side visible and invisible lists with the
// levels once the account has logged in.
//
// The ICQ module reads the server's lists at login and overwrites the
// apparent mode of every contact the server lists; a pass run while the
// account was still connecting only changed the stored modes. So a contact
// stays wherever the server had it until the mode it is told differs from
// the stored one, and every pass after login would find nothing to change.
#pragma once

#include "host/HostAbi.h"

// The account's module when the ack reports that the account has just
// logged in: a successful status ack of the account itself, from a status
// that is not logged in to one that is. Null for any other ack, and for a
// record too short or without a module name. Reads nothing past cbSize.
const char* ModuleThatLoggedIn(const ACKDATA* ack);

// The account's module when the ack reports the account's own status as one
// that is not logged in (offline, or connecting again). Null otherwise.
const char* ModuleNotLoggedIn(const ACKDATA* ack);

// Makes the server's lists of the module's contacts match the normal pass's
// decisions with the fewest calls, when the module is ICQ and uses the
// server-side contact list. Contacts of other modules get no call.
void SyncServerLists(const char* module);
