// ScmServiceManager against the real Service Control Manager (Wine's when
// run here). Service names carry the process id so parallel runs never meet.
#include "win32/scm_service_manager.h"

#include <gtest/gtest.h>

#include <string>

#include "service_query.h"

namespace {

using namespace corvinst;
using corvinst_test::DeleteStoredService;
using corvinst_test::QueryStoredService;

class ScmServiceManagerTest : public testing::Test {
 protected:
  void TearDown() override { DeleteStoredService(name_); }

  ServiceProperties Properties(std::uint32_t type, std::uint32_t start, std::string path) const {
    ServiceProperties properties;
    properties.name = name_;
    properties.display_name = name_;
    properties.desired_access = kServiceAllAccess;
    properties.service_type = type;
    properties.start_type = start;
    properties.error_control = kServiceErrorNormal;
    properties.binary_path = std::move(path);
    return properties;
  }

  const std::string name_ =
      "corvinst-test-scm-" + std::to_string(GetCurrentProcessId()) + "-" +
      testing::UnitTest::GetInstance()->current_test_info()->name();
};

TEST_F(ScmServiceManagerTest, CreatesTheServiceAsDescribed) {
  ScmServiceManager manager;
  ASSERT_TRUE(manager.Open());
  ASSERT_TRUE(manager.CreateService(Properties(0x110, 2, R"(C:\Mail Server\corvane.exe -sw -x)")));
  manager.CloseService();
  manager.Close();

  const auto stored = QueryStoredService(name_);
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->service_type, 0x110u);
  EXPECT_EQ(stored->start_type, 2u);
  EXPECT_EQ(stored->error_control, 1u);
  EXPECT_EQ(stored->binary_path, R"(C:\Mail Server\corvane.exe -sw -x)");
  EXPECT_EQ(stored->display_name, name_);
  EXPECT_EQ(stored->account, "LocalSystem");
  EXPECT_EQ(stored->load_order_group, "");
  EXPECT_EQ(stored->dependencies, "");
  EXPECT_EQ(stored->tag, 0u);
}

TEST_F(ScmServiceManagerTest, StoresTheDescription) {
  ScmServiceManager manager;
  ASSERT_TRUE(manager.Open());
  ASSERT_TRUE(manager.CreateService(Properties(0x10, 3, R"(C:\M\corvane.exe -s)")));
  EXPECT_TRUE(manager.SetDescription(kServiceDescription));
  // The failure actions are accepted; reading them back is not possible
  // on every Service Control Manager, so only the call's result is checked.
  EXPECT_TRUE(manager.SetFailureActions(kFailureActions));
  manager.CloseService();

  const auto stored = QueryStoredService(name_);
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->service_type, 0x10u);
  EXPECT_EQ(stored->start_type, 3u);
  EXPECT_EQ(stored->description, "Corvane Mail Transport System core process");
}

TEST_F(ScmServiceManagerTest, RefusesASecondServiceOfTheSameName) {
  ScmServiceManager first;
  ASSERT_TRUE(first.Open());
  ASSERT_TRUE(first.CreateService(Properties(0x110, 3, R"(C:\M\corvane.exe -sw)")));
  first.CloseService();

  ScmServiceManager second;
  ASSERT_TRUE(second.Open());
  EXPECT_FALSE(second.CreateService(Properties(0x10, 2, R"(C:\M\corvane.exe -s)")));
  EXPECT_FALSE(second.SetDescription("other"));

  const auto stored = QueryStoredService(name_);
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->service_type, 0x110u);
  EXPECT_EQ(stored->binary_path, R"(C:\M\corvane.exe -sw)");
}

TEST_F(ScmServiceManagerTest, CreatesNothingWithoutAnOpenManager) {
  ScmServiceManager manager;
  EXPECT_FALSE(manager.CreateService(Properties(0x10, 3, R"(C:\M\corvane.exe -s)")));
  EXPECT_FALSE(QueryStoredService(name_).has_value());
}

}  // namespace
