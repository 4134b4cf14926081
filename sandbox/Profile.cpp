#include "sandbox/Profile.h"

#include <map>

static ProfileSetting Dword(const char* module, const char* name, uint32_t value) {
    ProfileSetting setting;
    setting.module = module;
    setting.name = name;
    setting.value.type = DBVT_DWORD;
    setting.value.number = value;
    return setting;
}

static ProfileContact Contact(const char* name, const char* protocol) {
    ProfileContact contact;
    contact.name = name;
    if (protocol) contact.protocol = protocol;
    return contact;
}

static ProfileContact ContactAtLevel(const char* name, const char* protocol, int32_t level) {
    ProfileContact contact = Contact(name, protocol);
    contact.settings.push_back(
        Dword("Quillmere", "VisibilityLevel", static_cast<uint32_t>(level)));
    return contact;
}

// The ICQ module keeps each contact's UIN among the contact's settings.
static ProfileContact WithUin(ProfileContact contact, uint32_t uin) {
    contact.settings.push_back(Dword(contact.protocol->c_str(), "UIN", uin));
    return contact;
}

Profile SampleProfile() {
    Profile profile;
    profile.loadedProtocols = {"ICQ", "ICQ_1", "JABBER_1", "MSN", "icq"};
    profile.hostHasAccounts = true;
    profile.accounts = {{"ICQ", "ICQ"},           {"ICQ_1", "ICQ"}, {"JABBER_1", "JABBER"},
                        {"MSN", "MSN"},           {"icq", "JABBER"}};
    profile.ownSettings.push_back(Dword("Quillmere", "VisibilityLevel", 3));
    profile.contacts = {
        WithUin(ContactAtLevel("Alice", "ICQ", 0), 100101), WithUin(ContactAtLevel("Bob", "ICQ", 1), 100102),
        WithUin(ContactAtLevel("Carol", "ICQ", 2), 100103), WithUin(ContactAtLevel("Dave", "ICQ", 3), 100104),
        WithUin(ContactAtLevel("Erin", "ICQ", 4), 100105),  WithUin(ContactAtLevel("Frank", "ICQ", 5), 100106),
        WithUin(ContactAtLevel("Grace", "ICQ", 6), 100107), WithUin(Contact("Heidi", "ICQ"), 100108),
        WithUin(ContactAtLevel("Ivan", "ICQ", 9), 100109),  WithUin(ContactAtLevel("Kim", "ICQ_1", 2), 200201),
        WithUin(ContactAtLevel("Liam", "ICQ_1", 5), 200202), ContactAtLevel("Judy", "MSN", 6),
        ContactAtLevel("Nadia", "JABBER_1", 0), ContactAtLevel("Oscar", "icq", 0),
        ContactAtLevel("Mallory", nullptr, 0), WithUin(ContactAtLevel("Иван 李", "ICQ", 4), 100110),
    };
    // What another client left on the server: Alice, Bob, Grace and Kim on
    // the wrong list, Dave on both, Erin and Ivan where they may stay.
    using List = IcqServer::List;
    profile.serverEntries = {
        {"ICQ", List::Invisible, 100101, 0x0A01}, {"ICQ", List::Visible, 100102, 0x0A02},
        {"ICQ", List::Visible, 100104, 0x0A03},   {"ICQ", List::Invisible, 100104, 0x0A04},
        {"ICQ", List::Visible, 100105, 0x0A05},   {"ICQ", List::Visible, 100107, 0x0A06},
        {"ICQ", List::Invisible, 100109, 0x0A07}, {"ICQ_1", List::Visible, 200201, 0x0B01},
    };
    // Each account's root group: a TLV block of 6 bytes that lists one group,
    // "General", by its id 1.
    const std::vector<uint8_t> oneGroup = {0x00, 0x06, 0x00, 0xC8, 0x00, 0x02, 0x00, 0x01};
    profile.serverRootGroups = {{"ICQ", oneGroup}, {"ICQ_1", oneGroup}};
    return profile;
}

std::vector<ContactHandle> PutProfileIntoHost(const Profile& profile, SandboxHost& host) {
    // A host knows ICQ from the start; the profile says what is loaded.
    for (const std::string& proto : std::set<std::string>(host.LoadedProtocols()))
        host.SetProtocolLoaded(proto, false);
    for (const std::string& proto : profile.loadedProtocols) host.SetProtocolLoaded(proto, true);
    host.SetAccountsEnabled(profile.hostHasAccounts);
    for (const auto& [module, protocol] : profile.accounts) host.AddAccount(module, protocol);
    for (const ProfileSetting& setting : profile.ownSettings)
        host.SetSetting(0, setting.module, setting.name, setting.value);
    std::vector<ContactHandle> handles;
    for (const ProfileContact& contact : profile.contacts) {
        const std::string name = host.HostTextFromUtf8(contact.name);
        const ContactHandle handle =
            host.AddContact(contact.protocol ? contact.protocol->c_str() : nullptr, name.c_str());
        for (const ProfileSetting& setting : contact.settings)
            host.SetSetting(handle, setting.module, setting.name, setting.value);
        handles.push_back(handle);
    }
    for (const IcqServer::Entry& entry : profile.serverEntries) host.Server().Restore(entry);
    for (const auto& [account, data] : profile.serverRootGroups) host.Server().SetRootGroup(account, data);
    return handles;
}

Profile TakeProfileFromHost(const SandboxHost& host) {
    Profile profile;
    profile.loadedProtocols.assign(host.LoadedProtocols().begin(), host.LoadedProtocols().end());
    profile.hostHasAccounts = host.AccountsEnabled();
    for (const auto& [module, account] : host.Accounts())
        if (account.protocol) profile.accounts[module] = *account.protocol;
    std::map<ContactHandle, size_t> indexOf;
    for (ContactHandle handle : host.Contacts()) {
        ProfileContact contact;
        const std::string* name = host.DisplayNameOf(handle);
        if (name) contact.name = host.Utf8FromHostText(*name);
        if (const std::string* proto = host.ProtocolOf(handle)) contact.protocol = *proto;
        indexOf[handle] = profile.contacts.size();
        profile.contacts.push_back(contact);
    }
    for (const auto& [key, value] : host.Settings()) {
        const auto& [handle, module, name] = key;
        ProfileSetting setting{module, name, value};
        if (handle == 0) {
            profile.ownSettings.push_back(setting);
        } else if (auto found = indexOf.find(handle); found != indexOf.end()) {
            profile.contacts[found->second].settings.push_back(setting);
        }
    }
    profile.serverEntries = host.Server().AllEntries();
    profile.serverRootGroups = host.Server().RootGroups();
    return profile;
}
