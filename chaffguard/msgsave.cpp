// Replacing a message file safely: see msgsave.h.
#include "msgsave.h"

#include <cstdio>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#endif

namespace chaffguard {

namespace {

bool MoveOver(const std::string& from, const std::string& to) {
#ifdef _WIN32
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace

void ReplaceFileLines(const std::string& path, const std::vector<std::string>& lines) {
  const std::string temp = path + ".cgtmp";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) throw std::runtime_error("Cannot create " + temp);
  bool ok = true;
  for (const auto& l : lines) {
    if (std::fwrite(l.data(), 1, l.size(), f) != l.size() || std::fwrite("\r\n", 1, 2, f) != 2) {
      ok = false;
      break;
    }
  }
  if (std::fflush(f) != 0) ok = false;
  if (std::fclose(f) != 0) ok = false;
  if (!ok || !MoveOver(temp, path)) {
    std::remove(temp.c_str());
    throw std::runtime_error("Cannot write " + path);
  }
}

}  // namespace chaffguard
