// Contacts of ICQ accounts on hosts from 0.8 on: the host names the account's
// module ("ICQ_1", or whatever the user typed), and "Proto/GetAccount" says
// which protocol stands behind it. The sandbox lays every account record out
// so that its bytes end where its cbSize says: reading past them faults.
#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "tests/PluginSupport.h"

namespace {

const std::string kEntry = "&Visibility Level";
const std::string kReadGlobal = "DB/Contact/GetSetting 0 Quillmere/VisibilityLevel";

std::string ProtoCall(ContactHandle c) { return "Proto/GetContactBaseProto " + Str(c); }
std::string AccountQuestion(const std::string& module) { return "Proto/GetAccount 0 " + module; }
std::string ReadLevel(ContactHandle c) { return "DB/Contact/GetSetting " + Str(c) + " Quillmere/VisibilityLevel"; }
std::string Apparent(ContactHandle c, uint32_t mode) {
    return "Proto/CallContactService " + Str(c) + " /SetApparentMode " + std::to_string(mode) + " 0";
}
std::string FindNext(ContactHandle c) { return "DB/Contact/FindNext " + Str(c); }

HostAccount Account(const char* protocol, int32_t cbSize = static_cast<int32_t>(sizeof(PROTOACCOUNT)) + 16) {
    HostAccount account;
    if (protocol) account.protocol = protocol;
    account.cbSize = cbSize;
    return account;
}

class IcqAccounts : public PluginTest {
protected:
    // Builds the contact's menu and returns the calls it took, without the
    // entry's translation and modification around them.
    std::vector<std::string> MenuCalls(ContactHandle contact, bool* shown) {
        host.ClearLog();
        *shown = host.ContactMenuShows(contact);
        std::vector<std::string> calls = host.LogTexts();
        if (calls.size() < 2) return calls;
        return std::vector<std::string>(calls.begin() + 1, calls.end() - 1);
    }
    // A pass's calls about one contact whose level was never set (0).
    std::vector<std::string> ContactCalls(ContactHandle c, bool acted, uint32_t mode) {
        if (!acted) return {ProtoCall(c), FindNext(c)};
        return {ProtoCall(c), ReadLevel(c), Apparent(c, mode), FindNext(c)};
    }
};

}  // namespace

// One contact a module. Each module is an account record of its own, asked
// about once in each kind of pass and once in each menu build.
TEST_F(IcqAccounts, WhichModulesCountAsIcq) {
    const std::string longName = "ICQ" + std::string(997, 'x');
    struct Row {
        const char* label;
        std::string module;
        bool isAccount;  // false: the host answers 0
        HostAccount account;
        bool isIcq;
    };
    const std::vector<Row> rows = {
        {"ICQ_1, an ICQ account", "ICQ_1", true, Account("ICQ"), true},
        {"a name the user typed", "Work ICQ", true, Account("ICQ"), true},
        {"JABBER_1, another protocol's account", "JABBER_1", true, Account("JABBER"), false},
        {"icq, an account of another protocol", "icq", true, Account("JABBER"), false},
        {"protocol named in lower case", "ICQ_2", true, Account("icq"), false},
        {"not an account: the host answers 0", "GHOST", false, {}, false},
        {"cbSize 0", "ICQ_3", true, Account("ICQ", 0), false},
        {"cbSize negative", "ICQ_4", true, Account("ICQ", -1), false},
        {"cbSize one short of the protocol's name", "ICQ_5", true,
         Account("ICQ", kAccountSizeWithProtoName - 1), false},
        {"cbSize just holding the protocol's name", "ICQ_6", true, Account("ICQ", kAccountSizeWithProtoName),
         true},
        {"cbSize huge", "ICQ_7", true, Account("ICQ", INT32_MAX), true},
        {"null protocol name", "ICQ_8", true, Account(nullptr), false},
        {"protocol name of 1,000 characters", "ICQ_9", true, Account(longName.c_str()), false},
    };
    host.SetAccountsEnabled(true);
    std::vector<ContactHandle> contacts;
    for (const Row& row : rows) {
        if (row.isAccount) host.SetAccount(row.module, row.account);
        host.SetProtocolLoaded(row.module, true);
        contacts.push_back(host.AddContact(row.module.c_str(), row.label));
    }
    StartPlugin();

    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].label);
        const ContactHandle c = contacts[i];
        bool shown = false;
        const std::vector<std::string> calls = MenuCalls(c, &shown);
        EXPECT_EQ(rows[i].isIcq, shown);
        EXPECT_TRUE(SameCalls({ProtoCall(c), "Proto/IsProtocolLoaded " + rows[i].module,
                               AccountQuestion(rows[i].module)},
                              calls));
    }

    for (const bool startup : {false, true}) {
        SCOPED_TRACE(startup ? "startup pass" : "normal pass");
        host.ClearApparentModes();
        host.ClearLog();
        startup ? host.FireModulesLoaded() : host.FireStatusModeChange();
        const uint32_t mode = startup ? ID_STATUS_OFFLINE : ID_STATUS_ONLINE;
        std::vector<std::string> expected = {kReadGlobal, "DB/Contact/GetCount", "DB/Contact/FindFirst"};
        for (size_t i = 0; i < rows.size(); ++i) {
            const ContactHandle c = contacts[i];
            std::vector<std::string> about = ContactCalls(c, rows[i].isIcq, mode);
            about.insert(about.begin() + 1, AccountQuestion(rows[i].module));
            expected.insert(expected.end(), about.begin(), about.end());
            const std::optional<uint32_t> told = rows[i].isIcq ? std::optional<uint32_t>(mode) : std::nullopt;
            EXPECT_EQ(told, host.ApparentMode(c)) << rows[i].label;
        }
        std::vector<std::string> calls = host.LogTexts();
        if (startup) calls.erase(calls.begin(), std::find(calls.begin(), calls.end(), kReadGlobal));
        EXPECT_TRUE(SameCalls(expected, calls));
    }
}

// A host before 0.8 answers the account question "no such service": the
// pass asks once, and the menu asks only for loaded modules other than "ICQ".
TEST_F(IcqAccounts, HostWithoutAccountsIsAskedOncePerPass) {
    host.SetProtocolLoaded("ICQ_1", true);
    const ContactHandle plain = host.AddContact("ICQ");
    const ContactHandle first = host.AddContact("ICQ_1");
    const ContactHandle msn = host.AddContact("MSN");
    const ContactHandle second = host.AddContact("ICQ_1");
    StartPlugin();
    host.ClearApparentModes();
    host.FireStatusModeChange();
    std::vector<std::string> expected = {kReadGlobal, "DB/Contact/GetCount", "DB/Contact/FindFirst"};
    const std::vector<std::string> perContact[] = {
        ContactCalls(plain, true, ID_STATUS_ONLINE),
        {ProtoCall(first), AccountQuestion("ICQ_1"), FindNext(first)},
        ContactCalls(msn, false, 0),
        ContactCalls(second, false, 0),
    };
    for (const auto& calls : perContact) expected.insert(expected.end(), calls.begin(), calls.end());
    EXPECT_TRUE(SameCalls(expected, host.LogTexts()));
    EXPECT_FALSE(host.ApparentMode(first).has_value());

    bool shown = true;
    EXPECT_TRUE(SameCalls({ProtoCall(first), "Proto/IsProtocolLoaded ICQ_1", AccountQuestion("ICQ_1")},
                          MenuCalls(first, &shown)));
    EXPECT_FALSE(shown);
    EXPECT_TRUE(SameCalls({ProtoCall(msn), "Proto/IsProtocolLoaded MSN"}, MenuCalls(msn, &shown)))
        << "MSN is not loaded: nothing more to ask";
    EXPECT_TRUE(SameCalls({ProtoCall(plain), "Proto/IsProtocolLoaded ICQ"}, MenuCalls(plain, &shown)));
    EXPECT_TRUE(shown);
}

// Many contacts of one account: one question a pass, none for "ICQ", and
// nothing kept from one pass to the next, as accounts come and go.
TEST_F(IcqAccounts, ManyContactsOfOneAccountAreLookedUpOncePerPass) {
    host.SetAccountsEnabled(true);
    host.AddAccount("ICQ", "ICQ");
    host.AddAccount("ICQ_1", "ICQ");
    host.SetProtocolLoaded("ICQ_1", true);
    std::vector<ContactHandle> plain;
    std::vector<ContactHandle> account;
    for (int i = 0; i < 100; ++i) {
        plain.push_back(host.AddContact("ICQ"));
        account.push_back(host.AddContact("ICQ_1"));
    }
    StartPlugin(kSandboxHostVersion, true);
    EXPECT_EQ(1u, host.CountCalls("Proto/GetAccount")) << "the startup pass";

    host.ClearLog();
    host.ClearApparentModes();
    host.FireStatusModeChange();
    EXPECT_EQ(std::vector<std::string>{AccountQuestion("ICQ_1")}, host.LogTexts("Proto/GetAccount"));
    EXPECT_EQ(200u, host.CountCalls("Proto/CallContactService"));
    EXPECT_EQ(ID_STATUS_ONLINE, host.ApparentMode(account.back()));

    // The account now belongs to another protocol: the next pass sees it.
    host.AddAccount("ICQ_1", "JABBER");
    host.ClearLog();
    host.ClearApparentModes();
    host.FireStatusModeChange();
    EXPECT_EQ(std::vector<std::string>{AccountQuestion("ICQ_1")}, host.LogTexts("Proto/GetAccount"));
    EXPECT_EQ(100u, host.CountCalls("Proto/CallContactService"));
    EXPECT_FALSE(host.ApparentMode(account.back()).has_value());
    EXPECT_EQ(ID_STATUS_ONLINE, host.ApparentMode(plain.back()));
}
