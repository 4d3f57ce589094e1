// win_platform.h - the Win32 implementations of the control panel's platform
// interfaces.
//
//   WinProcessList    Toolhelp32 snapshot; names from the main module when the
//                     process opens for query+read, else the snapshot's exe
//                     name; paths from QueryFullProcessImageNameW (260 chars).
//   WinTcpTable       "GetExtendedTcpTable" of iphlpapi.dll, loaded at run
//                     time (IPv4, all rows with owner pid, unsorted).
//   WinServiceManager the Service Control Manager, read-only queries.
//   WinLauncher       CreateProcessW, ShellExecuteW/ShellExecuteExW, waits,
//                     TerminateProcess, the message pump, the administrator
//                     token check, RtlGetVersion, FormatMessageW.
//   WinMessageBox     MessageBoxW with the error icon and an OK button.
// All texts cross as UTF-8 and are converted to UTF-16 here.
#pragma once

#include "launcher.h"
#include "messagebox.h"
#include "netstat.h"
#include "processes.h"
#include "services.h"

namespace control::win {

class WinProcessList : public IProcessList {
 public:
  std::vector<ProcessEntry> Enumerate() override;
  PathResult ProcessPath(std::uint32_t pid, std::string* path) override;
};

class WinTcpTable : public ITcpTableSource {
 public:
  WinTcpTable();
  ~WinTcpTable() override;
  WinTcpTable(const WinTcpTable&) = delete;
  WinTcpTable& operator=(const WinTcpTable&) = delete;
  bool Loaded() override;
  std::uint32_t Fetch(std::uint8_t* buffer, std::uint32_t* size) override;

 private:
  void* library_ = nullptr;
  void* function_ = nullptr;
};

class WinServiceManager : public IServiceManager {
 public:
  ScHandle OpenManager(ManagerAccess access) override;
  ScHandle OpenNamedService(ScHandle manager, const std::string& name, ServiceAccess access) override;
  bool QueryState(ScHandle service, State* state) override;
  bool QueryBinaryPath(ScHandle service, std::string* path) override;
  bool EnumActiveWin32(ScHandle manager, std::vector<std::string>* names) override;
  bool QueryProcessId(ScHandle service, std::uint32_t* pid) override;
  void Close(ScHandle handle) override;
};

class WinLauncher : public ILauncher {
 public:
  // owner: the window that owns shell windows (an HWND), or null.
  void SetOwner(void* owner) { owner_ = owner; }
  bool NewProcess(const std::string& command_line, int show, ProcHandle* process, std::uint32_t* pid) override;
  int ShellOpen(const std::string& file, const std::string& params, const std::string& dir, int show) override;
  ShellResult ShellRun(const std::string& verb, const std::string& file, const std::string& params,
                           const std::string& dir, int show) override;
  WaitResult Wait(ProcHandle process, std::uint32_t ms) override;
  bool ExitCode(ProcHandle process, std::uint32_t* code) override;
  void Close(ProcHandle process) override;
  ProcHandle OpenForTerminate(std::uint32_t pid) override;
  bool Terminate(ProcHandle process, std::uint32_t exit_code) override;
  void ProcessMessages() override;
  bool IsAdmin() override;
  std::uint32_t WindowsMajor() override;
  std::string SystemMessage(std::uint32_t code) override;

 private:
  void* owner_ = nullptr;
};

class WinMessageBox : public IMessageBox {
 public:
  void ShowError(const std::string& text) override;
};

}  // namespace control::win
