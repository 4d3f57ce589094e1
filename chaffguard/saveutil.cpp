#include "saveutil.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <thread>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cgtext.h"

namespace chaffguard {

namespace {
constexpr char kAlphabet[] = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";
constexpr int kAttempts = 10;
// The name changes every 4 ms; this bounds the wait for a free one.
constexpr int kMaxNameTries = 2000;

int OpenExclusive(const std::string& path) {
#ifdef _WIN32
  return _open(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
  return open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0644);
#endif
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    size_t chunk = std::min<size_t>(data.size() - done, 1 << 20);
#ifdef _WIN32
    int n = _write(fd, data.data() + done, static_cast<unsigned>(chunk));
#else
    ssize_t n = write(fd, data.data() + done, chunk);
#endif
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

int CloseFd(int fd) {
#ifdef _WIN32
  return _close(fd);
#else
  return close(fd);
#endif
}
}  // namespace

std::string UniqueName(const LocalDateTime& t) {
  uint64_t product = static_cast<uint64_t>(t.year % 100) * static_cast<uint64_t>(t.month) *
                     static_cast<uint64_t>(t.day) * static_cast<uint64_t>(t.hour) *
                     static_cast<uint64_t>(t.minute) * static_cast<uint64_t>(t.second);
  uint64_t bits = ((product & 0xFFFFFFFFu) << 8) | static_cast<uint64_t>((t.ms / 4) & 0xFF);
  std::string name(8, ' ');
  for (int i = 7; i >= 0; --i) {
    name[static_cast<size_t>(i)] = kAlphabet[bits & 31];
    bits >>= 5;
  }
  return name;
}

std::string StoreCorrectionRequest(const std::string& dir, const std::vector<std::string>& lines) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  std::string data;
  for (const auto& l : lines) {
    data += l;
    data += "\r\n";
  }
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string path;
    for (int tries = 0; tries < kMaxNameTries; ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      path = JoinPath(dir, UniqueName(Now()) + ".CNM");
      if (!std::filesystem::exists(path, ec)) break;
    }
    int fd = OpenExclusive(path);
    if (fd < 0) continue;
    bool ok = WriteAll(fd, data);
    ok = CloseFd(fd) == 0 && ok;
    if (ok) return path;
    std::filesystem::remove(path, ec);  // no partial request stays behind
  }
  return std::string();
}

}  // namespace chaffguard
