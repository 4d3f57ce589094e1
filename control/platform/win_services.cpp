#include <windows.h>

#include <vector>

#include "win_platform.h"
#include "win_text.h"

namespace control::win {

namespace {
constexpr DWORD kReadAccess =
    STANDARD_RIGHTS_READ | SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS;
// One enumeration call into one buffer of this size; what does not fit is not examined.
constexpr DWORD kEnumBufferBytes = 147492;

SC_HANDLE H(ScHandle h) { return reinterpret_cast<SC_HANDLE>(h); }
ScHandle S(SC_HANDLE h) { return reinterpret_cast<ScHandle>(h); }
}  // namespace

ScHandle WinServiceManager::OpenManager(ManagerAccess access) {
  switch (access) {
    case ManagerAccess::kConnect: return S(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    case ManagerAccess::kRead: return S(OpenSCManagerW(nullptr, nullptr, kReadAccess));
    case ManagerAccess::kReadActive: return S(OpenSCManagerW(nullptr, SERVICES_ACTIVE_DATABASEW, kReadAccess));
  }
  return 0;
}

ScHandle WinServiceManager::OpenNamedService(ScHandle manager, const std::string& name, ServiceAccess access) {
  DWORD rights = access == ServiceAccess::kQueryStatus ? SERVICE_QUERY_STATUS : SERVICE_QUERY_CONFIG;
  return S(OpenServiceW(H(manager), Wide(name).c_str(), rights));
}

bool WinServiceManager::QueryState(ScHandle service, State* state) {
  SERVICE_STATUS st{};
  if (!QueryServiceStatus(H(service), &st)) return false;
  switch (st.dwCurrentState) {
    case SERVICE_STOPPED: *state = State::kStopped; break;
    case SERVICE_START_PENDING: *state = State::kStartPending; break;
    case SERVICE_STOP_PENDING: *state = State::kStopPending; break;
    case SERVICE_RUNNING: *state = State::kRunning; break;
    case SERVICE_CONTINUE_PENDING: *state = State::kContinuePending; break;
    case SERVICE_PAUSE_PENDING: *state = State::kPausePending; break;
    default: *state = State::kPaused; break;
  }
  return true;
}

bool WinServiceManager::QueryBinaryPath(ScHandle service, std::string* path) {
  DWORD needed = 0;
  QueryServiceConfigW(H(service), nullptr, 0, &needed);
  if (needed == 0 || needed > (1u << 20)) return false;
  std::vector<std::uint64_t> buffer(needed / 8 + 1);
  auto* cfg = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
  if (!QueryServiceConfigW(H(service), cfg, needed, &needed)) return false;
  *path = Utf8(cfg->lpBinaryPathName);
  return true;
}

bool WinServiceManager::EnumActiveWin32(ScHandle manager, std::vector<std::string>* names) {
  std::vector<std::uint64_t> buffer(kEnumBufferBytes / 8 + 1);
  DWORD needed = 0, returned = 0, resume = 0;
  BOOL ok = EnumServicesStatusExW(H(manager), SC_ENUM_PROCESS_INFO, SERVICE_WIN32, SERVICE_ACTIVE,
                                  reinterpret_cast<LPBYTE>(buffer.data()), kEnumBufferBytes, &needed, &returned,
                                  &resume, nullptr);
  if (!ok && GetLastError() != ERROR_MORE_DATA) return false;
  auto* entries = reinterpret_cast<ENUM_SERVICE_STATUS_PROCESSW*>(buffer.data());
  names->clear();
  for (DWORD i = 0; i < returned; ++i) names->push_back(Utf8(entries[i].lpServiceName));
  return true;
}

bool WinServiceManager::QueryProcessId(ScHandle service, std::uint32_t* pid) {
  SERVICE_STATUS_PROCESS st{};
  DWORD needed = 0;
  if (!QueryServiceStatusEx(H(service), SC_STATUS_PROCESS_INFO, reinterpret_cast<LPBYTE>(&st), sizeof st, &needed))
    return false;
  *pid = st.dwProcessId;
  return true;
}

void WinServiceManager::Close(ScHandle handle) {
  if (handle) CloseServiceHandle(H(handle));
}

}  // namespace control::win
