// What the installer needs of the Service Control Manager: one connection,
// one service created on it, that service's description and failure actions.
//
// Calls come in this order: Open; if it succeeded, at most one
// CreateService; if that succeeded, SetDescription, SetFailureActions and
// CloseService; finally Close (only after a successful Open). An
// implementation owns its handles; Close and CloseService release them and
// may be called only once each.
//
// Every operation reports plain success or failure: the installer's
// messages do not depend on the reason.
#pragma once

#include <string_view>

#include "core/service_properties.h"

namespace corvinst {

class ServiceManager {
 public:
  virtual ~ServiceManager() = default;

  // Connects to the local machine's active service database with full
  // access. False when that is refused (typically: no administrator rights).
  virtual bool Open() = 0;

  // Creates the service described by `properties` and keeps its handle. False
  // when it cannot be created (name taken or invalid, no rights).
  virtual bool CreateService(const ServiceProperties& properties) = 0;

  // Sets the created service's description.
  virtual bool SetDescription(std::string_view description) = 0;

  // Sets the created service's failure actions.
  virtual bool SetFailureActions(const FailureActions& actions) = 0;

  // Releases the created service's handle.
  virtual void CloseService() = 0;

  // Releases the connection.
  virtual void Close() = 0;
};

}  // namespace corvinst
