#include "plugin/LevelRows.h"

#include <cstdlib>
#include <cstring>

#include "host/HostHelpers.h"
#include "host/HostLink.h"
#include "host/IcqAccountLookup.h"
#include "plugin/SettingNames.h"
#include "toolkit/WideText.h"
#include "toolkit/WindowCalls.h"

namespace {

// The least cbSize of an account record that holds its name.
constexpr int32_t kAccountSizeWithName =
    static_cast<int32_t>(offsetof(PROTOACCOUNT, tszAccountName) + sizeof(void*));

// The account's name in the window calls' encoding: a Unicode host keeps it
// as wide text, an ANSI one in 8 bits. The module's own name where the
// record has none.
std::string AccountName(intptr_t record, const std::string& module) {
    const auto* account = reinterpret_cast<const PROTOACCOUNT*>(record);
    if (!record || account->cbSize < kAccountSizeWithName || !account->tszAccountName) return module;
    if (HostIsUnicode) return NarrowToUtf8(static_cast<const wchar_t*>(account->tszAccountName));
    return static_cast<const char*>(account->tszAccountName);
}

struct ReadState {
    LevelTable* table;
    bool hostHasAccounts;
};

// The host is asked once a module; a profile has a handful.
uint32_t ModuleIndex(ReadState& state, const char* module) {
    std::vector<LevelModule>& modules = state.table->modules;
    for (uint32_t index = 0; index < modules.size(); ++index)
        if (modules[index].module == module) return index;
    modules.emplace_back();
    LevelModule& facts = modules.back();
    facts.module = module;
    // "ICQ" is ICQ without asking, as the pass has it; where the host keeps
    // accounts, its account still has a name to show.
    facts.isIcq = facts.module == "ICQ";
    if (state.hostHasAccounts) {
        const intptr_t record =
            CallHostService(kSvcGetAccount, 0, reinterpret_cast<HostLParam>(facts.module.c_str()));
        if (record == kServiceNotFound) {
            state.hostHasAccounts = false;
        } else {
            facts.isIcq = facts.isIcq || IsIcqAccountRecord(record);
            facts.accountName = AccountName(record, facts.module);
        }
    }
    return static_cast<uint32_t>(modules.size() - 1);
}

void ReadRow(ContactHandle contact, const char* module, void* context) {
    auto& state = *static_cast<ReadState*>(context);
    if (!module || !*module) return;
    LevelTable& table = *state.table;
    const uint32_t moduleIndex = ModuleIndex(state, module);
    if (!table.modules[moduleIndex].isIcq) return;
    const VisibilityLevel level = ReadVisibilityLevel(contact);
    const LevelRow row = {contact, static_cast<uint32_t>(table.names.size()), moduleIndex, level, level, false};
    table.rows.push_back(row);
    table.names += GetContactDisplayName(contact);
    table.names += '\0';
}

// qsort has no room for a context: the keys of the sort under way.
const char* SortKeys = nullptr;
const std::vector<uint32_t>* SortKeyAt = nullptr;

// By the names' sort keys; equal names keep the host's order, which is the
// order of their texts in the table.
int CompareRows(const void* a, const void* b) {
    const auto* first = static_cast<const LevelRow*>(a);
    const auto* second = static_cast<const LevelRow*>(b);
    const std::vector<uint32_t>& keyAt = *SortKeyAt;
    if (const int order = std::strcmp(SortKeys + keyAt[first->nameAt], SortKeys + keyAt[second->nameAt]))
        return order;
    return first->nameAt < second->nameAt ? -1 : first->nameAt > second->nameAt;
}

}  // namespace

LevelTable ReadLevelTable() {
    LevelTable table;
    table.storedGlobal = table.global = ReadVisibilityLevel(0);
    ReadState state = {&table, true};
    ForEachContact(ReadRow, &state);
    table.hostHasAccounts = state.hostHasAccounts && !table.modules.empty();

    // Each name's sort key, found by where the name starts.
    std::string keys;
    std::vector<uint32_t> keyAt(table.names.size());
    for (const LevelRow& row : table.rows) {
        keyAt[row.nameAt] = static_cast<uint32_t>(keys.size());
        keys += WinSortKey(table.NameOf(row));
        keys += '\0';
    }
    SortKeys = keys.c_str();
    SortKeyAt = &keyAt;
    if (table.rows.size() > 1) std::qsort(table.rows.data(), table.rows.size(), sizeof(LevelRow), CompareRows);
    SortKeys = nullptr;
    SortKeyAt = nullptr;
    return table;
}

bool ApplyLevelTable(LevelTable& table) {
    bool wrote = false;
    for (LevelRow& row : table.rows) {
        if (row.deleted || row.level == row.storedLevel) continue;
        WriteSettingDword(row.contact, kSettingsModule, kSettingVisibilityLevel, static_cast<uint32_t>(row.level));
        row.storedLevel = row.level;
        wrote = true;
    }
    if (table.global != table.storedGlobal) {
        WriteSettingDword(0, kSettingsModule, kSettingVisibilityLevel, static_cast<uint32_t>(table.global));
        table.storedGlobal = table.global;
        wrote = true;
    }
    if (wrote) ApplyVisibility(NormalPass);
    return wrote;
}
