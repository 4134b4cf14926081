#include "tests/PluginSupport.h"

#include <sstream>

#include "sandbox/HostMessageLoop.h"
#include "sandbox/UserScript.h"

void PluginTest::SetUp() { ASSERT_TRUE(host.LoadPlugin()) << "Quillmere.dll did not load"; }

void PluginTest::TearDown() { EXPECT_EQ(0, host.TrapCount()) << "the plug-in called an unused table slot"; }

void PluginTest::StartPlugin(uint32_t hostVersion, bool keepLog) {
    ASSERT_TRUE(host.Start(hostVersion));
    if (!keepLog) host.ClearLog();
}

void PluginTest::SetLevel(ContactHandle contact, int32_t level) {
    host.SetDword(contact, "Quillmere", "VisibilityLevel", static_cast<uint32_t>(level));
}

std::optional<int32_t> PluginTest::StoredLevel(ContactHandle contact) const {
    auto stored = host.Dword(contact, "Quillmere", "VisibilityLevel");
    if (!stored) return std::nullopt;
    return static_cast<int32_t>(*stored);
}

::testing::AssertionResult SameCalls(const std::vector<std::string>& expected,
                                     const std::vector<std::string>& actual) {
    if (expected == actual) return ::testing::AssertionSuccess();
    std::ostringstream out;
    out << "\nexpected " << expected.size() << " calls:\n";
    for (const auto& call : expected) out << "  " << call << "\n";
    out << "actual " << actual.size() << " calls:\n";
    for (const auto& call : actual) out << "  " << call << "\n";
    return ::testing::AssertionFailure() << out.str();
}

std::string Str(ContactHandle contact) { return std::to_string(contact); }

StoredSetting Typed(uint8_t type, uint32_t number, const std::string& text) {
    StoredSetting setting;
    setting.type = type;
    setting.number = number;
    setting.text = text;
    return setting;
}

void PressInHostLoop(HWND window, UINT key, bool control) {
    SetFocus(window);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = control ? 0x80 : 0;
    SetKeyboardState(keys);
    PressKey(window, key);
    RunHostMessageLoop(60);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
}
