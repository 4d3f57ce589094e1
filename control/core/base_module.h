// base_module.h - tBaseModule, the common part of the module controllers.
//
// A controller gets the process-wide snapshot, port table, service queries and
// launch helpers and its row's view through ModuleEnv (all must outlive it),
// reads settings from Config() and the root from Process().Root.
//   Start, Stop, Admin, UpdateStatus, ServiceInstall, ServiceUnInstall:
//       the module's commands, implemented by each derived class.
//   AddLog(module, log, type)  a line to the panel log; AddLog(log, type) with
//       the module's own tag.
//   CheckIsService(name)  isService := status 3 or 4; sets the service image.
//   SetServiceButton(active)  image 11 when active, else 10.
// State: oldIsRunningByte 0 stopped, 1 running, 2 nothing shown yet;
// AutoStart is consumed by the next UpdateStatus.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "log.h"

namespace control {

class tProcesses;
class tNetstatTable;
class ServiceQueries;
class Launch;
class IModuleView;

struct ModuleEnv {
  tProcesses& processes;
  tNetstatTable& netstat;
  ServiceQueries& services;
  Launch& launch;
  IModuleView& view;
};

class tBaseModule {
 public:
  tBaseModule(const ModuleEnv& env, std::string tag);
  virtual ~tBaseModule() = default;
  tBaseModule(const tBaseModule&) = delete;
  tBaseModule& operator=(const tBaseModule&) = delete;

  virtual void Start() = 0;
  virtual void Stop() = 0;
  virtual void Admin() = 0;
  virtual void UpdateStatus() = 0;
  virtual void ServiceInstall() = 0;
  virtual void ServiceUnInstall() = 0;

  void AddLog(std::string_view module, std::string_view log, tLogType type);
  void AddLog(std::string_view log, tLogType type);
  void CheckIsService(const std::string& ServiceName);
  void SetServiceButton(bool isActive);

  bool AutoStart = false;
  std::uint8_t oldIsRunningByte = 2;
  bool isRunning = false;
  bool isService = false;
  std::vector<std::uint32_t> PIDList;
  std::string ModuleName;

 protected:
  ModuleEnv env_;
  std::string tag_;
};

}  // namespace control
