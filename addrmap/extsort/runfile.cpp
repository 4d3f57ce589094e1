#include "runfile.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdio>
#include <utility>

namespace extsort {

RunFile::RunFile(RunFile&& other) noexcept { *this = std::move(other); }

#ifdef _WIN32

RunFile& RunFile::operator=(RunFile&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

bool RunFile::Create(const std::string& path) {
  Close();
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  handle_ = h;
  return true;
}

bool RunFile::OpenRead(const std::string& path, OpenError* why) {
  Close();
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    *why = (e == ERROR_TOO_MANY_OPEN_FILES || e == ERROR_NOT_ENOUGH_MEMORY) ? OpenError::kTooManyOpen
                                                                             : OpenError::kOther;
    return false;
  }
  handle_ = h;
  *why = OpenError::kNone;
  return true;
}

long RunFile::Read(void* buf, std::size_t len) {
  DWORD got = 0;
  if (!ReadFile(static_cast<HANDLE>(handle_), buf, static_cast<DWORD>(len), &got, nullptr)) return -1;
  return static_cast<long>(got);
}

bool RunFile::Write(const void* buf, std::size_t len) {
  const char* p = static_cast<const char*>(buf);
  while (len > 0) {
    DWORD put = 0;
    if (!WriteFile(static_cast<HANDLE>(handle_), p, static_cast<DWORD>(len), &put, nullptr) || put == 0)
      return false;
    p += put;
    len -= put;
  }
  return true;
}

bool RunFile::Close() {
  if (!handle_) return true;
  bool ok = CloseHandle(static_cast<HANDLE>(handle_)) != 0;
  handle_ = nullptr;
  return ok;
}

bool RunFile::IsOpen() const { return handle_ != nullptr; }

bool RunFile::Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RunFile::Remove(const std::string& path) { DeleteFileA(path.c_str()); }

std::size_t RunFile::MaxOpen() { return 16384; }

#else

RunFile& RunFile::operator=(RunFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

bool RunFile::Create(const std::string& path) {
  Close();
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  return fd_ >= 0;
}

bool RunFile::OpenRead(const std::string& path, OpenError* why) {
  Close();
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    *why = (errno == EMFILE || errno == ENFILE) ? OpenError::kTooManyOpen : OpenError::kOther;
    return false;
  }
  *why = OpenError::kNone;
  return true;
}

long RunFile::Read(void* buf, std::size_t len) {
  char* p = static_cast<char*>(buf);
  std::size_t done = 0;
  while (done < len) {
    ssize_t n = ::read(fd_, p + done, len - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<long>(done);
}

bool RunFile::Write(const void* buf, std::size_t len) {
  const char* p = static_cast<const char*>(buf);
  while (len > 0) {
    ssize_t n = ::write(fd_, p, len);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    len -= static_cast<std::size_t>(n);
  }
  return true;
}

bool RunFile::Close() {
  if (fd_ < 0) return true;
  bool ok = ::close(fd_) == 0;
  fd_ = -1;
  return ok;
}

bool RunFile::IsOpen() const { return fd_ >= 0; }

bool RunFile::Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

void RunFile::Remove(const std::string& path) { ::unlink(path.c_str()); }

std::size_t RunFile::MaxOpen() {
  struct rlimit rl;
  if (::getrlimit(RLIMIT_NOFILE, &rl) != 0) return 64;
  if (rl.rlim_cur < rl.rlim_max) {
    struct rlimit want = rl;
    want.rlim_cur = rl.rlim_max == RLIM_INFINITY ? std::max<rlim_t>(rl.rlim_cur, 65536) : rl.rlim_max;
    if (::setrlimit(RLIMIT_NOFILE, &want) == 0) rl = want;
  }
  // Leave room for the standard streams, the file being sorted and the
  // merge's own output file.
  const rlim_t reserve = 16;
  if (rl.rlim_cur <= reserve + 2) return 2;
  return static_cast<std::size_t>(std::min<rlim_t>(rl.rlim_cur - reserve, 16384));
}

#endif

}  // namespace extsort
