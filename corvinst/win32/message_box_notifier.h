// Notifier shown as a Windows message box with an OK button (MessageBoxA,
// no owner window).
#pragma once

#include "core/installer.h"

namespace corvinst {

class MessageBoxNotifier final : public Notifier {
 public:
  void Show(std::string_view text, std::string_view caption) override;
};

}  // namespace corvinst
