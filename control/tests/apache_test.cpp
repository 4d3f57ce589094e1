#include <gtest/gtest.h>

#include <memory>

#include "apache.h"
#include "config.h"
#include "fakes.h"
#include "fakes_platform.h"
#include "launch.h"
#include "recording_view.h"
#include "testutil.h"
#include "translate.h"

namespace {

using namespace control;
using control_test::FakeLauncher;
using control_test::FakeProcessList;
using control_test::FakeServiceManager;
using control_test::FakeTcpTable;
using control_test::LogEntry;
using control_test::RecordingLog;
using control_test::RecordingView;
using control_test::ScratchDir;
using State = IServiceManager::State;
using Lines = std::vector<LogEntry>;

LogEntry E(std::string text) { return {"Apache", std::move(text), ltError}; }
LogEntry D(std::string text) { return {"Apache", std::move(text), ltDebug}; }
LogEntry I(std::string text) { return {"Apache", std::move(text), ltInfo}; }
LogEntry N(std::string text) { return {"Apache", std::move(text), ltDefault}; }

class ApacheModule : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCatalogue({});
    Config() = tConfig{};
    Config().ShowDebug = true;
    Config().DebugLevel = 1;
#ifdef _WIN32
    Process().Root = LowerAscii(dir.path().string()) + "\\";
    std::filesystem::create_directories(dir.path() / "apache" / "bin");
#else
    Process().Root = dir.path().string() + "/";
#endif
    exe = Process().Root + "apache\\bin\\httpd.exe";
    control_test::WriteFile(exe, "MZ");
  }
  void TearDown() override {
    Config() = tConfig{};
    Process() = ProcessValues{};
  }
  // Installs Apache as a service of this root, in the given state.
  void InstallService(State state, std::uint32_t pid = 0) {
    scm.services["apache"] = {state, "\"" + exe + "\" -k runservice", pid};
    if (state == State::kRunning) scm.active_order.push_back("apache");
  }
  std::unique_ptr<tApache> Create() {
    auto m = std::make_unique<tApache>(env);
    return m;
  }
  void Tick(tApache& m) {
    snap.UpdateList();
    table.UpdateTable();
    m.UpdateStatus();
  }

  ScratchDir dir;
  std::string exe;
  RecordingLog log;
  FakeProcessList procs;
  tProcesses snap{procs};
  FakeTcpTable tcp;
  tNetstatTable table{tcp, snap};
  FakeServiceManager scm;
  ServiceQueries queries{scm};
  FakeLauncher launcher;
  Launch launch{launcher};
  RecordingView view;
  ModuleEnv env{snap, table, queries, launch, view};
};

TEST_F(ApacheModule, CreateWithoutServiceLogsTheChecks) {
  auto m = Create();
  EXPECT_FALSE(m->isService);
  EXPECT_EQ(m->GlobalStatus, "Starting");
  EXPECT_EQ(m->ModuleName, "Apache");
  EXPECT_EQ(log.lines, (Lines{D("请检查服务名 (name=\"Apache\"): Apache 服务没有安装"), D("Apache提示：服务未安装"),
                              D("正在检查默认端口...")}));
  EXPECT_EQ(view.service_image, kImageNoService);
}

TEST_F(ApacheModule, CreateWithMissingExecutableDisablesTheButtons) {
  std::filesystem::remove(exe);
  Config().EnableChecks.CheckDefaultPorts = false;
  auto m = Create();
  EXPECT_EQ(view.colour, StatusColour::kYellow);
  EXPECT_FALSE(view.admin_enabled);
  EXPECT_FALSE(view.service_enabled);
  EXPECT_FALSE(view.start_stop_enabled);
  EXPECT_EQ(log.lines, (Lines{E("严重问题：找不到 Apache 已经禁用 Apache 按键"), E("请在您的 Ostrels 根目录运行本程序!"),
                              D("请检查服务名 (name=\"Apache\"): Apache 服务没有安装"), D("Apache提示：服务未安装")}));
  Tick(*m);
  EXPECT_EQ(view.colour, StatusColour::kButtonFace);
}

TEST_F(ApacheModule, CreateWithServicesDisabledSkipsServiceAndPortChecks) {
  Config().EnableServices.Apache = false;
  InstallService(State::kStopped);
  auto m = Create();
  EXPECT_FALSE(m->isService);
  EXPECT_FALSE(view.main_service_enabled);
  EXPECT_EQ(log.lines, (Lines{D("Apache 服务已经禁用.")}));
}

TEST_F(ApacheModule, ServiceOfThisRootIsAccepted) {
  Config().ServiceNames.Apache = " Apache\t";
  InstallService(State::kStopped);
  Config().EnableChecks.CheckDefaultPorts = false;
  auto m = Create();
  EXPECT_TRUE(m->isService);
  EXPECT_EQ(view.service_image, kImageService);
  EXPECT_EQ(log.lines, (Lines{D("请检查服务名 (name=\"Apache\"): Apache 服务安装启动正常"),
                              D("Apache 服务路径: \"" + exe + "\" -k runservice")}));
}

TEST_F(ApacheModule, PendingServiceCountsAsNotInstalled) {
  InstallService(State::kStartPending);
  auto m = Create();
  EXPECT_FALSE(m->isService);
  EXPECT_EQ(view.service_image, kImageNoService);
}

TEST_F(ApacheModule, ServiceOfAnotherApacheIsReportedAsWrongPath) {
  scm.services["apache"] = {State::kRunning, "\"c:\\other\\apache\\bin\\httpd.exe\" -k runservice", 5};
  Config().EnableChecks.CheckDefaultPorts = false;
  auto m = Create();
  EXPECT_EQ(view.colour, StatusColour::kYellow);
  EXPECT_EQ(log.lines,
            (Lines{D("请检查服务名 (name=\"Apache\"): Apache 服务安装启动正常"), E("Apache 错误的路径配置"),
                   E("请在 Ostrels Apache 或者 控制面板 设置中修改"), E("首先手动卸载/禁用影响Apache的其他服务"),
                   E("错误的路径: \"c:\\other\\apache\\bin\\httpd.exe\" -k runservice"),
                   E("服务路径: \"" + Process().Root + "apache\\bin\\httpd.exe\" -k runservice")}));
}

TEST_F(ApacheModule, PortChecksNameTheHolder) {
  struct Case {
    const char* what;
    std::string proc_path;
    bool service;  // Apache installed as a service owned by pid 700
    std::uint32_t pid;
    Lines tail;
    bool yellow;
  };
  const std::string other = "c:\\foreign\\nginx.exe";
  const Case cases[] = {
      {"own exe", exe, false, 700,
       {D("进程路径: " + exe), D("进程服务路径: "), I("Ostrels Apache 正在运行中 端口 80")}, false},
      {"foreign", other, false, 700,
       {D("进程路径: " + other), D("进程服务路径: "), E("检测到的问题:"),
        E("端口 80 被进程 \"" + other + "\" PID 700 占用"), E("Apache 不会启动，没有配置端口信息!"),
        E("你需要卸载/禁用/重新启动软件"), E("或重新配置 Apache 或者通过控制面板来使用不同的端口")},
       true},
      {"own service", "", true, 700,
       {D("进程路径: Unable to open process"), D("进程服务路径: \"" + exe + "\" -k runservice"),
        I("Ostrels Apache SSL 端口 80")},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    scm.services.clear();
    scm.active_order.clear();
    if (c.service) InstallService(State::kRunning, c.pid);
    procs.procs = {{"x.exe", c.pid, c.proc_path}};
    tcp.rows = {{2, 0, 80, 0, 0, c.pid}, {2, 0, 443, 0, 0, 0}};
    snap.UpdateList();
    table.UpdateTable();
    Config().EnableChecks.CheckDefaultPorts = false;
    auto m = Create();
    Config().EnableChecks.CheckDefaultPorts = true;
    view.colour = StatusColour::kButtonFace;
    log.lines.clear();
    m->CheckPorts();
    Lines expected{D("正在检查默认端口..."), D("端口检测无法完成: x.exe"), D("检查应用: " + exe)};
    if (c.service) expected.push_back(D("检查服务: \"" + exe + "\" -k runservice"));
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(log.lines, expected);
    EXPECT_EQ(view.colour == StatusColour::kYellow, c.yellow);
  }
}

TEST_F(ApacheModule, ForeignServiceHolderIsNamedByItsServicePath) {
  scm.services["iis"] = {State::kRunning, "c:\\windows\\w3svc.exe", 4};
  scm.active_order = {"iis"};
  procs.procs = {{"svchost.exe", 4, "c:\\windows\\svchost.exe"}};
  tcp.rows = {{2, 0, 443, 0, 0, 4}};
  snap.UpdateList();
  table.UpdateTable();
  auto m = Create();
  EXPECT_EQ(log.lines[log.lines.size() - 4], E("端口 443 被进程 \"c:\\windows\\w3svc.exe\" PID 4 占用"));
}

TEST_F(ApacheModule, PortChecksOffLogNothing) {
  tcp.rows = {{2, 0, 80, 0, 0, 9}};
  table.UpdateTable();
  Config().EnableChecks.CheckDefaultPorts = false;
  auto m = Create();
  log.lines.clear();
  m->CheckPorts();
  EXPECT_TRUE(log.lines.empty());
}

TEST_F(ApacheModule, ServiceInstallRunsTheServersInstallerElevated) {
  Config().EnableChecks.CheckDefaultPorts = false;
  auto m = Create();
  struct Case {
    std::deque<ILauncher::ShellResult> results;
    Lines tail;
    std::size_t launches;
  } cases[] = {
      {{}, {}, 1},
      {{{false, 0, 2}}, {N("Apache 重试安装服务...")}, 2},
      {{{false, 0, 1223}, {false, 0, 1223}},
       {N("Apache 重试安装服务..."), E("有可能是一个错误，返回代码: 1223 - The operation was canceled by the user.")},
       2},
  };
  const std::string params = "-k install -n \"Apache\"";
  for (const Case& c : cases) {
    log.lines.clear();
    launcher.calls.clear();
    launcher.shell_results = c.results;
    m->ServiceInstall();
    Lines expected{N("Apache 安装服务..."), D("start \"" + exe + " " + params + "\"")};
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(log.lines, expected);
    ASSERT_EQ(launcher.calls.size(), c.launches);
    for (const auto& call : launcher.calls) {
      EXPECT_EQ(call.verb, "runas");
      EXPECT_EQ(call.file, exe);
      EXPECT_EQ(call.params, params);
      EXPECT_EQ(call.show, kSwHide);
    }
  }
}

TEST_F(ApacheModule, ServiceUnInstallRetriesOnceAndReportsTheCode) {
  Config().EnableChecks.CheckDefaultPorts = false;
  auto m = Create();
  log.lines.clear();
  launcher.shell_results = {{false, 0, 5}, {false, 0, 2}};
  m->ServiceUnInstall();
  EXPECT_EQ(log.lines, (Lines{N("卸载服务..."), D("start \"" + exe + " -k uninstall -n \"Apache\"\""),
                              D("返回代码: 2"), E("有可能是一个错误，返回代码: 2 - File not found.")}));
  log.lines.clear();
  launcher.calls.clear();
  m->ServiceUnInstall();
  EXPECT_EQ(log.lines.size(), 2u);
  EXPECT_EQ(launcher.calls.size(), 1u);
}

TEST_F(ApacheModule, StartWithoutServiceOnlyHints) {
  auto m = Create();
  log.lines.clear();
  m->GlobalStatus = "Stopping";
  m->Start();
  EXPECT_EQ(m->GlobalStatus, "Starting");
  EXPECT_EQ(log.lines, (Lines{D("正在检查默认端口..."), E("请先安装 Apache 服务")}));
  EXPECT_TRUE(launcher.calls.empty());
}

TEST_F(ApacheModule, StartAsServiceRunsNetStart) {
  InstallService(State::kStopped);
  Config().EnableChecks.CheckDefaultPorts = false;
  auto m = Create();
  struct Case {
    std::deque<ILauncher::ShellResult> results;
    LogEntry last;
  } cases[] = {
      {{}, D("返回代码: 0")},
      {{{false, 0, 1077}}, D("返回代码: 1077")},
      {{{false, 0, 1223}}, E("启动失败，返回代码: 1223 - The operation was canceled by the user.")},
  };
  for (const Case& c : cases) {
    log.lines.clear();
    launcher.calls.clear();
    launcher.shell_results = c.results;
    m->Start();
    EXPECT_EQ(log.lines, (Lines{N("尝试启动 Apache 服务..."), D("命令执行 \"net start \"Apache\"\""), c.last}));
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_EQ(launcher.calls[0].file, "net");
    EXPECT_EQ(launcher.calls[0].params, "start \"Apache\"");
    EXPECT_EQ(launcher.calls[0].verb, "runas");
  }
}

TEST_F(ApacheModule, StopAsServiceRunsNetStopAndRetriesOnce) {
  InstallService(State::kRunning, 5);
  Config().EnableChecks.CheckDefaultPorts = false;
  auto m = Create();
  const Lines head{N("尝试停止 Apache 服务..."), D("命令执行 \"net stop \"Apache\"\"")};
  struct Case {
    std::deque<ILauncher::ShellResult> results;
    Lines tail;
  } cases[] = {
      {{}, {D("返回代码: 0")}},
      {{{false, 0, 5}}, {I("再一次尝试停止 Apache 服务...")}},
      {{{false, 0, 5}, {false, 0, 2}},
       {I("再一次尝试停止 Apache 服务..."), E("有可能是一个错误，返回代码: 2 - File not found.")}},
  };
  for (const Case& c : cases) {
    log.lines.clear();
    launcher.shell_results = c.results;
    m->Stop();
    Lines expected = head;
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(log.lines, expected);
    EXPECT_EQ(m->GlobalStatus, "Stopping");
  }
}

TEST_F(ApacheModule, StopWithoutServiceEndsTheListedProcesses) {
  auto m = Create();
  log.lines.clear();
  m->Stop();
  EXPECT_EQ(log.lines, (Lines{N("没有找到的进程PID!")}));
  log.lines.clear();
  m->PIDList = {10, 11};
  launcher.killable = {{10, true}};
  m->Stop();
  EXPECT_EQ(log.lines, (Lines{N("正在尝试停止 Apache (PID: 10)"), N("正在尝试停止 Apache (PID: 11)"),
                              E("检查您是否有适当终止的权限, 需要强行终止进程 PID 11")}));
}

TEST_F(ApacheModule, AdminOpensTheLocalAddress) {
  auto m = Create();
  log.lines.clear();
  m->Admin();
  EXPECT_EQ(launcher.calls.back().file, "http://localhost/");
  EXPECT_EQ(launcher.calls.back().show, kSwShow);
  EXPECT_EQ(launcher.calls.back().dir, Process().Root);
  Config().ServicePorts.Apache = 8080;
  Config().BrowserApp = "firefox.exe";
  m->Admin();
  EXPECT_EQ(launcher.calls.back().file, "firefox.exe");
  EXPECT_EQ(launcher.calls.back().params, "http://localhost:8080/");
  EXPECT_TRUE(log.lines.empty());
}

class ApacheStatus : public ApacheModule {
 protected:
  void SetUp() override {
    ApacheModule::SetUp();
    Config().EnableChecks.CheckDefaultPorts = false;
  }
  void Run(std::vector<std::uint32_t> pids) {
    procs.procs = {{"System", 4, ""}, {"httpd.exe", 900, "c:\\elsewhere\\httpd.exe"}};
    for (auto pid : pids) procs.procs.push_back({"HTTPD.EXE", pid, exe});
    Tick(*m);
  }
  std::unique_ptr<tApache> m;
};

const LogEntry kRunning = I("检测到状态变化: Running");
const LogEntry kStopped = I("检测到状态变化: Stopped");

TEST_F(ApacheStatus, FirstTickPaintsWithoutAStatusLine) {
  m = Create();
  log.lines.clear();
  tcp.rows = {{2, 0, 80, 0, 0, 10}, {2, 0, 443, 0, 0, 11}, {2, 0, 80, 0, 0, 11}, {2, 0, 80, 0, 0, 900}};
  Run({10, 11});
  EXPECT_TRUE(log.lines.empty());
  EXPECT_TRUE(m->isRunning);
  EXPECT_EQ(m->PIDList, (std::vector<std::uint32_t>{10, 11}));
  EXPECT_EQ(view.colour, StatusColour::kLightGreen);
  EXPECT_EQ(view.pid_caption, "10\r11");
  EXPECT_EQ(view.port_caption, "80, 443");
  EXPECT_EQ(view.start_stop_caption, "Stop");
  EXPECT_TRUE(view.admin_enabled);
  EXPECT_EQ(view.tray_image, kTrayRunning);
  EXPECT_EQ(view.tray_caption, "Stop");
}

TEST_F(ApacheStatus, FirstTickStoppedPaintsStopped) {
  m = Create();
  Run({});
  EXPECT_EQ(m->oldIsRunningByte, 0);
  EXPECT_EQ(view.colour, StatusColour::kButtonFace);
  EXPECT_EQ(view.start_stop_caption, "Start");
  EXPECT_FALSE(view.admin_enabled);
  EXPECT_EQ(view.tray_image, kTrayStopped);
  EXPECT_EQ(view.tray_caption, "Start");
  EXPECT_EQ(view.pid_caption, "");
}

TEST_F(ApacheStatus, ProcessCountChangeRepaintsWithoutAStatusLine) {
  m = Create();
  Run({10, 11});
  log.lines.clear();
  Run({10, 11, 12});
  EXPECT_EQ(view.colour, StatusColour::kYellow);
  EXPECT_EQ(view.tray_image, kTrayRunning);
  Run({10, 11});
  EXPECT_EQ(view.colour, StatusColour::kLightGreen);
  EXPECT_TRUE(log.lines.empty());
}

TEST_F(ApacheStatus, StopFromOutsideGivesTheUnexpectedStopLines) {
  m = Create();
  Run({10, 11});
  log.lines.clear();
  Run({});
  EXPECT_EQ(log.lines, (Lines{kStopped, E("Error: Apache 意外关闭."), E("这可能是由于系统端口占用,请通过网络状态检查"),
                              E("不正常的使用,崩溃,或者强行关机."), E("请按\"Logs\"按钮，查看检查错误日志"),
                              E("* 更多的分析数据, 可以通过Windows事件查看器获得"), E("如果仍然无法解决, 请联系技术支持.")}));
  EXPECT_EQ(view.colour, StatusColour::kButtonFace);  // repainted after the lines
  EXPECT_EQ(view.calls[view.calls.size() - 5], "colour buttonface");
}

TEST_F(ApacheStatus, StopThroughThePanelGivesOnlyTheStatusLine) {
  m = Create();
  Run({10, 11});
  launcher.killable = {{10, true}, {11, true}};
  m->Stop();
  log.lines.clear();
  Run({});
  EXPECT_EQ(log.lines, (Lines{kStopped}));
  log.lines.clear();
  Run({10, 11});
  EXPECT_EQ(log.lines, (Lines{kRunning}));
}

TEST_F(ApacheStatus, AsServiceOnlyTheServiceProcessCounts) {
  InstallService(State::kRunning, 10);
  m = Create();
  procs.procs = {{"httpd.exe", 10, exe}, {"httpd.exe", 11, exe}};
  Tick(*m);
  EXPECT_EQ(m->PIDList, (std::vector<std::uint32_t>{10}));
  EXPECT_EQ(view.colour, StatusColour::kLightGreen);
}

TEST_F(ApacheStatus, AutoStartIsConsumedByTheNextTick) {
  m = Create();
  m->AutoStart = true;
  log.lines.clear();
  Run({});
  EXPECT_FALSE(m->AutoStart);
  EXPECT_EQ(log.lines, (Lines{I("自动启动：开始进行..."), E("请先安装 Apache 服务")}));
  log.lines.clear();
  Run({});
  EXPECT_TRUE(log.lines.empty());
  m->AutoStart = true;
  Run({10, 11});
  EXPECT_EQ(log.lines, (Lines{kRunning, I("自动启动中止：Apache 服务已经在运行中")}));
}

TEST_F(ApacheModule, ServiceNameCanNeverAddArgumentsOrCommands) {
  Config().ServiceNames.Apache = "x\" & calc.exe & \"";
  InstallService(State::kStopped);
  scm.services["x\"&calc.exe&\""] = scm.services["apache"];
  Config().EnableChecks.CheckDefaultPorts = false;
  auto m = Create();
  EXPECT_TRUE(m->isService);
  m->Start();
  m->ServiceInstall();
  ASSERT_EQ(launcher.calls.size(), 2u);
  EXPECT_EQ(launcher.calls[0].file, "net");
  EXPECT_EQ(launcher.calls[0].params, "start \"x\\\"&calc.exe&\\\"\"");
  EXPECT_EQ(launcher.calls[1].file, exe);
  EXPECT_EQ(launcher.calls[1].params, "-k install -n \"x\\\"&calc.exe&\\\"\"");
}

}  // namespace
