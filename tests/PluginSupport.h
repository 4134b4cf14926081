// A test fixture with the sandbox host and the real DLL loaded into it.
//
// The DLL stays mapped for the whole test program, as in a real host, so its
// module-wide state carries from one test to the next; each test starts the
// plug-in again (information query, Load, modules loaded) on a fresh host.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sandbox/SandboxHost.h"

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The host's start-up: information query, Load, modules loaded. Clears the
    // log afterwards unless told to keep it.
    void StartPlugin(uint32_t hostVersion = kSandboxHostVersion, bool keepLog = false);

    // "Quillmere" settings as the plug-in stores them.
    void SetLevel(ContactHandle contact, int32_t level);
    std::optional<int32_t> StoredLevel(ContactHandle contact) const;

    SandboxHost host;
};

// Prints both lists on a mismatch, one entry a line.
::testing::AssertionResult SameCalls(const std::vector<std::string>& expected,
                                     const std::vector<std::string>& actual);

// A stored setting of any type: a number for byte, word and dword values,
// the text for the others.
StoredSetting Typed(uint8_t type, uint32_t number, const std::string& text = "");

// A contact handle as the call log writes it.
std::string Str(ContactHandle contact);

// A key pressed and released on `window`, given the focus first, and handled
// by the host's loop, which hands the Options dialog its keys first; with
// Ctrl held down where asked.
void PressInHostLoop(HWND window, UINT key, bool control = false);
