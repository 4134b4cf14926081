// Every contact the visibility pass acts on, with its level, as the Options
// page shows and changes them: what was read when the page opened, what the
// user chose since, and the writes that Apply makes of the difference.
#pragma once

#include <string>
#include <vector>

#include "host/HostAbi.h"
#include "plugin/VisibilityPass.h"

// A module the contacts name, as the page needs to know it.
struct LevelModule {
    std::string module;
    bool isIcq = false;       // as the pass counts it
    std::string accountName;  // in the window calls' encoding; empty on hosts without accounts
};

// Plain data: the texts live in the table.
struct LevelRow {
    ContactHandle contact;
    uint32_t nameAt;  // in LevelTable::names
    uint32_t module;  // in LevelTable::modules
    VisibilityLevel storedLevel;  // as stored when the page opened, or at its last Apply
    VisibilityLevel level;        // as chosen on the page
    bool deleted;                 // the contact was deleted while the page was open
};

struct LevelTable {
    std::vector<LevelRow> rows;  // sorted by display name
    // Each row's display name, in the window calls' encoding, with its NUL.
    std::string names;
    std::vector<LevelModule> modules;
    bool hostHasAccounts = false;
    VisibilityLevel storedGlobal = 0;
    VisibilityLevel global = 0;

    const char* NameOf(const LevelRow& row) const { return &names[row.nameAt]; }
};

// The contacts of every module the pass counts as ICQ, sorted by display
// name as the system compares text for the user (its sort keys, which agree
// with CompareString), and the global level.
LevelTable ReadLevelTable();

// Writes each level chosen that differs from the stored one, of contacts
// still there, then the global level if it differs; then runs one normal
// pass, if anything was written. What was written counts as stored from
// then on. True when anything was written.
bool ApplyLevelTable(LevelTable& table);
