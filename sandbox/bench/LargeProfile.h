// The large profile the pass, the login sync and the editor are measured on.
#pragma once

#include <vector>

#include "sandbox/SandboxHost.h"

// A 32-bit program run through qemu-user has far less memory than a native
// one: under Wine about 120 MB of heap, where the profile of 100000 contacts
// and the call log the login sync keeps of them need more. The 64-bit build
// always runs natively. run-bench.sh says how 32-bit programs run here.
constexpr int kNativeContacts = 100000;
constexpr int kEmulatedContacts = 25000;
constexpr int32_t kGlobalLevel = 3;

bool RunsThroughQemu();

// The profile's number of contacts on this run: decided once, from the
// environment.
int ProfileContacts();

// A host with accounts. Every other contact is ICQ, half of those in the
// "ICQ" module of a profile from before accounts and half in the account
// "ICQ_1"; the rest are MSN. The ICQ contacts' levels cycle through 0-6 and
// "never set"; each has its UIN, so that the server can list it. The global
// level is kGlobalLevel. The contacts, in the host's order.
std::vector<ContactHandle> BuildProfile(SandboxHost& host);
