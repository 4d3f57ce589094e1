// Test helper: reads back and deletes services in the Windows Service Control
// Manager, for checking what the installer created.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvinst_test {

struct StoredService {
  std::uint32_t service_type = 0;
  std::uint32_t start_type = 0;
  std::uint32_t error_control = 0;
  std::string binary_path;
  std::string display_name;
  std::string account;
  std::string load_order_group;
  std::string dependencies;  // first entry of the list, empty when none
  std::uint32_t tag = 0;
  std::optional<std::string> description;  // when level 1 could be read
  // Failure actions when level 2 could be read: reset period in seconds and
  // (type, delay in ms) per action. Some Service Control Managers accept
  // them but cannot report them; failure_actions_error then holds the
  // system error code.
  struct Actions {
    std::uint32_t reset_period_s = 0;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> actions;
    bool has_reboot_message = false;
    bool has_command = false;
  };
  std::optional<Actions> failure_actions;
  std::uint32_t failure_actions_error = 0;
};

// The stored configuration of `name`, or std::nullopt when no such service
// exists (or it cannot be opened for querying).
std::optional<StoredService> QueryStoredService(const std::string& name);

// Deletes `name`; true when it existed and was marked for deletion.
bool DeleteStoredService(const std::string& name);

}  // namespace corvinst_test
