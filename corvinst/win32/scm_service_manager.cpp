#include "win32/scm_service_manager.h"

#include <string>
#include <vector>

namespace corvinst {

ScmServiceManager::~ScmServiceManager() {
  CloseService();
  Close();
}

bool ScmServiceManager::Open() {
  if (manager_ == nullptr) {
    manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  }
  return manager_ != nullptr;
}

bool ScmServiceManager::CreateService(const ServiceProperties& properties) {
  if (manager_ == nullptr || service_ != nullptr) return false;
  const ServiceProperties& p = properties;
  service_ = CreateServiceA(manager_, p.name.c_str(), p.display_name.c_str(), p.desired_access,
                            p.service_type, p.start_type, p.error_control, p.binary_path.c_str(),
                            nullptr,   // load-order group
                            nullptr,   // tag
                            nullptr,   // dependencies
                            nullptr,   // account: LocalSystem
                            nullptr);  // password
  return service_ != nullptr;
}

bool ScmServiceManager::SetDescription(std::string_view description) {
  if (service_ == nullptr) return false;
  std::string text(description);  // the API takes a writable pointer
  SERVICE_DESCRIPTIONA info{};
  info.lpDescription = text.data();
  return ChangeServiceConfig2A(service_, SERVICE_CONFIG_DESCRIPTION, &info) != FALSE;
}

bool ScmServiceManager::SetFailureActions(const FailureActions& actions) {
  if (service_ == nullptr) return false;
  std::vector<SC_ACTION> list;
  for (const FailureAction& action : actions.actions) {
    SC_ACTION a{};
    a.Type = static_cast<SC_ACTION_TYPE>(action.type);
    a.Delay = action.delay_ms;
    list.push_back(a);
  }
  SERVICE_FAILURE_ACTIONSA info{};
  info.dwResetPeriod = actions.reset_period_s;
  info.lpRebootMsg = nullptr;
  info.lpCommand = nullptr;
  info.cActions = static_cast<DWORD>(list.size());
  info.lpsaActions = list.data();
  return ChangeServiceConfig2A(service_, SERVICE_CONFIG_FAILURE_ACTIONS, &info) != FALSE;
}

void ScmServiceManager::CloseService() {
  if (service_ != nullptr) {
    CloseServiceHandle(service_);
    service_ = nullptr;
  }
}

void ScmServiceManager::Close() {
  if (manager_ != nullptr) {
    CloseServiceHandle(manager_);
    manager_ = nullptr;
  }
}

}  // namespace corvinst
