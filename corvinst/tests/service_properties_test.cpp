#include "core/service_properties.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace corvinst;

struct PropertiesCase {
  const char* what;
  bool desktop;
  bool auto_start;
  std::uint32_t service_type;
  std::uint32_t start_type;
};

class ServicePropertiesForChoice : public testing::TestWithParam<PropertiesCase> {};

TEST_P(ServicePropertiesForChoice, SetsTypeAndStartFromTheTwoOptions) {
  const PropertiesCase& c = GetParam();
  InstallChoice choice;
  choice.service_name = "MailCore";
  choice.desktop = c.desktop;
  choice.auto_start = c.auto_start;
  const ServiceProperties properties = ServicePropertiesFor(choice, R"(C:\M\corvane.exe -s)");
  EXPECT_EQ(properties.service_type, c.service_type);
  EXPECT_EQ(properties.start_type, c.start_type);
  // Everything else is the same for every choice.
  EXPECT_EQ(properties.name, "MailCore");
  EXPECT_EQ(properties.display_name, "MailCore");
  EXPECT_EQ(properties.desired_access, 0xF01FFu);
  EXPECT_EQ(properties.error_control, 1u);
  EXPECT_EQ(properties.binary_path, R"(C:\M\corvane.exe -s)");
}

INSTANTIATE_TEST_SUITE_P(
    Options, ServicePropertiesForChoice,
    testing::Values(PropertiesCase{"Neither", false, false, 0x10, 3},
                    PropertiesCase{"Desktop", true, false, 0x110, 3},
                    PropertiesCase{"AutoStart", false, true, 0x10, 2},
                    PropertiesCase{"Both", true, true, 0x110, 2}),
    [](const testing::TestParamInfo<PropertiesCase>& info) {
      return std::string(info.param.what);
    });

TEST(InstallChoiceDefaults, MatchTheDialogsOpeningState) {
  const InstallChoice choice;
  EXPECT_EQ(choice.service_name, "Corvane32");
  EXPECT_FALSE(choice.desktop);
  EXPECT_FALSE(choice.auto_start);
}

}  // namespace
