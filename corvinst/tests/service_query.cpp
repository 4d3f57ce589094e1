#include "service_query.h"

#include <windows.h>

#include <vector>

namespace corvinst_test {
namespace {

class Handle {
 public:
  explicit Handle(SC_HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_ != nullptr) CloseServiceHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  SC_HANDLE get() const { return h_; }

 private:
  SC_HANDLE h_;
};

std::string Text(const char* s) { return s == nullptr ? std::string() : std::string(s); }

}  // namespace

std::optional<StoredService> QueryStoredService(const std::string& name) {
  Handle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (manager.get() == nullptr) return std::nullopt;
  Handle service(OpenServiceA(manager.get(), name.c_str(), SERVICE_QUERY_CONFIG));
  if (service.get() == nullptr) return std::nullopt;

  DWORD needed = 0;
  QueryServiceConfigA(service.get(), nullptr, 0, &needed);
  if (needed == 0) return std::nullopt;
  std::vector<unsigned char> buffer(needed);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  if (!QueryServiceConfigA(service.get(), config, needed, &needed)) return std::nullopt;

  StoredService stored;
  stored.service_type = config->dwServiceType;
  stored.start_type = config->dwStartType;
  stored.error_control = config->dwErrorControl;
  stored.binary_path = Text(config->lpBinaryPathName);
  stored.display_name = Text(config->lpDisplayName);
  stored.account = Text(config->lpServiceStartName);
  stored.load_order_group = Text(config->lpLoadOrderGroup);
  stored.dependencies = Text(config->lpDependencies);
  stored.tag = config->dwTagId;

  needed = 0;
  QueryServiceConfig2A(service.get(), SERVICE_CONFIG_DESCRIPTION, nullptr, 0, &needed);
  if (needed != 0) {
    std::vector<unsigned char> text(needed);
    auto* info = reinterpret_cast<SERVICE_DESCRIPTIONA*>(text.data());
    if (QueryServiceConfig2A(service.get(), SERVICE_CONFIG_DESCRIPTION, text.data(), needed,
                             &needed)) {
      stored.description = Text(info->lpDescription);
    }
  }

  needed = 0;
  if (!QueryServiceConfig2A(service.get(), SERVICE_CONFIG_FAILURE_ACTIONS, nullptr, 0, &needed) &&
      GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    stored.failure_actions_error = GetLastError();
  } else if (needed != 0) {
    std::vector<unsigned char> data(needed);
    auto* info = reinterpret_cast<SERVICE_FAILURE_ACTIONSA*>(data.data());
    if (QueryServiceConfig2A(service.get(), SERVICE_CONFIG_FAILURE_ACTIONS, data.data(), needed,
                             &needed)) {
      StoredService::Actions actions;
      actions.reset_period_s = info->dwResetPeriod;
      actions.has_reboot_message = info->lpRebootMsg != nullptr && *info->lpRebootMsg != '\0';
      actions.has_command = info->lpCommand != nullptr && *info->lpCommand != '\0';
      for (DWORD i = 0; i < info->cActions; ++i) {
        actions.actions.emplace_back(static_cast<std::uint32_t>(info->lpsaActions[i].Type),
                                     info->lpsaActions[i].Delay);
      }
      stored.failure_actions = std::move(actions);
    } else {
      stored.failure_actions_error = GetLastError();
    }
  }
  return stored;
}

bool DeleteStoredService(const std::string& name) {
  Handle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (manager.get() == nullptr) return false;
  Handle service(OpenServiceA(manager.get(), name.c_str(), DELETE));
  if (service.get() == nullptr) return false;
  return DeleteService(service.get()) != FALSE;
}

}  // namespace corvinst_test
