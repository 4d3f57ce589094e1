#include "core/installer.h"

#include <optional>
#include <string>
#include <utility>

#include "core/command_line.h"

namespace corvinst {
namespace {

InstallResult CreateWithManager(const InstallChoice& choice, std::string_view module_path,
                                std::string_view arguments, ServiceManager& manager,
                                Notifier& notifier) {
  std::optional<std::string> command_line =
      BuildServiceCommandLine(module_path, choice.desktop, arguments);
  if (!command_line) {
    notifier.Show(kCreateFailedText, kErrorCaption);
    return InstallResult::kNoCommandLine;
  }
  if (!manager.CreateService(ServicePropertiesFor(choice, std::move(*command_line)))) {
    notifier.Show(kCreateFailedText, kErrorCaption);
    return InstallResult::kCreateFailed;
  }
  // The service exists from here on; a missing description or restart
  // policy is not worth failing the install for.
  (void)manager.SetDescription(kServiceDescription);
  (void)manager.SetFailureActions(kFailureActions);
  manager.CloseService();
  notifier.Show(kInstalledText, kInstalledCaption);
  return InstallResult::kInstalled;
}

}  // namespace

InstallResult Install(const InstallChoice& choice, std::string_view module_path,
                      std::string_view arguments, ServiceManager& manager,
                      Notifier& notifier) {
  if (!manager.Open()) {
    notifier.Show(kNoManagerText, kErrorCaption);
    return InstallResult::kNoManager;
  }
  const InstallResult result =
      CreateWithManager(choice, module_path, arguments, manager, notifier);
  manager.Close();
  return result;
}

}  // namespace corvinst
