#include <gtest/gtest.h>

#include "config.h"
#include "fakes.h"
#include "launch.h"

namespace {

using namespace control;
using control_test::FakeLauncher;
using control_test::LogEntry;
using control_test::RecordingLog;
using W = ILauncher::WaitResult;

class LaunchHelpers : public ::testing::Test {
 protected:
  void SetUp() override { Process().Root = "c:\\ostrel\\"; }
  void TearDown() override {
    Process() = ProcessValues{};
    Config() = tConfig{};
  }
  FakeLauncher fake;
  Launch launch{fake};
  RecordingLog log;
};

TEST_F(LaunchHelpers, RunAsAdminUsesRunasFromWindowsSixEvenForAnAdmin) {
  struct Case {
    std::uint32_t major;
    bool admin;
    const char* verb;
  } cases[] = {{6, true, "runas"}, {10, true, "runas"}, {5, false, "runas"}, {5, true, ""}, {4, true, ""}};
  for (const Case& c : cases) {
    fake.calls.clear();
    fake.major = c.major;
    fake.admin = c.admin;
    EXPECT_EQ(launch.RunAsAdmin("net", "start \"Apache\"", kSwHide), 0);
    ASSERT_EQ(fake.calls.size(), 1u);
    EXPECT_EQ(fake.calls[0].verb, c.verb) << c.major << c.admin;
    EXPECT_EQ(fake.calls[0].file, "net");
    EXPECT_EQ(fake.calls[0].params, "start \"Apache\"");
    EXPECT_EQ(fake.calls[0].dir, "");
    EXPECT_EQ(fake.calls[0].show, kSwHide);
  }
}

TEST_F(LaunchHelpers, RunAsAdminReportsRefusalAndWaitOutcomes) {
  fake.shell_results = {{false, 0, 1223}};
  EXPECT_EQ(launch.RunAsAdmin("net", "x", kSwHide), 1223);
  EXPECT_EQ(launch.SystemErrorMessage(1223), "The operation was canceled by the user.");

  fake.shell_results = {{true, 0, 0}};  // started, but no process handle
  EXPECT_EQ(launch.RunAsAdmin("net", "x", kSwHide), -1);

  fake.waits = {W::kTimeout, W::kTimeout, W::kEnded};
  fake.messages_processed = 0;
  fake.exit_code = 2;  // the program's own code is not read
  EXPECT_EQ(launch.RunAsAdmin("net", "x", kSwHide), 0);
  EXPECT_EQ(fake.messages_processed, 2);
  EXPECT_EQ(fake.closed.back(), 77u);
}

TEST_F(LaunchHelpers, QuittingEndsWaitsWithSuccess) {
  fake.waits = std::deque<W>(1000, W::kTimeout);
  int waits = 0;
  fake.on_wait = [&] {
    if (++waits == 3) Process().Quitting = true;
  };
  EXPECT_EQ(launch.RunAsAdmin("net", "x", kSwHide), 0);
  EXPECT_EQ(waits, 3);
  Process().Quitting = false;
  waits = 0;
  fake.exit_code_ok = false;
  EXPECT_EQ(launch.ExecuteFile("open", "a.exe", "", true, kSwShow), 0);
  EXPECT_EQ(waits, 3);
}

TEST_F(LaunchHelpers, ExecuteFileGivesExitCodeOrMinusOne) {
  fake.exit_code = 7;
  EXPECT_EQ(launch.ExecuteFile("open", "a.exe", "-x", true, kSwShow, "d"), 7);
  EXPECT_EQ(fake.calls.back().dir, "d");
  fake.exit_code = kStillActive;
  EXPECT_EQ(launch.ExecuteFile("open", "a.exe", "", false, kSwShow), 259);
  fake.shell_results = {{false, 0, 2}};
  EXPECT_EQ(launch.ExecuteFile("open", "a.exe", "", true, kSwShow), -1);
  fake.exit_code_ok = false;
  EXPECT_EQ(launch.ExecuteFile("open", "a.exe", "", true, kSwShow), -1);
}

TEST_F(LaunchHelpers, RunProcessWithoutWaitFillsPidAndGivesZeroForARunningProgram) {
  fake.exit_code = kStillActive;
  std::uint32_t pid = 0;
  EXPECT_EQ(launch.RunProcess("corvane.exe", kSwHide, false, &pid), 0u);
  EXPECT_EQ(pid, 4242u);
  fake.exit_code = 3;
  EXPECT_EQ(launch.RunProcess("x.exe", kSwHide, true), 3u);
  fake.create_ok = false;
  EXPECT_EQ(launch.RunProcess("missing.exe", kSwHide, true), 0u);
}

TEST_F(LaunchHelpers, ShellOpenDefaultsToTheRoot) {
  EXPECT_EQ(launch.ShellOpen("http://localhost/"), 42);
  EXPECT_EQ(fake.calls.back().dir, "c:\\ostrel\\");
  EXPECT_EQ(fake.calls.back().show, kSwShow);
}

TEST_F(LaunchHelpers, KillProcessAnswersWhetherTheProcessWasEnded) {
  fake.killable = {{10, true}, {11, false}};
  EXPECT_TRUE(launch.KillProcess(10));
  EXPECT_FALSE(launch.KillProcess(11));
  EXPECT_FALSE(launch.KillProcess(12));
}

TEST_F(LaunchHelpers, ErrorsAreLoggedWithToolsTagAndGiveFailureValues) {
  fake.throw_on_call = true;
  EXPECT_EQ(launch.RunProcess("a b", kSwHide, false), 0u);
  EXPECT_EQ(launch.ShellOpen("f.txt"), 0);
  EXPECT_EQ(launch.ExecuteFile("open", "e.exe", "", true, kSwShow), -1);
  EXPECT_EQ(launch.RunAsAdmin("net", "", kSwHide), 1);
  EXPECT_FALSE(launch.KillProcess(9));
  EXPECT_EQ(log.lines, (std::vector<LogEntry>{
                           {"Tools", "EXCEPTION: 无法运行进程: a b", ltError},
                           {"Tools", "EXCEPTION: 无法执行文件: f.txt", ltError},
                           {"Tools", "EXCEPTION: Problem shell executing e.exe", ltError},
                           {"Tools", "EXCEPTION: 以管理员身份运行的问题 net", ltError},
                           {"Tools", "EXCEPTION: 问题终止PID 9", ltError},
                       }));
}

// Splits a command line the way the C run-time of a Windows program does.
std::vector<std::string> SplitCommandLine(const std::string& s) {
  std::vector<std::string> args;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i >= s.size()) break;
    std::string arg;
    bool quoted = false;
    while (i < s.size() && (quoted || (s[i] != ' ' && s[i] != '\t'))) {
      std::size_t bs = 0;
      while (i < s.size() && s[i] == '\\') ++bs, ++i;
      if (i < s.size() && s[i] == '"') {
        arg.append(bs / 2, '\\');
        if (bs % 2) {
          arg += '"';
        } else if (quoted && i + 1 < s.size() && s[i + 1] == '"') {
          arg += '"';
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        arg.append(bs, '\\');
        if (i < s.size() && (quoted || (s[i] != ' ' && s[i] != '\t'))) arg += s[i++];
      }
    }
    args.push_back(arg);
  }
  return args;
}

TEST(QuoteArgument, AnyTextBecomesExactlyOneArgument) {
  const std::string names[] = {"Apache", "a\"b", "x\" & del /q *", "ends\\", "a\\\"b", "%PATH%", "", "\\\\srv\\"};
  for (const auto& n : names) {
    EXPECT_EQ(SplitCommandLine("start " + QuoteArgument(n)), (std::vector<std::string>{"start", n})) << n;
  }
  EXPECT_EQ(QuoteArgument("Apache"), "\"Apache\"");
}

}  // namespace
