#include <windows.h>

#include "platform.h"

namespace foldmend {

Platform make_platform() {
  Platform pf;
  pf.message_box = [](const std::string& text) { MessageBoxA(nullptr, text.c_str(), kCaption, MB_OK); };
  pf.usage = [] {
    std::string text;
    for (const char* line : kUsageLines) text += std::string(line) + "\r\n";
    MessageBoxA(nullptr, text.c_str(), kCaption, MB_OK);
  };
  pf.run_program = [](const std::string& cmd) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    std::string line = cmd;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
  };
  pf.getenv = [](const char* name) -> const char* { return std::getenv(name); };
  return pf;
}

std::uint32_t tick_count() { return GetTickCount(); }

}  // namespace foldmend
