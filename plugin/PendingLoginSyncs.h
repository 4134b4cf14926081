// The accounts whose server lists wait to be lined up, and the timer that
// lines them up.
//
// The ICQ module acks the login before it has finished it: once the ack's
// hooks have returned, it starts its queue of server-list changes, and if
// any change was made meanwhile (each one resets the record count it keeps
// of the server's list) it takes the server's list for empty and overwrites
// the user's root group, the order of the user's groups, with an empty one.
// So nothing is changed from inside the ack: the hook only notes the
// account, and a timer of the user-interface thread, the thread the hooks run
// on, runs the sync about a second later, well after the module is done. It
// also gathers a burst of acks (a reconnect, several accounts) into one sync
// per account.
#pragma once

#include "host/HostAbi.h"

constexpr unsigned kLoginSyncDelayMs = 1000;

// Takes what a "Proto/Ack" reports: an account that has just logged in waits
// for its sync, and the timer starts again from now; an account reported as
// no longer logged in waits no more. Makes no host call.
void NoteAccountStatus(const ACKDATA* ack);

// Forgets every waiting account and stops the timer, so that nothing fires
// into a DLL the host is about to free.
void CancelPendingLoginSyncs();
