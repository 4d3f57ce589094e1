// messagebox.h - the modal error box the settings store reports through.
//   ShowError(text)  a box with the error icon and one OK button showing text
//                    (UTF-8). The Win32 one is MessageBoxW; tests record.
#pragma once

#include <string>

namespace control {

class IMessageBox {
 public:
  virtual ~IMessageBox() = default;
  virtual void ShowError(const std::string& text) = 0;
};

}  // namespace control
