// Whether a contact's protocol module is ICQ. Hosts before 0.8 name it "ICQ";
// from 0.8 on the host keeps accounts, and an ICQ account made in its account
// manager has a module name of its own ("ICQ_1", or whatever the user typed),
// so the host is asked which protocol stands behind the name.
#pragma once

#include <string>
#include <vector>

#include "host/HostAbi.h"

// Reads the answer of "Proto/GetAccount". 0 is "no such account", and
// kServiceNotFound comes from a host without accounts; neither is an address.
// A record too short to hold the protocol's name is not read past its cbSize.
bool IsIcqAccountRecord(intptr_t answer);

// Lives for one pass or one menu build: accounts come and go while the host
// runs, so nothing is kept longer. Within that time each module name is asked
// about once, and nothing more once the host has shown it has no accounts.
class IcqAccountLookup {
public:
    // True for "ICQ" itself, without asking the host, and for a module the
    // host names an account of the ICQ protocol. Null and empty name no module.
    bool IsIcq(const char* module);

private:
    struct Answer {
        std::string module;
        bool isIcq;
    };
    std::vector<Answer> answers_;  // a profile has a handful of modules
    bool hostHasAccounts_ = true;
};
