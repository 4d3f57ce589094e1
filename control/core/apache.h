// apache.h - tApache, the controller of the distribution's Apache web server.
//
// Paths: exe = root + "apache\bin\" + BinaryNames.Apache; the service name is
// ServiceNames.Apache without white space. Apache is started and stopped only
// as a service, through "net start|stop NAME" run elevated; without a service
// Start refuses with a hint and Stop ends the listed processes by force. The
// service is installed and removed by the server's own "-k install|uninstall
// -n NAME". The name is always passed as one quoted command-line argument
// (quotes and trailing backslashes escaped), so no name can add arguments or
// commands. Log tag "Apache"; all texts are translated message ids.
#pragma once

#include <string>

#include "base_module.h"

namespace control {

class tApache : public tBaseModule {
 public:
  explicit tApache(const ModuleEnv& env);

  void Start() override;
  void Stop() override;
  void Admin() override;
  void UpdateStatus() override;
  void ServiceInstall() override;
  void ServiceUnInstall() override;

  void CheckIsService();
  void CheckPorts();

  std::string ExePath() const;
  std::string ServiceName() const;
  std::string AdminAddress() const;

  std::string OldPIDs;
  std::string OldPorts;
  int OldPIDCount = 0;
  std::string GlobalStatus;

 private:
  void RunInstaller(const std::string& verb_args, bool install);
  void ReportUnexpectedStop();
};

}  // namespace control
