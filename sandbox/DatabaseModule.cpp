// The sandbox host's database: the contacts, in the order they were added,
// and their settings, with the services that read and write them. Text and
// binary values go out as copies the caller gives back, as a real database
// hands them out.
#include <algorithm>
#include <iterator>
#include <cstdlib>
#include <cstring>

#include "sandbox/CallLogText.h"
#include "sandbox/SandboxHost.h"

namespace {

std::string SettingName(const char* module, const char* setting) {
    return Quote(module) + "/" + Quote(setting);
}

}  // namespace

void SandboxHost::AddDatabaseServices() {
    AddHostService(kSvcGetSetting, [this](HostWParam wParam, HostLParam lParam) {
        return ServeGetSetting(wParam, reinterpret_cast<const DBCONTACTGETSETTING*>(lParam));
    });
    AddHostService(kSvcWriteSetting, [this](HostWParam wParam, HostLParam lParam) {
        return ServeWriteSetting(wParam, reinterpret_cast<const DBCONTACTWRITESETTING*>(lParam));
    });
    AddHostService(kSvcFreeVariant, [this](HostWParam wParam, HostLParam lParam) {
        const auto* value = reinterpret_cast<const DBVARIANT*>(lParam);
        Record(std::string(kSvcFreeVariant) + " " + std::to_string(wParam) + " " +
               (value ? "type=" + std::to_string(value->type) : "(null)"));
        return ServeFreeVariant(value);
    });
    AddHostService(kSvcGetContactCount, [this](HostWParam, HostLParam) {
        Record(kSvcGetContactCount);
        return countOverride_ ? *countOverride_ : static_cast<intptr_t>(contacts_.size());
    });
    AddHostService(kSvcFindFirstContact, [this](HostWParam, HostLParam) -> intptr_t {
        Record(kSvcFindFirstContact);
        return contacts_.empty() ? 0 : contacts_.front();
    });
    AddHostService(kSvcFindNextContact, [this](HostWParam wParam, HostLParam) -> intptr_t {
        Record(std::string(kSvcFindNextContact) + " " + std::to_string(wParam));
        // Handles are handed out in increasing order, so the list is sorted.
        auto found = std::lower_bound(contacts_.begin(), contacts_.end(), wParam);
        if (found == contacts_.end() || *found != wParam || found + 1 == contacts_.end()) return 0;
        return *(found + 1);
    });
}

intptr_t SandboxHost::ServeGetSetting(HostWParam contact, const DBCONTACTGETSETTING* request) {
    if (!request) {
        Record(std::string(kSvcGetSetting) + " " + std::to_string(contact) + " (null)");
        return 1;
    }
    Record(std::string(kSvcGetSetting) + " " + std::to_string(contact) + " " +
               SettingName(request->szModule, request->szSetting),
           request, sizeof *request);
    if (!request->szModule || !request->szSetting || !request->pValue) return 1;
    auto found = settings_.find(SettingKey{contact, request->szModule, request->szSetting});
    if (found == settings_.end()) return 1;
    // The host writes the value in its stored type and width, as a real
    // database does; the rest of the union keeps what the caller put there,
    // or what a cache left there when stale bytes are asked for.
    DBVARIANT* value = request->pValue;
    const StoredSetting& stored = found->second;
    value->type = stored.type;
    const bool isNumber = stored.type == DBVT_BYTE || stored.type == DBVT_WORD || stored.type == DBVT_DWORD;
    if (staleValueBytes_ && isNumber)
        std::memset(reinterpret_cast<uint8_t*>(value) + offsetof(DBVARIANT, dVal), *staleValueBytes_,
                    sizeof(DBVARIANT) - offsetof(DBVARIANT, dVal));
    switch (stored.type) {
    case DBVT_BYTE: value->bVal = static_cast<uint8_t>(stored.number); break;
    case DBVT_WORD: value->wVal = static_cast<uint16_t>(stored.number); break;
    case DBVT_DWORD: value->dVal = stored.number; break;
    case DBVT_ASCIIZ:
    case DBVT_UTF8:
    case DBVT_WCHAR: value->pszVal = static_cast<char*>(CopyOfValue(stored)); break;
    case DBVT_BLOB:
        value->blob.cpbVal = static_cast<uint16_t>(stored.text.size());
        value->blob.pbVal = static_cast<uint8_t*>(CopyOfValue(stored));
        break;
    default: break;
    }
    return 0;
}

// A copy of its own the caller must give back, as a real database hands out.
void* SandboxHost::CopyOfValue(const StoredSetting& stored) {
    void* copy = nullptr;
    if (stored.type == DBVT_WCHAR) {
        const int length = MultiByteToWideChar(CP_ACP, 0, stored.text.c_str(), -1, nullptr, 0);
        copy = std::calloc(static_cast<size_t>(std::max(length, 1)), sizeof(wchar_t));
        if (copy && length > 0)
            MultiByteToWideChar(CP_ACP, 0, stored.text.c_str(), -1, static_cast<wchar_t*>(copy), length);
    } else {
        copy = std::calloc(stored.text.size() + 1, 1);
        if (copy) std::memcpy(copy, stored.text.data(), stored.text.size());
    }
    if (!copy) return nullptr;
    copiesOut_[copy] = stored.type;
    ++copiesHandedOut_;
    return copy;
}

intptr_t SandboxHost::ServeFreeVariant(const DBVARIANT* value) {
    if (!value) return 1;
    void* copy = nullptr;
    switch (value->type) {
    case DBVT_ASCIIZ:
    case DBVT_UTF8:
    case DBVT_WCHAR: copy = value->pszVal; break;
    case DBVT_BLOB: copy = value->blob.pbVal; break;
    default: return 0;  // nothing was copied for a number
    }
    auto found = copiesOut_.find(copy);
    if (found == copiesOut_.end()) {
        ++strayFrees_;
        return 1;
    }
    std::free(found->first);
    copiesOut_.erase(found);
    ++copiesGivenBack_;
    return 0;
}

intptr_t SandboxHost::ServeWriteSetting(HostWParam contact, const DBCONTACTWRITESETTING* request) {
    if (!request) {
        Record(std::string(kSvcWriteSetting) + " " + std::to_string(contact) + " (null)");
        return 1;
    }
    const DBVARIANT& value = request->value;
    std::string shown = "type=" + std::to_string(value.type) + " ";
    StoredSetting stored;
    stored.type = value.type;
    switch (value.type) {
    case DBVT_BYTE: stored.number = value.bVal; break;
    case DBVT_WORD: stored.number = value.wVal; break;
    case DBVT_DWORD: stored.number = value.dVal; break;
    case DBVT_ASCIIZ:
    case DBVT_UTF8: stored.text = value.pszVal ? value.pszVal : ""; break;
    default: break;
    }
    shown += value.type == DBVT_ASCIIZ || value.type == DBVT_UTF8 ? Quote(value.pszVal)
                                       : std::to_string(static_cast<int32_t>(stored.number));
    Record(std::string(kSvcWriteSetting) + " " + std::to_string(contact) + " " +
               SettingName(request->szModule, request->szSetting) + " " + shown,
           request, sizeof *request);
    if (!request->szModule || !request->szSetting) return 1;
    settings_[SettingKey{contact, request->szModule, request->szSetting}] = stored;
    ++settingsRevision_;
    NotifyChange();
    return 0;
}

// --- Contacts and settings, as the host's owner sets them up ---------------------------

ContactHandle SandboxHost::AddContact(const char* proto, const char* displayName) {
    const ContactHandle contact = nextContact_;
    nextContact_ += 0x10;
    contacts_.push_back(contact);
    protos_[contact] = proto ? std::make_unique<std::string>(proto) : nullptr;
    SetDisplayName(contact, displayName);
    return contact;
}

void SandboxHost::DeleteContact(ContactHandle contact) {
    FireEvent(kEvContactDeleted, contact, 0);
    contacts_.erase(std::remove(contacts_.begin(), contacts_.end(), contact), contacts_.end());
    protos_.erase(contact);
    displayNames_.erase(contact);
    for (auto it = settings_.begin(); it != settings_.end();)
        it = std::get<0>(it->first) == contact ? settings_.erase(it) : std::next(it);
}

void SandboxHost::SetDisplayName(ContactHandle contact, const char* displayName) {
    displayNames_[contact] = displayName ? std::make_unique<std::string>(displayName) : nullptr;
}

const std::string* SandboxHost::DisplayNameOf(ContactHandle contact) const {
    auto found = displayNames_.find(contact);
    return found == displayNames_.end() ? nullptr : found->second.get();
}

void SandboxHost::SetSetting(ContactHandle contact, const std::string& module,
                             const std::string& setting, const StoredSetting& value) {
    settings_[SettingKey{contact, module, setting}] = value;
}

void SandboxHost::SetDword(ContactHandle contact, const std::string& module,
                           const std::string& setting, uint32_t value) {
    StoredSetting stored;
    stored.type = DBVT_DWORD;
    stored.number = value;
    SetSetting(contact, module, setting, stored);
}

void SandboxHost::RemoveSetting(ContactHandle contact, const std::string& module,
                                const std::string& setting) {
    settings_.erase(SettingKey{contact, module, setting});
}

size_t SandboxHost::SettingCount(const std::string& module) const {
    size_t count = 0;
    for (const auto& [key, value] : settings_) count += std::get<1>(key) == module ? 1 : 0;
    return count;
}

std::optional<StoredSetting> SandboxHost::Setting(ContactHandle contact, const std::string& module,
                                                  const std::string& setting) const {
    auto found = settings_.find(SettingKey{contact, module, setting});
    if (found == settings_.end()) return std::nullopt;
    return found->second;
}

std::optional<uint32_t> SandboxHost::Dword(ContactHandle contact, const std::string& module,
                                           const std::string& setting) const {
    auto stored = Setting(contact, module, setting);
    if (!stored || stored->type != DBVT_DWORD) return std::nullopt;
    return stored->number;
}
