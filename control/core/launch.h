// launch.h - the launch helpers of the panel, over an ILauncher.
//
//   RunProcess(cmd, show, wait, pid*)  exit code; 259 (still running) and
//                      "could not be created" give 0. Fills *pid when not
//                      waiting.
//   ShellOpen(file, params, dir, show) the shell's value; dir empty means the
//                      distribution root. Texts are passed whole (no
//                      truncation).
//   ExecuteFile(verb, file, params, wait, show, dir)  exit code or -1; waits
//                      in 500 ms steps, handling window messages.
//   RunAsAdmin(file, params, show)  0 when the started program has ended;
//                      the shell's error code when it could not start (1223:
//                      elevation refused); -1 (all bits set) when the wait
//                      failed; 1 on an unexpected error. Verb "runas" unless
//                      Windows major <= 5 and already admin.
//   KillProcess(pid)   true when the process was terminated.
//   IsAdmin(), SystemErrorMessage(code)  (the latter trimmed of blanks and
//                      line breaks at both ends).
// Every helper catches errors, logs "EXCEPTION: ..." (tag "Tools", ltError)
// and returns its failure value. When the quitting flag (Process().Quitting)
// is set, waiting helpers stop within one step and report 0.
// Quoting: QuoteArgument(s) makes s one argument of a command line under the
// usual Windows rules (quotes escaped, backslashes before them doubled).
#pragma once

#include <cstdint>
#include <string>

#include "launcher.h"

namespace control {

inline constexpr int kSwHide = 0;
inline constexpr int kSwShowNormal = 1;
inline constexpr int kSwShow = 5;
inline constexpr std::uint32_t kStillActive = 259;
inline constexpr std::uint32_t kWaitStep = 500;

class Launch {
 public:
  explicit Launch(ILauncher& platform) : p_(platform) {}

  std::uint32_t RunProcess(const std::string& command_line, int show, bool wait, std::uint32_t* pid = nullptr);
  int ShellOpen(const std::string& file, const std::string& params = "", const std::string& dir = "",
                int show = kSwShow);
  long long ExecuteFile(const std::string& verb, const std::string& file, const std::string& params, bool wait,
                        int show, const std::string& dir = "");
  long long RunAsAdmin(const std::string& file, const std::string& params, int show);
  bool KillProcess(std::uint32_t pid);
  bool IsAdmin();
  std::string SystemErrorMessage(long long code);

 private:
  ILauncher& p_;
};

std::string QuoteArgument(const std::string& s);

}  // namespace control
