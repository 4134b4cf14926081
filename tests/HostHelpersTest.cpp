#include <gtest/gtest.h>

#include "host/HostHelpers.h"

TEST(Versions, CompareWeighsPartsAndSign) {
    EXPECT_EQ(0, CompareVersions(MakeVersion(0, 1, 1, 0), MakeVersion(0, 1, 1, 0)));
    EXPECT_EQ(-10, CompareVersions(MakeVersion(0, 1, 0, 0), MakeVersion(0, 1, 1, 0)));
    EXPECT_EQ(50, CompareVersions(MakeVersion(1, 0, 0, 0), MakeVersion(0, 255, 0, 0)));
}
