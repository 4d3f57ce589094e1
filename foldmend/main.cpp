// foldmend: folder maintenance from the command line or a command file.
// With FOLDMEND_ECHO set in the environment, the message output is also
// written to standard output (it is otherwise shown only in the window).
// With FOLDMEND_STOP_AT=N the process ends itself abruptly (as if killed)
// just before its N-th file-system change (create, rename, remove), N >= 1:
// used by the test that checks what an interrupted operation leaves behind.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli.h"
#include "fileio.h"
#include "platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

static void stop_at_from_environment() {
  const char* v = std::getenv("FOLDMEND_STOP_AT");
  if (!v) return;
  long n = std::strtol(v, nullptr, 10);
  if (n < 1) return;
  foldmend::set_mutation_hook([n, count = 0L]() mutable {
    if (++count < n) return;
#ifdef _WIN32
    TerminateProcess(GetCurrentProcess(), 137);
#else
    std::raise(SIGKILL);
#endif
  });
}

static int run(const std::string& command_line) {
  stop_at_from_environment();
  foldmend::Context ctx;
  ctx.rng.seed(foldmend::tick_count());
  if (std::getenv("FOLDMEND_ECHO"))
    ctx.out.set_sink([](int, const std::string& text) {
      std::fwrite(text.data(), 1, text.size(), stdout);
      std::fflush(stdout);
    });
  foldmend::Platform pf = foldmend::make_platform();
  return foldmend::program_entry(ctx, pf, command_line);
}

#ifdef _WIN32
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmd, int) { return run(cmd ? cmd : ""); }
#else
int main(int argc, char** argv) {
  // Rebuild one command line; arguments with blanks are quoted for the
  // tokenizer (backslashes and quotes escaped).
  std::string line;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (i > 1) line += ' ';
    if (a.find_first_of(" \t\"") != std::string::npos || a.empty()) {
      line += '"';
      for (char c : a) {
        if (c == '\\' || c == '"') line += '\\';
        line += c;
      }
      line += '"';
    } else {
      line += a;
    }
  }
  return run(line);
}
#endif
