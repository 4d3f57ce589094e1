// module_view.h - the controls of one module row that a controller drives.
//
// The main window implements it over its real controls; tests record. All
// calls come from the user-interface thread. Texts are UTF-8.
//   status panel colour (set and read back), PID and port label captions,
//   start/stop caption and enabled state, admin and service buttons enabled
//   state, service button image (10 not a service, 11 service), tray entry
//   image (15 running, 16 stopped), tray start/stop item caption, and the
//   main window's service button of the module (disabled when services are
//   switched off for it).
#pragma once

#include <string>

namespace control {

enum class StatusColour { kButtonFace, kLightGreen, kYellow };

inline constexpr int kImageNoService = 10;
inline constexpr int kImageService = 11;
inline constexpr int kTrayRunning = 15;
inline constexpr int kTrayStopped = 16;

class IModuleView {
 public:
  virtual ~IModuleView() = default;
  virtual void SetStatusColour(StatusColour colour) = 0;
  virtual StatusColour GetStatusColour() = 0;
  virtual void SetPIDCaption(const std::string& text) = 0;
  virtual void SetPortCaption(const std::string& text) = 0;
  virtual void SetStartStopCaption(const std::string& text) = 0;
  virtual void EnableStartStop(bool enabled) = 0;
  virtual void EnableAdmin(bool enabled) = 0;
  virtual void EnableService(bool enabled) = 0;
  virtual void SetServiceImage(int image) = 0;
  virtual void SetTrayImage(int image) = 0;
  virtual void SetTrayControlCaption(const std::string& text) = 0;
  virtual void DisableMainServiceButton() = 0;
};

}  // namespace control
