// A service manager in memory that records every call and can be told to
// refuse the connection or the creation.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/installer.h"
#include "core/service_manager.h"

namespace corvinst_test {

class FakeServiceManager : public corvinst::ServiceManager {
 public:
  struct Installed {
    corvinst::ServiceProperties properties;
    std::optional<std::string> description;
    std::optional<corvinst::FailureActions> failure_actions;
  };

  // Behaviour switches.
  bool refuse_open = false;
  bool refuse_create = false;
  bool fail_description = false;
  bool fail_failure_actions = false;

  // What happened, in order: "Open", "CreateService", "SetDescription",
  // "SetFailureActions", "CloseService", "Close".
  std::vector<std::string> calls;
  std::map<std::string, Installed> services;  // by name

  bool Open() override {
    calls.push_back("Open");
    return !refuse_open;
  }
  bool CreateService(const corvinst::ServiceProperties& properties) override {
    calls.push_back("CreateService");
    if (refuse_create || services.count(properties.name) != 0) return false;
    services[properties.name] = Installed{properties, std::nullopt, std::nullopt};
    current_ = properties.name;
    return true;
  }
  bool SetDescription(std::string_view description) override {
    calls.push_back("SetDescription");
    if (fail_description) return false;
    services.at(current_).description = std::string(description);
    return true;
  }
  bool SetFailureActions(const corvinst::FailureActions& actions) override {
    calls.push_back("SetFailureActions");
    if (fail_failure_actions) return false;
    services.at(current_).failure_actions = actions;
    return true;
  }
  void CloseService() override {
    calls.push_back("CloseService");
    current_.clear();
  }
  void Close() override { calls.push_back("Close"); }

 private:
  std::string current_;
};

// Records the messages shown.
class RecordingNotifier : public corvinst::Notifier {
 public:
  std::vector<std::pair<std::string, std::string>> shown;  // text, caption
  void Show(std::string_view text, std::string_view caption) override {
    shown.emplace_back(std::string(text), std::string(caption));
  }
};

}  // namespace corvinst_test
