#include "launch.h"

#include <exception>

#include "config.h"
#include "log.h"
#include "text.h"

namespace control {

namespace {

void ToolsError(const std::string& text) { AddLog("Tools", text, ltError); }

std::string Trimmed(const std::string& s) {
  const char* blanks = " \t\r\n";
  std::size_t a = s.find_first_not_of(blanks);
  if (a == std::string::npos) return "";
  std::size_t b = s.find_last_not_of(blanks);
  return s.substr(a, b - a + 1);
}

}  // namespace

std::uint32_t Launch::RunProcess(const std::string& command_line, int show, bool wait, std::uint32_t* pid) {
  ProcHandle h = 0;
  std::uint32_t code = 0;
  try {
    std::uint32_t new_pid = 0;
    if (p_.NewProcess(command_line, show, &h, &new_pid)) {
      if (wait) {
        while (p_.Wait(h, 0xFFFFFFFFu) == ILauncher::WaitResult::kTimeout) {
        }
      } else if (pid) {
        *pid = new_pid;
      }
      if (!p_.ExitCode(h, &code)) code = 0;
    }
  } catch (const std::exception&) {
    ToolsError(Format("EXCEPTION: 无法运行进程: %s", {command_line}));
    code = 0;
  }
  if (h) p_.Close(h);
  return code == kStillActive ? 0 : code;
}

int Launch::ShellOpen(const std::string& file, const std::string& params, const std::string& dir, int show) {
  try {
    return p_.ShellOpen(file, params, dir.empty() ? Process().Root : dir, show);
  } catch (const std::exception&) {
    ToolsError(Format("EXCEPTION: 无法执行文件: %s", {file}));
    return 0;
  }
}

long long Launch::ExecuteFile(const std::string& verb, const std::string& file, const std::string& params, bool wait,
                              int show, const std::string& dir) {
  ProcHandle h = 0;
  long long result = -1;
  try {
    ILauncher::ShellResult r = p_.ShellRun(verb, file, params, dir, show);
    h = r.process;
    if (r.ok) {
      if (wait) {
        while (p_.Wait(h, kWaitStep) == ILauncher::WaitResult::kTimeout) {
          p_.ProcessMessages();
          if (Process().Quitting) break;
        }
      }
      std::uint32_t code = 0;
      if (p_.ExitCode(h, &code)) result = code;
    }
  } catch (const std::exception&) {
    ToolsError(Format("EXCEPTION: Problem shell executing %s", {file}));
    result = -1;
  }
  if (h) p_.Close(h);
  return Process().Quitting ? 0 : result;
}

long long Launch::RunAsAdmin(const std::string& file, const std::string& params, int show) {
  ProcHandle h = 0;
  long long result = 1;
  try {
    std::string verb = "runas";
    if (p_.WindowsMajor() <= 5 && p_.IsAdmin()) verb.clear();
    ILauncher::ShellResult r = p_.ShellRun(verb, file, params, "", show);
    h = r.process;
    if (!r.ok) {
      result = r.error;
    } else {
      ILauncher::WaitResult w;
      for (;;) {
        w = p_.Wait(h, kWaitStep);
        if (w != ILauncher::WaitResult::kTimeout) break;
        p_.ProcessMessages();
        if (Process().Quitting) break;
      }
      result = w == ILauncher::WaitResult::kEnded ? 0 : w == ILauncher::WaitResult::kTimeout ? 258 : -1;
    }
  } catch (const std::exception&) {
    ToolsError(Format("EXCEPTION: 以管理员身份运行的问题 %s", {file}));
    result = 1;
  }
  if (h) p_.Close(h);
  return Process().Quitting ? 0 : result;
}

bool Launch::KillProcess(std::uint32_t pid) {
  ProcHandle h = 0;
  bool done = false;
  try {
    h = p_.OpenForTerminate(pid);
    if (h) done = p_.Terminate(h, 0);
  } catch (const std::exception&) {
    ToolsError(Format("EXCEPTION: 问题终止PID %d", {static_cast<long long>(pid)}));
    done = false;
  }
  if (h) p_.Close(h);
  return done;
}

bool Launch::IsAdmin() { return p_.IsAdmin(); }

std::string Launch::SystemErrorMessage(long long code) {
  return Trimmed(p_.SystemMessage(static_cast<std::uint32_t>(code)));
}

std::string QuoteArgument(const std::string& s) {
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char ch : s) {
    if (ch == '\\') {
      ++backslashes;
      continue;
    }
    if (ch == '"') {
      out.append(backslashes * 2 + 1, '\\');
      out += '"';
    } else {
      out.append(backslashes, '\\');
      out += ch;
    }
    backslashes = 0;
  }
  out.append(backslashes * 2, '\\');
  out += '"';
  return out;
}

}  // namespace control
