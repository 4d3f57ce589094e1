// The installer's ServiceManager on the Windows Service Control Manager
// (OpenSCManagerA, CreateServiceA, ChangeServiceConfig2A, CloseServiceHandle).
//
// Open connects to the local machine's active database with
// SC_MANAGER_ALL_ACCESS. CreateService passes the properties unchanged, with no
// load-order group, tag, dependencies, account or password. The description
// and failure actions go through ChangeServiceConfig2A (levels 1 and 2);
// failure actions carry no reboot message and no command. Any handle still
// open is closed by the destructor.
#pragma once

#include <windows.h>

#include "core/service_manager.h"

namespace corvinst {

class ScmServiceManager final : public ServiceManager {
 public:
  ScmServiceManager() = default;
  ~ScmServiceManager() override;
  ScmServiceManager(const ScmServiceManager&) = delete;
  ScmServiceManager& operator=(const ScmServiceManager&) = delete;

  bool Open() override;
  bool CreateService(const ServiceProperties& properties) override;
  bool SetDescription(std::string_view description) override;
  bool SetFailureActions(const FailureActions& actions) override;
  void CloseService() override;
  void Close() override;

 private:
  SC_HANDLE manager_ = nullptr;
  SC_HANDLE service_ = nullptr;
};

}  // namespace corvinst
