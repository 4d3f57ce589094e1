// A module view that keeps the row's state and records every call.
#pragma once

#include <string>
#include <vector>

#include "module_view.h"

namespace control_test {

class RecordingView : public control::IModuleView {
 public:
  control::StatusColour colour = control::StatusColour::kButtonFace;
  std::string pid_caption, port_caption, start_stop_caption, tray_caption;
  bool start_stop_enabled = true, admin_enabled = true, service_enabled = true, main_service_enabled = true;
  int service_image = -1, tray_image = -1;
  std::vector<std::string> calls;

  void SetStatusColour(control::StatusColour c) override {
    colour = c;
    calls.push_back(c == control::StatusColour::kYellow       ? "colour yellow"
                    : c == control::StatusColour::kLightGreen ? "colour green"
                                                              : "colour buttonface");
  }
  control::StatusColour GetStatusColour() override { return colour; }
  void SetPIDCaption(const std::string& t) override { pid_caption = t; calls.push_back("pid " + t); }
  void SetPortCaption(const std::string& t) override { port_caption = t; calls.push_back("port " + t); }
  void SetStartStopCaption(const std::string& t) override { start_stop_caption = t; calls.push_back("caption " + t); }
  void EnableStartStop(bool e) override { start_stop_enabled = e; calls.push_back(e ? "startstop on" : "startstop off"); }
  void EnableAdmin(bool e) override { admin_enabled = e; calls.push_back(e ? "admin on" : "admin off"); }
  void EnableService(bool e) override { service_enabled = e; calls.push_back(e ? "service on" : "service off"); }
  void SetServiceImage(int i) override { service_image = i; calls.push_back("service image " + std::to_string(i)); }
  void SetTrayImage(int i) override { tray_image = i; calls.push_back("tray image " + std::to_string(i)); }
  void SetTrayControlCaption(const std::string& t) override { tray_caption = t; calls.push_back("tray " + t); }
  void DisableMainServiceButton() override { main_service_enabled = false; calls.push_back("main service off"); }
};

}  // namespace control_test
