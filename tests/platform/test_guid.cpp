#include "platform/Guid.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

using namespace platform;

TEST(Guid, RandomVersion4InRegistryForm)
{
    const std::regex pattern("\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}");
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string guid = CreateGuidText();
        EXPECT_TRUE(std::regex_match(guid, pattern)) << guid;
        EXPECT_TRUE(IsGuidText(guid));
        seen.insert(guid);
    }
    EXPECT_EQ(seen.size(), 200u);
}

TEST(Guid, RecognisesTheForm)
{
    EXPECT_TRUE(IsGuidText("{0a1b2c3d-0000-4000-8000-00000000abcd}"));
    EXPECT_FALSE(IsGuidText("0A1B2C3D-0000-4000-8000-00000000ABCD"));
    EXPECT_FALSE(IsGuidText("{0A1B2C3D-0000-4000-8000-00000000ABCG}"));
    EXPECT_FALSE(IsGuidText("{0A1B2C3D00000-4000-8000-00000000ABCD}"));
}
