#include "context.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace foldmend {

void Output::emit(int level, const char* fmt, ...) {
  char buf[kMaxLine + 1];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  emit_text(level, buf);
}

void Output::emit_text(int level, const std::string& text) {
  std::string t = text.substr(0, kMaxLine);
  if (!t.empty() && t[0] == '#') status_ = std::atoi(t.c_str() + 1);
  if (sink_) sink_(level, t);
}

Context::Context() {
  sleep = [](unsigned ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  now_seconds = [] {
    return static_cast<std::int64_t>(
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
  };
}

std::string Context::draw8(unsigned& counter) {
  std::string s(8, ' ');
  for (auto& c : s) {
    unsigned r = rng.next();
    c = kIdAlphabet[(r + counter) % 36];
    ++counter;
  }
  return s;
}

}  // namespace foldmend
