// launcher.h - what the launch helpers need of the platform.
//
// Process handles are opaque numbers; 0 means none. Every operation answers
// with a value; none throws on a platform failure (a fake may throw to test
// the helpers' error paths). Strings are UTF-8.
//   NewProcess(cmd, show, &h, &pid)  new console, normal priority, no
//                      inherited handles, show-window value and busy cursor;
//                      false when the process could not be created.
//   ShellOpen(file, params, dir, show)  the shell's "open"; its return value.
//   ShellRun(verb, file, params, dir, show)  ShellExecuteEx asking for a
//                      process handle (verb empty: the default action; dir
//                      empty: the current directory); ok false with the last
//                      error code on failure; process may be 0 even when ok.
//   Wait(h, ms)        kEnded, kTimeout or kFailed (also for h == 0).
//   ExitCode(h, &code) false when it cannot be read; 259 = still running.
//   OpenForTerminate(pid) / Terminate(h, code)  0 / false on failure.
//   ProcessMessages()  handles pending window messages of this thread.
//   IsAdmin()          Administrators in the token and not deny-only.
//   WindowsMajor()     major version of the running Windows.
//   SystemMessage(code)  the system's text for an error code, untrimmed.
#pragma once

#include <cstdint>
#include <string>

namespace control {

using ProcHandle = std::uintptr_t;

class ILauncher {
 public:
  enum class WaitResult { kEnded, kTimeout, kFailed };
  struct ShellResult {
    bool ok = false;
    ProcHandle process = 0;
    std::uint32_t error = 0;
  };

  virtual ~ILauncher() = default;
  virtual bool NewProcess(const std::string& command_line, int show, ProcHandle* process,
                             std::uint32_t* pid) = 0;
  virtual int ShellOpen(const std::string& file, const std::string& params, const std::string& dir,
                        int show) = 0;
  virtual ShellResult ShellRun(const std::string& verb, const std::string& file, const std::string& params,
                                   const std::string& dir, int show) = 0;
  virtual WaitResult Wait(ProcHandle process, std::uint32_t ms) = 0;
  virtual bool ExitCode(ProcHandle process, std::uint32_t* code) = 0;
  virtual void Close(ProcHandle process) = 0;
  virtual ProcHandle OpenForTerminate(std::uint32_t pid) = 0;
  virtual bool Terminate(ProcHandle process, std::uint32_t exit_code) = 0;
  virtual void ProcessMessages() = 0;
  virtual bool IsAdmin() = 0;
  virtual std::uint32_t WindowsMajor() = 0;
  virtual std::string SystemMessage(std::uint32_t code) = 0;
};

}  // namespace control
