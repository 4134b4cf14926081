// The sandbox's profile kept in a file, through the platform's own profile
// API (GetPrivateProfileSection and WritePrivateProfileSection), in this form:
//
//   [Profile]
//   Format=1
//   Contacts=2
//   LoadedProtocols=ICQ,MSN
//   Accounts=ICQ:ICQ,ICQ_1:ICQ             module:protocol; absent: a host without accounts
//   [Own]                                  settings on the user's own record
//   Quillmere:VisibilityLevel=dword:3
//   [Contact1] ... [Contact2]              one section a contact, in order
//   Name=Alice
//   Protocol=ICQ                           absent: a contact without protocol
//   Quillmere:VisibilityLevel=dword:0      Module:Setting=type:value
//   [IcqServer]                            the ICQ server's lists, in the server's order
//   ICQ:visible:100102=0A02                account:list:UIN=item id
//   ICQ:root=000600C800020001              account:root=the root group's data
//
// Types are byte, word, dword (decimal, dword also negative), text, utf8 and
// wtext (one line each), and blob (hexadecimal bytes). A server entry's list
// is visible or invisible, its UIN decimal and its item id hexadecimal, 1 to
// FFFF; within an account, a UIN is on each list at most once and no item id
// is given twice. A root group's data are hexadecimal bytes, maybe none; an
// account has one root group at most. The file is written in UTF-16, so that names in any script
// survive; texts in memory are UTF-8. Files in 8 bits, as earlier sandboxes
// wrote them, still read, and so do files without [IcqServer], whose server
// lists nothing.
#pragma once

#include <string>

#include "sandbox/Profile.h"

struct ProfileFileRead {
    enum class Outcome { Read, Missing, Damaged };
    Outcome outcome = Outcome::Missing;
    Profile profile;      // what was read, when Read
    std::string problem;  // when Damaged: what is wrong, in words for the user
};

// Reads the whole file or nothing: a file with any fault is Damaged, and no
// part of it is used.
ProfileFileRead ReadProfileFile(const std::string& path);

// Replaces the file with the profile. The new file is written beside it and
// then moved over it, so an interrupted write leaves the old one whole.
// False when the file could not be written.
bool WriteProfileFile(const std::string& path, const Profile& profile);
