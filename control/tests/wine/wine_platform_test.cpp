// The Win32 launcher, process list, TCP table and service queries on their
// own, under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "config.h"
#include "fakes.h"
#include "launch.h"
#include "text.h"
#include "win_platform.h"
#include "win_text.h"

namespace {

using namespace control;

std::string Standin() {
  wchar_t buf[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, buf, MAX_PATH * 4);
  return win::Utf8((std::filesystem::path(buf).parent_path() / "ostrel_test_httpd.exe").wstring());
}

bool Listed(tProcesses& snap, std::uint32_t pid) {
  snap.UpdateList();
  for (const auto& e : snap.ProcessList2) {
    if (e.pid == pid) return true;
  }
  return false;
}

class WinPlatform : public ::testing::Test {
 protected:
  void TearDown() override { Process() = ProcessValues{}; }
  control_test::RecordingLog log;
  win::WinLauncher launcher;
  Launch launch{launcher};
  win::WinProcessList list;
  tProcesses snap{list};
};

TEST_F(WinPlatform, StartedProgramIsListedWithItsPathAndCanBeEnded) {
  const std::string cmd = "\"" + Standin() + "\" -k hold";
  std::uint32_t a = 0, b = 0;
  EXPECT_EQ(launch.RunProcess("\"" + Standin() + "\" -k unknown", kSwHide, true), 1u);
  EXPECT_EQ(launch.RunProcess(cmd, kSwHide, false, &a), 0u);
  EXPECT_EQ(launch.RunProcess(cmd, kSwHide, false, &b), 0u);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  ASSERT_NE(a, b);
  ASSERT_TRUE(Listed(snap, a));
  EXPECT_EQ(LowerAscii(snap.GetProcessName(a)), "ostrel_test_httpd.exe");
  EXPECT_EQ(LowerAscii(snap.GetProcessName(b)), "ostrel_test_httpd.exe");
  EXPECT_TRUE(ContainsText(snap.GetProcessPath(a), "\\ostrel_test_httpd.exe")) << snap.GetProcessPath(a);
  EXPECT_TRUE(launch.KillProcess(a));
  EXPECT_TRUE(launch.KillProcess(b));
  for (int i = 0; i < 50 && (Listed(snap, a) || Listed(snap, b)); ++i) Sleep(100);
  EXPECT_FALSE(Listed(snap, a));
  EXPECT_FALSE(launch.KillProcess(0xFFFFFFF0u));
  EXPECT_TRUE(log.lines.empty());
}

TEST_F(WinPlatform, ProcessIdZeroHasNoPath) { EXPECT_EQ(snap.GetProcessPath(0), "Unable to open process"); }

TEST_F(WinPlatform, ExecuteFileWaitsForTheExitCode) {
  EXPECT_EQ(launch.ExecuteFile("open", Standin(), "-k unknown", true, kSwHide), 1);
  EXPECT_EQ(launch.ExecuteFile("open", Standin() + ".missing", "", true, kSwHide), -1);
}

TEST_F(WinPlatform, RunAsAdminReportsAProgramThatCannotStart) {
  EXPECT_TRUE(launch.IsAdmin());
  EXPECT_GE(launcher.WindowsMajor(), 6u);
  long long r = launch.RunAsAdmin(Standin() + ".missing", "", kSwHide);
  EXPECT_NE(r, 0);
  std::string text = launch.SystemErrorMessage(r);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.front(), ' ');
  EXPECT_NE(text.back(), '\r');
  EXPECT_NE(text.back(), '\n');
  EXPECT_NE(text.back(), ' ');
  EXPECT_EQ(launch.RunAsAdmin(Standin(), "-k unknown", kSwHide), 0);  // ended; its own code is not read
}

TEST_F(WinPlatform, UnknownServiceIsNotInstalled) {
  win::WinServiceManager scm;
  ServiceQueries q(scm);
  const std::string name = "ostrel-test-nosuch-" + std::to_string(GetCurrentProcessId());
  EXPECT_EQ(q.GetServiceStatus(name), 1);
  EXPECT_EQ(q.GetServiceConfigPath(name), "ERROR: Service Not Found");
}

TEST_F(WinPlatform, TcpTableIsReadFromTheIpHelperLibrary) {
  win::WinTcpTable tcp;
  ASSERT_TRUE(tcp.Loaded());
  tNetstatTable table(tcp, snap);
  std::uint32_t answer = table.UpdateTable();
  EXPECT_TRUE(answer == 0 || answer == kErrorNoData) << answer;
  EXPECT_TRUE(log.lines.empty());
}

}  // namespace
