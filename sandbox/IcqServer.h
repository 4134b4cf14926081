// An ICQ server as today's community servers keep an account's contact list:
// for each account a visible list and an invisible list, each entry a
// contact's UIN with the item id the server gave it, and the root group, the
// record that holds the order of the user's groups. The server keeps what it
// is told, so a contact can be on both lists. It outlives the hosts that log
// in to it, as a server outlives a restart of the client.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

class IcqServer {
public:
    enum class List { Visible, Invisible };
    struct Entry {
        std::string account;  // the account's module name stands for its own UIN
        List list = List::Visible;
        uint32_t uin = 0;
        uint16_t itemId = 0;
    };
    // One change of a list, as the server made it.
    struct Change {
        Entry entry;
        bool added = false;  // false: removed
    };

    // The entries of one account's list, oldest first.
    std::vector<Entry> Entries(const std::string& account, List list) const;
    // Every entry of every account, in the order the server hands them out.
    std::vector<Entry> AllEntries() const;
    // 0 when the UIN has no entry on that list.
    uint16_t ItemId(const std::string& account, List list, uint32_t uin) const;

    // A new entry with an item id of the server's; an entry already there
    // stays as it is. Returns the entry's item id.
    uint16_t Add(const std::string& account, List list, uint32_t uin);
    // Puts back an entry with its item id, as the server had it stored.
    void Restore(const Entry& entry);
    void Remove(const std::string& account, List list, uint32_t uin);
    // Takes every entry of the account off both lists; its root group stays.
    void ClearAccount(const std::string& account);

    // The account's root group record, null while it has none. Its data list
    // the user's groups in the order other clients show them.
    const std::vector<uint8_t>* RootGroup(const std::string& account) const;
    // Stores the record, replacing the one the account had.
    void SetRootGroup(const std::string& account, const std::vector<uint8_t>& data);
    const std::map<std::string, std::vector<uint8_t>>& RootGroups() const { return rootGroups_; }
    // The records the server sends the account at login: the entries of its
    // lists and its root group.
    size_t RecordCount(const std::string& account) const;

    // Every Add and Remove that changed a list, in order.
    const std::vector<Change>& Changes() const { return changes_; }
    void ClearChanges() { changes_.clear(); }

private:
    using Key = std::tuple<std::string, List, uint32_t>;
    struct Stored {
        uint64_t order;  // entries are handed out in the order the server got them
        uint16_t itemId;
    };
    void Erase(std::map<Key, Stored>::iterator found);

    std::map<Key, Stored> entries_;
    std::set<std::pair<std::string, uint16_t>> itemIds_;  // taken, per account
    uint64_t nextOrder_ = 0;
    uint16_t nextItemId_ = 0x2A01;
    std::vector<Change> changes_;
    std::map<std::string, std::vector<uint8_t>> rootGroups_;
};

const char* ListName(IcqServer::List list);  // "visible" or "invisible"
