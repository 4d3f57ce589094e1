// Test helpers that drive another program's windows: start a program, find
// its dialogs by title, read and set control texts, click buttons, wait for
// the program to end. Every wait is bounded.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace corvinst_test {

// A started program; the handles are closed (and a still running program
// is terminated) when it goes out of scope.
class Program {
 public:
  Program() = default;
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Starts `path` with the command line "\"path\" arguments" (no blank
  // when `arguments` is empty). False when it cannot be started.
  bool Start(const std::string& path, const std::string& arguments);
  DWORD id() const { return info_.dwProcessId; }
  // The exit code, or -1 when the program has not ended within `ms`.
  long WaitForExit(DWORD ms);

 private:
  PROCESS_INFORMATION info_{};
};

// The top-level dialog of process `pid` whose title is exactly `title`, or
// nullptr when none appeared within `ms`.
HWND WaitForDialog(DWORD pid, const std::string& title, DWORD ms);

std::string TextOf(HWND window);
// Texts of the child windows of class "Static" that have text.
std::vector<std::string> StaticTexts(HWND dialog);
void SetText(HWND window, const std::string& text);
// Clicks a button with BM_CLICK.
void Click(HWND button);
bool IsChecked(HWND button);

}  // namespace corvinst_test
