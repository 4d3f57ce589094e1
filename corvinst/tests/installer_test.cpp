#include "core/installer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fake_service_manager.h"

namespace {

using namespace corvinst;
using corvinst_test::FakeServiceManager;
using corvinst_test::RecordingNotifier;
using Calls = std::vector<std::string>;
using Shown = std::vector<std::pair<std::string, std::string>>;

const char kModule[] = R"(C:\Corvane\corvinst.exe)";

InstallChoice Choice(std::string name, bool desktop, bool auto_start) {
  InstallChoice choice;
  choice.service_name = std::move(name);
  choice.desktop = desktop;
  choice.auto_start = auto_start;
  return choice;
}

TEST(InstallSucceeds, CreatesTheServiceWithDescriptionAndRestartPolicy) {
  FakeServiceManager manager;
  RecordingNotifier notifier;
  const InstallResult result =
      Install(Choice("Corvane32", true, true), kModule, "-x test", manager, notifier);

  EXPECT_EQ(result, InstallResult::kInstalled);
  ASSERT_EQ(manager.services.count("Corvane32"), 1u);
  const auto& service = manager.services.at("Corvane32");
  EXPECT_EQ(service.properties.display_name, "Corvane32");
  EXPECT_EQ(service.properties.desired_access, 0xF01FFu);
  EXPECT_EQ(service.properties.service_type, 0x110u);
  EXPECT_EQ(service.properties.start_type, 2u);
  EXPECT_EQ(service.properties.error_control, 1u);
  EXPECT_EQ(service.properties.binary_path, R"(C:\Corvane\corvane.exe -sw -x test)");
  EXPECT_EQ(service.description, "Corvane Mail Transport System core process");
  ASSERT_TRUE(service.failure_actions.has_value());
  EXPECT_EQ(service.failure_actions->reset_period_s, 6000u);
  for (const FailureAction& action : service.failure_actions->actions) {
    EXPECT_EQ(action.type, 1u);  // restart the service
    EXPECT_EQ(action.delay_ms, 60000u);
  }
  EXPECT_EQ(notifier.shown,
            (Shown{{"Corvane/32 Service successfully installed.", "Corvane Service Installer"}}));
}

TEST(InstallSucceeds, UsesThePlainSwitchAndDemandStartByDefault) {
  FakeServiceManager manager;
  RecordingNotifier notifier;
  ASSERT_EQ(Install(InstallChoice{}, kModule, "", manager, notifier), InstallResult::kInstalled);
  const auto& properties = manager.services.at("Corvane32").properties;
  EXPECT_EQ(properties.binary_path, R"(C:\Corvane\corvane.exe -s)");
  EXPECT_EQ(properties.service_type, 0x10u);
  EXPECT_EQ(properties.start_type, 3u);
}

TEST(InstallSucceeds, ClosesTheServiceAndTheManagerInOrder) {
  FakeServiceManager manager;
  RecordingNotifier notifier;
  Install(InstallChoice{}, kModule, "", manager, notifier);
  EXPECT_EQ(manager.calls, (Calls{"Open", "CreateService", "SetDescription",
                                  "SetFailureActions", "CloseService", "Close"}));
}

TEST(InstallSucceeds, EvenWhenDescriptionAndRestartPolicyCannotBeSet) {
  FakeServiceManager manager;
  manager.fail_description = true;
  manager.fail_failure_actions = true;
  RecordingNotifier notifier;
  EXPECT_EQ(Install(InstallChoice{}, kModule, "", manager, notifier), InstallResult::kInstalled);
  EXPECT_EQ(manager.services.count("Corvane32"), 1u);
  EXPECT_EQ(manager.calls.back(), "Close");
  EXPECT_EQ(notifier.shown,
            (Shown{{"Corvane/32 Service successfully installed.", "Corvane Service Installer"}}));
}

struct FailureCase {
  const char* what;
  bool refuse_open;
  bool refuse_create;
  std::size_t argument_length;
  InstallResult result;
  Calls calls;
  const char* text;
};

class InstallFails : public testing::TestWithParam<FailureCase> {};

TEST_P(InstallFails, ShowsOneErrorAndCreatesNothing) {
  const FailureCase& c = GetParam();
  FakeServiceManager manager;
  manager.refuse_open = c.refuse_open;
  manager.refuse_create = c.refuse_create;
  RecordingNotifier notifier;
  const std::string arguments(c.argument_length, 'a');

  EXPECT_EQ(Install(InstallChoice{}, kModule, arguments, manager, notifier), c.result);
  EXPECT_TRUE(manager.services.empty());
  EXPECT_EQ(manager.calls, c.calls);
  EXPECT_EQ(notifier.shown, (Shown{{c.text, "Corvane/32 Service Installer Error"}}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InstallFails,
    testing::Values(
        FailureCase{"NoServiceManager", true, false, 0, InstallResult::kNoManager, {"Open"},
                    "Unable to open Windows Service Manager (check rights)."},
        FailureCase{"CreateRefused", false, true, 0, InstallResult::kCreateFailed,
                    {"Open", "CreateService", "Close"}, "Failed while creating service."},
        // C:\Corvane\corvane.exe -s + blank = 26 characters; 230 more make 256.
        FailureCase{"CommandLineTooLong", false, false, 230, InstallResult::kNoCommandLine,
                    {"Open", "Close"}, "Failed while creating service."}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.what); });

TEST(InstallFailsToo, WhenTheNameIsTakenTheSecondTime) {
  FakeServiceManager manager;
  RecordingNotifier notifier;
  ASSERT_EQ(Install(Choice("Mail", true, false), kModule, "", manager, notifier),
            InstallResult::kInstalled);
  EXPECT_EQ(Install(Choice("Mail", false, true), kModule, "", manager, notifier),
            InstallResult::kCreateFailed);
  ASSERT_EQ(notifier.shown.size(), 2u);
  EXPECT_EQ(notifier.shown[1], (std::pair<std::string, std::string>{
                                   "Failed while creating service.",
                                   "Corvane/32 Service Installer Error"}));
  // The first service is left as it was.
  EXPECT_EQ(manager.services.at("Mail").properties.service_type, 0x110u);
  EXPECT_EQ(manager.services.at("Mail").properties.start_type, 3u);
}

TEST(InstallFailsToo, WhenTheInstallersOwnPathIsUnknown) {
  FakeServiceManager manager;
  RecordingNotifier notifier;
  EXPECT_EQ(Install(InstallChoice{}, "", "", manager, notifier), InstallResult::kNoCommandLine);
  EXPECT_TRUE(manager.services.empty());
  EXPECT_EQ(manager.calls, (Calls{"Open", "Close"}));
  EXPECT_EQ(notifier.shown,
            (Shown{{"Failed while creating service.", "Corvane/32 Service Installer Error"}}));
}

TEST(InstallLimit, Accepts255CharacterCommandLine) {
  FakeServiceManager manager;
  RecordingNotifier notifier;
  EXPECT_EQ(Install(InstallChoice{}, kModule, std::string(229, 'a'), manager, notifier),
            InstallResult::kInstalled);
  EXPECT_EQ(manager.services.at("Corvane32").properties.binary_path.size(), 255u);
}

}  // namespace
