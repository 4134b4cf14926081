#include "sandbox/bench/LargeProfile.h"

#include <cstdlib>
#include <cstring>

bool RunsThroughQemu() {
    const char* mode = std::getenv("QM_I386_MODE");
    return sizeof(void*) == 4 && mode && std::strcmp(mode, "emulated") == 0;
}

int ProfileContacts() {
    static const int contacts = RunsThroughQemu() ? kEmulatedContacts : kNativeContacts;
    return contacts;
}

// No pass reads an MSN contact's settings, so they have none: each setting
// is a node of string keys in the host, and memory is short where 32-bit
// code is emulated.
std::vector<ContactHandle> BuildProfile(SandboxHost& host) {
    host.SetAccountsEnabled(true);
    for (const char* module : {"ICQ", "ICQ_1", "MSN"}) host.SetProtocolLoaded(module, true);
    host.AddAccount("ICQ", "ICQ");
    host.AddAccount("ICQ_1", "ICQ");
    host.AddAccount("MSN", "MSN");
    const int count = ProfileContacts();
    std::vector<ContactHandle> contacts;
    contacts.reserve(count);
    for (int i = 0; i < count; ++i) {
        const char* module = i % 2 ? "MSN" : i % 4 ? "ICQ_1" : "ICQ";
        const ContactHandle contact = host.AddContact(module, "Contact");
        if (i % 2 == 0) {
            const int level = (i / 4) % 8;
            if (level < 7)
                host.SetDword(contact, "Quillmere", "VisibilityLevel", static_cast<uint32_t>(level));
            host.SetDword(contact, module, "UIN", static_cast<uint32_t>(100000 + i));
        }
        contacts.push_back(contact);
    }
    host.SetDword(0, "Quillmere", "VisibilityLevel", static_cast<uint32_t>(kGlobalLevel));
    return contacts;
}
