// A profile of the sandbox host: the contacts, the protocols that are loaded
// and the stored settings, apart from any running host, so that it can be
// read from a file, kept in one and put into a host.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sandbox/SandboxHost.h"

struct ProfileSetting {
    std::string module;
    std::string name;
    StoredSetting value;
};

struct ProfileContact {
    std::string name;  // UTF-8
    std::optional<std::string> protocol;  // none: a contact without protocol
    std::vector<ProfileSetting> settings;
};

struct Profile {
    std::vector<std::string> loadedProtocols;
    // A host from 0.8 on keeps accounts: module name -> the account's protocol.
    bool hostHasAccounts = false;
    std::map<std::string, std::string> accounts;
    std::vector<ProfileSetting> ownSettings;  // on the user's own record, contact 0
    std::vector<ProfileContact> contacts;
    // Every entry of the ICQ server's lists, for the accounts that log in to it.
    std::vector<IcqServer::Entry> serverEntries;
    // Each account's root group record on the server, by account.
    std::map<std::string, std::vector<uint8_t>> serverRootGroups;
};

// The profile a fresh sandbox starts with, on a host with accounts: ICQ
// contacts at every level, one without a level, one out of range, contacts
// of the ICQ account "ICQ_1", and contacts the plug-in leaves alone (of
// another protocol, of a "JABBER_1" account and of an "icq" module that is an
// account of another protocol, and without protocol), and an ICQ contact
// whose name is in Cyrillic and Chinese letters. Every ICQ contact has its
// UIN; the server's lists disagree with the levels, as another client may
// have left them, and one contact is on both.
Profile SampleProfile();

// Adds the profile's contacts, protocols and settings to a host that has
// none yet, and its server entries to the host's ICQ server; returns the contacts' handles in the profile's order. An ANSI
// host gets the names in the system's code page, as it would keep them.
std::vector<ContactHandle> PutProfileIntoHost(const Profile& profile, SandboxHost& host);

// What the host holds now, in the same form.
Profile TakeProfileFromHost(const SandboxHost& host);
