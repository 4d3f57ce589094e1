#include "hostrun.h"

#include <cstdio>
#include <filesystem>

#include "stand_in.h"
#include "testutil.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace cg_test {

HostResult RunHostHere(const std::vector<std::string>& args, const std::string& scratch_dir) {
  std::vector<const char*> argv{"chaffguard-host"};
  for (const auto& a : args) argv.push_back(a.c_str());
  const std::string out_path = (fs::path(scratch_dir) / "host-out.txt").string();
  const std::string err_path = (fs::path(scratch_dir) / "host-err.txt").string();
  std::FILE* out = std::fopen(out_path.c_str(), "wb");
  std::FILE* err = std::fopen(err_path.c_str(), "wb");
  HostResult r;
  r.status = cg_host::RunHost(static_cast<int>(argv.size()), argv.data(), out, err);
  std::fclose(out);
  std::fclose(err);
  r.out = ReadFile(out_path);
  r.err = ReadFile(err_path);
  std::remove(out_path.c_str());
  std::remove(err_path.c_str());
  return r;
}

namespace {
std::string HostExe() {
#ifdef _WIN32
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return (fs::path(path).parent_path() / "chaffguard-host.exe").string();
#else
  return (fs::read_symlink("/proc/self/exe").parent_path() / "chaffguard-host").string();
#endif
}
}  // namespace

long long StartHost(const std::vector<std::string>& args) {
  const std::string exe = HostExe();
#ifdef _WIN32
  std::string cmd = "\"" + exe + "\"";
  for (const auto& a : args) cmd += " \"" + a + "\"";  // test arguments hold no quotes
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::vector<char> buf(cmd.begin(), cmd.end());
  buf.push_back('\0');
  if (!CreateProcessA(exe.c_str(), buf.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return -1;
  CloseHandle(pi.hThread);
  return reinterpret_cast<long long>(pi.hProcess);
#else
  std::vector<char*> argv{const_cast<char*>(exe.c_str())};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
#endif
}

int WaitHost(long long handle) {
  if (handle < 0) return -1;
#ifdef _WIN32
  HANDLE h = reinterpret_cast<HANDLE>(handle);
  WaitForSingleObject(h, 120000);
  DWORD code = 1;
  GetExitCodeProcess(h, &code);
  CloseHandle(h);
  return static_cast<int>(code);
#else
  int status = 0;
  waitpid(static_cast<pid_t>(handle), &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

}  // namespace cg_test
