#include "services.h"

namespace control {

using SM = IServiceManager;

int ServiceQueries::GetServiceStatus(const std::string& name) {
  ScHandle m = scm_.OpenManager(SM::ManagerAccess::kConnect);
  if (!m) return 0;
  ScHandle s = scm_.OpenNamedService(m, name, SM::ServiceAccess::kQueryStatus);
  if (!s) {
    scm_.Close(m);
    return 1;
  }
  SM::State state;
  int answer = 0;
  if (scm_.QueryState(s, &state)) {
    answer = state == SM::State::kRunning ? 3 : state == SM::State::kStopped ? 4 : 2;
  }
  scm_.Close(s);
  scm_.Close(m);
  return answer;
}

std::string ServiceQueries::GetServiceConfigPath(const std::string& name) {
  ScHandle m = scm_.OpenManager(SM::ManagerAccess::kRead);
  if (!m) return "ERROR: Not Able To Open Service Manager";
  ScHandle s = scm_.OpenNamedService(m, name, SM::ServiceAccess::kQueryConfig);
  if (!s) {
    scm_.Close(m);
    return "ERROR: Service Not Found";
  }
  std::string path;
  if (!scm_.QueryBinaryPath(s, &path)) path = "ERROR: Could Not Get Service Config";
  scm_.Close(s);
  scm_.Close(m);
  return path;
}

std::string ServiceQueries::GetServicePathForPID(std::uint32_t pid) {
  std::string answer;
  ScHandle m = scm_.OpenManager(SM::ManagerAccess::kReadActive);
  if (!m) return "Unable to open Service Control Manager";
  std::vector<std::string> names;
  if (scm_.EnumActiveWin32(m, &names)) {
    for (const std::string& name : names) {
      ScHandle s = scm_.OpenNamedService(m, name, SM::ServiceAccess::kQueryStatus);
      if (!s) {
        answer = "Unable to open service: " + name;
        continue;
      }
      std::uint32_t service_pid = 0;
      if (!scm_.QueryProcessId(s, &service_pid)) {
        answer = "Unable to query service";
        scm_.Close(s);
        continue;
      }
      scm_.Close(s);
      if (service_pid == pid) {
        answer = GetServiceConfigPath(name);
        break;
      }
    }
  }
  scm_.Close(m);
  return answer;
}

}  // namespace control
