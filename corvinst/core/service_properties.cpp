#include "core/service_properties.h"

#include <utility>

namespace corvinst {

ServiceProperties ServicePropertiesFor(const InstallChoice& choice, std::string command_line) {
  ServiceProperties properties;
  properties.name = choice.service_name;
  properties.display_name = choice.service_name;
  properties.desired_access = kServiceAllAccess;
  properties.service_type = kServiceWin32OwnProcess;
  if (choice.desktop) properties.service_type |= kServiceInteractiveProcess;
  properties.start_type = choice.auto_start ? kServiceAutoStart : kServiceDemandStart;
  properties.error_control = kServiceErrorNormal;
  properties.binary_path = std::move(command_line);
  return properties;
}

}  // namespace corvinst
