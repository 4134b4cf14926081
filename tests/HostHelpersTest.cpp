// The host helpers, called directly: the test program links the plug-in's
// core, whose own PluginLink and HostVersion the tests set. Two hosts serve
// them: the sandbox host (its table handed over as Load would) and a tiny
// scripted host that shows what the helpers put into the records before the
// host answers.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "host/HostHelpers.h"
#include "host/HostLink.h"
#include "plugin/SettingNames.h"
#include "sandbox/SandboxHost.h"
#include "tests/PluginSupport.h"
#include "tests/RecordSupport.h"

namespace {

const uint32_t kTranslatingHost = 0x00010100;  // 0.1.1.0, the first with a language pack

// Gives the core the sandbox host's table, as Load would, and takes it back.
class HelpersOnSandbox : public ::testing::Test {
protected:
    void SetUp() override {
        PluginLink = host.Link();
        HostVersion = 0;
    }
    void TearDown() override {
        PluginLink = PLUGINLINK{};
        HostVersion = 0;
        EXPECT_EQ(0, host.TrapCount());
    }
    SandboxHost host;
};

// A host that records each CallService and answers from a script, so that
// tests can look at the records while the call is in progress.
struct ScriptedCall {
    std::string service;
    HostWParam wParam;
    HostLParam lParam;
    std::vector<uint8_t> variant;  // the DBVARIANT a GetSetting request points to, as received,
                                   // or the one FreeVariant is given
};

std::vector<ScriptedCall> g_scriptedCalls;
intptr_t g_scriptedResult = 0;
// What the scripted host writes into a GetSetting request's DBVARIANT.
bool g_writeVariant = false;
DBVARIANT g_variantToWrite = {};
size_t g_variantBytesToWrite = 0;

intptr_t __cdecl ScriptedCallService(const char* service, HostWParam wParam, HostLParam lParam) {
    ScriptedCall call{service ? service : "(null)", wParam, lParam, {}};
    if (call.service == kSvcGetSetting && lParam) {
        const auto* request = reinterpret_cast<const DBCONTACTGETSETTING*>(lParam);
        const auto* bytes = reinterpret_cast<const uint8_t*>(request->pValue);
        call.variant.assign(bytes, bytes + sizeof(DBVARIANT));
        if (g_writeVariant) {
            // Type, then only as many value bytes as the reported type has.
            request->pValue->type = g_variantToWrite.type;
            std::memcpy(reinterpret_cast<uint8_t*>(request->pValue) + offsetof(DBVARIANT, dVal),
                        reinterpret_cast<const uint8_t*>(&g_variantToWrite) + offsetof(DBVARIANT, dVal),
                        g_variantBytesToWrite);
        }
    }
    if (call.service == kSvcFreeVariant && lParam) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(lParam);
        call.variant.assign(bytes, bytes + sizeof(DBVARIANT));
    }
    g_scriptedCalls.push_back(call);
    return g_scriptedResult;
}

class HelpersOnScriptedHost : public ::testing::Test {
protected:
    void SetUp() override {
        g_scriptedCalls.clear();
        g_scriptedResult = 0;
        g_writeVariant = false;
        g_variantToWrite = DBVARIANT{};
        g_variantBytesToWrite = 0;
        PluginLink = PLUGINLINK{};
        PluginLink.CallService = ScriptedCallService;
        HostVersion = 0;
    }
    void TearDown() override {
        PluginLink = PLUGINLINK{};
        HostVersion = 0;
    }
};

}  // namespace

// --- Versions -----------------------------------------------------------------------

TEST(Versions, CompareWeighsPartsAndSign) {
    EXPECT_EQ(0, CompareVersions(MakeVersion(0, 1, 1, 0), MakeVersion(0, 1, 1, 0)));
    EXPECT_EQ(-10, CompareVersions(MakeVersion(0, 1, 0, 0), MakeVersion(0, 1, 1, 0)));
    EXPECT_EQ(50, CompareVersions(MakeVersion(1, 0, 0, 0), MakeVersion(0, 255, 0, 0)));
}

TEST(Versions, ScoreAddsEachPartsWeight) {
    struct Row {
        uint32_t x, y;
        int score;
    };
    const Row rows[] = {
        {MakeVersion(1, 0, 0, 0), MakeVersion(0, 0, 0, 0), 100},
        {MakeVersion(0, 1, 0, 0), MakeVersion(0, 0, 0, 0), 50},
        {MakeVersion(0, 0, 1, 0), MakeVersion(0, 0, 0, 0), 10},
        {MakeVersion(0, 0, 0, 1), MakeVersion(0, 0, 0, 0), 1},
        {MakeVersion(0, 0, 0, 0), MakeVersion(0, 0, 0, 1), -1},
        {MakeVersion(0, 1, 1, 0), MakeVersion(0, 1, 0, 0), 10},
        {MakeVersion(0, 255, 255, 255), MakeVersion(1, 0, 0, 0), -100 + 50 + 10 + 1},
        {MakeVersion(255, 255, 255, 255), MakeVersion(0, 0, 0, 0), 161},
        {MakeVersion(0, 0, 0, 0), MakeVersion(255, 255, 255, 255), -161},
        // A part counts the same however far apart the two are.
        {MakeVersion(0, 0, 200, 0), MakeVersion(0, 0, 1, 0), 10},
        {MakeVersion(0, 1, 0, 255), MakeVersion(0, 1, 1, 0), -9},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << std::hex << "x=0x" << row.x << " y=0x" << row.y);
        EXPECT_EQ(row.score, CompareVersions(row.x, row.y));
    }
}

TEST(Versions, MakeVersionPacksFourBytesHighToLow) {
    EXPECT_EQ(0x00010100u, MakeVersion(0, 1, 1, 0));
    EXPECT_EQ(0x01020304u, MakeVersion(1, 2, 3, 4));
    EXPECT_EQ(0xFFFFFFFFu, MakeVersion(255, 255, 255, 255));
    EXPECT_EQ(0x00000000u, MakeVersion(0, 0, 0, 0));
}

TEST(Versions, MakeVersionCutsEachPartToEightBits) {
    EXPECT_EQ(0x00000000u, MakeVersion(256, 256, 256, 256));
    EXPECT_EQ(0xFF020304u, MakeVersion(0x1FF, 0x102, 0x203, 0xF04));
    // A large last part must not spill into the third.
    EXPECT_EQ(0x000101FFu, MakeVersion(0, 1, 1, 0xFFFFFFFF));
    EXPECT_EQ(0x01000000u, MakeVersion(0x80000001u, 0x100, 0x1000, 0x10000));
}

// --- Translate ----------------------------------------------------------------------

TEST_F(HelpersOnSandbox, TranslateFollowsTheHostVersion) {
    host.AddTranslation("&Visibility Level", "&Sichtbarkeitsstufe");
    struct Row {
        const char* label;
        uint32_t hostVersion;
        bool asksHost;
    };
    const Row rows[] = {
        {"no information query yet (0)", 0, false},
        {"0.0.0.1", MakeVersion(0, 0, 0, 1), false},
        {"0.1.0.0", MakeVersion(0, 1, 0, 0), false},
        {"0.1.0.255", MakeVersion(0, 1, 0, 255), false},
        {"0.0.255.255", MakeVersion(0, 0, 255, 255), false},
        {"0.1.1.0 (equal)", MakeVersion(0, 1, 1, 0), true},
        {"0.1.1.1", MakeVersion(0, 1, 1, 1), true},
        {"0.2.0.0", MakeVersion(0, 2, 0, 0), true},
        {"0.3.3.0", kSandboxHostVersion, true},
        {"1.0.0.0", MakeVersion(1, 0, 0, 0), true},
        {"255.255.255.255", 0xFFFFFFFF, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        HostVersion = row.hostVersion;
        host.ClearLog();
        const std::string translated = Translate("&Visibility Level");
        if (row.asksHost) {
            EXPECT_EQ("&Sichtbarkeitsstufe", translated);
            EXPECT_EQ(std::vector<std::string>{"LangPack/TranslateString &Visibility Level"},
                      host.LogTexts());
        } else {
            EXPECT_EQ("&Visibility Level", translated);
            EXPECT_TRUE(host.LogTexts().empty()) << "the host was asked: " << host.LogTexts()[0];
        }
    }
}

TEST_F(HelpersOnSandbox, TranslateOfTextWithoutTranslationReturnsItUnchanged) {
    HostVersion = kTranslatingHost;
    EXPECT_EQ("Never visible", Translate("Never visible"));
    EXPECT_EQ(1u, host.CountCalls("LangPack/TranslateString Never visible"));
}

TEST_F(HelpersOnSandbox, TranslateOfNullTranslationIsEmpty) {
    HostVersion = kTranslatingHost;
    host.SetTranslationReturnsNull(true);
    EXPECT_EQ("", Translate("Always visible"));
    EXPECT_EQ(1u, host.CountCalls("LangPack/TranslateString Always visible"));
}

TEST_F(HelpersOnSandbox, TranslateReturnsACopyThatOutlivesTheHostsText) {
    HostVersion = kTranslatingHost;
    host.AddTranslation("OK", "Einverstanden");
    const std::string first = Translate("OK");
    host.AddTranslation("OK", "Gut");  // the host's earlier text is gone
    EXPECT_EQ("Einverstanden", first);
    EXPECT_EQ("Gut", Translate("OK"));
}

TEST_F(HelpersOnScriptedHost, TranslatePassesTheTextAsLParamWithWParamZero) {
    HostVersion = kTranslatingHost;
    static const char kText[] = "Cancel";
    static const char kTranslation[] = "Abbrechen";
    g_scriptedResult = reinterpret_cast<intptr_t>(kTranslation);
    EXPECT_EQ("Abbrechen", Translate(kText));
    ASSERT_EQ(1u, g_scriptedCalls.size());
    EXPECT_EQ(kSvcTranslateString, g_scriptedCalls[0].service);
    EXPECT_EQ(0u, g_scriptedCalls[0].wParam);
    EXPECT_EQ(reinterpret_cast<HostLParam>(kText), g_scriptedCalls[0].lParam);
}

TEST(HostLinkBeforeLoad, CallsReachNothingAndYieldZero) {
    PluginLink = PLUGINLINK{};
    EXPECT_EQ(0, CallHostService(kSvcGetContactCount, 0, 0));
    HostVersion = kTranslatingHost;
    EXPECT_EQ("", Translate("&Visibility Level"));  // no host: like a null translation
    EXPECT_EQ(7u, GetSettingDword(0, kSettingsModule, kSettingVisibilityLevel, 7));
    HostVersion = 0;
}

// --- Settings -----------------------------------------------------------------------

TEST_F(HelpersOnSandbox, MissingSettingReadsAsTheDefault) {
    const uint32_t defaults[] = {0, 7, 0xDEADBEEF, 0xFFFFFFFF};
    for (uint32_t defaultValue : defaults) {
        SCOPED_TRACE(defaultValue);
        EXPECT_EQ(defaultValue, GetSettingDword(0, kSettingsModule, kSettingVisibilityLevel, defaultValue));
        EXPECT_EQ(defaultValue, GetSettingDword(0x1000, kSettingsModule, kSettingEditorLeft, defaultValue));
    }
    // The same name under another module, or on another contact, is another setting.
    host.SetDword(0, "OtherModule", kSettingVisibilityLevel, 3);
    host.SetDword(0x2000, kSettingsModule, kSettingVisibilityLevel, 4);
    EXPECT_EQ(9u, GetSettingDword(0, kSettingsModule, kSettingVisibilityLevel, 9));
    EXPECT_EQ(2u, host.SettingCount());
}

TEST_F(HelpersOnSandbox, StoredDwordIsReadWhateverTheDefault) {
    host.SetDword(0x1000, kSettingsModule, kSettingVisibilityLevel, 5);
    host.SetDword(0, kSettingsModule, kSettingEditorTop, 0xFFFFFF9C);  // -100
    EXPECT_EQ(5u, GetSettingDword(0x1000, kSettingsModule, kSettingVisibilityLevel, 0));
    EXPECT_EQ(5u, GetSettingDword(0x1000, kSettingsModule, kSettingVisibilityLevel, 0xDEADBEEF));
    EXPECT_EQ(-100, static_cast<int32_t>(GetSettingDword(0, kSettingsModule, kSettingEditorTop, 0)));
}

TEST_F(HelpersOnSandbox, GetSettingSendsTheContactAndARequestRecord) {
    host.SetDword(0x1010, kSettingsModule, kSettingVisibilityLevel, 2);
    GetSettingDword(0x1010, kSettingsModule, kSettingVisibilityLevel, 0);
    ASSERT_EQ(1u, host.Log().size());
    const HostCall& call = host.Log()[0];
    EXPECT_EQ("DB/Contact/GetSetting 4112 Quillmere/VisibilityLevel", call.text);
    ASSERT_EQ(sizeof(DBCONTACTGETSETTING), call.record.size());
    EXPECT_STREQ("Quillmere", TextAt(call.record, 0));
    EXPECT_STREQ("VisibilityLevel", TextAt(call.record, ByTarget(4, 8)));
    EXPECT_NE(0u, PointerAt(call.record, ByTarget(8, 16))) << "pValue";
}

TEST_F(HelpersOnScriptedHost, GetSettingOffersADwordVariantHoldingTheDefault) {
    g_scriptedResult = 1;  // not found
    EXPECT_EQ(0x12345678u, GetSettingDword(0x1020, kSettingsModule, kSettingEditorLeft, 0x12345678));
    ASSERT_EQ(1u, g_scriptedCalls.size());
    const ScriptedCall& call = g_scriptedCalls[0];
    EXPECT_EQ(kSvcGetSetting, call.service);
    EXPECT_EQ(0x1020u, call.wParam);
    ASSERT_EQ(sizeof(DBVARIANT), call.variant.size());
    EXPECT_EQ(DBVT_DWORD, call.variant[0]) << "type";
    EXPECT_EQ(0x12345678u, Int32At(call.variant, ByTarget(4, 8))) << "dVal";
}

TEST_F(HelpersOnScriptedHost, FailedReadYieldsTheDefaultEvenIfTheHostWroteAValue) {
    g_scriptedResult = 1;
    g_writeVariant = true;
    g_variantToWrite.type = DBVT_DWORD;
    g_variantToWrite.dVal = 99;
    g_variantBytesToWrite = 4;
    EXPECT_EQ(3u, GetSettingDword(0, kSettingsModule, kSettingVisibilityLevel, 3));
    g_scriptedResult = -1;
    EXPECT_EQ(4u, GetSettingDword(0, kSettingsModule, kSettingVisibilityLevel, 4));
    g_scriptedResult = 0;
    EXPECT_EQ(99u, GetSettingDword(0, kSettingsModule, kSettingVisibilityLevel, 4));
}

// A value the host reports in another type is read at its own width: the
// bytes the host did not write hold the default, or whatever a host's cache
// left there.
TEST_F(HelpersOnSandbox, ByteAndWordValuesAreReadAtTheirOwnWidth) {
    struct Row {
        const char* label;
        StoredSetting stored;
        std::optional<uint8_t> staleBytes;
        uint32_t expected;
    };
    const Row rows[] = {
        {"byte 6 over the default", Typed(DBVT_BYTE, 6), std::nullopt, 6},
        {"byte 6 under stale bytes", Typed(DBVT_BYTE, 6), 0xA5, 6},
        {"byte 255 is not sign-extended", Typed(DBVT_BYTE, 0xFF), 0xA5, 0xFF},
        {"word over the default", Typed(DBVT_WORD, 0x1234), std::nullopt, 0x1234},
        {"word under stale bytes", Typed(DBVT_WORD, 0x1234), 0xA5, 0x1234},
        {"word 0xFFFF is not sign-extended", Typed(DBVT_WORD, 0xFFFF), 0xA5, 0xFFFF},
        {"dword under stale bytes", Typed(DBVT_DWORD, 0x12345678), 0xA5, 0x12345678},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        host.SetStaleValueBytes(row.staleBytes);
        host.SetSetting(0x1000, kSettingsModule, kSettingVisibilityLevel, row.stored);
        EXPECT_EQ(row.expected, GetSettingDword(0x1000, kSettingsModule, kSettingVisibilityLevel, 0xAAAAAAAA));
    }
    EXPECT_EQ(0u, host.CountCalls(kSvcFreeVariant));
}

TEST_F(HelpersOnSandbox, TextValueIsHandedBackAndReadsAsTheDefault) {
    StoredSetting textValue;
    textValue.type = DBVT_ASCIIZ;
    textValue.text = "six";
    host.SetSetting(0x1000, kSettingsModule, kSettingVisibilityLevel, textValue);
    EXPECT_EQ(0xA5A5A5A5u, GetSettingDword(0x1000, kSettingsModule, kSettingVisibilityLevel, 0xA5A5A5A5));
    EXPECT_EQ((std::vector<std::string>{"DB/Contact/GetSetting 4096 Quillmere/VisibilityLevel",
                                        "DB/Contact/FreeVariant 0 type=255"}),
              host.LogTexts());
    EXPECT_EQ(1u, host.CopiesHandedOut());
    EXPECT_EQ(1u, host.CopiesGivenBack());
}

// The host's copy goes back in the very variant it was written into.
TEST_F(HelpersOnScriptedHost, TextAndBinaryCopiesGoBackToTheHostInTheirVariant) {
    static char hostCopy[] = "hello";
    const uint8_t types[] = {DBVT_ASCIIZ, DBVT_BLOB, DBVT_UTF8, DBVT_WCHAR};
    for (uint8_t type : types) {
        SCOPED_TRACE(::testing::Message() << "type " << int(type));
        g_scriptedCalls.clear();
        g_writeVariant = true;
        g_variantToWrite = DBVARIANT{};
        g_variantToWrite.type = type;
        if (type == DBVT_BLOB)
            g_variantToWrite.blob = {5, reinterpret_cast<uint8_t*>(hostCopy)};
        else
            g_variantToWrite.pszVal = hostCopy;
        g_variantBytesToWrite = sizeof(DBVARIANT) - offsetof(DBVARIANT, dVal);
        EXPECT_EQ(7u, GetSettingDword(0, kSettingsModule, kSettingVisibilityLevel, 7));
        ASSERT_EQ(2u, g_scriptedCalls.size());
        const ScriptedCall& freed = g_scriptedCalls[1];
        EXPECT_EQ(kSvcFreeVariant, freed.service);
        EXPECT_EQ(0u, freed.wParam);
        ASSERT_EQ(sizeof(DBVARIANT), freed.variant.size());
        DBVARIANT given;
        std::memcpy(&given, freed.variant.data(), sizeof given);
        EXPECT_EQ(type, given.type);
        EXPECT_EQ(hostCopy, type == DBVT_BLOB ? reinterpret_cast<char*>(given.blob.pbVal) : given.pszVal);
    }
}

TEST_F(HelpersOnScriptedHost, UnknownTypeIsHandedBackAndReadsAsTheDefault) {
    g_writeVariant = true;
    g_variantToWrite.type = 0;  // DBVT_DELETED in the host's terms
    g_variantToWrite.dVal = 6;
    g_variantBytesToWrite = sizeof g_variantToWrite.dVal;
    EXPECT_EQ(41u, GetSettingDword(0, kSettingsModule, kSettingVisibilityLevel, 41));
    ASSERT_EQ(2u, g_scriptedCalls.size());
    EXPECT_EQ(kSvcFreeVariant, g_scriptedCalls[1].service);
}

TEST_F(HelpersOnSandbox, WriteSendsAThirtyTwoBitTypedValueUnderQuillmere) {
    const uint32_t values[] = {0, 6, 7, 0xFFFFFFFF, 0x80000000};
    for (uint32_t value : values) {
        SCOPED_TRACE(value);
        host.ClearLog();
        WriteSettingDword(0x1000, kSettingsModule, kSettingVisibilityLevel, value);
        ASSERT_EQ(1u, host.Log().size());
        const HostCall& call = host.Log()[0];
        EXPECT_EQ("DB/Contact/WriteSetting 4096 Quillmere/VisibilityLevel type=4 " +
                      std::to_string(static_cast<int32_t>(value)),
                  call.text);
        ASSERT_EQ(ByTarget(20, 40), call.record.size());
        EXPECT_NE(0u, PointerAt(call.record, 0)) << "szModule";
        EXPECT_NE(0u, PointerAt(call.record, ByTarget(4, 8))) << "szSetting";
        EXPECT_STREQ("Quillmere", TextAt(call.record, 0));
        EXPECT_STREQ("VisibilityLevel", TextAt(call.record, ByTarget(4, 8)));
        EXPECT_EQ(4, call.record[ByTarget(8, 16)]) << "type";
        EXPECT_EQ(value, Int32At(call.record, ByTarget(12, 24))) << "dVal";
        auto stored = host.Setting(0x1000, "Quillmere", "VisibilityLevel");
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(DBVT_DWORD, stored->type);
        EXPECT_EQ(value, stored->number);
    }
}

TEST_F(HelpersOnSandbox, WrittenValueReadsBack) {
    WriteSettingDword(0, kSettingsModule, kSettingEditorLeft, static_cast<uint32_t>(-250));
    EXPECT_EQ(-250, static_cast<int32_t>(GetSettingDword(0, kSettingsModule, kSettingEditorLeft, 0)));
}

TEST_F(HelpersOnScriptedHost, WriteResultIsIgnored) {
    g_scriptedResult = 1;  // failure, dropped
    WriteSettingDword(5, kSettingsModule, kSettingEditorTop, 17);
    ASSERT_EQ(1u, g_scriptedCalls.size());
    EXPECT_EQ(kSvcWriteSetting, g_scriptedCalls[0].service);
    EXPECT_EQ(5u, g_scriptedCalls[0].wParam);
}

// --- Protocols and contact services -----------------------------------------------

TEST_F(HelpersOnSandbox, BaseProtocolIsCopiedOrEmpty) {
    const ContactHandle icq = host.AddContact("ICQ");
    const ContactHandle none = host.AddContact(nullptr);
    const ContactHandle high = host.AddContact("\xC9\xC7Q");
    EXPECT_EQ("ICQ", GetContactBaseProto(icq));
    EXPECT_EQ("", GetContactBaseProto(none));
    EXPECT_EQ("\xC9\xC7Q", GetContactBaseProto(high));
    EXPECT_EQ("", GetContactBaseProto(0xBAD0));  // unknown to the host
    EXPECT_EQ((std::vector<std::string>{"Proto/GetContactBaseProto " + std::to_string(icq),
                                        "Proto/GetContactBaseProto " + std::to_string(none),
                                        "Proto/GetContactBaseProto " + std::to_string(high),
                                        "Proto/GetContactBaseProto 47824"}),
              host.LogTexts());
}

TEST_F(HelpersOnScriptedHost, ContactServiceSendsACcsDataRecordAndReturnsTheResult) {
    static const char kService[] = "/GetInfo";
    g_scriptedResult = 1234;
    EXPECT_EQ(1234, CallContactService(0x1040, kService, 7, -9));
    ASSERT_EQ(1u, g_scriptedCalls.size());
    EXPECT_EQ(kSvcCallContactService, g_scriptedCalls[0].service);
    EXPECT_EQ(0u, g_scriptedCalls[0].wParam);
    EXPECT_NE(0, g_scriptedCalls[0].lParam);
}

TEST_F(HelpersOnSandbox, ContactServiceRecordBytes) {
    const ContactHandle icq = host.AddContact("ICQ");
    CallContactService(icq, "/GetInfo", 0xABCD, -2);
    ASSERT_EQ(1u, host.Log().size());
    const HostCall& call = host.Log()[0];
    EXPECT_EQ("Proto/CallContactService " + std::to_string(icq) + " /GetInfo 43981 -2", call.text);
    ASSERT_EQ(ByTarget(16, 32), call.record.size());
    EXPECT_EQ(icq, PointerAt(call.record, 0));
    EXPECT_STREQ("/GetInfo", TextAt(call.record, ByTarget(4, 8)));
    EXPECT_EQ(0xABCDu, PointerAt(call.record, ByTarget(8, 16)));
    EXPECT_EQ(-2, static_cast<intptr_t>(PointerAt(call.record, ByTarget(12, 24))));
}

TEST_F(HelpersOnSandbox, ApparentModeCallsCarryTheStatusAsWParam) {
    const ContactHandle icq = host.AddContact("ICQ");
    const std::string c = std::to_string(icq);
    SetApparentOnline(icq);
    EXPECT_EQ(40072u, host.ApparentMode(icq));
    SetApparentOffline(icq);
    EXPECT_EQ(40071u, host.ApparentMode(icq));
    EXPECT_EQ((std::vector<std::string>{"Proto/CallContactService " + c + " /SetApparentMode 40072 0",
                                        "Proto/CallContactService " + c + " /SetApparentMode 40071 0"}),
              host.LogTexts());
    ASSERT_EQ(2u, host.Log().size());
    EXPECT_STREQ("/SetApparentMode", TextAt(host.Log()[0].record, ByTarget(4, 8)));
}

TEST_F(HelpersOnSandbox, ApparentModeOfAContactTheProtocolRefusesIsDropped) {
    const ContactHandle msn = host.AddContact("MSN");
    SetApparentOffline(msn);  // the host answers "no such service"; nothing to see
    EXPECT_FALSE(host.ApparentMode(msn).has_value());
    EXPECT_EQ(1u, host.CountCalls("Proto/CallContactService"));
}
