// foldmend: folder maintenance from the command line or a command file.
// With FOLDMEND_ECHO set in the environment, the message output is also
// written to standard output (it is otherwise shown only in the window).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli.h"
#include "platform.h"

#ifdef _WIN32
#include <windows.h>
#endif

static int run(const std::string& command_line) {
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
