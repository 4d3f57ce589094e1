#include "gui_window.h"

#include <vector>

namespace corvinst_test {
namespace {

struct Search {
  DWORD pid;
  const std::string* title;
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM lparam) {
  auto* search = reinterpret_cast<Search*>(lparam);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || !IsWindowVisible(window)) return TRUE;
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (std::string(cls) != "#32770" || TextOf(window) != *search->title) return TRUE;
  search->found = window;
  return FALSE;
}

BOOL CALLBACK CollectStatic(HWND window, LPARAM lparam) {
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") == 0) {
    std::string text = TextOf(window);
    if (!text.empty()) reinterpret_cast<std::vector<std::string>*>(lparam)->push_back(text);
  }
  return TRUE;
}

}  // namespace

Program::~Program() {
  if (info_.hProcess != nullptr) {
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(info_.hProcess, 99);
    }
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
  }
}

bool Program::Start(const std::string& path, const std::string& arguments) {
  std::string command = "\"" + path + "\"";
  if (!arguments.empty()) command += " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  return CreateProcessA(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info_) != FALSE;
}

long Program::WaitForExit(DWORD ms) {
  if (info_.hProcess == nullptr || WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0) {
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return static_cast<long>(code);
}

HWND WaitForDialog(DWORD pid, const std::string& title, DWORD ms) {
  const ULONGLONG until = GetTickCount64() + ms;
  do {
    Search search{pid, &title, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    Sleep(50);
  } while (GetTickCount64() < until);
  return nullptr;
}

std::string TextOf(HWND window) {
  // WM_GETTEXT goes through the message queue of the other process.
  char text[1024] = {};
  const LRESULT length =
      SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return std::string(text, static_cast<std::size_t>(length < 0 ? 0 : length));
}

std::vector<std::string> StaticTexts(HWND dialog) {
  std::vector<std::string> texts;
  EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

void SetText(HWND window, const std::string& text) {
  SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }

bool IsChecked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

}  // namespace corvinst_test
