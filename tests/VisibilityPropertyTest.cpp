// Thousands of random profiles through the real DLL in the sandbox host, each
// pass's whole call log compared with an oracle built from the decision
// table: the rules in their order, written here again on purpose rather than
// taken from the plug-in.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "sandbox/SandboxHost.h"
#include "tests/PluginSupport.h"

namespace {

const int kProfiles = 20000;
const uint32_t kSeed = 20261207;

const uint32_t kOnline = 40072;
const uint32_t kOffline = 40071;

// What a setting holds, as the profile stores it; never written when absent.
struct StoredLevel {
    uint8_t type = DBVT_DWORD;
    uint32_t number = 0;
};

struct RandomContact {
    std::optional<std::string> proto;  // none: the host answers null
    std::optional<StoredLevel> level;
};

struct Profile {
    bool startup = false;
    uint32_t hostVersion = kSandboxHostVersion;
    bool icqLoaded = true;
    std::optional<StoredLevel> global;
    std::vector<RandomContact> contacts;
    std::optional<intptr_t> countOverride;
};

class Random {
public:
    explicit Random(uint32_t seed) : engine_(seed) {}
    uint32_t Next() { return static_cast<uint32_t>(engine_()); }
    uint32_t Below(uint32_t bound) { return Next() % bound; }

private:
    std::mt19937 engine_;
};

std::optional<StoredLevel> RandomLevel(Random& random) {
    const uint32_t pick = random.Below(20);
    if (pick < 3) return std::nullopt;  // never written
    StoredLevel level;
    if (pick < 14) {
        level.number = random.Below(7);
    } else if (pick < 17) {
        const int32_t nearby[] = {7, 8, 9, -1, -2, -6, 100, INT_MIN, INT_MAX};
        level.number = static_cast<uint32_t>(nearby[random.Below(9)]);
    } else {
        level.number = random.Next();
    }
    // Now and then the host holds it in a narrower type.
    const uint32_t typePick = random.Below(10);
    if (typePick == 0) {
        level.type = DBVT_BYTE;
        level.number &= 0xFF;
    } else if (typePick == 1) {
        level.type = DBVT_WORD;
        level.number &= 0xFFFF;
    }
    return level;
}

std::optional<std::string> RandomProto(Random& random) {
    switch (random.Below(12)) {
    case 0: return std::nullopt;
    case 1: return std::string("");
    case 2: return std::string("icq");
    case 3: return std::string("MSN");
    case 4: return std::string("ICQ\xA0");
    case 5: return std::string("\xC9\xC3Q");
    case 6: return std::string("ICQ2");
    default: return std::string("ICQ");
    }
}

Profile RandomProfile(Random& random) {
    Profile profile;
    profile.startup = random.Below(3) == 0;
    profile.hostVersion = random.Below(4) == 0 ? 0x00010000 : kSandboxHostVersion;
    profile.icqLoaded = random.Below(5) != 0;
    profile.global = RandomLevel(random);
    const uint32_t contactCount = random.Below(13);
    for (uint32_t i = 0; i < contactCount; ++i) profile.contacts.push_back({RandomProto(random), RandomLevel(random)});
    const intptr_t size = static_cast<intptr_t>(contactCount);
    switch (random.Below(10)) {
    case 0: profile.countOverride = size + 1 + random.Below(5); break;
    case 1: profile.countOverride = INT_MAX; break;
    case 2: profile.countOverride = random.Below(contactCount + 1); break;
    case 3: {
        const intptr_t notPositive[] = {0, -1, -7, INT_MIN};
        profile.countOverride = notPositive[random.Below(4)];
        break;
    }
    default: break;
    }
    return profile;
}

// The level as a read of it yields: the stored 32 bits, never-written as 0.
int32_t ReadAs(const std::optional<StoredLevel>& level) {
    return level ? static_cast<int32_t>(level->number) : 0;
}

// The decision table: the first rule that holds. 0 means no call.
uint32_t TableOutcome(bool startup, int32_t global, int32_t contact) {
    if (startup) return kOffline;
    if (global == 0) return kOnline;
    if (global == 6) return kOffline;
    if (contact == 0) return kOnline;
    if (contact == 6) return kOffline;
    if (contact >= 1 && contact <= 5 && global > contact) return kOffline;
    if (contact >= 1 && contact <= 5 && global <= contact) return kOnline;
    return 0;
}

struct Expectation {
    std::vector<std::string> calls;
    std::vector<std::optional<uint32_t>> modes;  // per contact, as the ICQ protocol ends up
};

Expectation Oracle(const Profile& profile, const std::vector<ContactHandle>& handles) {
    Expectation expected;
    expected.modes.assign(handles.size(), std::nullopt);
    std::vector<std::string>& calls = expected.calls;
    if (profile.startup) {
        calls.push_back("CreateServiceFunction Quillmere/Edit");
        if (profile.hostVersion >= 0x00010100) calls.push_back("LangPack/TranslateString &Visibility Level");
        calls.push_back("CList/AddMainMenuItem name=&Visibility Level flags=0x00000000 position=1000010000 "
                        "service=Quillmere/Edit");
        calls.push_back("CList/AddContactMenuItem name=&Visibility Level flags=0x00000000 "
                        "position=1000080001 service=Quillmere/Edit");
    }
    calls.push_back("DB/Contact/GetSetting 0 Quillmere/VisibilityLevel");
    calls.push_back("DB/Contact/GetCount");
    calls.push_back("DB/Contact/FindFirst");
    const intptr_t count =
        profile.countOverride ? *profile.countOverride : static_cast<intptr_t>(handles.size());
    const int32_t global = ReadAs(profile.global);
    // The host has no accounts: the first module other than "ICQ" leads to
    // the account question, which it answers "no such service", and no more.
    bool accountAsked = false;
    // The host's list ends with handle 0; the walk goes no further.
    for (intptr_t visited = 0; visited < count && visited < static_cast<intptr_t>(handles.size()); ++visited) {
        const RandomContact& contact = profile.contacts[visited];
        const std::string h = std::to_string(handles[visited]);
        calls.push_back("Proto/GetContactBaseProto " + h);
        if (contact.proto && !contact.proto->empty() && *contact.proto != "ICQ" && !accountAsked) {
            calls.push_back("Proto/GetAccount 0 " + *contact.proto);
            accountAsked = true;
        }
        if (contact.proto && *contact.proto == "ICQ") {
            calls.push_back("DB/Contact/GetSetting " + h + " Quillmere/VisibilityLevel");
            const uint32_t mode = TableOutcome(profile.startup, global, ReadAs(contact.level));
            if (mode != 0) {
                calls.push_back("Proto/CallContactService " + h + " /SetApparentMode " + std::to_string(mode) + " 0");
                if (profile.icqLoaded) expected.modes[visited] = mode;
            }
        }
        calls.push_back("DB/Contact/FindNext " + h);
    }
    return expected;
}

void Store(SandboxHost& host, ContactHandle contact, const std::optional<StoredLevel>& level) {
    if (!level) return;
    StoredSetting stored;
    stored.type = level->type;
    stored.number = level->number;
    host.SetSetting(contact, "Quillmere", "VisibilityLevel", stored);
}

std::string Describe(int index, const Profile& profile) {
    std::ostringstream out;
    auto level = [](const std::optional<StoredLevel>& l) {
        if (!l) return std::string("unset");
        return std::to_string(static_cast<int32_t>(l->number)) + "(type " + std::to_string(l->type) + ")";
    };
    out << "profile " << index << ": " << (profile.startup ? "startup" : "normal") << " pass, host 0x" << std::hex
        << profile.hostVersion << std::dec << ", ICQ " << (profile.icqLoaded ? "loaded" : "not loaded")
        << ", G=" << level(profile.global) << ", count "
        << (profile.countOverride ? std::to_string(*profile.countOverride) : std::string("real")) << "\n";
    for (const RandomContact& contact : profile.contacts)
        out << "  " << (contact.proto ? "\"" + *contact.proto + "\"" : std::string("(no protocol)")) << " L="
            << level(contact.level) << "\n";
    return out.str();
}

}  // namespace

TEST(VisibilityProperty, EveryCallOfRandomProfilesMatchesTheDecisionTable) {
    Random random(kSeed);
    int failures = 0;
    int icqCalls = 0;
    int startupProfiles = 0;
    for (int index = 0; index < kProfiles && failures < 5; ++index) {
        const Profile profile = RandomProfile(random);
        auto host = std::make_unique<SandboxHost>();
        ASSERT_TRUE(host->LoadPlugin());
        host->SetProtocolLoaded("ICQ", profile.icqLoaded);
        host->SetProtocolLoaded("MSN", true);
        host->SetProtocolLoaded("icq", true);
        ASSERT_NE(nullptr, host->CallPluginInfo(profile.hostVersion));
        ASSERT_EQ(0, host->CallLoad());
        Store(*host, 0, profile.global);
        for (const RandomContact& contact : profile.contacts) {
            const ContactHandle handle = host->AddContact(contact.proto ? contact.proto->c_str() : nullptr);
            Store(*host, handle, contact.level);
        }
        host->OverrideContactCount(profile.countOverride);
        host->ClearLog();
        if (profile.startup) {
            host->FireModulesLoaded();
            ++startupProfiles;
        } else {
            host->FireStatusModeChange();
        }

        const Expectation expected = Oracle(profile, host->Contacts());
        std::vector<std::optional<uint32_t>> modes;
        for (ContactHandle handle : host->Contacts()) modes.push_back(host->ApparentMode(handle));
        const auto sameCalls = SameCalls(expected.calls, host->LogTexts());
        if (!sameCalls || modes != expected.modes || host->TrapCount() != 0) {
            ++failures;
            ADD_FAILURE() << Describe(index, profile) << sameCalls.message()
                          << (modes != expected.modes ? "\napparent modes differ" : "")
                          << "\ntraps: " << host->TrapCount();
        }
        icqCalls += static_cast<int>(host->CountCalls("Proto/CallContactService"));
    }
    // The profiles must have exercised both kinds and many decisions.
    EXPECT_GT(startupProfiles, kProfiles / 5);
    EXPECT_GT(icqCalls, kProfiles);
}
