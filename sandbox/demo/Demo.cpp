// Loads Quillmere.dll into the sandbox host with a small sample profile and
// shows what the plug-in does with it, in words a new user can follow.
#include <cstdio>
#include <string>
#include <vector>

#include "sandbox/SandboxHost.h"

namespace {

struct SampleContact {
    const char* name;
    const char* proto;  // null: no protocol
    bool hasLevel;
    int32_t level;
    const char* note;
    ContactHandle handle;
};

const char* const kLevelNames[] = {"Always visible", "Visibility 1", "Visibility 2",
                                   "Visibility 3",   "Visibility 4", "Visibility 5",
                                   "Never visible"};

std::string LevelText(const SampleContact& contact) {
    if (!contact.hasLevel) return "not set (counts as 0)";
    if (contact.level >= 0 && contact.level <= 6)
        return std::to_string(contact.level) + " " + kLevelNames[contact.level];
    return std::to_string(contact.level) + " (out of range)";
}

// What the ICQ protocol was told about a contact in the last pass.
const char* Seen(const SandboxHost& host, const SampleContact& contact) {
    auto mode = host.ApparentMode(contact.handle);
    if (!mode) return "-";
    return *mode == ID_STATUS_ONLINE ? "sees" : "hidden";
}

void PrintHeader(const std::vector<SampleContact>& contacts) {
    std::printf("  %-20s", "global level");
    for (const auto& contact : contacts) std::printf(" %-8s", contact.name);
    std::printf("\n");
}

}  // namespace

int main() {
    SandboxHost host;
    if (!host.LoadPlugin("Quillmere.dll")) {
        std::printf("Quillmere.dll could not be loaded from the current folder.\n");
        return 1;
    }

    std::vector<SampleContact> contacts = {
        {"Alice", "ICQ", true, 0, "", 0},    {"Bob", "ICQ", true, 1, "", 0},
        {"Carol", "ICQ", true, 2, "", 0},    {"Dave", "ICQ", true, 3, "", 0},
        {"Erin", "ICQ", true, 4, "", 0},     {"Frank", "ICQ", true, 5, "", 0},
        {"Grace", "ICQ", true, 6, "", 0},    {"Heidi", "ICQ", false, 0, "", 0},
        {"Ivan", "ICQ", true, 9, "", 0},     {"Judy", "MSN", true, 6, "", 0},
        {"Mallory", nullptr, true, 0, "", 0},
    };
    host.SetProtocolLoaded("MSN", true);
    for (auto& contact : contacts) {
        contact.handle = host.AddContact(contact.proto, contact.name);
        if (contact.hasLevel)
            host.SetDword(contact.handle, "Quillmere", "VisibilityLevel",
                          static_cast<uint32_t>(contact.level));
    }

    const PLUGININFO* info = host.CallPluginInfo(kSandboxHostVersion);
    std::printf("Quillmere %u.%u.%u.%u: %s\n\n", info->version >> 24, (info->version >> 16) & 0xFF,
                (info->version >> 8) & 0xFF, info->version & 0xFF, info->description);
    host.CallLoad();
    host.FireModulesLoaded();

    std::printf("Sample profile (in the sandbox host, which stands in for Miranda IM):\n");
    std::printf("  %-8s %-9s %-24s %s\n", "contact", "protocol", "visibility level",
                "\"Visibility Level\" in its contact menu");
    for (const auto& contact : contacts)
        std::printf("  %-8s %-9s %-24s %s\n", contact.name, contact.proto ? contact.proto : "(none)",
                    LevelText(contact).c_str(),
                    host.ContactMenuShows(contact.handle) ? "yes" : "no");
    std::string mainEntry = host.MainMenu().empty() ? "(nothing)" : host.MainMenu()[0].name;
    if (mainEntry.find('&') != std::string::npos) mainEntry.erase(mainEntry.find('&'), 1);
    std::printf("  The main menu carries \"%s\" for the global level.\n\n", mainEntry.c_str());

    std::printf("At start-up every ICQ contact is set to see you offline:\n");
    PrintHeader(contacts);
    std::printf("  %-20s", "(start-up)");
    for (const auto& contact : contacts) std::printf(" %-8s", Seen(host, contact));
    std::printf("\n\n");

    std::printf("After a status change, for each global level:\n");
    std::printf("  sees   = the contact sees your status even while you are invisible\n");
    std::printf("  hidden = the contact always sees you offline\n");
    std::printf("  -      = the plug-in leaves the contact alone (not ICQ, or a level out of range)\n");
    PrintHeader(contacts);
    for (int32_t global = 0; global <= 6; ++global) {
        host.SetDword(0, "Quillmere", "VisibilityLevel", static_cast<uint32_t>(global));
        host.ClearApparentModes();
        host.FireStatusModeChange();
        std::printf("  %d %-18s", global, kLevelNames[global]);
        for (const auto& contact : contacts) std::printf(" %-8s", Seen(host, contact));
        std::printf("\n");
    }
    std::printf("\n");

    host.CallUnload();
    std::printf("Unloaded. %zu host calls were made by the plug-in in this run.\n", host.Log().size());
    return 0;
}
