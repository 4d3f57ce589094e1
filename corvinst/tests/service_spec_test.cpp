#include "core/service_spec.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace corvinst;

struct SpecCase {
  const char* what;
  bool desktop;
  bool auto_start;
  std::uint32_t service_type;
  std::uint32_t start_type;
};

class ServiceSpecForChoice : public testing::TestWithParam<SpecCase> {};

TEST_P(ServiceSpecForChoice, SetsTypeAndStartFromTheTwoOptions) {
  const SpecCase& c = GetParam();
  InstallChoice choice;
  choice.service_name = "MailCore";
  choice.desktop = c.desktop;
  choice.auto_start = c.auto_start;
  const ServiceSpec spec = ServiceSpecFor(choice, R"(C:\M\corvane.exe -s)");
  EXPECT_EQ(spec.service_type, c.service_type);
  EXPECT_EQ(spec.start_type, c.start_type);
  // Everything else is the same for every choice.
  EXPECT_EQ(spec.name, "MailCore");
  EXPECT_EQ(spec.display_name, "MailCore");
  EXPECT_EQ(spec.desired_access, 0xF01FFu);
  EXPECT_EQ(spec.error_control, 1u);
  EXPECT_EQ(spec.binary_path, R"(C:\M\corvane.exe -s)");
}

INSTANTIATE_TEST_SUITE_P(
    Options, ServiceSpecForChoice,
    testing::Values(SpecCase{"Neither", false, false, 0x10, 3},
                    SpecCase{"Desktop", true, false, 0x110, 3},
                    SpecCase{"AutoStart", false, true, 0x10, 2},
                    SpecCase{"Both", true, true, 0x110, 2}),
    [](const testing::TestParamInfo<SpecCase>& info) { return std::string(info.param.what); });

TEST(InstallChoiceDefaults, MatchTheDialogsOpeningState) {
  const InstallChoice choice;
  EXPECT_EQ(choice.service_name, "Corvane32");
  EXPECT_FALSE(choice.desktop);
  EXPECT_FALSE(choice.auto_start);
}

}  // namespace
