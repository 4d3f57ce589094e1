// The Win32 layer for real: a stand-in httpd.exe in a temporary distribution
// is installed as a service, started and stopped with "net", seen by the
// process snapshot, the port table and the service queries, and removed -
// all driven through tApache with a recording module view.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "apache.h"
#include "config.h"
#include "fakes.h"
#include "launch.h"
#include "recording_view.h"
#include "testutil.h"
#include "text.h"
#include "translate.h"
#include "win_platform.h"
#include "win_text.h"

namespace {

using namespace control;
using control_test::LogEntry;
using control_test::RecordingLog;
using control_test::RecordingView;
using Lines = std::vector<LogEntry>;
namespace fs = std::filesystem;

LogEntry D(std::string t) { return {"Apache", std::move(t), ltDebug}; }
LogEntry I(std::string t) { return {"Apache", std::move(t), ltInfo}; }
LogEntry N(std::string t) { return {"Apache", std::move(t), ltDefault}; }

bool WaitFor(const std::function<bool()>& done, int seconds = 20) {
  for (int i = 0; i < seconds * 10; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return done();
}

fs::path ThisFolder() {
  wchar_t buf[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, buf, MAX_PATH * 4);
  return fs::path(buf).parent_path();
}

// Removes the service whatever state a failed test left it in.
void ForceRemoveService(const std::string& name) {
  SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!scm) return;
  if (SC_HANDLE svc = OpenServiceW(scm, win::Wide(name).c_str(), SERVICE_STOP | DELETE | SERVICE_QUERY_STATUS)) {
    SERVICE_STATUS st;
    ControlService(svc, SERVICE_CONTROL_STOP, &st);
    DeleteService(svc);
    CloseServiceHandle(svc);
  }
  CloseServiceHandle(scm);
}

class WineApache : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCatalogue({});
    Config() = tConfig{};
    pid = GetCurrentProcessId();
    port = 20000 + static_cast<int>(pid % 20000);
    wchar_t tmp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, tmp);
    folder = fs::path(tmp) / ("ostrel-control-wine-" + std::to_string(pid));
    fs::create_directories(folder / "apache" / "bin");
    Process().Root = LowerAscii(win::Utf8(folder.wstring())) + "\\";
    exe = Process().Root + "apache\\bin\\httpd.exe";
    fs::copy_file(ThisFolder() / "ostrel_test_httpd.exe", folder / "apache" / "bin" / "httpd.exe");
  }
  void TearDown() override {
    ForceRemoveService(service);
    std::error_code ec;
    WaitFor([&] { return fs::remove_all(folder, ec) != static_cast<std::uintmax_t>(-1) && !ec; }, 5);
    Config() = tConfig{};
    Process() = ProcessValues{};
  }
  // Writes the settings the panel and the stand-in read, and loads them.
  void WriteSettings(const std::string& name) {
    service = RemoveWhiteSpace(name);
    std::string ini = "[Common]\r\nDebug=1\r\nDebuglevel=1\r\n[ServiceNames]\r\nApache=" + name +
                      "\r\n[ServicePorts]\r\nApache=" + std::to_string(port) +
                      "\r\nApacheSSL=" + std::to_string(port + 1) + "\r\n";
    control_test::WriteFile((folder / "ostrel-control.ini").string(), ini);
    LoadSettings(Config(), Process().Root + "ostrel-control.ini", box);
    ASSERT_TRUE(box.shown.empty());
    ASSERT_EQ(Config().ServicePorts.Apache, port);
  }
  std::vector<std::vector<std::string>> StandinCalls() {
    std::string text = control_test::ReadFile((folder / "apache" / "bin" / "standin-args.txt").string());
    std::vector<std::vector<std::string>> calls(1);
    std::size_t pos = 0;
    while (pos < text.size()) {
      std::size_t nl = text.find('\n', pos);
      std::string line = text.substr(pos, nl - pos);
      pos = nl == std::string::npos ? text.size() : nl + 1;
      if (line == "--") calls.emplace_back();
      else calls.back().push_back(line);
    }
    calls.pop_back();
    return calls;
  }

  std::uint32_t pid = 0;
  int port = 0;
  fs::path folder;
  std::string exe, service;
  control_test::RecordingMessageBox box;
  RecordingLog log;
  win::WinProcessList process_list;
  tProcesses snap{process_list};
  win::WinTcpTable tcp;
  tNetstatTable table{tcp, snap};
  win::WinServiceManager scm;
  ServiceQueries queries{scm};
  win::WinLauncher launcher;
  Launch launch{launcher};
  RecordingView view;
  ModuleEnv env{snap, table, queries, launch, view};
};

TEST_F(WineApache, InstallStartSeeStopAndRemoveTheService) {
  WriteSettings("ostrel-test-apache-" + std::to_string(pid));
  const std::string q = "\"" + service + "\"";
  tApache m(env);
  EXPECT_FALSE(m.isService);
  EXPECT_EQ(log.lines, (Lines{D("请检查服务名 (name=" + q + "): Apache 服务没有安装"), D("Apache提示：服务未安装"),
                              D("正在检查默认端口...")}));
  snap.UpdateList();
  table.UpdateTable();
  m.UpdateStatus();
  EXPECT_FALSE(m.isRunning);
  EXPECT_EQ(view.colour, StatusColour::kButtonFace);

  // Install through the server's own installer, elevated.
  log.lines.clear();
  m.ServiceInstall();
  EXPECT_EQ(log.lines, (Lines{N("Apache 安装服务..."), D("start \"" + exe + " -k install -n " + q + "\"")}));
  EXPECT_EQ(queries.GetServiceStatus(service), 4);
  const std::string configured = queries.GetServiceConfigPath(service);
  EXPECT_TRUE(ContainsText(configured, exe)) << configured;
  log.lines.clear();
  m.CheckIsService();
  EXPECT_TRUE(m.isService);
  EXPECT_EQ(view.service_image, kImageService);
  EXPECT_EQ(log.lines, (Lines{D("请检查服务名 (name=" + q + "): Apache 服务安装启动正常"),
                              D("Apache 服务路径: " + configured)}));

  // Start through "net start".
  log.lines.clear();
  m.Start();
  EXPECT_EQ(log.lines, (Lines{D("正在检查默认端口..."), N("尝试启动 Apache 服务..."),
                              D("命令执行 \"net start " + q + "\""), D("返回代码: 0")}));
  ASSERT_TRUE(WaitFor([&] { return queries.GetServiceStatus(service) == 3; }));

  // The snapshot sees the server below the root, the service queries name it.
  snap.UpdateList();
  std::uint32_t server = 0;
  for (const auto& e : snap.ProcessList2) {
    if (LowerAscii(e.name) == "httpd.exe" && ContainsText(snap.GetProcessPath(e.pid), Process().Root)) server = e.pid;
  }
  ASSERT_NE(server, 0u);
  EXPECT_TRUE(ContainsText(snap.GetProcessPath(server), exe)) << snap.GetProcessPath(server);
  EXPECT_EQ(queries.GetServicePathForPID(server), configured);
  EXPECT_EQ(queries.GetServicePathForPID(0xFFFFFFF0u), "");

  // The port table holds the listening row (its owner is not reliable under Wine).
  ASSERT_TRUE(WaitFor([&] {
    table.UpdateTable();
    for (const auto& r : table.Rows()) {
      if (r.local_port == static_cast<std::uint32_t>(port) && r.state == 2) return true;
    }
    return false;
  }));
  for (const auto& r : table.Rows()) {
    if (r.local_port == static_cast<std::uint32_t>(port) && r.state == 2) {
      EXPECT_EQ(IPAddrToString(r.local_addr), "127.0.0.1");
    }
  }
  EXPECT_GE(table.isPortInUsePID(static_cast<std::uint32_t>(port)), 0);

  log.lines.clear();
  m.UpdateStatus();
  EXPECT_TRUE(m.isRunning);
  EXPECT_EQ(m.PIDList, (std::vector<std::uint32_t>{server}));
  EXPECT_EQ(view.pid_caption, std::to_string(server));
  EXPECT_EQ(view.colour, StatusColour::kLightGreen);
  EXPECT_EQ(view.start_stop_caption, "Stop");
  EXPECT_EQ(view.tray_image, kTrayRunning);
  EXPECT_EQ(log.lines, (Lines{I("检测到状态变化: Running")}));

  // Stop through "net stop": only the status change follows.
  log.lines.clear();
  m.Stop();
  EXPECT_EQ(log.lines,
            (Lines{N("尝试停止 Apache 服务..."), D("命令执行 \"net stop " + q + "\""), D("返回代码: 0")}));
  ASSERT_TRUE(WaitFor([&] { return queries.GetServiceStatus(service) == 4; }));
  ASSERT_TRUE(WaitFor([&] {
    snap.UpdateList();
    for (const auto& e : snap.ProcessList2) {
      if (e.pid == server) return false;
    }
    return true;
  }));
  log.lines.clear();
  m.UpdateStatus();
  EXPECT_FALSE(m.isRunning);
  EXPECT_EQ(view.colour, StatusColour::kButtonFace);
  EXPECT_EQ(log.lines, (Lines{I("检测到状态变化: Stopped")}));

  // Remove.
  log.lines.clear();
  m.ServiceUnInstall();
  EXPECT_EQ(log.lines, (Lines{N("卸载服务..."), D("start \"" + exe + " -k uninstall -n " + q + "\"")}));
  EXPECT_EQ(queries.GetServiceStatus(service), 1);
  EXPECT_EQ(queries.GetServiceConfigPath(service), "ERROR: Service Not Found");
  EXPECT_EQ(StandinCalls(), (std::vector<std::vector<std::string>>{{"-k", "install", "-n", service},
                                                                    {"-k", "runservice"},
                                                                    {"-k", "uninstall", "-n", service}}));
}

TEST_F(WineApache, ServiceNameWithShellCharactersStaysOneArgument) {
  const std::string marker = "pwned" + std::to_string(pid);
  WriteSettings("ostrel-test-apache-" + std::to_string(pid) + "-x\" & echo >" + marker + " & \"");
  ASSERT_EQ(service, "ostrel-test-apache-" + std::to_string(pid) + "-x\"&echo>" + marker + "&\"");
  wchar_t cwd[MAX_PATH * 4] = {};
  GetCurrentDirectoryW(MAX_PATH * 4, cwd);
  SetCurrentDirectoryW(folder.wstring().c_str());
  {
    tApache m(env);
    m.ServiceInstall();
    m.CheckIsService();
    EXPECT_TRUE(m.isService);
    m.Start();
    EXPECT_TRUE(WaitFor([&] { return queries.GetServiceStatus(service) == 3; }));
    m.Stop();
    WaitFor([&] { return queries.GetServiceStatus(service) != 3; }, 10);
    m.ServiceUnInstall();
  }
  SetCurrentDirectoryW(cwd);
  auto calls = StandinCalls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls.front(), (std::vector<std::string>{"-k", "install", "-n", service}));
  EXPECT_EQ(calls.back(), (std::vector<std::string>{"-k", "uninstall", "-n", service}));
  for (const auto& c : calls) EXPECT_NE(c.size(), 0u);
  EXPECT_FALSE(fs::exists(folder / marker));
  EXPECT_FALSE(fs::exists(folder / "apache" / "bin" / marker));
  EXPECT_FALSE(fs::exists(fs::path(cwd) / marker));
  EXPECT_EQ(queries.GetServiceStatus(service), 1);
}

}  // namespace
