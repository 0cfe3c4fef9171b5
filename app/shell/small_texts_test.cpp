#include <gtest/gtest.h>

#include "app/shell/display_check.h"
#include "app/shell/help_location.h"

namespace shell {
namespace {

TEST(SmallRules, DisplayFromAnyOfThreeVariablesAndHelpNextToTheExecutableFirst) {
    EXPECT_FALSE(hasDisplay(nullptr, "", nullptr));
    EXPECT_TRUE(hasDisplay(":0", nullptr, nullptr) && hasDisplay(nullptr, "wayland-0", nullptr) &&
                hasDisplay(nullptr, nullptr, "offscreen"));
    EXPECT_EQ(helpFileCandidates("/opt/bin/pivora", {"", "/usr/share/pivora", "/opt/bin", "/usr/share/pivora"}),
              (std::vector<std::string>{"/opt/bin/PIVORA.HLP", "/usr/share/pivora/PIVORA.HLP"}));
}

}  // namespace
}  // namespace shell
