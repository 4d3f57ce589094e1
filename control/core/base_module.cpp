#include "base_module.h"

#include "module_view.h"
#include "services.h"

namespace control {

tBaseModule::tBaseModule(const ModuleEnv& env, std::string tag) : env_(env), tag_(std::move(tag)) {}

void tBaseModule::AddLog(std::string_view module, std::string_view log, tLogType type) {
  control::AddLog(module, log, type);
}

void tBaseModule::AddLog(std::string_view log, tLogType type) { AddLog(tag_, log, type); }

void tBaseModule::CheckIsService(const std::string& ServiceName) {
  int status = env_.services.GetServiceStatus(ServiceName);
  isService = status == 3 || status == 4;
  SetServiceButton(isService);
}

void tBaseModule::SetServiceButton(bool isActive) {
  env_.view.SetServiceImage(isActive ? kImageService : kImageNoService);
}

}  // namespace control
