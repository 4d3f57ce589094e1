// Test fakes of the panel's platform interfaces: a scripted launcher, a
// recording log sink.
#pragma once

#include <deque>
#include <functional>
#include <ostream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "launcher.h"
#include "log.h"

namespace control_test {

using control::ProcHandle;

struct LogEntry {
  std::string tag, text;
  control::tLogType type;
  bool operator==(const LogEntry&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const LogEntry& e) {
  return os << "{" << e.tag << ", \"" << e.text << "\", " << static_cast<int>(e.type) << "}";
}

class RecordingLog : public control::ILogSink {
 public:
  RecordingLog() { control::SetLogSink(this); }
  ~RecordingLog() override { control::SetLogSink(nullptr); }
  void AppendLogLine(const std::string& tag, const std::string& text, control::tLogType type) override {
    lines.push_back({tag, text, type});
  }
  std::vector<LogEntry> lines;
};

// A launcher whose answers are scripted and whose calls are recorded.
class FakeLauncher : public control::ILauncher {
 public:
  struct Call {
    std::string what, verb, file, params, dir;
    int show;
  };
  // Scripted behaviour.
  bool create_ok = true;
  std::uint32_t created_pid = 4242;
  std::deque<ShellResult> shell_results;  // consumed per ShellRun; default ok with handle 77
  std::deque<WaitResult> waits;           // consumed per Wait; default kEnded
  std::uint32_t exit_code = 0;
  bool exit_code_ok = true;
  std::map<std::uint32_t, bool> killable;  // pid -> Terminate result; missing: cannot open
  bool throw_on_call = false;
  bool admin = true;
  std::uint32_t major = 6;
  int messages_processed = 0;
  std::function<void()> on_wait;  // runs inside each Wait (e.g. to set the quitting flag)

  std::vector<Call> calls;
  std::vector<ProcHandle> closed;

  bool NewProcess(const std::string& cmd, int show, ProcHandle* process, std::uint32_t* pid) override {
    calls.push_back({"create", "", cmd, "", "", show});
    Throw();
    if (!create_ok) return false;
    *process = 55;
    *pid = created_pid;
    return true;
  }
  int ShellOpen(const std::string& file, const std::string& params, const std::string& dir, int show) override {
    calls.push_back({"open", "open", file, params, dir, show});
    Throw();
    return 42;
  }
  ShellResult ShellRun(const std::string& verb, const std::string& file, const std::string& params,
                           const std::string& dir, int show) override {
    calls.push_back({"execute", verb, file, params, dir, show});
    Throw();
    if (shell_results.empty()) return {true, 77, 0};
    ShellResult r = shell_results.front();
    shell_results.pop_front();
    return r;
  }
  WaitResult Wait(ProcHandle h, std::uint32_t) override {
    if (on_wait) on_wait();
    if (h == 0) return WaitResult::kFailed;
    if (waits.empty()) return WaitResult::kEnded;
    WaitResult w = waits.front();
    waits.pop_front();
    return w;
  }
  bool ExitCode(ProcHandle, std::uint32_t* code) override {
    *code = exit_code;
    return exit_code_ok;
  }
  void Close(ProcHandle h) override { closed.push_back(h); }
  ProcHandle OpenForTerminate(std::uint32_t pid) override {
    calls.push_back({"kill", "", std::to_string(pid), "", "", 0});
    Throw();
    return killable.count(pid) ? 1000 + pid : 0;
  }
  bool Terminate(ProcHandle h, std::uint32_t) override { return killable[static_cast<std::uint32_t>(h - 1000)]; }
  void ProcessMessages() override { ++messages_processed; }
  bool IsAdmin() override { return admin; }
  std::uint32_t WindowsMajor() override { return major; }
  std::string SystemMessage(std::uint32_t code) override {
    if (code == 1223) return "The operation was canceled by the user.\r\n";
    if (code == 2) return "  File not found.\r\n";
    return "";
  }

 private:
  void Throw() {
    if (throw_on_call) throw std::runtime_error("boom");
  }
};

}  // namespace control_test
