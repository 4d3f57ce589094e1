// The properties of the mail server's service, chosen from the two options
// of the installer dialog.
//
// ServicePropertiesFor(choice, command_line) fills a ServiceProperties: name
// and display name from the dialog, all access, an own-process service (interactive with
// the desktop when asked), automatic or on-demand start, normal error
// control, the given command line, and no group, tag, dependencies, account
// or password (so the service runs as LocalSystem).
//
// The description and failure actions are the same for every install:
// kServiceDescription and kFailureActions (reset after 6000 s, then three
// restarts, each after 60000 ms, no reboot message, no command).
//
// The numeric values are those of the Win32 service API, so the Service
// Control Manager implementation passes them on unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvinst {

// Win32 service API values used by the installer.
inline constexpr std::uint32_t kServiceAllAccess = 0xF01FF;
inline constexpr std::uint32_t kServiceWin32OwnProcess = 0x10;
inline constexpr std::uint32_t kServiceInteractiveProcess = 0x100;
inline constexpr std::uint32_t kServiceAutoStart = 2;
inline constexpr std::uint32_t kServiceDemandStart = 3;
inline constexpr std::uint32_t kServiceErrorNormal = 1;
inline constexpr std::uint32_t kScActionRestart = 1;

inline constexpr std::string_view kDefaultServiceName = "Corvane32";
inline constexpr std::string_view kServiceDescription =
    "Corvane Mail Transport System core process";

// What the user chose in the dialog; the defaults are the dialog's opening
// state.
struct InstallChoice {
  std::string service_name{kDefaultServiceName};
  bool desktop = false;     // allow interaction with the desktop
  bool auto_start = false;  // start when Windows boots
};

struct ServiceProperties {
  std::string name;
  std::string display_name;
  std::uint32_t desired_access = 0;
  std::uint32_t service_type = 0;
  std::uint32_t start_type = 0;
  std::uint32_t error_control = 0;
  std::string binary_path;
  // Load-order group, tag, dependencies, account and password are always
  // absent and therefore not represented.
};

struct FailureAction {
  std::uint32_t type = 0;
  std::uint32_t delay_ms = 0;
  bool operator==(const FailureAction&) const = default;
};

struct FailureActions {
  std::uint32_t reset_period_s = 0;
  // No reboot message and no command are ever set.
  std::array<FailureAction, 3> actions{};
  bool operator==(const FailureActions&) const = default;
};

inline constexpr FailureActions kFailureActions{
    6000,
    {{{kScActionRestart, 60000}, {kScActionRestart, 60000}, {kScActionRestart, 60000}}}};

ServiceProperties ServicePropertiesFor(const InstallChoice& choice, std::string command_line);

}  // namespace corvinst
