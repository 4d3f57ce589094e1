#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform.h"

extern char** environ;

namespace foldmend {

Platform make_platform() {
  Platform pf;
  pf.message_box = [](const std::string& text) { std::fprintf(stderr, "%s: %s\n", kCaption, text.c_str()); };
  pf.usage = [] {
    for (const char* line : kUsageLines) std::printf("%s\n", line);
  };
  pf.run_program = [](const std::string& cmd) {
    pid_t pid;
    const char* argv[] = {"/bin/sh", "-c", cmd.c_str(), nullptr};
    return posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) == 0;
  };
  pf.getenv = [](const char* name) -> const char* { return std::getenv(name); };
  return pf;
}

std::uint32_t tick_count() {
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

}  // namespace foldmend
