#include "apache.h"

#include "config.h"
#include "fileio.h"
#include "launch.h"
#include "module_view.h"
#include "netstat.h"
#include "processes.h"
#include "services.h"
#include "text.h"
#include "translate.h"

namespace control {

namespace {
const char kName[] = "Apache";
long long N(long long v) { return v; }
}  // namespace

tApache::tApache(const ModuleEnv& env) : tBaseModule(env, "Apache") {
  ModuleName = kName;
  OldPIDCount = 0;
  GlobalStatus = "Starting";
  if (!FileExists(ExePath())) {
    env_.view.SetStatusColour(StatusColour::kYellow);
    AddLog(Format(_("严重问题：找不到 %s 已经禁用 %s 按键"), {kName, kName}), ltError);
    AddLog(_("请在您的 Ostrels 根目录运行本程序!"), ltError);
    env_.view.EnableAdmin(false);
    env_.view.EnableService(false);
    env_.view.EnableStartStop(false);
  }
  if (Config().EnableServices.Apache) {
    CheckIsService();
    CheckPorts();
  } else {
    AddLog(Format(_("%s 服务已经禁用."), {kName}), ltDebug);
    env_.view.DisableMainServiceButton();
  }
}

std::string tApache::ExePath() const { return Process().Root + "apache\\bin\\" + Config().BinaryNames.Apache; }

std::string tApache::ServiceName() const { return RemoveWhiteSpace(Config().ServiceNames.Apache); }

std::string tApache::AdminAddress() const {
  std::string address = "http://localhost";
  if (Config().ServicePorts.Apache != 80) address += ":" + std::to_string(Config().ServicePorts.Apache);
  return address + "/";
}

void tApache::CheckIsService() {
  const std::string name = ServiceName();
  tBaseModule::CheckIsService(name);
  std::string status, configured;
  if (isService) {
    status = _("Apache 服务安装启动正常");
    configured = env_.services.GetServiceConfigPath(name);
  } else {
    status = _("Apache 服务没有安装");
  }
  AddLog(Format(_("请检查服务名 (name=\"%s\"): %s"), {name, status}), ltDebug);
  if (configured.empty()) {
    AddLog(_("Apache提示：服务未安装"), ltDebug);
    return;
  }
  if (ContainsText(configured, ExePath())) {
    AddLog(Format(_("Apache 服务路径: %s"), {configured}), ltDebug);
    return;
  }
  env_.view.SetStatusColour(StatusColour::kYellow);
  AddLog(Format(_("%s 错误的路径配置"), {kName}), ltError);
  AddLog(Format(_("请在 Ostrels %s 或者 控制面板 设置中修改"), {kName}), ltError);
  AddLog(_("首先手动卸载/禁用影响Apache的其他服务"), ltError);
  AddLog(Format(_("错误的路径: %s"), {configured}), ltError);
  AddLog(Format(_("服务路径: \"%sapache\\bin\\%s\" -k runservice"), {Process().Root, Config().BinaryNames.Apache}),
         ltError);
}

void tApache::CheckPorts() {
  const std::string own_service_path = env_.services.GetServiceConfigPath(ServiceName());
  if (!Config().EnableChecks.CheckDefaultPorts) return;
  AddLog(_("正在检查默认端口..."), ltDebug);
  const std::string exe = ExePath();
  for (int port : {Config().ServicePorts.Apache, Config().ServicePorts.ApacheSSL}) {
    if (port < 0) continue;
    long long pid = env_.netstat.isPortInUsePID(static_cast<std::uint32_t>(port));
    if (pid <= 0) continue;
    const auto upid = static_cast<std::uint32_t>(pid);
    AddLog(Format(_("端口检测无法完成: %s"), {env_.processes.GetProcessName(upid)}), ltDebug);
    AddLog(Format(_("检查应用: %s"), {exe}), ltDebug);
    if (isService) AddLog(Format(_("检查服务: %s"), {own_service_path}), ltDebug);
    const std::string process_path = env_.processes.GetProcessPath(upid);
    const std::string pid_service_path = env_.services.GetServicePathForPID(upid);
    AddLog(Format(_("进程路径: %s"), {process_path}), ltDebug);
    AddLog(Format(_("进程服务路径: %s"), {pid_service_path}), ltDebug);
    if (ContainsText(process_path, exe)) {
      AddLog(Format(_("Ostrels %s 正在运行中 端口 %d"), {kName, N(port)}), ltInfo);
      continue;
    }
    if (!pid_service_path.empty() && ContainsText(own_service_path, pid_service_path) && isService &&
        ContainsText(pid_service_path, exe)) {
      AddLog(Format(_("Ostrels %s SSL 端口 %d"), {kName, N(port)}), ltInfo);
      continue;
    }
    env_.view.SetStatusColour(StatusColour::kYellow);
    const std::string holder = pid_service_path.empty() ? process_path : pid_service_path;
    AddLog(_("检测到的问题:"), ltError);
    AddLog(Format(_("端口 %d 被进程 \"%s\" PID %d 占用"), {N(port), holder, pid}), ltError);
    AddLog(Format(_("%s 不会启动，没有配置端口信息!"), {kName}), ltError);
    AddLog(_("你需要卸载/禁用/重新启动软件"), ltError);
    AddLog(Format(_("或重新配置 %s 或者通过控制面板来使用不同的端口"), {kName}), ltError);
  }
}

void tApache::RunInstaller(const std::string& verb_args, bool install) {
  const std::string exe = ExePath();
  const std::string params = verb_args + " -n " + QuoteArgument(ServiceName());
  AddLog(install ? _("Apache 安装服务...") : _("卸载服务..."), ltDefault);
  AddLog(Format(_("start \"%s %s\""), {exe, params}), ltDebug);
  long long result = env_.launch.RunAsAdmin(exe, params, kSwHide);
  if (result != 0) {
    result = env_.launch.RunAsAdmin(exe, params, kSwHide);
    if (install) AddLog(_("Apache 重试安装服务..."), ltDefault);
    else AddLog(Format(_("返回代码: %d"), {result}), ltDebug);
  }
  if (result != 0) {
    AddLog(Format(_("有可能是一个错误，返回代码: %d - %s"), {result, env_.launch.SystemErrorMessage(result)}), ltError);
  }
}

void tApache::ServiceInstall() { RunInstaller("-k install", true); }

void tApache::ServiceUnInstall() { RunInstaller("-k uninstall", false); }

void tApache::Start() {
  GlobalStatus = "Starting";
  CheckPorts();
  if (isService && Config().EnableServices.Apache) {
    AddLog(Format(_("尝试启动 %s 服务..."), {kName}), ltDefault);
    const std::string params = "start " + QuoteArgument(ServiceName());
    AddLog(Format(_("命令执行 \"%s\""), {"net " + params}), ltDebug);
    long long result = env_.launch.RunAsAdmin("net", params, kSwHide);
    if (result != 0 && result != 1077) {
      AddLog(Format(_("启动失败，返回代码: %d - %s"), {result, env_.launch.SystemErrorMessage(result)}), ltError);
    } else {
      AddLog(Format(_("返回代码: %d"), {result}), ltDebug);
    }
  } else {
    AddLog(Format(_("请先安装 %s 服务"), {kName}), ltError);
  }
}

void tApache::Stop() {
  GlobalStatus = "Stopping";
  if (isService && Config().EnableServices.Apache) {
    AddLog(Format(_("尝试停止 %s 服务..."), {kName}), ltDefault);
    const std::string params = "stop " + QuoteArgument(ServiceName());
    AddLog(Format(_("命令执行 \"%s\""), {"net " + params}), ltDebug);
    if (env_.launch.RunAsAdmin("net", params, kSwHide) == 0) {
      AddLog(Format(_("返回代码: %d"), {N(0)}), ltDebug);
    } else {
      long long result = env_.launch.RunAsAdmin("net", params, kSwHide);
      AddLog(Format(_("再一次尝试停止 %s 服务..."), {kName}), ltInfo);
      if (result != 0) {
        AddLog(Format(_("有可能是一个错误，返回代码: %d - %s"), {result, env_.launch.SystemErrorMessage(result)}),
               ltError);
      }
    }
    return;
  }
  if (PIDList.empty()) {
    AddLog(_("没有找到的进程PID!"), ltDefault);
    return;
  }
  for (std::uint32_t pid : PIDList) {
    AddLog(_("正在尝试停止") + " " + kName + " " + Format("(PID: %d)", {N(pid)}), ltDefault);
    if (!env_.launch.KillProcess(pid)) {
      AddLog(Format(_("检查您是否有适当终止的权限, 需要强行终止进程 PID %d"), {N(pid)}), ltError);
    }
  }
}

void tApache::Admin() {
  const std::string address = AdminAddress();
  if (!Config().BrowserApp.empty()) env_.launch.ShellOpen(Config().BrowserApp, address, Process().Root, kSwShow);
  else env_.launch.ShellOpen(address, "", Process().Root, kSwShow);
}

void tApache::ReportUnexpectedStop() {
  env_.view.SetStatusColour(StatusColour::kYellow);
  AddLog(Format(_("Error: %s 意外关闭."), {kName}), ltError);
  AddLog(_("这可能是由于系统端口占用,请通过网络状态检查"), ltError);
  AddLog(_("不正常的使用,崩溃,或者强行关机."), ltError);
  AddLog(_("请按\"Logs\"按钮，查看检查错误日志"), ltError);
  AddLog(_("* 更多的分析数据, 可以通过Windows事件查看器获得"), ltError);
  AddLog(_("如果仍然无法解决, 请联系技术支持."), ltError);
}

void tApache::UpdateStatus() {
  isRunning = false;
  PIDList.clear();
  const std::string binary = LowerAscii(Config().BinaryNames.Apache);
  const std::string& root = Process().Root;
  for (const ProcessEntry& e : env_.processes.ProcessList2) {
    if (LowerAscii(e.name).rfind(binary, 0) != 0) continue;
    const std::string path =
        isService ? env_.services.GetServicePathForPID(e.pid) : env_.processes.GetProcessPath(e.pid);
    if (ContainsText(path, root)) {
      PIDList.push_back(e.pid);
      isRunning = true;
    }
  }

  std::string pids;
  for (std::size_t i = 0; i < PIDList.size(); ++i) {
    if (i) pids += '\r';
    pids += std::to_string(PIDList[i]);
  }
  if (pids != OldPIDs) {
    env_.view.SetPIDCaption(pids);
    OldPIDs = pids;
  }

  std::string ports;
  for (std::uint32_t pid : PIDList) {
    std::string p = env_.netstat.GetPorts4PID(pid);
    if (!p.empty()) ports = FormatPortList(p);
  }
  if (ports != OldPorts) {
    env_.view.SetPortCaption(ports);
    OldPorts = ports;
  }

  const std::uint8_t running = isRunning ? 1 : 0;
  const int count = static_cast<int>(PIDList.size());
  if (oldIsRunningByte != running || count != OldPIDCount) {
    if (oldIsRunningByte != 2 && oldIsRunningByte != running) {
      const bool unexpected = !isRunning && GlobalStatus == "Starting";
      AddLog(_("检测到状态变化:") + " " + (isRunning ? _("Running") : _("Stopped")), ltInfo);
      if (unexpected) ReportUnexpectedStop();
    }
    oldIsRunningByte = running;
    if (!isRunning) {
      env_.view.SetStatusColour(StatusColour::kButtonFace);
      env_.view.SetStartStopCaption(_("Start"));
      env_.view.EnableAdmin(false);
      env_.view.SetTrayImage(kTrayStopped);
      env_.view.SetTrayControlCaption(_("Start"));
    } else if (count == 2 || (count == 1 && isService)) {
      env_.view.SetStatusColour(StatusColour::kLightGreen);
      env_.view.SetStartStopCaption(_("Stop"));
      env_.view.EnableAdmin(true);
      env_.view.SetTrayImage(kTrayRunning);
      env_.view.SetTrayControlCaption(_("Stop"));
    } else {
      env_.view.SetStatusColour(StatusColour::kYellow);
      env_.view.SetStartStopCaption(_("Stop"));
      env_.view.EnableAdmin(true);
    }
  }
  OldPIDCount = count;

  if (AutoStart) {
    AutoStart = false;
    if (isRunning) {
      AddLog(Format(_("自动启动中止：%s 服务已经在运行中"), {kName}), ltInfo);
    } else {
      AddLog(_("自动启动：开始进行..."), ltInfo);
      Start();
    }
  }
}

}  // namespace control
