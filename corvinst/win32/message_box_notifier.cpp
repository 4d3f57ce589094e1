#include "win32/message_box_notifier.h"

#include <windows.h>

#include <string>

namespace corvinst {

void MessageBoxNotifier::Show(std::string_view text, std::string_view caption) {
  const std::string t(text);
  const std::string c(caption);
  MessageBoxA(nullptr, t.c_str(), c.c_str(), MB_OK);
}

}  // namespace corvinst
