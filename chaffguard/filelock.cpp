#include "filelock.h"

#include <chrono>
#include <stdexcept>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace chaffguard {

namespace {
constexpr int kPollMs = 5;
#ifdef _WIN32
// Far past the end of any statistics file: locking it blocks no reads or writes.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;
#endif
}  // namespace

FileLock::FileLock(const std::string& path, int wait_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
#ifdef _WIN32
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("Cannot lock file \"" + path + "\"");
  for (;;) {
    OVERLAPPED ov{};
    ov.OffsetHigh = kLockOffsetHigh;
    if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &ov)) break;
    if (std::chrono::steady_clock::now() >= deadline) {
      CloseHandle(h);
      throw std::runtime_error("Cannot lock file \"" + path + "\"");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
  handle_ = h;
#else
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("Cannot lock file \"" + path + "\"");
  while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      close(fd);
      throw std::runtime_error("Cannot lock file \"" + path + "\"");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
  fd_ = fd;
#endif
}

FileLock::~FileLock() {
#ifdef _WIN32
  if (handle_) {
    OVERLAPPED ov{};
    ov.OffsetHigh = kLockOffsetHigh;
    UnlockFileEx(static_cast<HANDLE>(handle_), 0, 1, 0, &ov);
    CloseHandle(static_cast<HANDLE>(handle_));
  }
#else
  if (fd_ >= 0) close(fd_);  // releases the lock
#endif
}

bool MoveFileNoReplace(const std::string& from, const std::string& to) {
#ifdef _WIN32
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
#else
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
#endif
}

}  // namespace chaffguard
