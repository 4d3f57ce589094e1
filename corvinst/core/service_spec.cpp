#include "core/service_spec.h"

#include <utility>

namespace corvinst {

ServiceSpec ServiceSpecFor(const InstallChoice& choice, std::string command_line) {
  ServiceSpec spec;
  spec.name = choice.service_name;
  spec.display_name = choice.service_name;
  spec.desired_access = kServiceAllAccess;
  spec.service_type = kServiceWin32OwnProcess;
  if (choice.desktop) spec.service_type |= kServiceInteractiveProcess;
  spec.start_type = choice.auto_start ? kServiceAutoStart : kServiceDemandStart;
  spec.error_control = kServiceErrorNormal;
  spec.binary_path = std::move(command_line);
  return spec;
}

}  // namespace corvinst
