#include "wholefile.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace chaffguard {

namespace {
constexpr size_t kChunk = 16384;  // on the stack
}  // namespace

#ifdef _WIN32

FileRead ReadWholeFile(const std::string& path, std::string& out, size_t limit) {
  out.clear();
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return FileRead::kCannotOpen;
  FileRead result = FileRead::kOk;
  char buf[kChunk];
  while (out.size() < limit) {
    DWORD got = 0;
    if (!ReadFile(h, buf, static_cast<DWORD>(std::min(kChunk, limit - out.size())), &got, nullptr)) {
      result = FileRead::kFailed;
      break;
    }
    if (got == 0) break;
    out.append(buf, got);
  }
  CloseHandle(h);
  return result;
}

bool OverwriteFile(const std::string& path, std::string_view data) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  size_t done = 0;
  while (ok && done < data.size()) {
    DWORD put = 0;
    const DWORD want = static_cast<DWORD>(std::min(kChunk, data.size() - done));
    ok = WriteFile(h, data.data() + done, want, &put, nullptr) && put > 0;
    done += put;
  }
  ok = ok && SetEndOfFile(h);
  return CloseHandle(h) && ok;
}

#else

FileRead ReadWholeFile(const std::string& path, std::string& out, size_t limit) {
  out.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FileRead::kCannotOpen;
  FileRead result = FileRead::kOk;
  char buf[kChunk];
  while (out.size() < limit) {
    const ssize_t got = read(fd, buf, std::min(kChunk, limit - out.size()));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) result = FileRead::kFailed;
    if (got <= 0) break;
    out.append(buf, static_cast<size_t>(got));
  }
  close(fd);
  return result;
}

bool OverwriteFile(const std::string& path, std::string_view data) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = true;
  size_t done = 0;
  while (ok && done < data.size()) {
    const ssize_t put = write(fd, data.data() + done, data.size() - done);
    if (put < 0 && errno == EINTR) continue;
    ok = put > 0;
    if (ok) done += static_cast<size_t>(put);
  }
  ok = ok && ftruncate(fd, static_cast<off_t>(data.size())) == 0;
  return close(fd) == 0 && ok;
}

#endif

}  // namespace chaffguard
