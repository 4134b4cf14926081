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

// A row to be sorted: where its name's sort key lies, and where the row is.
struct SortEntry {
    uint32_t keyAt;
    uint32_t row;
};

// qsort has no room for a context: the keys of the sort under way.
const char* SortKeys = nullptr;

// By the names' sort keys; equal names keep the host's order.
int CompareEntries(const void* a, const void* b) {
    const auto* first = static_cast<const SortEntry*>(a);
    const auto* second = static_cast<const SortEntry*>(b);
    if (const int order = std::strcmp(SortKeys + first->keyAt, SortKeys + second->keyAt)) return order;
    return first->row < second->row ? -1 : first->row > second->row;
}

}  // namespace

LevelTable ReadLevelTable() {
    LevelTable table;
    table.storedGlobal = table.global = ReadVisibilityLevel(0);
    ReadState state = {&table, true};
    ForEachContact(ReadRow, &state);
    table.hostHasAccounts = state.hostHasAccounts && !table.modules.empty();

    std::string keys;
    std::vector<SortEntry> order(table.rows.size());
    for (uint32_t row = 0; row < order.size(); ++row) {
        order[row] = {static_cast<uint32_t>(keys.size()), row};
        keys += WinSortKey(table.NameOf(table.rows[row]));
        keys += '\0';
    }
    SortKeys = keys.c_str();
    if (order.size() > 1) std::qsort(order.data(), order.size(), sizeof(SortEntry), CompareEntries);
    SortKeys = nullptr;
    std::vector<LevelRow> sorted(order.size());
    for (size_t index = 0; index < order.size(); ++index) sorted[index] = table.rows[order[index].row];
    table.rows.swap(sorted);
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
