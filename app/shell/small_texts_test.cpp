// The fixed texts of the shell: link errors, the missing-display message, the help places.
#include <gtest/gtest.h>

#include "app/shell/display_check.h"
#include "app/shell/help_location.h"
#include "app/shell/link_error_text.h"

namespace shell {
namespace {

TEST(LinkErrorMessage, ReasonsKeepTheirLineBreaksAndBlanks) {
    EXPECT_EQ(linkErrorMessage(26), "Unable to open hyperlink:\n\nA sharing violation occurred. ");
    EXPECT_EQ(linkErrorMessage(30),
              "Unable to open hyperlink:\n\nThe DDE transaction could not\nbe completed because other DDE "
              "transactions\nwere being processed.");
}

TEST(LinkErrorMessage, OtherCodesAreNamedAsUnknown) {
    EXPECT_EQ(linkErrorMessage(1), "Unable to open hyperlink:\n\nUnknown Error (1) occurred.");
    EXPECT_EQ(linkErrorMessage(-4), "Unable to open hyperlink:\n\nUnknown Error (-4) occurred.");
    EXPECT_EQ(linkErrorMessage(33), "Unable to open hyperlink:\n\nUnknown Error (33) occurred.");
}

TEST(DisplayCheck, AnyOfTheThreeVariablesMeansADisplay) {
    EXPECT_FALSE(hasDisplay(nullptr, nullptr, nullptr));
    EXPECT_FALSE(hasDisplay("", "", ""));
    EXPECT_TRUE(hasDisplay(":0", nullptr, nullptr));
    EXPECT_TRUE(hasDisplay(nullptr, "wayland-0", nullptr));
    EXPECT_TRUE(hasDisplay(nullptr, nullptr, "offscreen"));
    EXPECT_NE(noDisplayMessage().find("pivora-cli"), std::string::npos);
}

TEST(HelpLocation, NextToTheExecutableFirstThenTheDataFolders) {
    EXPECT_EQ(helpFileCandidates("/opt/tools/pivora", {"/opt/share/pivora", "/usr/share/pivora"}),
              (std::vector<std::string>{"/opt/tools/PIVORA.HLP", "/opt/share/pivora/PIVORA.HLP",
                                        "/usr/share/pivora/PIVORA.HLP"}));
    EXPECT_EQ(helpFileCandidates("/opt/tools/pivora", {""}), (std::vector<std::string>{"/opt/tools/PIVORA.HLP"}));
    EXPECT_EQ(helpFileCandidates("/usr/share/pivora/pivora", {"/usr/share/pivora", "/usr/share/pivora"}),
              (std::vector<std::string>{"/usr/share/pivora/PIVORA.HLP"}));
}

}  // namespace
}  // namespace shell
