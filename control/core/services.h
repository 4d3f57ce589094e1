// services.h - the three read-only service queries, over a service manager.
//
// IServiceManager (handles are opaque numbers, 0 = failure):
//   OpenManager(access)    kConnect: connect right only; kRead: read rights
//                          plus connect, enumerate, query lock status;
//                          kReadActive: the same on the "ServicesActive"
//                          database.
//   OpenService(m, name, access)  kQueryStatus or kQueryConfig.
//   QueryState(s, &state)  false on failure.
//   QueryBinaryPath(s, &path)  the configured command line; false on failure.
//   EnumActiveWin32(m, &names)  own- and shared-process Win32 services that
//                          are active, in one call into one 147,492-byte
//                          buffer (services that do not fit are left out);
//                          false on failure.
//   QueryProcessId(s, &pid)  extended status; false on failure.
//   Close(h).
// ServiceQueries:
//   GetServiceStatus(name)      0 cannot tell, 1 not installed, 2 another
//                               state, 3 running, 4 stopped.
//   GetServiceConfigPath(name)  path, or "ERROR: Not Able To Open Service
//                               Manager" / "ERROR: Service Not Found" /
//                               "ERROR: Could Not Get Service Config".
//   GetServicePathForPID(pid)   path of the first active service of pid; else
//                               the text of the last failure ("Unable to open
//                               Service Control Manager", "Unable to open
//                               service: NAME", "Unable to query service"),
//                               or "".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace control {

using ScHandle = std::uintptr_t;

class IServiceManager {
 public:
  enum class ManagerAccess { kConnect, kRead, kReadActive };
  enum class ServiceAccess { kQueryStatus, kQueryConfig };
  enum class State { kStopped, kStartPending, kStopPending, kRunning, kContinuePending, kPausePending, kPaused };

  virtual ~IServiceManager() = default;
  virtual ScHandle OpenManager(ManagerAccess access) = 0;
  virtual ScHandle OpenNamedService(ScHandle manager, const std::string& name, ServiceAccess access) = 0;
  virtual bool QueryState(ScHandle service, State* state) = 0;
  virtual bool QueryBinaryPath(ScHandle service, std::string* path) = 0;
  virtual bool EnumActiveWin32(ScHandle manager, std::vector<std::string>* names) = 0;
  virtual bool QueryProcessId(ScHandle service, std::uint32_t* pid) = 0;
  virtual void Close(ScHandle handle) = 0;
};

class ServiceQueries {
 public:
  explicit ServiceQueries(IServiceManager& scm) : scm_(scm) {}
  int GetServiceStatus(const std::string& name);
  std::string GetServiceConfigPath(const std::string& name);
  std::string GetServicePathForPID(std::uint32_t pid);

 private:
  IServiceManager& scm_;
};

}  // namespace control
