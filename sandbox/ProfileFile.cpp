#include "sandbox/ProfileFile.h"

#include <windows.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "sandbox/TextCodec.h"

static constexpr int kFormat = 1;
static constexpr long kMostContacts = 100000;

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// GetPrivateProfileSection hands the section over as "key=value\0...\0\0",
// and says the buffer was too small by filling it to two short of its size.
// The file is read through the wide API, so that a file in UTF-16 keeps
// every name; a file in 8 bits reads in the system's code page.
Entries ReadSection(const std::string& path, const std::string& section) {
    const std::wstring widePath = WideFromCodePage(path, CP_ACP);
    const std::wstring wideSection = WideFromUtf8(section);
    std::vector<wchar_t> buffer(16 * 1024);
    DWORD length = 0;
    for (;;) {
        length = GetPrivateProfileSectionW(wideSection.c_str(), buffer.data(),
                                           static_cast<DWORD>(buffer.size()), widePath.c_str());
        if (length + 2 < buffer.size() || buffer.size() >= (64u << 20)) break;
        buffer.resize(buffer.size() * 2);
    }
    Entries entries;
    for (const wchar_t* line = buffer.data(); line < buffer.data() + length && *line;
         line += std::wcslen(line) + 1) {
        const std::string text = Utf8FromWide(line);
        if (text[0] == ';') continue;  // a comment line
        const auto equals = text.find('=');
        if (equals == std::string::npos)
            entries.emplace_back(text, "");
        else
            entries.emplace_back(text.substr(0, equals), text.substr(equals + 1));
    }
    return entries;
}

const std::string* Find(const Entries& entries, const char* key) {
    for (const auto& entry : entries)
        if (_stricmp(entry.first.c_str(), key) == 0) return &entry.second;
    return nullptr;
}

bool ParseWhole(const std::string& text, long long low, long long high, long long* value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
    *value = parsed;
    return true;
}

bool ParseValue(const std::string& text, StoredSetting* value) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) return false;
    const std::string type = text.substr(0, colon);
    const std::string rest = text.substr(colon + 1);
    long long number = 0;
    if (type == "text" || type == "utf8" || type == "wtext") {
        value->type = type == "text" ? DBVT_ASCIIZ : type == "utf8" ? DBVT_UTF8 : DBVT_WCHAR;
        value->text = rest;
        return true;
    }
    if (type == "blob") {
        value->type = DBVT_BLOB;
        value->text.clear();
        for (size_t at = 0; at + 1 < rest.size(); at += 2) {
            if (!std::isxdigit(static_cast<unsigned char>(rest[at])) ||
                !std::isxdigit(static_cast<unsigned char>(rest[at + 1])))
                return false;
            value->text.push_back(static_cast<char>(std::stoi(rest.substr(at, 2), nullptr, 16)));
        }
        return rest.size() % 2 == 0;
    }
    if (type == "byte" && ParseWhole(rest, 0, 0xFF, &number)) {
        value->type = DBVT_BYTE;
    } else if (type == "word" && ParseWhole(rest, 0, 0xFFFF, &number)) {
        value->type = DBVT_WORD;
    } else if (type == "dword" && ParseWhole(rest, INT32_MIN, UINT32_MAX, &number)) {
        value->type = DBVT_DWORD;
    } else {
        return false;
    }
    value->number = static_cast<uint32_t>(number);
    return true;
}

// Settings of one section; false with `problem` set on the first bad entry.
bool ParseSettings(const Entries& entries, const std::string& section,
                   std::vector<ProfileSetting>* settings, std::string* problem) {
    for (const auto& [key, text] : entries) {
        if (section != "Own" && (_stricmp(key.c_str(), "Name") == 0 ||
                                 _stricmp(key.c_str(), "Protocol") == 0))
            continue;
        const auto colon = key.find(':');
        if (colon == std::string::npos || colon == 0 || colon + 1 == key.size()) {
            *problem = "[" + section + "] has \"" + key + "\", which is not Module:Setting";
            return false;
        }
        ProfileSetting setting;
        setting.module = key.substr(0, colon);
        setting.name = key.substr(colon + 1);
        if (!ParseValue(text, &setting.value)) {
            *problem = "[" + section + "] " + key + "=" + text +
                       " is not a value (byte:, word:, dword: with a number, text:, utf8:, wtext: or blob:)";
            return false;
        }
        settings->push_back(setting);
    }
    return true;
}

bool ParseItemId(const std::string& text, uint16_t* itemId) {
    if (text.empty() || text.size() > 4) return false;
    for (char c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    const unsigned long value = std::strtoul(text.c_str(), nullptr, 16);
    if (value == 0) return false;
    *itemId = static_cast<uint16_t>(value);
    return true;
}

// "account:list:UIN" and the item id; the account's name may hold colons.
bool ParseServerEntry(const std::string& key, const std::string& itemId, IcqServer::Entry* entry) {
    const auto uinColon = key.rfind(':');
    if (uinColon == std::string::npos || uinColon == 0) return false;
    const auto listColon = key.rfind(':', uinColon - 1);
    if (listColon == std::string::npos || listColon == 0) return false;
    const std::string list = key.substr(listColon + 1, uinColon - listColon - 1);
    if (list == ListName(IcqServer::List::Visible))
        entry->list = IcqServer::List::Visible;
    else if (list == ListName(IcqServer::List::Invisible))
        entry->list = IcqServer::List::Invisible;
    else
        return false;
    long long uin = 0;
    if (!ParseWhole(key.substr(uinColon + 1), 1, UINT32_MAX, &uin)) return false;
    entry->uin = static_cast<uint32_t>(uin);
    entry->account = key.substr(0, listColon);
    return ParseItemId(itemId, &entry->itemId);
}

// "account:root" and its data in hexadecimal; an account's name may hold colons.
bool ParseRootGroup(const std::string& key, const std::string& hex, std::string* account,
                    std::vector<uint8_t>* data) {
    const std::string suffix = ":root";
    if (key.size() <= suffix.size() || key.compare(key.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    if (hex.size() % 2) return false;
    for (char c : hex)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    *account = key.substr(0, key.size() - suffix.size());
    data->clear();
    for (size_t at = 0; at < hex.size(); at += 2)
        data->push_back(static_cast<uint8_t>(std::strtoul(hex.substr(at, 2).c_str(), nullptr, 16)));
    return true;
}

// The server keeps one entry an account, list and UIN, gives an item id
// within an account once, and one root group an account: a file listing any
// of them twice is no server's.
bool ParseServerEntries(const Entries& lines, std::vector<IcqServer::Entry>* entries,
                        std::map<std::string, std::vector<uint8_t>>* rootGroups, std::string* problem) {
    std::set<std::tuple<std::string, IcqServer::List, uint32_t>> listed;
    std::set<std::pair<std::string, uint16_t>> itemIds;
    for (const auto& [key, value] : lines) {
        std::string account;
        std::vector<uint8_t> data;
        if (ParseRootGroup(key, value, &account, &data)) {
            if (!rootGroups->emplace(account, data).second) {
                *problem = "[IcqServer] has a second root group for " + account;
                return false;
            }
            continue;
        }
        IcqServer::Entry entry;
        if (!ParseServerEntry(key, value, &entry)) {
            *problem = "[IcqServer] has \"" + key + "=" + value +
                       "\", which is neither account:list:UIN=item id (the list visible or invisible, "
                       "the item id 1 to FFFF in hexadecimal) nor account:root=data in hexadecimal";
            return false;
        }
        if (!listed.insert({entry.account, entry.list, entry.uin}).second ||
            !itemIds.insert({entry.account, entry.itemId}).second) {
            *problem = "[IcqServer] has \"" + key + "=" + value +
                       "\", whose UIN or item id its account has listed before";
            return false;
        }
        entries->push_back(entry);
    }
    return true;
}

ProfileFileRead Damaged(std::string problem) {
    ProfileFileRead read;
    read.outcome = ProfileFileRead::Outcome::Damaged;
    read.problem = std::move(problem);
    return read;
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::string item;
    for (char c : text + ",") {
        if (c != ',') {
            item += c;
        } else if (!item.empty()) {
            items.push_back(item);
            item.clear();
        }
    }
    return items;
}

}  // namespace

ProfileFileRead ReadProfileFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return ProfileFileRead{};
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Damaged("it is a folder, not a file");

    const Entries head = ReadSection(path, "Profile");
    const std::string* format = Find(head, "Format");
    if (!format) return Damaged("it has no [Profile] section with Format=1");
    long long formatNumber = 0;
    if (!ParseWhole(*format, 0, INT32_MAX, &formatNumber) || formatNumber != kFormat)
        return Damaged("its format is \"" + *format + "\"; this sandbox reads format 1");
    const std::string* count = Find(head, "Contacts");
    long long contactCount = 0;
    if (!count || !ParseWhole(*count, 0, kMostContacts, &contactCount))
        return Damaged("[Profile] Contacts=" + (count ? *count : std::string()) +
                       " is not a number of contacts");

    ProfileFileRead read;
    read.outcome = ProfileFileRead::Outcome::Read;
    if (const std::string* protocols = Find(head, "LoadedProtocols"))
        read.profile.loadedProtocols = SplitList(*protocols);
    // Files of hosts before accounts have no such entry.
    if (const std::string* accounts = Find(head, "Accounts")) {
        read.profile.hostHasAccounts = true;
        for (const std::string& account : SplitList(*accounts)) {
            const auto colon = account.rfind(':');
            if (colon == std::string::npos || colon == 0 || colon + 1 == account.size())
                return Damaged("[Profile] Accounts has \"" + account + "\", which is not module:protocol");
            read.profile.accounts[account.substr(0, colon)] = account.substr(colon + 1);
        }
    }
    std::string problem;
    if (!ParseSettings(ReadSection(path, "Own"), "Own", &read.profile.ownSettings, &problem))
        return Damaged(problem);
    for (long long index = 1; index <= contactCount; ++index) {
        const std::string section = "Contact" + std::to_string(index);
        const Entries entries = ReadSection(path, section);
        ProfileContact contact;
        const std::string* name = Find(entries, "Name");
        if (!name) return Damaged("[" + section + "] is missing or has no Name");
        contact.name = *name;
        if (const std::string* protocol = Find(entries, "Protocol")) contact.protocol = *protocol;
        if (!ParseSettings(entries, section, &contact.settings, &problem)) return Damaged(problem);
        read.profile.contacts.push_back(contact);
    }
    if (!ParseServerEntries(ReadSection(path, "IcqServer"), &read.profile.serverEntries,
                            &read.profile.serverRootGroups, &problem))
        return Damaged(problem);
    return read;
}

namespace {

// A line break would end the entry early; such text is kept on one line.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    return text;
}

std::string ValueText(const StoredSetting& value) {
    switch (value.type) {
    case DBVT_BYTE: return "byte:" + std::to_string(value.number & 0xFF);
    case DBVT_WORD: return "word:" + std::to_string(value.number & 0xFFFF);
    case DBVT_ASCIIZ: return "text:" + OneLine(value.text);
    case DBVT_UTF8: return "utf8:" + OneLine(value.text);
    case DBVT_WCHAR: return "wtext:" + OneLine(value.text);
    case DBVT_BLOB: {
        std::string hex = "blob:";
        for (unsigned char byte : value.text) {
            char pair[3];
            std::snprintf(pair, sizeof pair, "%02X", byte);
            hex += pair;
        }
        return hex;
    }
    default: return "dword:" + std::to_string(static_cast<int32_t>(value.number));
    }
}

// WritePrivateProfileSection takes "key=value\0...\0\0".
void AddEntry(std::string* block, const std::string& key, const std::string& value) {
    *block += OneLine(key) + "=" + value;
    block->push_back('\0');
}

void AddSettings(std::string* block, const std::vector<ProfileSetting>& settings) {
    for (const ProfileSetting& setting : settings)
        AddEntry(block, setting.module + ":" + setting.name, ValueText(setting.value));
}

// The entries go out in UTF-16: each is widened on its own, and the block
// keeps its NUL separators.
bool WriteSection(const std::string& path, const std::string& section, const std::string& block) {
    std::wstring wideBlock;
    for (const char* entry = block.c_str(); entry < block.c_str() + block.size();
         entry += std::strlen(entry) + 1) {
        wideBlock += WideFromUtf8(entry);
        wideBlock.push_back(L'\0');
    }
    wideBlock.push_back(L'\0');
    return WritePrivateProfileSectionW(WideFromUtf8(section).c_str(), wideBlock.c_str(),
                                       WideFromCodePage(path, CP_ACP).c_str()) != 0;
}

// A file that begins with the UTF-16 byte-order mark is kept in UTF-16 by the
// profile API, so names in any script survive.
bool StartAsUtf16File(const char* path) {
    const HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const unsigned char byteOrderMark[2] = {0xFF, 0xFE};
    DWORD written = 0;
    const bool ok = WriteFile(file, byteOrderMark, sizeof byteOrderMark, &written, nullptr) &&
                    written == sizeof byteOrderMark;
    CloseHandle(file);
    return ok;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

bool WriteProfileFile(const std::string& path, const Profile& profile) {
    // A fresh name for every write: the profile API may keep a file's old
    // contents cached under its name.
    char newFile[MAX_PATH];
    if (!GetTempFileNameA(FolderOf(path).c_str(), "qms", 0, newFile)) return false;
    if (!StartAsUtf16File(newFile)) {
        DeleteFileA(newFile);
        return false;
    }

    std::string head;
    AddEntry(&head, "Format", std::to_string(kFormat));
    AddEntry(&head, "Contacts", std::to_string(profile.contacts.size()));
    std::string protocols;
    for (const std::string& proto : profile.loadedProtocols)
        protocols += (protocols.empty() ? "" : ",") + OneLine(proto);
    AddEntry(&head, "LoadedProtocols", protocols);
    if (profile.hostHasAccounts) {
        std::string accounts;
        for (const auto& [module, protocol] : profile.accounts)
            accounts += (accounts.empty() ? "" : ",") + OneLine(module) + ":" + OneLine(protocol);
        AddEntry(&head, "Accounts", accounts);
    }
    bool written = WriteSection(newFile, "Profile", head);

    std::string own;
    AddSettings(&own, profile.ownSettings);
    written = written && WriteSection(newFile, "Own", own);

    for (size_t index = 0; written && index < profile.contacts.size(); ++index) {
        const ProfileContact& contact = profile.contacts[index];
        std::string block;
        AddEntry(&block, "Name", OneLine(contact.name));
        if (contact.protocol) AddEntry(&block, "Protocol", OneLine(*contact.protocol));
        AddSettings(&block, contact.settings);
        written = WriteSection(newFile, "Contact" + std::to_string(index + 1), block);
    }

    std::string server;
    for (const IcqServer::Entry& entry : profile.serverEntries) {
        char itemId[8];
        std::snprintf(itemId, sizeof itemId, "%04X", static_cast<unsigned>(entry.itemId));
        AddEntry(&server, entry.account + ":" + ListName(entry.list) + ":" + std::to_string(entry.uin),
                 itemId);
    }
    for (const auto& [account, data] : profile.serverRootGroups) {
        std::string hex;
        for (uint8_t byte : data) {
            char digits[4];
            std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(byte));
            hex += digits;
        }
        AddEntry(&server, account + ":root", hex);
    }
    written = written && WriteSection(newFile, "IcqServer", server);
    // Null section, key and value: write out whatever the API still holds.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, WideFromCodePage(newFile, CP_ACP).c_str());
    if (written && MoveFileExA(newFile, path.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    DeleteFileA(newFile);
    return false;
}
