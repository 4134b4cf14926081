#include "sandbox/IcqServer.h"

#include <algorithm>

const char* ListName(IcqServer::List list) {
    return list == IcqServer::List::Visible ? "visible" : "invisible";
}

std::vector<IcqServer::Entry> IcqServer::AllEntries() const {
    std::vector<std::pair<uint64_t, Entry>> ordered;
    for (const auto& [key, stored] : entries_) {
        const auto& [account, list, uin] = key;
        ordered.push_back({stored.order, Entry{account, list, uin, stored.itemId}});
    }
    std::sort(ordered.begin(), ordered.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Entry> entries;
    for (const auto& item : ordered) entries.push_back(item.second);
    return entries;
}

std::vector<IcqServer::Entry> IcqServer::Entries(const std::string& account, List list) const {
    std::vector<Entry> found;
    for (const Entry& entry : AllEntries())
        if (entry.account == account && entry.list == list) found.push_back(entry);
    return found;
}

uint16_t IcqServer::ItemId(const std::string& account, List list, uint32_t uin) const {
    auto found = entries_.find(Key{account, list, uin});
    return found == entries_.end() ? 0 : found->second.itemId;
}

uint16_t IcqServer::Add(const std::string& account, List list, uint32_t uin) {
    if (const uint16_t existing = ItemId(account, list, uin)) return existing;
    // Item ids are never 0, and unique within an account.
    uint16_t itemId = nextItemId_;
    while (itemId == 0 || itemIds_.count({account, itemId})) ++itemId;
    nextItemId_ = static_cast<uint16_t>(itemId + 1);
    entries_[Key{account, list, uin}] = Stored{nextOrder_++, itemId};
    itemIds_.insert({account, itemId});
    changes_.push_back({Entry{account, list, uin, itemId}, true});
    return itemId;
}

void IcqServer::Restore(const Entry& entry) {
    auto found = entries_.find(Key{entry.account, entry.list, entry.uin});
    if (found != entries_.end()) Erase(found);
    entries_[Key{entry.account, entry.list, entry.uin}] = Stored{nextOrder_++, entry.itemId};
    itemIds_.insert({entry.account, entry.itemId});
}

void IcqServer::Remove(const std::string& account, List list, uint32_t uin) {
    auto found = entries_.find(Key{account, list, uin});
    if (found == entries_.end()) return;
    changes_.push_back({Entry{account, list, uin, found->second.itemId}, false});
    Erase(found);
}

void IcqServer::Erase(std::map<Key, Stored>::iterator found) {
    itemIds_.erase({std::get<0>(found->first), found->second.itemId});
    entries_.erase(found);
}

void IcqServer::ClearAccount(const std::string& account) {
    for (const Entry& entry : AllEntries())
        if (entry.account == account) Remove(account, entry.list, entry.uin);
}

const std::vector<uint8_t>* IcqServer::RootGroup(const std::string& account) const {
    auto found = rootGroups_.find(account);
    return found == rootGroups_.end() ? nullptr : &found->second;
}

void IcqServer::SetRootGroup(const std::string& account, const std::vector<uint8_t>& data) {
    rootGroups_[account] = data;
}

size_t IcqServer::RecordCount(const std::string& account) const {
    size_t count = rootGroups_.count(account);
    for (const auto& [key, stored] : entries_) count += std::get<0>(key) == account ? 1 : 0;
    return count;
}
