// The version the DLL tells the host is the one the release is named and
// built under (the CMake project's, handed in as QUILLMERE_PROJECT_VERSION).
#include <cstdio>
#include <string>

#include "host/HostHelpers.h"
#include "tests/PluginSupport.h"

namespace {

std::string Dotted(uint32_t version) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned>(version >> 24 & 0xFF),
                  static_cast<unsigned>(version >> 16 & 0xFF), static_cast<unsigned>(version >> 8 & 0xFF),
                  static_cast<unsigned>(version & 0xFF));
    return text;
}

using ReleaseVersion = PluginTest;

}  // namespace

TEST_F(ReleaseVersion, PluginInfoCarriesTheProjectVersion) {
    const std::string projectVersion = QUILLMERE_PROJECT_VERSION;
    unsigned parts[4] = {};
    char rest = 0;
    ASSERT_EQ(4, std::sscanf(projectVersion.c_str(), "%u.%u.%u.%u%c", &parts[0], &parts[1], &parts[2],
                             &parts[3], &rest))
        << "the project version has four parts: " << projectVersion;
    for (unsigned part : parts) ASSERT_LE(part, 255u) << projectVersion;

    const PLUGININFO* info = host.CallPluginInfo();
    ASSERT_NE(nullptr, info);
    EXPECT_EQ(projectVersion, Dotted(info->version));
    EXPECT_EQ(MakeVersion(parts[0], parts[1], parts[2], parts[3]), info->version);
}
