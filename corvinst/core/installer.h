// One install: from the dialog's choice to the message the user sees.
//
// Install(choice, module_path, arguments, manager, notifier):
//   1. opens the Service Control Manager; on failure shows
//      kNoManagerText / kErrorCaption and stops;
//   2. builds the service's command line from the installer's own file name
//      and argument text (see command_line.h);
//   3. creates the service (see service_properties.h); on failure, or when no
//      command line can be built (longer than kMaxCommandLine, or no module
//      path), shows kCreateFailedText / kErrorCaption (nothing is created);
//   4. on success sets the description and failure actions (their results
//      are not reported: the service stays created), closes the service and
//      shows kInstalledText / kInstalledCaption;
//   5. closes the manager.
// Exactly one message is shown per call.
#pragma once

#include <string_view>

#include "core/service_manager.h"
#include "core/service_properties.h"

namespace corvinst {

inline constexpr std::string_view kErrorCaption = "Corvane/32 Service Installer Error";
inline constexpr std::string_view kNoManagerText =
    "Unable to open Windows Service Manager (check rights).";
inline constexpr std::string_view kCreateFailedText = "Failed while creating service.";
inline constexpr std::string_view kInstalledCaption = "Corvane Service Installer";
inline constexpr std::string_view kInstalledText = "Corvane/32 Service successfully installed.";

// Shows one message with an OK button and waits until it is dismissed.
class Notifier {
 public:
  virtual ~Notifier() = default;
  virtual void Show(std::string_view text, std::string_view caption) = 0;
};

enum class InstallResult { kInstalled, kNoManager, kNoCommandLine, kCreateFailed };

InstallResult Install(const InstallChoice& choice, std::string_view module_path,
                      std::string_view arguments, ServiceManager& manager,
                      Notifier& notifier);

}  // namespace corvinst
